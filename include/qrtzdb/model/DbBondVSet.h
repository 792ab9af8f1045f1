#pragma once
#include "qrtzdb/model/DbBond.h"
#include "qrtzdb/model/DbCompSet.h"

namespace qrtz {

// A typed set of bonds between atom numbers.
class DbBondVSet : public DbCompSet {
public:
    DbBondVSet() = default;
    ~DbBondVSet() override = default;

    // Makes a new bond of the set's own bond class without appending it.
    virtual DbBondV* CreateDbBondV(const char* name, int firstAtom, int secondAtom);

    QRTZ_TYPED_SET_OPERATIONS(DbBondVSet, DbBondV, Bond)
};

} // namespace qrtz
