#include "qrtzdb/model/DbTrajectory.h"

#include <algorithm>

namespace qrtz {

DbTrajectory::~DbTrajectory() { delete[] matrices; }

DbTrajectory& DbTrajectory::operator=(const DbTrajectory& other) {
    if (this == &other) return *this;
    DbComp::operator=(other);
    DbTrajSet::operator=(other);
    delete[] matrices;
    matrices = nullptr;
    stepCount = 0;
    if (other.stepCount > 0 && other.matrices) {
        matrices = new double[static_cast<std::size_t>(other.stepCount)][3][3];
        std::copy(&other.matrices[0][0][0], &other.matrices[0][0][0] + 9 * static_cast<std::size_t>(other.stepCount),
                  &matrices[0][0][0]);
        stepCount = other.stepCount;
    }
    firstCell = other.firstCell;
    lastCell = other.lastCell;
    return *this;
}

DbComp* DbTrajectory::Copy() const {
    auto* copy = new DbTrajectory;
    *copy = *this;
    return copy;
}

void DbTrajectory::CreateHmatrix(int n) {
    delete[] matrices;
    matrices = nullptr;
    stepCount = 0;
    if (n < 1) return;
    matrices = new double[static_cast<std::size_t>(n)][3][3];
    for (int s = 0; s < n; ++s)
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) matrices[s][i][j] = i == j ? 1.0 : 0.0;
    stepCount = n;
}

int DbTrajectory::SetHmatrix(int step, const double H[3][3]) {
    if (step < 0 || step >= stepCount || !matrices) return 0;
    std::copy(&H[0][0], &H[0][0] + 9, &matrices[step][0][0]);
    if (step == 0) firstCell.SetHmatrix(H);
    else if (step == stepCount - 1) lastCell.SetHmatrix(H);
    return 1;
}

} // namespace qrtz
