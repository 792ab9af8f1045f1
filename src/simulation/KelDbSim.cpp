#include "qrtzdb/simulation/KelDbSim.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "qrtzdb/basis/Calc.h"
#include "qrtzdb/environment/TblAtom.h"
#include "qrtzdb/formats/SimDbAtomV.h"
#include "qrtzdb/formats/SimDbMolecule.h"
#include "qrtzdb/model/DbBond.h"

namespace qrtz {

namespace {

// Energies are kept in joules, the file's unit being 10^-7 J.
constexpr double kEnergyScale = 10000000;

// The periodic image a cell coordinate lies in; out-of-range values saturate.
int imageOf(double v) {
    const double f = std::floor(v);
    if (std::isnan(f)) return DbTrajPoint::kImageNotSet;
    if (f <= static_cast<double>(INT_MIN)) return INT_MIN;
    if (f >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(f);
}

double snap(double v) {
    const double r = Calc::RoundToNear(v);
    return Calc::Neighbor(v, r) ? r : v;
}

} // namespace

KelDbSim::KelDbSim() { InitContents(); }

KelDbSim::KelDbSim(const KelDbSim& other) : KelDbSim() { *this = other; }

KelDbSim::~KelDbSim() { DeleteContents(); }

KelDbSim& KelDbSim::operator=(const KelDbSim& other) {
    if (this == &other) return *this;
    SimDbMolCrystal::operator=(other);
    m_traj = other.m_traj;
    return *this;
}

DbComp* KelDbSim::Copy() const {
    auto* copy = new KelDbSim;
    *copy = *this;
    return copy;
}

int KelDbSim::GetHmatrix(double H[3][3]) const {
    for (int r = 0; r < 3; ++r)
        for (int col = 0; col < 3; ++col) H[r][col] = m_fH[r][col];
    return 1;
}

void KelDbSim::InitContents() {
    InitFileContents();
    double H[3][3];
    SimDbMolCrystal::GetHmatrix(H);
    for (int r = 0; r < 3; ++r)
        for (int col = 0; col < 3; ++col)
            m_fH[r][col] = m_fOrgH[r][col] = static_cast<float>(H[r][col]);
}

void KelDbSim::DeleteContents() {
    DeleteFileContents();
    ClearMol();
    m_traj.ClearTraj();
}

void KelDbSim::ReadHead(CFile64* file) {
    DeleteContents();
    SimFileContents::ReadHead(file);
}

Vertex3D KelDbSim::CentreOf(std::size_t type, std::size_t first) const {
    // Cell coordinates: the file keeps fractional positions centred on 0.
    const std::vector<float>& mass = m_ppfAtomMass[type];
    Vertex3D centre;
    double total = 0;
    for (std::size_t i = 0; i < mass.size(); ++i) {
        centre.x += mass[i] * (m_pfX[first + i] + 0.5);
        centre.y += mass[i] * (m_pfY[first + i] + 0.5);
        centre.z += mass[i] * (m_pfZ[first + i] + 0.5);
        total += mass[i];
    }
    if (total != 0) centre /= total;
    return centre;
}

KelDbSim::StepCounts KelDbSim::SaveStepCounts() const {
    StepCounts saved;
    std::copy(&m_fH[0][0], &m_fH[0][0] + 9, &saved.h[0][0]);
    saved.atoms = m_nCurAtomCount;
    saved.molCount = m_pnMolCount;
    saved.typeIndex = m_pnMolTypeIndex;
    saved.entryIndex = m_pnEntryIndex;
    return saved;
}

void KelDbSim::RestoreStepCounts(StepCounts& saved) {
    std::copy(&saved.h[0][0], &saved.h[0][0] + 9, &m_fH[0][0]);
    m_nCurAtomCount = saved.atoms;
    m_pnMolCount.swap(saved.molCount);
    m_pnMolTypeIndex.swap(saved.typeIndex);
    m_pnEntryIndex.swap(saved.entryIndex);
}

template <class Visit>
std::int64_t KelDbSim::ForEachMolecule(Visit visit) const {
    // A variable-population frame may name more molecules than it holds atoms for; those
    // past its atoms are left out. A type without atoms has no molecules to show, whatever
    // its count: visiting them would not be bounded by the frame's atoms.
    const std::size_t room =
        std::min(static_cast<std::size_t>(std::max(m_nCurAtomCount, 0)), m_pfX.size());
    std::size_t g = 0;
    std::int64_t left = 0;
    for (std::size_t s = 0; s < m_pnMolCount.size(); ++s) {
        const std::size_t atoms = m_ppfAtomMass[s].size();
        if (atoms == 0) continue;
        for (int m = 0; m < m_pnMolCount[s]; ++m) {
            if (left > 0 || atoms > room - g) {
                left += m_pnMolCount[s] - m;
                break;
            }
            visit(s, m, g);
            g += atoms;
        }
    }
    return left;
}

void KelDbSim::UpdateMcr(int px, int py, int pz) {
    if (m_nHeadSize == 0 || m_nStepCount < 1 || m_nCurStep < 0 || m_nCurStep > m_nStepCount)
        return;
    double H[3][3];
    GetHmatrix(H);
    SetHmatrix(H);
    ClearMol();
    m_dSpeedMin = m_dSpeedMax = m_dTempMin = m_dTempMax = 0.0;
    m_dInternalMin = m_dInternalMax = m_dPotentialMin = m_dPotentialMax = 0.0;

    // Radii by atom name, looked up once per type and atom rather than once per atom.
    std::vector<std::vector<double>> radius(m_ppAtomName.size());
    for (std::size_t s = 0; s < m_ppAtomName.size(); ++s)
        for (const FixedText<4>& name : m_ppAtomName[s])
            radius[s].push_back(TblAtom::GetRadius(TblAtom::FindRegIndex(name)));

    const Vertex3D half(0.5, 0.5, 0.5);
    const std::size_t inputAtoms = m_pnInpFlag.size();
    const std::int64_t left = ForEachMolecule([&](std::size_t s, int, std::size_t g) {
        auto* mol = new SimDbMolecule(m_ppMolTypeName[s]);
        const std::vector<float>& mass = m_ppfAtomMass[s];
        const std::size_t atoms = mass.size();
        const bool molecular = m_pnMolBondCount[s] > 0;
        Vertex3D shift;
        if (molecular) {
            // The molecule moves as a whole so that its centre of mass falls in the cell.
            const Vertex3D centre = CentreOf(s, g);
            shift = centre.PeriodicBoundary(px, py, pz) - centre;
        }
        for (std::size_t i = 0; i < atoms; ++i) {
            const std::size_t k = g + i;
            const Vertex3D position =
                molecular ? Vertex3D(m_pfX[k] + shift.x, m_pfY[k] + shift.y, m_pfZ[k] + shift.z)
                          : Vertex3D(m_pfX[k] + 0.5, m_pfY[k] + 0.5, m_pfZ[k] + 0.5)
                                    .PeriodicBoundary(px, py, pz) -
                                half;
            const Vertex3D velocity = Vertex3D(m_pfVx[k], m_pfVy[k], m_pfVz[k]).Transform(H);
            const double speedSq = velocity.GetAbsolute2();
            const double speed = std::sqrt(speedSq);
            const double ep = m_pfEp[k];
            const double temperature = CalcTemperature(mass[i], speedSq);
            const double internal = CalcInternal(mass[i], speedSq, ep) * kEnergyScale;
            const double potential = ep * kEnergyScale;
            auto* atom = new SimDbAtomV(m_ppAtomName[s][i], position, velocity, potential,
                                        mass[i], m_ppfAtomCharge[s][i], radius[s][i]);
            atom->temperature = temperature;
            atom->internal = internal;
            if (k < inputAtoms) {
                atom->flag = m_pnInpFlag[k];
                atom->flag3 = Vertex3D(m_pdInpVecAX[k], m_pdInpVecAY[k], m_pdInpVecAZ[k]);
                atom->flag2 = Vertex3D(m_pdInpVecBX[k], m_pdInpVecBY[k], m_pdInpVecBZ[k]);
            }
            mol->AppendAtom(atom);
            if (k == 0) {
                m_dSpeedMin = m_dSpeedMax = speed;
                m_dTempMin = m_dTempMax = temperature;
                m_dInternalMin = m_dInternalMax = internal;
                m_dPotentialMin = m_dPotentialMax = potential;
            } else {
                SetMinMax(m_dSpeedMin, m_dSpeedMax, speed);
                SetMinMax(m_dTempMin, m_dTempMax, temperature);
                SetMinMax(m_dInternalMin, m_dInternalMax, internal);
                SetMinMax(m_dPotentialMin, m_dPotentialMax, potential);
            }
        }
        if (molecular) {
            for (std::size_t k = 0; k < m_ppBondName[s].size(); ++k)
                mol->AppendBond(
                    new DbBondV(m_ppBondName[s][k], m_ppnBondAtom1[s][k], m_ppnBondAtom2[s][k]));
            mol->UpdateBondTypeList();
        }
        mol->UpdateAtomTypeList();
        AppendMol(mol);
    });
    if (left > 0)
        Warn("step " + std::to_string(m_nCurStep) + ": " + std::to_string(left) +
             " molecules left out, the step holds " + std::to_string(m_nCurAtomCount) +
             " atoms");
    UpdateMolTypeList();
}

void KelDbSim::CreateTraj(CFile64* file, int first, int last, int count, int px, int py, int pz) {
    const int M = m_nStepCount;
    if (m_nHeadSize == 0 || M < 2 || first < 0 || first > M || last < 0 || last > M ||
        count < 2 || count > M || first == last)
        return;
    if (first > last) std::swap(first, last);
    m_traj.ClearTraj();
    const int span = last - first;
    double interval = 1.0;
    if (span + 1 > count) interval = static_cast<double>(span) / (count - 1);
    else count = span + 1;

    ReadStep(file, first);

    // One line per molecule of a molecule type, one per atom of an atom type, for the
    // molecules of step first; lineStart[s] + m * perMolecule[s] is the first line of
    // molecule m of type s.
    const std::size_t S = m_pnMolCount.size();
    std::vector<std::size_t> lineStart(S, 0), perMolecule(S, 0);
    std::vector<int> withLines(S, 0);
    std::vector<DbTrajLine*> lines;
    ForEachMolecule([&](std::size_t s, int m, std::size_t) {
        if (m == 0) lineStart[s] = lines.size();
        withLines[s] = m + 1;
        if (m_pnMolBondCount[s] > 0) {
            perMolecule[s] = 1;
            lines.push_back(new DbTrajLine(m_ppMolTypeName[s], count));
            m_traj.AppendTraj(lines.back());
            return;
        }
        perMolecule[s] = m_ppAtomName[s].size();
        for (const FixedText<4>& atom : m_ppAtomName[s]) {
            const std::string name = std::string(atom.text) + "(" + m_ppMolTypeName[s].text + ")";
            lines.push_back(new DbTrajLine(name.c_str(), count));
            m_traj.AppendTraj(lines.back());
        }
    });
    m_pnEntryIndex0 = m_pnEntryIndex;
    m_traj.CreateHmatrix(count);

    const Vertex3D half(0.5, 0.5, 0.5);
    for (int k = 0; k < count; ++k) {
        const int step = k == count - 1 ? last : first + static_cast<int>(k * interval);
        // The molecular crystal is built once, at the end, as every build but the last would
        // be overwritten. When a load fails the crystal shows the previous point: a failed load
        // leaves the positions alone, so with the counts of that point it is built from them.
        if (k > 0) {
            StepCounts before = SaveStepCounts();
            try {
                ReadStep(file, step);
            } catch (...) {
                StepCounts after = SaveStepCounts();
                RestoreStepCounts(before);
                UpdateMcr(px, py, pz);
                RestoreStepCounts(after);
                throw;
            }
        }
        double H[3][3];
        GetHmatrix(H);
        m_traj.SetHmatrix(k, H);

        auto setPoint = [&](DbTrajLine* line, const Vertex3D& at) {
            const Vertex3D centre(snap(at.x), snap(at.y), snap(at.z));
            DbTrajPoint& point = line->points[k];
            point.imageA = imageOf(centre.x);
            point.imageB = imageOf(centre.y);
            point.imageC = imageOf(centre.z);
            point.position = centre.PeriodicBoundary(px, py, pz) - half;
            line->SetLineFlag(k - 1, px, py, pz);
        };
        ForEachMolecule([&](std::size_t s, int m, std::size_t g) {
            if (m >= withLines[s]) return;  // not there at step first: no line
            DbTrajLine** line = &lines[lineStart[s] + static_cast<std::size_t>(m) * perMolecule[s]];
            if (m_pnMolBondCount[s] > 0) {
                setPoint(*line, CentreOf(s, g));
                return;
            }
            for (std::size_t i = 0; i < m_ppfAtomMass[s].size(); ++i)
                setPoint(line[i], Vertex3D(m_pfX[g + i] + 0.5, m_pfY[g + i] + 0.5,
                                           m_pfZ[g + i] + 0.5));
        });
    }
    UpdateMcr(px, py, pz);
    m_traj.UpdateTrajTypeList();
}

} // namespace qrtz
