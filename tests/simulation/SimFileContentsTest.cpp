#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "qrtzdb/basis/KelException.h"
#include "qrtzdb/model/DbComp.h"
#include "qrtzdb/simulation/SimFileContents.h"
#include "simulation/SimFileWriter.h"

namespace qrtz {
namespace {

using namespace simtest;

// Opens the protected formulas to the tests.
struct Contents : SimFileContents {
    using SimFileContents::CalcDensity;
    using SimFileContents::CalcInternal;
    using SimFileContents::CalcLatticeConst;
    using SimFileContents::CalcTemperature;
    using SimFileContents::SetMinMax;
};

int magic(std::uint32_t hex) { return static_cast<std::int32_t>(hex); }

struct Layout {
    const char* name;
    bool oldest;
    int magic;
    int thermo, extra, skip, coordRecs;  // used by version-4 files only
};

const Layout kLayouts[] = {
    {"oldest", true, 0, 0, 0, 0, 3},
    {"Bk v3", false, magic(0xCDB0B0B2u), 0, 0, 0, 3},
    {"Sp v3", false, magic(0xCDB0B2B2u), 0, 0, 0, 3},
    {"Bk v4", false, magic(0xCDB0B3BCu), 14, 2, 3, 5},
    {"Sp v4", false, magic(0xCDB0B3BDu), 8, 6, 1, 4},
};

// Two water molecules (a molecule type) and one "ION" atom type of three atoms: 9 atoms.
SimFileDef System(const Layout& layout, int frames, bool swap = false) {
    SimFileDef d;
    d.oldest = layout.oldest;
    d.magic = layout.magic;
    d.thermoCount = layout.thermo;
    d.extraCount = layout.extra;
    d.skipCount = layout.skip;
    d.coordRecCount = layout.coordRecs;
    d.swap = swap;
    d.title = "water and salt";
    d.total = frames;
    d.first = 1;
    d.last = frames;
    d.dt = 2.0f;
    TypeDef water{"W A T", 2, {{"O", 16.0f, -0.8f, 8}, {"H", 1.0f, 0.4f, 1}, {"H", 1.0f, 0.4f, 1}},
                  {{1, 2, "1 "}, {1, 3, "1"}}};
    TypeDef ion{"ION", 1,
                {{"Na", 23.0f, 1.0f, 11}, {"Cl", 35.5f, -1.0f, 17}, {"Na", 23.0f, 1.0f, 11}},
                {}};
    d.types = {water, ion};
    for (int i = 0; i < 9; ++i) {
        d.x0.push_back(0.01f * static_cast<float>(i));
        d.y0.push_back(-0.02f * static_cast<float>(i));
        d.z0.push_back(0.25f);
    }
    d.cell0[0] = 20;
    d.cell0[4] = 21;
    d.cell0[8] = 22;
    for (int k = 1; k <= frames; ++k) {
        FrameDef f;
        const auto fk = static_cast<float>(k);
        for (int q = 0; q < 21; ++q) f.thermo.push_back(100.0f * fk + static_cast<float>(q));
        for (int q = 0; q < 6; ++q) f.extra.push_back(-fk - 0.5f * static_cast<float>(q));
        f.cell[0] = 10 + fk;
        f.cell[4] = 11 + fk;
        f.cell[8] = 12 + fk;
        f.cell[3] = 0.5f;  // the second cell vector leans along x
        for (int i = 0; i < 9; ++i) {
            const auto fi = static_cast<float>(i);
            f.x.push_back(0.01f * fi + 0.001f * fk);
            f.y.push_back(-0.01f * fi);
            f.z.push_back(0.1f * fk);
            f.vx.push_back(0.001f * fk);
            f.vy.push_back(0.002f * fi);
            f.vz.push_back(-0.003f);
            f.ep.push_back(-fi - fk);
        }
        f.extraRecords = {std::string(12, 'e'), std::string(4, 'f')};
        d.frames.push_back(f);
    }
    return d;
}

// Reads bytes as a result file; the file is gone afterwards, so no step can be loaded.
void Load(SimFileContents& sim, const std::string& bytes) {
    TempFile file(bytes);
    CFile64 in(file.path.c_str(), CFile::modeRead);
    sim.ReadHead(&in);
}

// The code and message of the failure to load bytes; code 0 when they load.
std::pair<int, std::string> Failure(const std::string& bytes) {
    Contents sim;
    try {
        Load(sim, bytes);
    } catch (const FsException& e) {
        EXPECT_EQ(sim.m_nHeadSize, 0);
        return {e.code, e.Message()};
    }
    return {0, {}};
}

int CodeOf(const std::string& bytes) { return Failure(bytes).first; }

TEST(SimFileContents, HeaderOfEveryLayoutInBothByteOrders) {
    for (const Layout& layout : kLayouts) {
        for (bool swap : {false, true}) {
            SCOPED_TRACE(std::string(layout.name) + (swap ? " swapped" : ""));
            const SimFileDef d = System(layout, 3, swap);
            RecordWriter head(swap);
            WriteHeader(head, d);
            RecordWriter first(swap);
            WriteFrame(first, d, d.frames[0]);
            Contents sim;
            Load(sim, WriteSimFile(d));

            EXPECT_EQ(sim.m_nMagicNo, layout.magic);
            EXPECT_EQ(sim.m_bSp, d.Sp() ? 1 : 0);
            const auto title = static_cast<std::size_t>(
                layout.oldest ? 20 : MagicNo::GetFileTitleLength(layout.magic));
            EXPECT_EQ(std::string(sim.m_szTitle), Rec().T(d.title, title).data);
            EXPECT_EQ(std::string(sim.m_szText46), Rec().T(d.text46, 46).data);
            EXPECT_EQ(std::string(sim.m_szText80), Rec().T(d.text80, 80).data);
            EXPECT_EQ(sim.m_nHeadSize, static_cast<int>(head.bytes.size()));
            EXPECT_EQ(sim.m_nStepSize, static_cast<int>(first.bytes.size()));
            EXPECT_EQ(sim.GetFrameOffset(2),
                      static_cast<std::int64_t>(head.bytes.size() + 2 * first.bytes.size()));
            EXPECT_EQ(sim.GetFrameOffset(3), -1);
            EXPECT_EQ((std::vector<int>{sim.m_nStepCount, sim.m_nTotalStep, sim.m_nStartStep,
                                        sim.m_nEndStep, sim.m_nInterval, sim.m_nParam1,
                                        sim.m_nParam3, sim.m_nAtomCount, sim.m_nMolTypeCount}),
                      (std::vector<int>{3, 3, 1, 3, 1, 11, 13, 9, 2}));
            EXPECT_EQ(sim.m_fDt, 2.0f);
            EXPECT_EQ(sim.m_fParam4, 14.5f);
            EXPECT_EQ((std::vector<int>{sim.m_nThermoCount, sim.m_nExtraCount, sim.m_nSkipCount,
                                        sim.m_nCoordRecCount}),
                      (std::vector<int>{d.T(), d.X(), d.K(), d.C()}));

            ASSERT_EQ(sim.m_ppMolTypeName.size(), 2u);
            EXPECT_STREQ(sim.m_ppMolTypeName[0], "WAT");
            EXPECT_STREQ(sim.m_ppMolTypeName[1], "ION");
            EXPECT_EQ(sim.m_pnMolCount0, (std::vector<int>{2, 1}));
            EXPECT_EQ(sim.m_pnMolBondCount, (std::vector<int>{2, 0}));
            EXPECT_EQ(sim.m_pnMolAtomKindCount, (std::vector<int>{2, 2}));
            EXPECT_EQ(sim.m_ppnAtomCode[1], (std::vector<int>{11, 17, 11}));
            EXPECT_STREQ(sim.m_ppAtomName[0][0], "O   ");  // zero bytes become blanks
            EXPECT_STREQ(sim.m_ppAtomName[1][1], "Cl  ");
            EXPECT_EQ(sim.m_ppfAtomCharge[0][0], -0.8f);
            EXPECT_EQ(sim.m_pfMolMass, (std::vector<float>{18.0f, 81.5f}));
            EXPECT_EQ(sim.m_ppnBondAtom2[0], (std::vector<int>{2, 3}));
            EXPECT_TRUE(sim.m_ppnBondAtom1[1].empty());
            EXPECT_EQ(std::memcmp(sim.m_ppBondName[0][1].text, "1\0\0\0", 5), 0);  // kept as stored
            EXPECT_EQ(sim.m_pfY0[8], -0.16f);
            EXPECT_EQ(sim.m_fOrgH[1][1], 21.0f);
            EXPECT_EQ(sim.m_fOrgH[0][1], 0.0f);
            EXPECT_EQ(sim.m_pnInpFlag.size(), 9u);
            EXPECT_EQ(sim.m_pfX.size(), 9u);
        }
    }
}

TEST(SimFileContents, SeriesConvertedAndLatticeConstantsFromCells) {
    // Version 4 with 6, 14 and 21 quantities: below 12 the lattice constants come from the
    // cell records, from 12 on from the file.
    for (int thermo : {6, 14, 21}) {
        SCOPED_TRACE(thermo);
        Layout layout = kLayouts[3];
        layout.thermo = thermo;
        SimFileDef d = System(layout, 2);
        d.frames[1].thermo[2] = 0.0f;  // no volume: no density
        Contents sim;
        Load(sim, WriteSimFile(d));
        ASSERT_EQ(sim.m_ppfThermo.size(), 21u);
        ASSERT_EQ(sim.m_ppfThermo[20].size(), 2u);
        const auto& q = sim.m_ppfThermo;
        EXPECT_EQ(q[0][0], 100.0f);
        EXPECT_EQ(q[1][0], 101.0f * 9869.232f);
        EXPECT_EQ(q[3][1], 203.0f * 10000000.0f);
        EXPECT_EQ(q[5][1], 205.0f);
        if (thermo < 12) {
            EXPECT_EQ(q[6][0], 11.0f);
            EXPECT_FLOAT_EQ(q[7][0], std::sqrt(0.25f + 144.0f));
            EXPECT_EQ(q[8][1], 14.0f);
            EXPECT_FLOAT_EQ(q[9][0], 90.0f);
            const double gamma = std::acos(0.5 * 11 / (11 * std::sqrt(144.25)));
            EXPECT_FLOAT_EQ(q[11][0], static_cast<float>(gamma * 57.29577951308232));
            EXPECT_EQ(q[12][0], 0.0f);
        } else {
            EXPECT_EQ(q[6][0], 106.0f);
            EXPECT_EQ(q[11][1], 211.0f);
            EXPECT_EQ(q[12][0], 112.0f * 10000000.0f);
        }
        EXPECT_EQ(q[15][0], thermo > 15 ? 115.0f * 9869.232f : 0.0f);
        EXPECT_EQ(q[20][1], thermo > 20 ? 220.0f * 9869.232f : 0.0f);
        EXPECT_EQ(sim.m_ppfExtra[1][1], -2.5f);
        EXPECT_EQ(sim.m_ppfExtra[2][0], 0.0f);
        // 2 waters of 18 and one salt of 81.5 in a volume of 102.
        EXPECT_FLOAT_EQ(sim.m_pfDensity[0], static_cast<float>(117.5 / (102.0 * 6.0221367e23)));
        EXPECT_EQ(sim.m_pfDensity[1], 0.0f);
    }
}

TEST(SimFileContents, RecordedStepsAndTimeAxis) {
    struct Case { int total, first, last, interval, frames; float t0, t1; };
    const Case cases[] = {
        {10, 2, 8, 3, 3, 0.004f, 0.010f},  // steps 2, 5, 8
        {10, 0, 10, 5, 2, 0.0f, 0.020f},   // steps 5 and 10: counting starts at step 1
        {5, 1, 9, 1, 5, 0.002f, 0.006f},   // the run stopped at step 5
        {4, 3, 3, 1, 1, 0.006f, 0.006f},   // a single frame
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frames);
        SimFileDef d = System(kLayouts[1], c.frames);
        d.total = c.total;
        d.first = c.first;
        d.last = c.last;
        d.interval = c.interval;
        Contents sim;
        Load(sim, WriteSimFile(d));
        EXPECT_EQ(sim.m_nStepCount, c.frames);
        ASSERT_EQ(sim.m_pfTime.size(), static_cast<std::size_t>(c.frames));
        EXPECT_FLOAT_EQ(sim.m_pfTime[0], c.t0);
        if (c.frames > 1) {
            EXPECT_FLOAT_EQ(sim.m_pfTime[1], c.t1);
        }
    }
    SimFileDef d = System(kLayouts[1], 2);
    d.interval = 0;  // steps to record, but no interval
    auto [code, message] = Failure(WriteSimFile(d));
    EXPECT_EQ(code, 1);
    EXPECT_NE(message.find("interval 0"), std::string::npos) << message;
    d.interval = 1;
    d.first = 4;
    d.last = 9;  // nothing within the 2 steps of the run
    std::tie(code, message) = Failure(WriteSimFile(d));
    EXPECT_EQ(code, 1);
    EXPECT_NE(message.find("record no frame"), std::string::npos) << message;
}

// The renaming as stated: restart from the first pair after every rename.
std::vector<std::string> NaiveChamol(std::vector<std::string> names) {
    for (auto& n : names) n.erase(std::remove(n.begin(), n.end(), ' '), n.end());
    for (bool again = true; again;) {
        again = false;
        for (std::size_t i = 0; i < names.size() && !again; ++i)
            for (std::size_t j = i + 1; j < names.size() && !again; ++j) {
                if (names[i] != names[j]) continue;
                DbComp c(names[j].c_str());
                if (c.RenameAsCopy(16)) {
                    names[j] = c.Name();
                    again = true;
                }
            }
    }
    return names;
}

TEST(SimFileContents, TypeNamesBecomeDistinct) {
    auto run = [](const std::vector<std::string>& names) {
        Contents sim;
        sim.m_ppMolTypeName.resize(names.size());
        for (std::size_t i = 0; i < names.size(); ++i)
            std::strncpy(sim.m_ppMolTypeName[i].text, names[i].c_str(), 16);
        sim.UpdateChamol();
        std::vector<std::string> out;
        for (const auto& n : sim.m_ppMolTypeName) out.emplace_back(n.text);
        return out;
    };
    EXPECT_EQ(run({"W A T", "W A T"}), (std::vector<std::string>{"WAT", "WAT~1"}));
    EXPECT_EQ(run({"X", "X", "X"}), (std::vector<std::string>{"X", "X~1", "X~2"}));
    EXPECT_EQ(run({"A", "A~1", "A"}), (std::vector<std::string>{"A", "A~1", "A~2"}));

    // Random lists with many collisions and names at the length limit agree with the naive rule.
    std::mt19937 gen(7);
    const char* pool[] = {"A", "A~1", "A~9", "B C", "BC", "ABCDEFGHIJKLMN~9", "ABCDEFGHIJKLMNOP",
                          "ABCDEFGHIJKLMN", "Q~9~9~9~9~9~9~9"};
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> names(1 + gen() % 25);
        for (auto& n : names) n = pool[gen() % std::size(pool)];
        EXPECT_EQ(run(names), NaiveChamol(names));
    }
    // Thousands of equal names finish quickly; those left equal have no copy name left.
    const auto many = run(std::vector<std::string>(3000, "W"));
    EXPECT_EQ(many[1], "W~1");
    EXPECT_EQ(many[10], "W~9~1");
}

