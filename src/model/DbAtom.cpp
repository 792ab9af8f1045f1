#include "qrtzdb/model/DbAtom.h"

namespace qrtz {

DbAtom::DbAtom(const char* name, double mass_, double charge_, double radius_)
    : DbComp(name, kNameLength), mass(mass_), charge(charge_), radius(radius_) {}

} // namespace qrtz
