// qrtz sim end to end, on result files the test writes.
#include "simulation/SimFileWriter.h"
#include "tools/QrtzToolFixture.h"

#ifdef QRTZ_TOOL_PATH
namespace {

using namespace qrtz::simtest;
using qrtz::test::Outcome;
using qrtz::test::slurp;

// Two water molecules and three argon atoms over four frames in a 10 Å box.
SimFileDef smallRun() {
    SimFileDef d;
    d.total = 4, d.first = 1, d.last = 4, d.interval = 1;
    d.dt = 2.0f;
    TypeDef water;
    water.name = "Water";
    water.molCount0 = 2;
    water.atoms = {{"O", 15.999f, -0.8f, 8}, {"H", 1.008f, 0.4f, 1}, {"H", 1.008f, 0.4f, 1}};
    water.bonds = {{1, 2, "1 "}, {1, 3, "1 "}};
    TypeDef argon;
    argon.name = "Ar";
    argon.molCount0 = 3;
    argon.atoms = {{"Ar", 39.948f, 0.0f, 18}};
    d.types = {water, argon};
    for (int f = 0; f < 4; ++f) {
        FrameDef frame;
        frame.thermo = {300.0f + f, 1.0f, 1000.0f, 0, 0, 0};
        frame.x = {0.1f, 0.15f, 0.08f, 0.5f, 0.55f, 0.48f, 0.2f, 0.4f, 0.6f + 0.1f * f};
        frame.y = frame.x;
        frame.z = frame.x;
        d.frames.push_back(frame);
    }
    return d;
}

class QrtzSim : public qrtz::test::QrtzTool {
protected:
    std::string writeRun(const std::string& name, const std::string& bytes) {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    }
};

TEST_F(QrtzSim, InfoAndThermoDescribeTheRun) {
    const std::string run = writeRun("run.sim", WriteSimFile(smallRun()));
    Outcome info = qrtz("sim info " + run);
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("frames: 4"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("atoms: 9"), std::string::npos);
    EXPECT_NE(info.out.find("time to ps: 0.0080"), std::string::npos) << "4 steps of 2 fs";
    EXPECT_EQ(qrtz("info " + run).out, info.out) << "plain info answers as sim info";

    Outcome csv = qrtz("sim thermo --csv " + run);
    ASSERT_EQ(csv.status, 0) << csv.err;
    std::istringstream rows(csv.out);
    std::string head, first;
    std::getline(rows, head);
    std::getline(rows, first);
    EXPECT_EQ(head.substr(0, 32), "frame,time_ps,q0,q1,volume,q3,q4");
    EXPECT_NE(head.find(",a,b,c,alpha,beta,gamma,density_g_cm3"), std::string::npos) << head;
    EXPECT_EQ(first.substr(0, 20), "1,0.002,300,9869.232") << first;
    // Lattice constants come from the 10 Å cubic cell of the frame.
    EXPECT_NE(first.find(",10,10,10,90,90,90,"), std::string::npos) << first;
}

TEST_F(QrtzSim, FramesAndTrajectoriesAreWritten) {
    const std::string run = writeRun("run.sim", WriteSimFile(smallRun()));
    Outcome frame = qrtz("sim frame " + run + " 4 -o " + path("f4.mcr") + " --wrap xyz");
    ASSERT_EQ(frame.status, 0) << frame.err;
    Outcome info = qrtz("info " + path("f4.mcr"));
    EXPECT_NE(info.out.find("atoms: 9"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("name: Water"), std::string::npos);

    Outcome traj = qrtz("sim traj " + run + " --first 0 --last 4 --count 3 -o " + path("t.csv"));
    ASSERT_EQ(traj.status, 0) << traj.err;
    const std::string csv = slurp(path("t.csv"));
    EXPECT_EQ(csv.substr(0, csv.find('\n')), "line,name,point,fx,fy,fz,image_a,image_b,image_c,segment");
    // Two water lines and three argon lines of three points each, plus the heading.
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 5 * 3) << csv;

    EXPECT_EQ(qrtz("sim frame " + run + " 9 -o " + path("x.mcr")).status, 1);
    EXPECT_EQ(qrtz("sim traj " + run + " --count 1 -o " + path("x.csv")).status, 1);
    EXPECT_EQ(qrtz("sim frame " + run + " 1 -o " + path("x.mcr") + " --wrap q").status, 2);
}

TEST_F(QrtzSim, BrokenFilesFailOrWarn) {
    const std::string whole = WriteSimFile(smallRun());
    // Cut inside the last frame: three frames load, with a warning.
    const std::string cut = writeRun("cut.sim", whole.substr(0, whole.size() - 20));
    Outcome info = qrtz("sim info " + cut);
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("frames: 3"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("frames promised: 4"), std::string::npos);
    EXPECT_NE(info.err.find("warning"), std::string::npos) << info.err;

    Outcome garbage = qrtz("sim info " + writeRun("junk.sim", std::string(500, '\x7f')));
    EXPECT_EQ(garbage.status, 1);
    EXPECT_NE(garbage.err.find("junk.sim"), std::string::npos) << garbage.err;
    EXPECT_EQ(qrtz("sim info " + path("missing.sim")).status, 1);
}

} // namespace
#endif  // QRTZ_TOOL_PATH