TEST(SimFileContents, EntryTableFromTypesAndKinds) {
    SimFileDef d = System(kLayouts[3], 1);
    d.types.push_back({"OHH", 1, {{"O"}, {"H"}, {"H"}}, {}});
    d.types.push_back({"MORE", 1, {{"C"}, {"C"}, {"N"}}, {}, 0, 3});  // declares a third kind
    d.types[1].kinds = 1;                                              // declares fewer kinds
    Contents sim;
    Load(sim, WriteSimFile(d));
    ASSERT_EQ(sim.m_nEntryCount, 7);
    std::vector<std::string> names;
    for (const auto& n : sim.m_ppEntryName) names.emplace_back(n.text);
    EXPECT_EQ(names, (std::vector<std::string>{"WAT", "Na  ", "O   ", "H   ", "C   ", "N   ", ""}));
    EXPECT_EQ(std::string(sim.m_pcEntryKind.begin(), sim.m_pcEntryKind.end()), "maaaaaa");
    EXPECT_EQ(sim.m_pnEntryMolType, (std::vector<int>{0, 1, 2, 2, 3, 3, 3}));
    EXPECT_EQ(sim.m_pnEntryAtomKind, (std::vector<int>{0, 0, 0, 1, 0, 1, 2}));
    EXPECT_EQ(sim.m_pnEntryIndex0, sim.m_pnEntryMolType);
    EXPECT_EQ(sim.m_pnMolTypeIndex, (std::vector<int>{0, -1, -1, -1}));
    ASSERT_EQ(sim.m_pppMolAtomKindName[0].size(), 2u);
    EXPECT_STREQ(sim.m_pppMolAtomKindName[0][1], "H   ");
    EXPECT_EQ(sim.m_pppMolAtomKindName[1].size(), 1u);

    d.types[3].kinds = 4;  // more kinds than atoms
    EXPECT_EQ(CodeOf(WriteSimFile(d)), 1);
}

