// qrtz end to end: the executable is run as a user would run it.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <map>
#include <sstream>
#include <thread>
#include <unistd.h>
#include <vector>

#include "tools/QrtzToolFixture.h"

#ifdef QRTZ_TOOL_PATH
namespace {

using qrtz::test::Outcome;
using qrtz::test::QrtzTool;
using qrtz::test::slurp;

TEST_F(QrtzTool, InfoDescribesEveryExampleKind) {
    Outcome water = qrtz("info " + example("water.mol"));
    ASSERT_EQ(water.status, 0) << water.err;
    EXPECT_NE(water.out.find("kind: molecule"), std::string::npos) << water.out;
    EXPECT_NE(water.out.find("atoms: 3"), std::string::npos);
    EXPECT_NE(water.out.find("bonds: 2"), std::string::npos);
    EXPECT_NE(water.out.find("mass: 18.0"), std::string::npos);

    Outcome mixture = qrtz("info --json " + example("mixture.mcr"));
    ASSERT_EQ(mixture.status, 0) << mixture.err;
    EXPECT_EQ(mixture.out.front(), '{');
    EXPECT_NE(mixture.out.find("\"kind\":\"molecular crystal\""), std::string::npos) << mixture.out;
    EXPECT_NE(mixture.out.find("\"molecule types\":[{"), std::string::npos);

    Outcome several = qrtz("info --json " + example("water.mol") + " " + example("argon.mcr"));
    ASSERT_EQ(several.status, 0) << several.err;
    EXPECT_EQ(several.out.front(), '[');
}

TEST_F(QrtzTool, ConvertRoundTripsThroughEveryKind) {
    ASSERT_EQ(qrtz("convert " + example("mixture.mcr") + " " + path("m.bdl")).status, 0);
    ASSERT_EQ(qrtz("convert " + path("m.bdl") + " " + path("m.mcr")).status, 0);
    Outcome a = qrtz("info " + example("mixture.mcr"));
    Outcome b = qrtz("info " + path("m.mcr"));
    // Everything but the file name and header-derived lines agrees.
    auto body = [](const std::string& s) { return s.substr(s.find("\nname:")); };
    EXPECT_EQ(body(a.out), body(b.out));

    ASSERT_EQ(qrtz("convert " + example("water.mol") + " " + path("w.mcr")).status, 0);
    Outcome w = qrtz("info " + path("w.mcr"));
    EXPECT_NE(w.out.find("molecules: 1"), std::string::npos) << w.out;

    ASSERT_EQ(qrtz("convert " + example("argon.mcr") + " " + path("ar.cry")).status, 0);
    Outcome cry = qrtz("info " + path("ar.cry"));
    EXPECT_NE(cry.out.find("atoms: 108"), std::string::npos) << cry.out;

    Outcome refused = qrtz("convert " + example("mixture.mcr") + " " + path("x.mol"));
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("cannot be made into a molecule"), std::string::npos) << refused.err;
}

TEST_F(QrtzTool, BuildAndSupercellCountAtoms) {
    Outcome fcc = qrtz("build fcc --atom Ar -n 2 --cell 5.26 -o " + path("ar.mcr"));
    ASSERT_EQ(fcc.status, 0) << fcc.err;
    EXPECT_NE(fcc.out.find("32 atoms"), std::string::npos) << fcc.out;

    Outcome mol = qrtz("build bcc --molecule " + example("benzene.mol") +
                   " -n 2 --random-orientation --seed 7 -o " + path("bz.bdl"));
    ASSERT_EQ(mol.status, 0) << mol.err;
    EXPECT_NE(mol.out.find("16 molecules, 192 atoms"), std::string::npos) << mol.out;

    Outcome super = qrtz("supercell " + path("ar.mcr") + " 2 1 1 -o " + path("ar2.mcr"));
    ASSERT_EQ(super.status, 0) << super.err;
    EXPECT_NE(super.out.find("64 atoms"), std::string::npos) << super.out;
    Outcome info = qrtz("info " + path("ar2.mcr"));
    EXPECT_NE(info.out.find("a: 21.0400"), std::string::npos) << info.out;
}

