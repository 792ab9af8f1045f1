#pragma once
#include "qrtzdb/model/DbAtom.h"
#include "qrtzdb/model/DbCompSet.h"

namespace qrtz {

// A typed set of plain atoms.
class DbAtomSet : public DbCompSet {
public:
    DbAtomSet() = default;
    ~DbAtomSet() override = default;

    QRTZ_TYPED_SET_OPERATIONS(DbAtomSet, DbAtom, Atom)
};

} // namespace qrtz
