// qrtz end to end: the executable is run as a user would run it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

#ifdef QRTZ_TOOL_PATH
namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class QrtzTool : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qrtz-tool-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    // Runs qrtz with a home, settings store and installation of its own below dir.
    Outcome qrtz(const std::string& args) {
        const std::string err = dir + "/stderr";
        const std::string cmd = "HOME='" + dir + "/home' QRTZ_REGISTRY='" + dir +
                                "/registry' QRTZ_SYSTEM_DIR='" QRTZ_SYSTEM_DATA_DIR "' " +
                                QRTZ_TOOL_PATH + " " + args + " 2>" + err;
        Outcome run{-1, "", ""};
        FILE* pipe = popen(cmd.c_str(), "r");
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) run.out.append(buf, n);
        int status = pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.err = slurp(err);
        return run;
    }
    std::string path(const std::string& name) const { return dir + "/" + name; }
    static std::string example(const std::string& name) {
        return std::string(QRTZ_EXAMPLES_DIR) + "/" + name;
    }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(path(name)) << text;
    }

    std::string dir;
};

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

} // namespace
#endif  // QRTZ_TOOL_PATH