TEST_F(QrtzTool, ExchangeFormatsReadAndWriteThroughTheSameCommands) {
    const std::string data = QRTZ_TEST_DATA_DIR;
    write("two.sdf", slurp(data + "/ob-benzene.sdf") + slurp(data + "/ob-naphthalene.sdf"));
    Outcome sd = qrtz("info " + path("two.sdf"));
    ASSERT_EQ(sd.status, 0) << sd.err;
    EXPECT_NE(sd.out.find("record: 2"), std::string::npos) << sd.out;
    EXPECT_NE(sd.out.find("atoms: 18"), std::string::npos) << "naphthalene, with its hydrogens";
    Outcome split = qrtz("convert " + path("two.sdf") + " " + path("r.mol"));
    ASSERT_EQ(split.status, 0) << split.err;
    EXPECT_NE(qrtz("info " + path("r-2.mol")).out.find("bonds: 19"), std::string::npos);

    // Records stream through: data fields survive SD -> SD, a bad record is reported by number
    // and line and passed over by info, and stops convert with nothing written.
    std::string benzene = slurp(data + "/ob-benzene.sdf");
    benzene.insert(benzene.find("$$$$"), ">  <ID>\nbz-1\n\n");
    std::string broken = slurp(data + "/ob-lactate.sdf");
    broken.replace(broken.find(" 11 10"), 6, "  0 10");
    write("three.sdf", benzene + broken + benzene);
    Outcome some = qrtz("info --json " + path("three.sdf"));
    EXPECT_EQ(some.status, 1);
    EXPECT_NE(some.err.find("three.sdf: record 2: line 37: "), std::string::npos) << some.err;
    EXPECT_EQ(some.out.rfind("[{", 0), 0u) << some.out;
    EXPECT_NE(some.out.find("\"record\":3"), std::string::npos) << some.out;
    EXPECT_EQ(some.out.find("\"record\":2"), std::string::npos) << some.out;
    EXPECT_NE(qrtz("convert " + path("three.sdf") + " " + path("three-out.sdf")).status, 0);
    EXPECT_FALSE(std::ifstream(path("three-out.sdf")).good());
    write("two-bz.sdf", benzene + benzene);
    ASSERT_EQ(qrtz("convert " + path("two-bz.sdf") + " " + path("again.sdf")).status, 0);
    const std::string again = slurp(path("again.sdf"));
    const std::size_t field = again.find("M  END\n>  <ID>\nbz-1\n\n$$$$\n");
    EXPECT_NE(field, std::string::npos) << again;
    EXPECT_EQ(again.substr(0, again.size() / 2), again.substr(again.size() / 2));

    // Native -> SD -> MOPAC -> QSF -> MDL molfile keeps the atoms.
    ASSERT_EQ(qrtz("convert " + example("benzene.mol") + " " + path("b.sdf")).status, 0);
    ASSERT_EQ(qrtz("convert " + path("b.sdf") + " " + path("b.mop")).status, 0);
    ASSERT_EQ(qrtz("convert " + path("b.mop") + " " + path("b.qsf")).status, 0);
    ASSERT_EQ(qrtz("convert " + path("b.qsf") + " " + path("b.mol") + " --to mdl").status, 0);
    Outcome mdl = qrtz("info --mdl " + path("b.mol"));
    ASSERT_EQ(mdl.status, 0) << mdl.err;
    EXPECT_NE(mdl.out.find("atoms: 12"), std::string::npos) << mdl.out;
    EXPECT_NE(qrtz("info " + path("b.mol")).err.find("b.mol"), std::string::npos)
        << "an MDL file read as a molecular database fails and names the file";
    Outcome united = qrtz("info --unite " + path("b.mop"));
    EXPECT_NE(united.out.find("atoms: 6"), std::string::npos) << united.out;
}

