#include "qrtzdb/model/DbBondVSet.h"

namespace qrtz {

DbBondV* DbBondVSet::CreateDbBondV(const char* name, int firstAtom, int secondAtom) {
    return new DbBondV(name, firstAtom, secondAtom);
}

} // namespace qrtz
