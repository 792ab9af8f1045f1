// qrtz clip end to end: every copy and paste is a qrtz process of its own, over a clipboard
// store that belongs to the test.
#include <fstream>
#include <string>

#include "tools/QrtzToolFixture.h"

#ifdef QRTZ_TOOL_PATH
namespace {

using qrtz::test::Outcome;

class QrtzClip : public qrtz::test::QrtzTool {
protected:
    // Standard output, then standard error, as one text.
    Outcome qrtz(const std::string& args) {
        Outcome run = QrtzTool::qrtz(args);
        run.out += run.err;
        return run;
    }
    // qrtz that must succeed.
    std::string ok(const std::string& args) {
        Outcome run = qrtz(args);
        EXPECT_EQ(run.status, 0) << args << ": " << run.out;
        return run.out;
    }
};

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(QrtzClip, MoleculeTravelsWithItsOffsetInEveryFormat) {
    EXPECT_EQ(ok("clip list"), "the clipboard is empty\n");
    std::string copied = ok("clip copy --offset 1 2 3 " + example("water.mol"));
    EXPECT_TRUE(has(copied, "3DKelMolData, 3DMolData, MDLCT, 3DKelTime")) << copied;

    std::string listed = ok("clip list");
    EXPECT_TRUE(has(listed, "3DKelMolData")) << listed;
    EXPECT_TRUE(has(listed, "MDLCT"));
    EXPECT_TRUE(has(listed, ": the last stamp this user's qrtz wrote"));

    std::string pasted = ok("clip paste " + path("water.mol"));
    EXPECT_TRUE(has(pasted, "offset 1.0000 2.0000 3.0000")) << pasted;
    std::string info = ok("info " + path("water.mol"));
    EXPECT_TRUE(has(info, "name: Water")) << info;
    EXPECT_TRUE(has(info, "atoms: 3"));
    EXPECT_TRUE(has(info, "\nmass: 18.0150\n"));

    EXPECT_TRUE(has(ok("clip paste --from mopac " + path("mopac.mol")), "'Mopac' (3 atoms, 2 bonds)"));
    std::string mopac = ok("info " + path("mopac.mol"));
    EXPECT_TRUE(has(mopac, "\nmass: 18.0150\n")) << mopac;
    ok("clip paste --from mdl " + path("mdl.mcr"));
    EXPECT_TRUE(has(ok("info " + path("mdl.mcr")), "molecules: 1"));

    ok("clip copy " + example("methane.mol"));
    EXPECT_TRUE(has(ok("clip paste --from mdl --unite " + path("united.mol")), "(1 atoms, 0 bonds)"));
    std::string united = ok("info " + path("united.mol"));
    EXPECT_TRUE(has(united, "\nmass: 16.0430\n")) << united;
    EXPECT_TRUE(has(united, "centre of mass: 0.0000 0.0000 0.0000"));
    EXPECT_TRUE(has(ok("clip paste --from mopac " + path("whole.mol")), "(5 atoms, 4 bonds)"));
}

TEST_F(QrtzClip, CrystalsComeWithTheirFirstMoleculeAndAtomsAlone) {
    std::string copied = ok("clip copy " + example("mixture.mcr"));
    EXPECT_TRUE(has(copied, "3DKelMolData, 3DKelMcrData, 3DMolData, MDLCT, 3DKelTime, CF_TEXT"))
        << copied;
    ok("clip paste " + path("mixture.bdl"));
    std::string original = ok("info " + example("mixture.mcr"));
    std::string pasted = ok("info " + path("mixture.bdl"));
    EXPECT_EQ(original.substr(original.find("cell")), pasted.substr(pasted.find("cell")));
    EXPECT_TRUE(has(ok("clip paste " + path("first.mol")), "molecule 'Water' (3 atoms, 2 bonds)"));

    EXPECT_TRUE(has(ok("clip copy --atom 2 " + example("water.mol")), "atom 2 (H)"));
    std::string listed = ok("clip list");
    EXPECT_TRUE(has(listed, "3DKelAtmData")) << listed;
    EXPECT_FALSE(has(listed, "3DKelMolData"));
    EXPECT_TRUE(has(ok("clip paste " + path("atom.mol")), "molecule 'H' (1 atoms, 0 bonds)"));
    EXPECT_TRUE(has(ok("info " + path("atom.mol")), "\nmass: 1.0080\n"));
}

TEST_F(QrtzClip, FailuresSayWhatIsMissing) {
    Outcome empty = qrtz("clip paste " + path("out.mol"));
    EXPECT_EQ(empty.status, 1);
    EXPECT_TRUE(has(empty.out, "the clipboard is empty")) << empty.out;

    Outcome noAtom = qrtz("clip copy --atom 9 " + example("water.mol"));
    EXPECT_EQ(noAtom.status, 1);
    EXPECT_TRUE(has(noAtom.out, "no atom 9 (the molecule has 3 atoms)")) << noAtom.out;

    ok("clip copy --atom 1 " + example("water.mol"));
    Outcome noMdl = qrtz("clip paste --from mdl " + path("out.mol"));
    EXPECT_EQ(noMdl.status, 1);
    EXPECT_TRUE(has(noMdl.out, "no mdl text")) << noMdl.out;
    Outcome unite = qrtz("clip paste --unite " + path("out.mol"));
    EXPECT_EQ(unite.status, 1);
    EXPECT_TRUE(has(unite.out, "--unite")) << unite.out;
    std::ifstream never(path("out.mol"));
    EXPECT_FALSE(never.good()) << "nothing is written when a paste fails";
}

} // namespace
#endif  // QRTZ_TOOL_PATH