TEST_F(QrtzTool, ErrorsNameTheFileAndLineAndSetTheExitStatus) {
    write("short.mol", "title\nmaker\nkind\n0 0 0 0 0 0\n1\nH2O 3 2\n1 O 16.0 0 0 0\n");
    Outcome bad = qrtz("info " + path("short.mol"));
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("short.mol: line 7"), std::string::npos) << bad.err;

    EXPECT_EQ(qrtz("info " + path("missing.mol")).status, 1);
    EXPECT_EQ(qrtz("info " + path("x.unknown")).status, 1);
    EXPECT_EQ(qrtz("build fcc -n 2 -o " + path("x.mcr")).status, 2) << "neither --atom nor --molecule";
    EXPECT_EQ(qrtz("build hcp --atom Ar -n 2 -o " + path("x.mcr")).status, 2);
    EXPECT_EQ(qrtz("--no-such-option").status, 2);
    Outcome help = qrtz("info --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--json"), std::string::npos);
    // A failed write leaves no partial output behind.
    write("keep.mcr", "old");
    EXPECT_EQ(qrtz("convert " + path("short.mol") + " " + path("keep.mcr")).status, 1);
    EXPECT_EQ(slurp(path("keep.mcr")), "old");
}

TEST_F(QrtzTool, EnvKeepsElementStylesInTheWorkingArea) {
    Outcome early = qrtz("env element Ar --radius 1.5");
    EXPECT_EQ(early.status, 1);
    EXPECT_NE(early.err.find("qrtz env init"), std::string::npos) << early.err;

    Outcome init = qrtz("env init " + path("work") + " --links");
    ASSERT_EQ(init.status, 0) << init.err;
    EXPECT_FALSE(slurp(path("work/Qrtz.ini")).empty());

    Outcome set = qrtz("env element Ar --color 10,20,30 --radius 1.5");
    ASSERT_EQ(set.status, 0) << set.err;
    Outcome shown = qrtz("env element Ar");
    EXPECT_NE(shown.out.find("color: 10 20 30"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("radius: 1.5000"), std::string::npos) << shown.out;

    Outcome show = qrtz("env show --json");
    ASSERT_EQ(show.status, 0) << show.err;
    EXPECT_NE(show.out.find("\"status\":\"ok\""), std::string::npos) << show.out;
    EXPECT_EQ(qrtz("env element Xq").status, 1);
    EXPECT_EQ(qrtz("env element Ar --color 300,0,0").status, 2);
}

TEST_F(QrtzTool, TwentyElementChangesAtOnceAreAllKept) {
    ASSERT_EQ(qrtz("env init " + path("work")).status, 0);
    const char* symbols[] = {"H", "He", "Li", "Be", "B",  "C",  "N", "O",  "F", "Ne",
                             "Na", "Mg", "Al", "Si", "P", "S", "Cl", "Ar", "K", "Ca"};
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < 20; ++i) {
        const std::string cmd = command("env element " + std::string(symbols[i]) +
                                        " --color 1,2," + std::to_string(100 + i)) +
                                " >/dev/null 2>&1";
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(gate[1]);
            char byte;
            while (::read(gate[0], &byte, 1) < 0 && errno == EINTR) {}  // all start together
            const int status = std::system(cmd.c_str());
            ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 1);
        }
        children.push_back(child);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    // Bounded: a child still running after a minute is killed and counts as failed.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (pid_t child : children) {
        int status = 0;
        while (::waitpid(child, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) ::kill(child, SIGKILL);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << child;
    }

    std::map<std::string, int> blue;
    std::istringstream lines(slurp(path("work/Qrtz.ini")));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string key;
        int r = 0, g = 0, b = 0;
        if (fields >> key >> r >> g >> b && key.rfind("ATOM_", 0) == 0) blue[key.substr(5)] = b;
    }
    for (int i = 0; i < 20; ++i) EXPECT_EQ(blue[symbols[i]], 100 + i) << symbols[i];
}

} // namespace
#endif  // QRTZ_TOOL_PATH