TEST(SimFileContents, StepsLoadStraightFromTheIndex) {
    for (const Layout& layout : kLayouts) {
        for (bool swap : {false, true}) {
            SCOPED_TRACE(std::string(layout.name) + (swap ? " swapped" : ""));
            const SimFileDef d = System(layout, 4, swap);
            TempFile file(WriteSimFile(d));
            CFile64 in(file.path.c_str(), CFile::modeRead);
            Contents sim;
            sim.ReadHead(&in);
            for (int step : {4, 1, 3}) {
                sim.ReadStep(&in, step);
                const FrameDef& f = d.frames[static_cast<std::size_t>(step - 1)];
                EXPECT_EQ(sim.m_nCurStep, step);
                EXPECT_EQ(sim.m_fH[0][0], f.cell[0]);
                EXPECT_EQ(sim.m_fH[0][1], 0.5f);  // column 1 is the second cell vector
                EXPECT_EQ(sim.m_fH[1][0], 0.0f);
                EXPECT_EQ(sim.m_fH[2][2], f.cell[8]);
                EXPECT_EQ(std::vector<float>(sim.m_pfX.begin(), sim.m_pfX.begin() + 9), f.x);
                EXPECT_EQ(std::vector<float>(sim.m_pfVy.begin(), sim.m_pfVy.begin() + 9), f.vy);
                EXPECT_EQ(std::vector<float>(sim.m_pfEp.begin(), sim.m_pfEp.begin() + 9), f.ep);
            }
            sim.ReadStep(&in, 5);  // beyond the last frame: nothing changes
            EXPECT_EQ(sim.m_nCurStep, 3);
            sim.ReadStep(&in, 0);
            EXPECT_EQ(sim.m_nCurStep, 0);
            EXPECT_EQ(sim.m_fH[1][1], 21.0f);
            EXPECT_EQ(sim.m_pfY[8], -0.16f);
            EXPECT_EQ(sim.m_pfVx[3], 0.0f);
            EXPECT_EQ(sim.m_pfEp[8], 0.0f);
        }
    }
}

