#pragma once
// The in-memory view of a simulation result file: a molecular crystal that shows one frame at
// a time, with the file's header, series and frame index (SimFileContents) and a trajectory.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "qrtzdb/formats/SimDbMolCrystal.h"
#include "qrtzdb/model/DbTrajectory.h"
#include "qrtzdb/platform/CFile.h"
#include "qrtzdb/simulation/SimFileContents.h"

namespace qrtz {

// A simulation result file as a molecular crystal showing one frame at a time, with the file's
// series and a trajectory (see above).
class KelDbSim : public SimDbMolCrystal, public SimFileContents {
public:
    KelDbSim();
    // A crystal and trajectory like other's, no file data (as Copy).
    KelDbSim(const KelDbSim& other);
    ~KelDbSim() override;

    // Assigns the molecular crystal and the trajectory; the file data stay as they are.
    KelDbSim& operator=(const KelDbSim& other);
    // A new KelDbSim assigned from this one: it has no file data loaded.
    DbComp* Copy() const override;

    // The cell of the loaded step. Returns 1.
    int GetHmatrix(double H[3][3]) const override;

    // The empty state, both cells taken from the crystal's current cell.
    void InitContents();
    // Releases the file data, the molecules and the trajectory's lines.
    void DeleteContents();

    // Reads the header and scans the frames (SimFileContents::ReadHead), after emptying the
    // crystal and the trajectory.
    void ReadHead(CFile64* file);

    // Rebuilds the molecules from the loaded step: molecules kept whole and moved as a whole,
    // unbonded atoms one by one, into the cell along the axes with a non-zero flag. Does
    // nothing without a loaded header or with a current step outside 0 to m_nStepCount.
    void UpdateMcr(int px, int py, int pz);

    // Fills the trajectory with count points sampled from steps first to last (0 being the
    // initial structure): one line per molecule of a molecule type and one per atom of an
    // atom type present at step first. Afterwards step last is loaded and shown. Does nothing
    // unless 0 <= first, last <= m_nStepCount, first != last and 2 <= count <= m_nStepCount.
    void CreateTraj(CFile64* file, int first, int last, int count, int px, int py, int pz);

    // The trajectory CreateTraj fills.
    DbTrajectory m_traj;

private:
    // What a step load changes besides the positions, velocities and energies.
    struct StepCounts {
        float h[3][3];
        int atoms;
        std::vector<int> molCount, typeIndex, entryIndex;
    };
    StepCounts SaveStepCounts() const;
    // Puts saved back; its vectors are swapped in rather than copied.
    void RestoreStepCounts(StepCounts& saved);

    // Calls visit(type, molecule, first atom) for every molecule of the loaded step whose
    // atoms the step holds; returns the number of molecules left out because it does not.
    template <class Visit>
    std::int64_t ForEachMolecule(Visit visit) const;
    // The mass-weighted centre, in cell coordinates, of the molecule of type whose atoms start
    // at global index first.
    Vertex3D CentreOf(std::size_t type, std::size_t first) const;
};

} // namespace qrtz
