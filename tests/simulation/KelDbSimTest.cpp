#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "qrtzdb/basis/KelException.h"
#include "qrtzdb/environment/TblAtom.h"
#include "qrtzdb/formats/SimDbAtomV.h"
#include "qrtzdb/formats/SimDbMolecule.h"
#include "qrtzdb/simulation/KelDbInp.h"
#include "qrtzdb/simulation/KelDbSim.h"
#include "formats/FormatTestSupport.h"
#include "simulation/SimFileWriter.h"

namespace qrtz {
namespace {

using namespace simtest;

// One water molecule, centre of mass at 0.7 along x in the file's frame, and an "ION" type of
// one carbon atom at -0.6 along x moving 0.001 cells (0.01 Å) per step. Frame k moves the
// carbon to -0.45 + 0.1 k along x and gives the cell a third vector of length 10 + k.
SimFileDef Small(int frames, bool sp = false) {
    SimFileDef d;
    d.magic = sp ? MagicNo::GetSimMagicNo4Sp() : MagicNo::GetSimMagicNo4Bk();
    d.thermoCount = 6;
    d.total = d.last = frames;
    d.dt = 1.0f;
    d.types = {{"WAT", 1, {{"O", 16.0f, -0.8f, 8}, {"H", 1.0f, 0.4f, 1}, {"H", 1.0f, 0.4f, 1}},
                {{1, 2, "1 "}, {1, 3, "1 "}}},
               {"ION", 1, {{"C", 12.0f, 0.5f, 6}}, {}}};
    d.x0 = {0.7f, 0.75f, 0.65f, -0.45f};
    d.y0 = {0.0f, 0.05f, 0.05f, 0.0f};
    d.z0 = {0.0f, 0.0f, 0.0f, 0.0f};
    for (int k = 1; k <= frames; ++k) {
        FrameDef f;
        f.cell[8] = 10.0f + static_cast<float>(k);
        f.x = {0.7f, 0.75f, 0.65f, -0.45f + 0.1f * static_cast<float>(k)};
        f.y = d.y0;
        f.z = d.z0;
        f.vx = {0, 0, 0, 0.001f};
        f.ep = {-1, -1, -1, 0};
        d.frames.push_back(f);
    }
    d.frames[0].x[3] = -0.6f;
    return d;
}

// A result file on disk, opened.
struct OpenFile {
    explicit OpenFile(const SimFileDef& d)
        : file(WriteSimFile(d)), in(file.path.c_str(), CFile::modeRead) {}
    TempFile file;
    CFile64 in;
};

std::vector<SimDbMolecule*> Molecules(const KelDbSim& sim) {
    std::vector<SimDbMolecule*> out;
    for (POSITION pos = sim.GetMolHeadPosition(); pos;)
        out.push_back(dynamic_cast<SimDbMolecule*>(sim.GetMolNext(pos)));
    return out;
}

std::vector<SimDbAtomV*> Atoms(const DbMolecule* mol) {
    std::vector<SimDbAtomV*> out;
    for (POSITION pos = mol->GetAtomHeadPosition(); pos;)
        out.push_back(dynamic_cast<SimDbAtomV*>(mol->GetAtomNext(pos)));
    return out;
}

TEST(KelDbSim, EmptyUntilLoadedAndCopiesCarryNoFileData) {
    KelDbSim sim;
    double H[3][3];
    sim.SimDbMolCrystal::GetHmatrix(H);
    EXPECT_EQ(sim.m_fH[0][0], static_cast<float>(H[0][0]));
    EXPECT_EQ(sim.m_fOrgH[2][2], static_cast<float>(H[2][2]));
    EXPECT_EQ(sim.m_nStepCount, 2);
    EXPECT_EQ(sim.m_nThermoCount, 6);
    sim.UpdateMcr(1, 1, 1);  // nothing loaded: nothing happens
    EXPECT_EQ(sim.GetMolCount(), 0);

    OpenFile f(Small(3));
    sim.ReadHead(&f.in);
    sim.ReadStep(&f.in, 2);
    sim.UpdateMcr(1, 1, 1);
    sim.CreateTraj(&f.in, 0, 3, 3, 1, 1, 1);
    std::unique_ptr<DbComp> copy(sim.Copy());
    auto* other = dynamic_cast<KelDbSim*>(copy.get());
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->GetMolCount(), 2);
    EXPECT_EQ(other->m_traj.GetTrajCount(), 2);
    EXPECT_EQ(other->m_traj.stepCount, 3);
    EXPECT_EQ(other->m_nHeadSize, 0);
    EXPECT_EQ(other->m_nStepCount, 2);
    EXPECT_TRUE(other->m_ppfThermo.empty());
    // Assignment leaves the target's file data alone.
    KelDbSim target;
    target.ReadHead(&f.in);
    target = *other;
    EXPECT_EQ(target.m_nStepCount, 3);
    EXPECT_EQ(target.GetMolCount(), 2);
    target.DeleteContents();
    EXPECT_EQ(target.GetMolCount(), 0);
    EXPECT_EQ(target.m_traj.GetTrajCount(), 0);
    EXPECT_EQ(target.m_nHeadSize, 0);
}

TEST(KelDbSim, UpdateMcrWrapsMoleculesWholeAndAtomsAlone) {
    SimFileDef d = Small(2);
    OpenFile f(d);
    KelDbSim sim;
    sim.ReadHead(&f.in);
    sim.ReadStep(&f.in, 1);
    for (int px : {1, 0}) {
        SCOPED_TRACE(px);
        sim.UpdateMcr(px, 1, 1);
        const auto mols = Molecules(sim);
        ASSERT_EQ(mols.size(), 2u);
        ASSERT_NE(mols[0], nullptr);
        EXPECT_EQ(mols[0]->GetName(), "WAT");
        EXPECT_EQ(mols[1]->GetName(), "ION");
        const auto water = Atoms(mols[0]);
        ASSERT_EQ(water.size(), 3u);
        const double shift = px ? -1.0 : 0.0;
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_NEAR(water[i]->position.x, d.frames[0].x[i] + shift, 1e-9) << i;
        EXPECT_NEAR(water[1]->position.y, 0.05, 1e-7);
        EXPECT_EQ(mols[0]->GetBondCount(), 2);
        EXPECT_EQ(mols[0]->GetBondAt(1)->secondAtom, 3);
        EXPECT_EQ(mols[0]->GetBondAt(1)->GetName(), "1 ");
        const auto ion = Atoms(mols[1]);
        ASSERT_EQ(ion.size(), 1u);
        EXPECT_NEAR(ion[0]->position.x, px ? 0.4 : -0.6, 1e-7);
        EXPECT_EQ(mols[1]->GetBondCount(), 0);
        EXPECT_EQ(sim.GetMolTypeCount(), 2);
    }
    EXPECT_DOUBLE_EQ(sim.a, 10.0);
    EXPECT_DOUBLE_EQ(sim.c, 11.0);  // the step's cell
}

TEST(KelDbSim, NamesWithControlBytesStillWriteAsText) {
    SimFileDef d = Small(1);
    d.types[0].name = "W\nT";
    d.types[0].atoms[0].name = "O\n";
    d.types[0].atoms[1].name = "H\t1";
    d.types[0].bonds[0].name = "1\r";
    OpenFile f(d);
    KelDbSim sim;
    sim.ReadHead(&f.in);
    sim.ReadStep(&f.in, 1);
    sim.UpdateMcr(1, 1, 1);
    const std::string text = testing::written([&](FileStream& out) { sim.WriteMcrdb(out); });
    KelDbMolCrystal again;
    testing::readText(text, [&](FileStream& in) { again.ReadMcrdb(in); });
    ASSERT_EQ(again.GetMolCount(), 2);
    const auto* water = again.GetMolAt(0);
    EXPECT_EQ(water->GetName(), "W?T");
    EXPECT_EQ(water->GetAtomAt(0)->GetName(), "O?");
    EXPECT_EQ(water->GetAtomAt(1)->GetName(), "H?1");
    EXPECT_EQ(water->GetBondAt(0)->GetName(), "1?");
}

TEST(KelDbSim, AtomsCarryTemperatureEnergiesAndInputFlags) {
    OpenFile f(Small(2));
    KelDbSim sim;
    sim.ReadHead(&f.in);
    InpFileDef inp;
    inp.types = {{3, 2, 1}, {1, 0, 1}};
    for (int i = 0; i < 4; ++i) {
        InpAtom a;
        a.flag = i == 3 ? 3 : 0;
        a.a[1] = i;
        a.b[2] = -i;
        inp.atoms.push_back(a);
    }
    TempFile inpFile(WriteInpFile(inp));
    CFile inpIn(inpFile.path.c_str(), CFile::modeRead);
    sim.ReadInpInfo(&inpIn);
    sim.ReadStep(&f.in, 1);
    sim.UpdateMcr(1, 1, 1);
    const auto mols = Molecules(sim);
    ASSERT_EQ(mols.size(), 2u);
    const SimDbAtomV* carbon = Atoms(mols[1])[0];
    const SimDbAtomV* oxygen = Atoms(mols[0])[0];
    ASSERT_NE(carbon, nullptr);
    EXPECT_EQ(carbon->GetName(), "C   ");
    EXPECT_NEAR(carbon->velocity.x, 0.01, 1e-9);  // 0.001 cells of 10 Å per step
    EXPECT_NEAR(carbon->temperature, 481.1, 0.05);
    EXPECT_NEAR(carbon->internal, 9.963e-21, 0.001e-21);
    EXPECT_EQ(carbon->potential, 0.0);
    EXPECT_EQ(carbon->mass, 12.0);
    EXPECT_FLOAT_EQ(static_cast<float>(carbon->charge), 0.5f);
    EXPECT_EQ(carbon->radius, TblAtom::GetRadius(TblAtom::FindRegIndex("C   ")));
    EXPECT_EQ(carbon->flag, 3);
    EXPECT_EQ(carbon->flag3.y, 3.0);
    EXPECT_EQ(carbon->flag2.z, -3.0);
    EXPECT_EQ(oxygen->potential, -10000000.0);
    EXPECT_EQ(oxygen->internal, -10000000.0);
    EXPECT_EQ(oxygen->temperature, 0.0);
    EXPECT_EQ(oxygen->flag, 0);
    EXPECT_EQ(sim.m_dSpeedMin, 0.0);
    EXPECT_NEAR(sim.m_dSpeedMax, 0.01, 1e-9);
    EXPECT_NEAR(sim.m_dTempMax, 481.1, 0.05);
    EXPECT_EQ(sim.m_dInternalMin, -10000000.0);
    EXPECT_EQ(sim.m_dPotentialMax, 0.0);
    // Step 0: the initial structure at rest.
    sim.ReadStep(&f.in, 0);
    sim.UpdateMcr(1, 1, 1);
    EXPECT_EQ(sim.m_dSpeedMax, 0.0);
    EXPECT_EQ(sim.m_dPotentialMin, 0.0);
    EXPECT_NEAR(Atoms(Molecules(sim)[1])[0]->position.x, -0.45, 1e-7);
}

// The third cell vector's length is 10 + step, so each stored matrix names its step.
std::vector<int> SampledSteps(const KelDbSim& sim) {
    std::vector<int> steps;
    for (int k = 0; k < sim.m_traj.stepCount; ++k)
        steps.push_back(static_cast<int>(sim.m_traj.matrices[k][2][2]) - 10);
    return steps;
}

TEST(KelDbSim, CreateTrajSamplesStepsAndFlagsImageChanges) {
    OpenFile f(Small(12));
    KelDbSim sim;
    sim.ReadHead(&f.in);
    sim.CreateTraj(&f.in, 10, 2, 5, 1, 1, 1);
    EXPECT_EQ(SampledSteps(sim), (std::vector<int>{2, 4, 6, 8, 10}));
    ASSERT_EQ(sim.m_traj.GetTrajCount(), 2);
    const DbTrajLine* water = sim.m_traj.GetTrajAt(0);
    const DbTrajLine* carbon = sim.m_traj.GetTrajAt(1);
    EXPECT_EQ(water->GetName(), "WAT");
    EXPECT_EQ(carbon->GetName(), "C   (ION)");
    ASSERT_EQ(carbon->pointCount, 5);
    // The carbon crosses into the next cell along a between steps 8 and 10.
    std::vector<int> images, flags;
    for (int k = 0; k < 5; ++k) {
        images.push_back(carbon->points[k].imageA);
        flags.push_back(carbon->points[k].segmentFlag);
    }
    EXPECT_EQ(images, (std::vector<int>{0, 0, 0, 0, 1}));
    EXPECT_EQ(flags, (std::vector<int>{1, 1, 1, 0, 0}));
    EXPECT_NEAR(carbon->points[4].position.x, -0.45, 1e-6);
    EXPECT_NEAR(carbon->points[0].position.x, -0.25, 1e-6);
    EXPECT_EQ(water->points[2].imageA, 1);
    EXPECT_NEAR(water->points[2].position.x, -0.3, 1e-6);
    EXPECT_EQ(water->points[2].imageB, 0);
    // Afterwards the last step is loaded and shown.
    EXPECT_EQ(sim.m_nCurStep, 10);
    EXPECT_DOUBLE_EQ(sim.c, 20.0);
    EXPECT_EQ(sim.GetMolCount(), 2);
    EXPECT_EQ(sim.m_traj.firstCell.matrix[2][2], 12.0);

    // Along an axis that is not periodic the crossing neither wraps nor hides the segment.
    sim.CreateTraj(&f.in, 2, 10, 5, 0, 1, 1);
    carbon = sim.m_traj.GetTrajAt(1);
    EXPECT_EQ(carbon->points[3].segmentFlag, 1);
    EXPECT_NEAR(carbon->points[4].position.x, 0.55, 1e-6);

    sim.CreateTraj(&f.in, 0, 3, 10, 1, 1, 1);  // more points than steps: one per step
    EXPECT_EQ(SampledSteps(sim), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(sim.m_traj.GetTrajAt(0)->pointCount, 4);
    sim.CreateTraj(&f.in, 0, 10, 4, 1, 1, 1);  // interval 10/3
    EXPECT_EQ(SampledSteps(sim), (std::vector<int>{0, 3, 6, 10}));

    // Arguments out of range change nothing.
    const std::vector<std::vector<int>> outside{
        {0, 10, 1}, {0, 10, 13}, {4, 4, 3}, {0, 13, 3}, {-1, 5, 3}};
    for (const auto& args : outside) {
        sim.CreateTraj(&f.in, args[0], args[1], args[2], 1, 1, 1);
        EXPECT_EQ(SampledSteps(sim), (std::vector<int>{0, 3, 6, 10}));
    }
}

TEST(KelDbSim, VariablePopulationTrajectories) {
    SimFileDef d = Small(4, true);
    d.types[0].molCount0 = 2;  // two waters, one carbon: 7 atoms
    d.x0 = {0.1f, 0.1f, 0.1f, 0.2f, 0.2f, 0.2f, 0.3f};
    d.y0 = d.z0 = std::vector<float>(7, 0.0f);
    for (int k = 0; k < 4; ++k) {
        FrameDef& f = d.frames[static_cast<std::size_t>(k)];
        f.x = {0.1f, 0.1f, 0.1f, 0.2f, 0.2f, 0.2f, 0.3f};
        f.y = f.z = f.vx = f.ep = {};
    }
    d.frames[1].molCounts = {1, 1};  // a water left
    d.frames[1].atomCount = 4;
    d.frames[1].x = {0.1f, 0.1f, 0.1f, 0.3f};
    d.frames[2].molCounts = {3, 0};  // three waters, no carbon
    d.frames[2].atomCount = 9;
    d.frames[2].x = std::vector<float>(9, 0.4f);
    d.frames[3].molCounts = {2, 5};  // five carbons named, room for one
    d.frames[3].atomCount = 7;
    OpenFile f(d);
    KelDbSim sim;
    std::vector<std::string> warnings;
    sim.SetWarningSink([&](const CString& w) { warnings.push_back(w); });
    sim.ReadHead(&f.in);
    sim.CreateTraj(&f.in, 1, 4, 4, 1, 1, 1);
    ASSERT_EQ(sim.m_traj.GetTrajCount(), 3);  // two waters and one carbon at step 1
    std::vector<int> second, carbon;
    for (int k = 0; k < 4; ++k) {
        second.push_back(sim.m_traj.GetTrajAt(1)->points[k].imageA);
        carbon.push_back(sim.m_traj.GetTrajAt(2)->points[k].imageA);
    }
    const int unset = DbTrajPoint::kImageNotSet;
    EXPECT_EQ(second, (std::vector<int>{0, unset, 0, 0}));
    EXPECT_EQ(carbon, (std::vector<int>{0, 0, unset, 0}));
    EXPECT_NEAR(sim.m_traj.GetTrajAt(1)->points[2].position.x, 0.4, 1e-6);
    // The last step names more carbons than it holds atoms for: the crystal shows what fits.
    EXPECT_EQ(sim.m_nCurStep, 4);
    EXPECT_EQ(sim.GetMolCount(), 3);
    ASSERT_FALSE(warnings.empty());
    EXPECT_NE(warnings.back().find("4 molecules left out"), std::string::npos) << warnings.back();
}

TEST(KelDbSim, HugeMoleculeCountsStayBoundedByTheFrame) {
    // A type without atoms and two carbon types each counting 2^31 - 1 molecules, in a file of
    // five atoms: the water and two carbons are shown, the rest left out without overflow.
    SimFileDef d = Small(2);
    const int most = 0x7fffffff;
    d.types.insert(d.types.begin() + 1, TypeDef{"NONE", most, {}, {}});
    d.types[2].molCount0 = most;
    d.types.push_back({"KR", most, {{"Kr", 84.0f, 0.0f, 36}}, {}});
    d.atomCount = 5;
    OpenFile f(d);
    KelDbSim sim;
    std::vector<std::string> warnings;
    sim.SetWarningSink([&](const CString& w) { warnings.push_back(w); });
    sim.ReadHead(&f.in);
    sim.ReadStep(&f.in, 1);
    sim.UpdateMcr(1, 1, 1);
    EXPECT_EQ(sim.GetMolCount(), 3);
    ASSERT_FALSE(warnings.empty());
    EXPECT_NE(warnings.back().find("4294967292 molecules left out"), std::string::npos)
        << warnings.back();
    sim.CreateTraj(&f.in, 0, 2, 2, 1, 1, 1);
    EXPECT_EQ(sim.m_traj.GetTrajCount(), 3);
}

TEST(KelDbSim, FailedLoadInATrajectoryKeepsWhatWasBuilt) {
    SimFileDef d = Small(4, true);
    d.frames[2].atomCount = 0;
    d.frames[2].molCounts = {0, 0};
    OpenFile f(d);
    KelDbSim sim;
    sim.ReadHead(&f.in);
    try {
        sim.CreateTraj(&f.in, 1, 4, 4, 1, 1, 1);
        ADD_FAILURE();
    } catch (const FsException& e) {
        EXPECT_EQ(e.code, 1);
    }
    ASSERT_EQ(sim.m_traj.GetTrajCount(), 2);
    const DbTrajLine* carbon = sim.m_traj.GetTrajAt(1);
    EXPECT_EQ(carbon->points[1].imageA, 0);  // step 2 was stored
    EXPECT_EQ(carbon->points[2].imageA, DbTrajPoint::kImageNotSet);
    // The crystal shows step 2, the last point built; the step state is that of the failed walk.
    EXPECT_EQ(sim.m_nCurStep, 2);
    EXPECT_DOUBLE_EQ(sim.c, 12.0);
    ASSERT_EQ(sim.GetMolCount(), 2);
    EXPECT_NEAR(Atoms(Molecules(sim)[1])[0]->position.x, -0.25, 1e-6);
    EXPECT_EQ(sim.m_nCurAtomCount, 0);
}

TEST(KelDbInp, CopiesItsFieldsAndTheCrystal) {
    KelDbInp inp;
    EXPECT_EQ(inp.vertex, Vertex3D(0, 0, 0));
    EXPECT_EQ(inp.value1, 1.0);
    EXPECT_EQ(inp.value2, 1.0);
    inp.vertex = Vertex3D(1, 2, 3);
    inp.value2 = 4.5;
    inp.SetName("INPUT");
    inp.molCrystal.SetName("SECOND");
    inp.AppendMol(new SimDbMolecule("M"));
    std::unique_ptr<DbComp> copy(inp.Copy());
    auto* other = dynamic_cast<KelDbInp*>(copy.get());
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->vertex, Vertex3D(1, 2, 3));
    EXPECT_EQ(other->value2, 4.5);
    EXPECT_EQ(other->GetName(), "INPUT");
    EXPECT_EQ(other->molCrystal.GetName(), "SECOND");
    EXPECT_EQ(other->GetMolCount(), 1);
    EXPECT_NE(other->GetMolAt(0), inp.GetMolAt(0));
}

} // namespace
} // namespace qrtz