TEST(SimFileContents, PositionsReadAloneMatchTheLoadedSteps) {
    for (const Layout& layout : {kLayouts[1], kLayouts[4]}) {
        for (bool swap : {false, true}) {
            SCOPED_TRACE(std::string(layout.name) + (swap ? " swapped" : ""));
            SimFileDef d = System(layout, 4, swap);
            if (d.Sp()) d.frames[1].atomCount = 6, d.frames[1].molCounts = {2, 0};
            TempFile file(WriteSimFile(d));
            CFile64 in(file.path.c_str(), CFile::modeRead);
            Contents sim;
            sim.ReadHead(&in);
            sim.ReadStep(&in, 3);
            std::vector<float> xyz;
            auto buffer = [&xyz](int atoms) {
                xyz.assign(3 * static_cast<std::size_t>(atoms), -9.0f);
                return xyz.data();
            };
            for (int step : {4, 0, 2, 1}) {
                float h[3][3];
                const int n = sim.ReadPositions(&in, step, h, buffer);
                Contents loaded;
                loaded.ReadHead(&in);
                loaded.ReadStep(&in, step);
                ASSERT_EQ(n, loaded.m_nCurAtomCount);
                ASSERT_EQ(xyz.size(), 3 * static_cast<std::size_t>(n));
                const auto N = static_cast<std::ptrdiff_t>(n);
                EXPECT_TRUE(std::equal(xyz.begin(), xyz.begin() + N, loaded.m_pfX.begin()));
                EXPECT_TRUE(std::equal(xyz.begin() + 2 * N, xyz.end(), loaded.m_pfZ.begin()));
                EXPECT_EQ(std::memcmp(h, loaded.m_fH, sizeof h), 0);
            }
            // The loaded step is left alone.
            EXPECT_EQ(sim.m_nCurStep, 3);
            EXPECT_EQ(sim.m_pfZ[0], d.frames[2].z[0]);
            float h[3][3];
            EXPECT_THROW(sim.ReadPositions(&in, 5, h, buffer), FsException);
            EXPECT_THROW(sim.ReadPositions(&in, -1, h, buffer), FsException);
        }
    }
    // A file cut after its header was read: the frame is no longer there.
    const SimFileDef d = System(kLayouts[1], 3);
    const std::string bytes = WriteSimFile(d);
    TempFile file(bytes);
    CFile64 in(file.path.c_str(), CFile::modeRead);
    Contents sim;
    sim.ReadHead(&in);
    file.Write(bytes.substr(0, bytes.size() - 200));  // into the last position record
    std::vector<float> xyz;
    auto buffer = [&xyz](int atoms) {
        xyz.resize(3 * static_cast<std::size_t>(atoms));
        return xyz.data();
    };
    float h[3][3];
    EXPECT_EQ(sim.ReadPositions(&in, 2, h, buffer), 9);
    try {
        sim.ReadPositions(&in, 3, h, buffer);
        ADD_FAILURE() << "read a frame the file no longer holds";
    } catch (const FsException& e) {
        EXPECT_EQ(e.code, 1);
        EXPECT_NE(e.Message().find("frame 3"), std::string::npos) << e.Message();
    }
}

