#pragma once
#include "qrtzdb/model/DbCell.h"
#include "qrtzdb/model/DbComp.h"
#include "qrtzdb/model/DbTrajSet.h"

namespace qrtz {

// The paths of a simulation's points (the lines, owned) with the H-matrix of every step and
// cells holding the first and the last of them. The host reads the fields directly.
class DbTrajectory : public DbComp, public DbTrajSet {
public:
    DbTrajectory() = default;
    ~DbTrajectory() override;

    // Name, copies of the lines, the matrices and both cells (as DbHmatCell::operator=).
    DbTrajectory& operator=(const DbTrajectory& other);
    DbComp* Copy() const override;

    // Replaces the matrices by n identity matrices and sets stepCount to n; none when n < 1.
    void CreateHmatrix(int n);
    // Stores H as the matrix of step, and in firstCell for step 0 or lastCell for the last
    // step. Returns 0, changing nothing, for a step outside 0..stepCount-1.
    int SetHmatrix(int step, const double H[3][3]);

    // Steps in the trajectory.
    int stepCount = 0;
    double (*matrices)[3][3] = nullptr;  // owned, stepCount of them; null when there are none
    DbHmatCell firstCell;                // H-matrix of step 0
    DbHmatCell lastCell;                 // H-matrix of the last step
};

} // namespace qrtz
