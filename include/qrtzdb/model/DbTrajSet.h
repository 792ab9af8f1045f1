#pragma once
#include "qrtzdb/model/DbCompSet.h"
#include "qrtzdb/model/DbTrajLine.h"

namespace qrtz {

// A typed set of trajectory lines.
class DbTrajSet : public DbCompSet {
public:
    DbTrajSet() = default;
    ~DbTrajSet() override = default;

    QRTZ_TYPED_SET_OPERATIONS(DbTrajSet, DbTrajLine, Traj)
};

} // namespace qrtz