TEST(SimFileContents, VariablePopulationFrames) {
    SimFileDef d = System(kLayouts[4], 5);
    d.frames[0].atomCount = -1;           // all atoms
    d.frames[1].atomCount = 6;            // the salt has left
    d.frames[1].molCounts = {2, 0};
    d.frames[2].atomCount = 12;           // a fourth atom of salt: arrays grow
    d.frames[2].molCounts = {-1, 99};     // both fall back to the initial counts
    d.frames[3].molCounts = {0, 1};       // no water
    TempFile file(WriteSimFile(d));
    CFile64 in(file.path.c_str(), CFile::modeRead);
    Contents sim;
    sim.ReadHead(&in);
    ASSERT_EQ(sim.m_nStepCount, 5);
    EXPECT_EQ(sim.m_pfX.size(), 12u);
    // The scan keeps the counts as stored for the densities.
    EXPECT_FLOAT_EQ(sim.m_pfDensity[1], static_cast<float>(36.0 / (202.0 * 6.0221367e23)));
    EXPECT_FLOAT_EQ(sim.m_pfDensity[2],
                    static_cast<float>((-18.0 + 99 * 81.5) / (302.0 * 6.0221367e23)));

    sim.ReadStep(&in, 1);
    EXPECT_EQ(sim.m_nCurAtomCount, 9);
    sim.ReadStep(&in, 2);
    EXPECT_EQ(sim.m_nCurAtomCount, 6);
    EXPECT_EQ(sim.m_pnMolCount, (std::vector<int>{2, 0}));
    EXPECT_EQ(sim.m_pnMolTypeIndex, (std::vector<int>{0, -1}));
    EXPECT_EQ(sim.m_pnEntryIndex, (std::vector<int>{0, -1, -1}));
    sim.ReadStep(&in, 3);
    EXPECT_EQ(sim.m_nCurAtomCount, 12);
    EXPECT_EQ(sim.m_pnMolCount, (std::vector<int>{2, 1}));
    EXPECT_EQ(sim.m_pnEntryIndex, (std::vector<int>{0, 1, 1}));
    sim.ReadStep(&in, 4);
    EXPECT_EQ(sim.m_pnMolTypeIndex, (std::vector<int>{-1, 0}));
    EXPECT_EQ(sim.m_pnEntryIndex, (std::vector<int>{-1, 0, 0}));
    sim.ReadStep(&in, 0);
    EXPECT_EQ(sim.m_nCurAtomCount, 9);
    EXPECT_EQ(sim.m_pnMolCount, (std::vector<int>{2, 1}));
    EXPECT_EQ(sim.m_pnEntryIndex, (std::vector<int>{0, 1, 1}));
}

TEST(SimFileContents, FrameWithoutAtomsStopsEveryLaterStep) {
    SimFileDef d = System(kLayouts[4], 5);
    d.frames[1].molCounts = {0, 1};
    d.frames[1].atomCount = 3;
    d.frames[2].atomCount = 0;
    d.frames[2].molCounts = {2, 0};
    d.frames[2].cell[0] = 77;
    TempFile file(WriteSimFile(d));
    CFile64 in(file.path.c_str(), CFile::modeRead);
    Contents sim;
    sim.ReadHead(&in);
    ASSERT_EQ(sim.m_nStepCount, 5);
    sim.ReadStep(&in, 2);
    EXPECT_EQ(sim.m_nCurStep, 2);
    for (int step : {5, 3}) {
        try {
            sim.ReadStep(&in, step);
            ADD_FAILURE() << step;
        } catch (const FsException& e) {
            EXPECT_EQ(e.code, 1);
            EXPECT_NE(e.Message().find("frame 3"), std::string::npos) << e.Message();
        }
        // What the walk leaves: the empty frame's counts (both over its 0 atoms fall back),
        // the present types of the frame before it, the step unchanged.
        EXPECT_EQ(sim.m_nCurAtomCount, 0);
        EXPECT_EQ(sim.m_pnMolCount, (std::vector<int>{2, 0}));
        EXPECT_EQ(sim.m_pnMolTypeIndex, (std::vector<int>{-1, 0}));
        EXPECT_EQ(sim.m_nCurStep, 2);
        EXPECT_EQ(sim.m_fH[0][0], step == 3 ? 77.0f : 12.0f);  // read only when it is the step
    }
    sim.ReadStep(&in, 1);
    EXPECT_EQ(sim.m_nCurStep, 1);

    // Frames without atoms are the smallest there are: all of them count.
    SimFileDef empty = System(kLayouts[4], 6);
    for (FrameDef& f : empty.frames) f.atomCount = 0;
    Contents none;
    Load(none, WriteSimFile(empty));
    EXPECT_EQ(none.m_nStepCount, 6);
}

TEST(SimFileContents, CutFilesKeepTheirCompleteFrames) {
    const SimFileDef d = System(kLayouts[3], 10);
    const std::string bytes = WriteSimFile(d);
    Contents probe;
    Load(probe, bytes);
    const auto frame5 = static_cast<std::size_t>(probe.GetFrameOffset(5));

    std::vector<std::string> warnings;
    std::vector<int> progress;
    Contents sim;
    sim.SetWarningSink([&](const CString& w) { warnings.push_back(w); });
    sim.SetProgressSink([&](int done, int total) { progress.push_back(done * 100 + total); });
    for (std::size_t cut : {frame5 + 100, frame5}) {
        warnings.clear();
        progress.clear();
        Load(sim, bytes.substr(0, cut));
        EXPECT_EQ(sim.m_nStepCount, 5);
        EXPECT_EQ(sim.m_nDeclaredStepCount, 10);
        EXPECT_EQ(sim.m_ppfThermo[0].size(), 5u);
        EXPECT_EQ(sim.m_ppfThermo[0][4], 500.0f);
        EXPECT_EQ(sim.m_pfTime.size(), 5u);
        EXPECT_FLOAT_EQ(sim.m_pfTime[4], 0.010f);  // spread over the ten frames promised
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_NE(warnings[0].find("5 of the 10 frames"), std::string::npos) << warnings[0];
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.back() / 100, 5);
    }
    // Ending in the header or inside the first frame.
    const auto frame0 = static_cast<std::size_t>(probe.GetFrameOffset(0));
    for (std::size_t cut : {std::size_t{0}, std::size_t{3}, std::size_t{30}, frame0 - 5, frame0,
                            frame0 + 60, static_cast<std::size_t>(probe.GetFrameOffset(1)) - 1})
        EXPECT_EQ(CodeOf(bytes.substr(0, cut)), 1) << cut;
    // A whole file scans with progress up to its frame count.
    progress.clear();
    Load(sim, bytes);
    EXPECT_EQ(progress.size(), 10u);
    EXPECT_EQ(progress.back(), 1010);
}

// The header up to the type table, with the given records replaced.
TEST(SimFileContents, MalformedHeadersGiveTheirCodes) {
    const SimFileDef good = System(kLayouts[3], 2);
    const std::string bytes = WriteSimFile(good);
    ASSERT_EQ(CodeOf(bytes), 0);

    auto patched = [&](std::size_t at, std::int32_t value) {
        std::string b = bytes;
        std::memcpy(&b[at], &value, 4);
        return b;
    };
    // First record: magic number record at 0..11, title record 12..12+264.
    EXPECT_EQ(CodeOf(patched(0, 8)), 3);
    EXPECT_EQ(CodeOf(patched(0, -4)), 3);
    EXPECT_EQ(CodeOf(patched(12, 257)), 3);  // title longer than 256
    EXPECT_EQ(CodeOf(patched(12, -1)), 3);
    const std::size_t text46 = 12 + 264;
    EXPECT_EQ(CodeOf(patched(text46, 45)), 3);
    EXPECT_EQ(CodeOf(patched(text46 + 54, 81)), 3);
    const std::size_t counts = text46 + 54 + 88 + 28 + 32;
    auto withCounts = [&](int n, int s, int t, int x, int k, int c) {
        std::string b = bytes;
        const int v[] = {n, s, t, x, k, c};
        std::memcpy(&b[counts + 4], v, sizeof v);
        return b;
    };
    EXPECT_EQ(CodeOf(withCounts(9, 2, 14, 2, 3, 5)), 0);
    EXPECT_EQ(CodeOf(withCounts(0, 2, 14, 2, 3, 5)), 1);
    EXPECT_EQ(CodeOf(withCounts(9, 0, 14, 2, 3, 5)), 1);
    EXPECT_EQ(CodeOf(withCounts(9, 2, 22, 2, 3, 5)), 3);
    EXPECT_EQ(CodeOf(withCounts(9, 2, 14, 7, 3, 5)), 3);
    EXPECT_EQ(CodeOf(withCounts(9, 2, 14, 2, 3, 2)), 1);
    EXPECT_EQ(CodeOf(withCounts(2000000000, 2, 14, 2, 3, 5)), 1);  // refused before allocating
    EXPECT_EQ(CodeOf(withCounts(9, 2000000000, 14, 2, 3, 5)), 1);
    EXPECT_EQ(CodeOf(withCounts(9, 2, 14, 2, 3, 2000000000)), 1);
    EXPECT_EQ(CodeOf(withCounts(9, 2, 14, 2, 1000000000, 5)), 1);

    // No atoms in any type; a type table whose counts are impossible.
    SimFileDef d = good;
    d.atomCount = 9;
    d.types[0].atoms.clear();
    d.types[0].bonds.clear();
    d.types[1].atoms.clear();
    EXPECT_EQ(CodeOf(WriteSimFile(d)), 1);
    const std::size_t table = counts + 32;
    std::string b = bytes;
    const int huge = 1 << 30;
    const std::size_t atomsOfSecond = table + 4 + 32 + 8 + 8 + 4;
    std::memcpy(&b[atomsOfSecond], &huge, 4);
    EXPECT_EQ(CodeOf(b), 3);  // the atom table cannot have that length
    const int negative = -3;
    std::memcpy(&b[atomsOfSecond], &negative, 4);
    EXPECT_EQ(CodeOf(b), 1);

    // A record whose trailing length differs from its leading one.
    EXPECT_EQ(CodeOf(patched(text46 + 4 + 46, 47)), 3);
}

TEST(SimFileContents, MalformedFramesRefusedFirstCutLater) {
    const SimFileDef good = System(kLayouts[4], 4);
    const std::string bytes = WriteSimFile(good);
    Contents probe;
    Load(probe, bytes);
    const auto f0 = static_cast<std::size_t>(probe.GetFrameOffset(0));
    const auto f2 = static_cast<std::size_t>(probe.GetFrameOffset(2));
    // Thermo record (8 values), extra (6), skip (1), cell, atom count, molecule counts,
    // positions: offsets of each leading length within a frame.
    const std::size_t leads[] = {0, 40, 72, 84, 128, 140, 156};
    for (std::size_t lead : leads) {
        SCOPED_TRACE(lead);
        std::string b = bytes;
        b[f0 + lead] ^= 0x40;
        EXPECT_EQ(CodeOf(b), 3);
        b = bytes;
        b[f2 + lead] ^= 0x40;
        std::vector<std::string> warnings;
        Contents sim;
        sim.SetWarningSink([&](const CString& w) { warnings.push_back(w); });
        Load(sim, b);
        EXPECT_EQ(sim.m_nStepCount, 2);
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_NE(warnings[0].find("frame 3"), std::string::npos) << warnings[0];
    }
    // A further coordinate record claiming more bytes than are left: the file is cut there.
    std::string b = bytes;
    const int big = 1 << 30;
    std::memcpy(&b[static_cast<std::size_t>(probe.GetFrameOffset(3)) - 4 - 12 - 4], &big, 4);
    Contents sim;
    Load(sim, b);
    EXPECT_EQ(sim.m_nStepCount, 2);
}

TEST(SimFileContents, CoordinateRecordsCheckedWhenLoaded) {
    const SimFileDef d = System(kLayouts[1], 2);
    std::string bytes = WriteSimFile(d);
    Contents probe;
    Load(probe, bytes);
    // The energy record of the last frame: its length is only read when the frame is loaded.
    const std::size_t energies = bytes.size() - (4 * 9 + 8);
    bytes[energies + 4 + 36] = 1;  // its trailing length
    TempFile file(bytes);
    CFile64 in(file.path.c_str(), CFile::modeRead);
    Contents sim;
    sim.ReadHead(&in);
    ASSERT_EQ(sim.m_nStepCount, 2);
    sim.ReadStep(&in, 1);
    try {
        sim.ReadStep(&in, 2);
        ADD_FAILURE();
    } catch (const FsException& e) {
        EXPECT_EQ(e.code, 3);
    }
    EXPECT_EQ(sim.m_nCurStep, 1);
    // A file cut after the scan: the frame is gone.
    TempFile shorter(bytes.substr(0, bytes.size() - 20));
    CFile64 cut(shorter.path.c_str(), CFile::modeRead);
    try {
        sim.ReadStep(&cut, 2);
        ADD_FAILURE();
    } catch (const FsException& e) {
        EXPECT_EQ(e.code, 1);
    }
}

TEST(SimFileContents, EveryPrefixAndCorruptionIsHandled) {
    const SimFileDef d = System(kLayouts[4], 2);
    const std::string bytes = WriteSimFile(d);
    TempFile file("");
    auto attempt = [&](const std::string& b) {
        file.Write(b);
        CFile64 in(file.path.c_str(), CFile::modeRead);
        Contents sim;
        try {
            sim.ReadHead(&in);
            for (int step = 0; step <= sim.m_nStepCount; ++step) sim.ReadStep(&in, step);
        } catch (const FsException& e) {
            EXPECT_TRUE(e.code == 1 || e.code == 3);
        }
    };
    for (std::size_t cut = 0; cut < bytes.size(); cut += 7) attempt(bytes.substr(0, cut));
    std::mt19937 gen(3);
    for (int round = 0; round < 300; ++round) {
        std::string b = bytes;
        for (int k = 0; k < 3; ++k) b[gen() % b.size()] = static_cast<char>(gen());
        attempt(b);
    }
}

TEST(SimFileContents, InputFileFlagsAndVectors) {
    Contents sim;
    Load(sim, WriteSimFile(System(kLayouts[3], 1)));
    InpFileDef inp;
    inp.types = {{3, 2, 2}, {3, 0, 1}};
    for (int i = 0; i < 9; ++i) {
        InpAtom a;
        a.flag = i % 4 + 1;
        a.a[0] = i;
        a.a[2] = -0.5 * i;
        a.b[1] = 1e-3 * i;
        inp.atoms.push_back(a);
    }
    // Reads the input file and gives what atoms 7 and 8 received.
    auto read = [&](const std::string& bytes) {
        std::fill(sim.m_pnInpFlag.begin(), sim.m_pnInpFlag.end(), 0);
        TempFile file(bytes);
        CFile in(file.path.c_str(), CFile::modeRead);
        sim.ReadInpInfo(&in);
        return std::vector<double>{static_cast<double>(sim.m_pnInpFlag[7]), sim.m_pdInpVecAX[7],
                                   sim.m_pdInpVecAZ[7], sim.m_pdInpVecBY[7], sim.m_pdInpVecBX[7],
                                   static_cast<double>(sim.m_pnInpFlag[8])};
    };
    const std::vector<double> expected{4, 7, -3.5, 1e-3 * 7, 0, 1};
    EXPECT_EQ(read(WriteInpFile(inp)), expected);
    InpFileDef swapped = inp;
    swapped.swap = true;
    swapped.magic = MagicNo::GetInpMagicNo4Sp();
    EXPECT_EQ(read(WriteInpFile(swapped)), expected);
    InpFileDef v2 = inp;
    v2.magic = magic(0xCDB0B3B8u);  // 20-byte title
    v2.types.push_back({1, 0, 1});  // a type more, the same atoms: accepted
    EXPECT_EQ(read(WriteInpFile(v2)), expected);
    InpFileDef more = inp;  // more atoms than the result file: only its own are read
    more.atoms.push_back(inp.atoms[1]);
    EXPECT_EQ(read(WriteInpFile(more)), expected);
    InpFileDef fewer = inp;
    fewer.atoms.resize(8);
    const auto partial = read(WriteInpFile(fewer));
    EXPECT_EQ(partial[0], 4);
    EXPECT_EQ(partial[5], 0);

    auto code = [&](const std::string& bytes) {
        try {
            read(bytes);
        } catch (const FsException& e) {
            return e.code;
        }
        return 0;
    };
    InpFileDef both = more;
    both.types.push_back({1, 0, 1});
    EXPECT_EQ(code(WriteInpFile(both)), 3);
    InpFileDef old = inp;
    old.magic = magic(0xCDB0B3B7u);
    EXPECT_EQ(code(WriteInpFile(old)), 3);
    const std::string bytes = WriteInpFile(inp);
    EXPECT_EQ(code(bytes.substr(0, bytes.size() - 30)), 1);
    // The two list lengths sit after the magic number, title and fixed header, and 8 bytes.
    const std::size_t listA = 4 + 256 + 166 + 8, listB = listA + 4 + 4 + 12 * 2 + 8;
    for (std::size_t at : {listA, listB}) {
        for (int bad : {-1, 1 << 28}) {
            std::string b = bytes;
            std::memcpy(&b[at], &bad, 4);
            EXPECT_EQ(code(b), 1) << at << " " << bad;
        }
    }
    // Types of 2^31 - 1 molecules of as many atoms: a table of more than 2^63 bytes is
    // refused, not summed past the limit of the integer that holds its size.
    const std::size_t typeTable = listB + 4 + 4 + 12 + 64 + 12;
    std::string huge = bytes;
    for (std::size_t field : {20, 32, 36 + 20, 36 + 32}) {
        const int most = 0x7fffffff;
        std::memcpy(&huge[typeTable + field], &most, 4);
    }
    try {
        read(huge);
        ADD_FAILURE() << "a type table of 2^63 bytes was read";
    } catch (const FsException& e) {
        EXPECT_EQ(e.code, 1);
        EXPECT_NE(e.Message().find("type 1 has 2147483647 molecules"), std::string::npos) << e.Message();
    }
}

TEST(SimFileContents, DerivedQuantities) {
    Contents sim;
    sim.m_fDt = 1.0f;
    // A carbon atom moving 0.01 length units per femtosecond.
    EXPECT_NEAR(sim.CalcTemperature(12, 0.0001), 481.1, 0.05);
    EXPECT_NEAR(sim.CalcInternal(12, 0.0001, 0) * 10000000, 9.963e-21, 0.001e-21);
    EXPECT_DOUBLE_EQ(sim.CalcInternal(12, 0, -2.5), -2.5);
    sim.m_fDt = 2.0f;
    EXPECT_NEAR(sim.CalcTemperature(12, 0.0001), 481.1 / 4, 0.05);

    double lo = 5, hi = 5;
    sim.SetMinMax(lo, hi, 7);
    EXPECT_EQ(lo, 5);
    EXPECT_EQ(hi, 7);
    sim.SetMinMax(lo, hi, 3);
    EXPECT_EQ(lo, 3);
    sim.SetMinMax(lo, hi, 7);
    EXPECT_EQ(hi, 7);

    float cube[3][3] = {{10, 0, 0}, {0, 10, 0}, {0, 0, 10}};
    float a, b, c, alpha, beta, gamma;
    sim.CalcLatticeConst(cube, a, b, c, alpha, beta, gamma);
    EXPECT_EQ(a, 10.0f);
    EXPECT_EQ(c, 10.0f);
    EXPECT_FLOAT_EQ(alpha, 90.0f);
    EXPECT_FLOAT_EQ(gamma, 90.0f);
    float hex[3][3] = {{1, 0, 0}, {0.5f, 0.866025f, 0}, {0, 0, 1}};
    sim.CalcLatticeConst(hex, a, b, c, alpha, beta, gamma);
    EXPECT_NEAR(gamma, 60.0f, 1e-4);
    EXPECT_NEAR(alpha, 90.0f, 1e-5);
    EXPECT_EQ(sim.CalcDensity(0), 0.0f);  // nothing loaded
}

} // namespace
} // namespace qrtz
