// qrtz view and qrtz sim plot end to end: what a page holds and what a plot draws. The pages
// themselves are loaded in a browser by tests/view/view_pages.py.
#include <regex>

#include "simulation/SimFileWriter.h"
#include "tools/QrtzToolFixture.h"

#ifdef QRTZ_TOOL_PATH
namespace {

using namespace qrtz::simtest;
using qrtz::test::Outcome;
using qrtz::test::slurp;

int occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

// The JSON document a page is filled with.
std::string pageData(const std::string& page) {
    const std::string open = "<script type=\"application/json\" id=\"qrtz-data\">";
    const auto from = page.find(open);
    if (from == std::string::npos) return "";
    const auto start = from + open.size();
    return page.substr(start, page.find("</script>", start) - start);
}

using QrtzView = qrtz::test::QrtzTool;

TEST_F(QrtzView, PlotDrawsOnePolylineThroughEveryFrameInSvgAndPng) {
    const std::string run = example("water-argon.sim");
    Outcome svg = qrtz("sim plot " + run + " --series q0,density_g_cm3 -o " + path("t.svg"));
    ASSERT_EQ(svg.status, 0) << svg.err;
    EXPECT_EQ(svg.out, path("t.svg") + ": 2 series over 20 frames\n");
    // Series are drawn 1.8 wide; the frame and the grid are thinner.
    const std::string text = slurp(path("t.svg"));
    const std::regex line("stroke-width:1\\.8;[^\"]*\" d=\"([^\"]*)\"");
    int series = 0;
    for (auto m = std::sregex_iterator(text.begin(), text.end(), line); m != std::sregex_iterator(); ++m) {
        const std::string d = (*m)[1];
        ++series;
        EXPECT_EQ(occurrences(d, "L "), 19) << "20 frames, 19 segments: " << d;
        EXPECT_EQ(d.rfind("M 90 ", 0), 0u) << "the first frame sits on the left edge: " << d;
        EXPECT_NE(d.find("L 776 "), std::string::npos) << "the last on the right edge: " << d;
    }
    EXPECT_EQ(series, 2);

    Outcome png = qrtz("sim plot " + run + " -o " + path("t.png"));
    ASSERT_EQ(png.status, 0) << png.err;
    const std::string bytes = slurp(path("t.png"));
    ASSERT_GT(bytes.size(), 24u);
    EXPECT_EQ(bytes.substr(1, 3), "PNG");
    auto be32 = [&](std::size_t at) {
        return (static_cast<unsigned char>(bytes[at]) << 24) | (static_cast<unsigned char>(bytes[at + 1]) << 16) |
               (static_cast<unsigned char>(bytes[at + 2]) << 8) | static_cast<unsigned char>(bytes[at + 3]);
    };
    EXPECT_EQ(be32(16), 800);
    EXPECT_EQ(be32(20), 4 * 220) << "by default temperature, pressure, volume and density";
}

TEST_F(QrtzView, BadRequestsFailWithTheReasonAndWriteNothing) {
    const std::string run = example("water-argon.sim");
    Outcome unknown = qrtz("sim plot " + run + " --series q0,heat -o " + path("t.svg"));
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("no series 'heat' (the run has: q0, q1, volume"), std::string::npos) << unknown.err;
    EXPECT_EQ(qrtz("sim plot " + run + " -o " + path("t.pdf")).status, 1);

    Outcome frame = qrtz("view " + run + " --frame 21 -o " + path("p.html"));
    EXPECT_EQ(frame.status, 1);
    EXPECT_NE(frame.err.find("frame 21 is not between 1 and 20"), std::string::npos) << frame.err;
    Outcome record = qrtz("view " + std::string(QRTZ_TEST_DATA_DIR) + "/ob-benzene.sdf --frame 2 -o " + path("p.html"));
    EXPECT_EQ(record.status, 1);
    EXPECT_NE(record.err.find("record 2 is not between 1 and 1"), std::string::npos) << record.err;
    Outcome supercell = qrtz("view " + example("water.mol") + " --supercell 2 2 2 -o " + path("p.html"));
    EXPECT_EQ(supercell.status, 1);
    EXPECT_NE(supercell.err.find("--supercell takes a crystal"), std::string::npos) << supercell.err;
    write("broken.mcr", "not a molecular crystal\n");
    EXPECT_EQ(qrtz("view " + path("broken.mcr") + " -o " + path("p.html")).status, 1);
    EXPECT_EQ(slurp(path("t.svg")) + slurp(path("t.pdf")) + slurp(path("p.html")), "");
}

TEST_F(QrtzView, NoNameInTheDataCanEndItsScriptElement) {
    std::string mol = slurp(example("water.mol"));
    mol.replace(mol.find("Water     "), 10, "</script>!");
    write("odd.mol", mol);
    Outcome out = qrtz("view " + path("odd.mol") + " -o " + path("odd.html"));
    ASSERT_EQ(out.status, 0) << out.err;
    const std::string page = slurp(path("odd.html"));
    const std::string data = pageData(page);
    EXPECT_NE(data.find("\"name\":\"\\u003c/script>!\""), std::string::npos) << data.substr(0, 400);
    EXPECT_EQ(occurrences(page, "</script>"), occurrences(page, "<script")) << "one end per script element";
}

// A variable-population run: a frame whose molecules differ from the frame before brings its
// own atoms and bonds, and every frame's positions match its atoms.
TEST_F(QrtzView, PagesOfVariablePopulationRunsCarryEachNewPopulation) {
    SimFileDef d;
    d.magic = qrtz::MagicNo::GetSimMagicNo4Sp();
    d.total = 3, d.first = 1, d.last = 3, d.interval = 1;
    TypeDef water;
    water.name = "Water";
    water.molCount0 = 2;
    water.atoms = {{"O", 15.999f, -0.8f, 8}, {"H", 1.008f, 0.4f, 1}, {"H", 1.008f, 0.4f, 1}};
    water.bonds = {{1, 2, "1 "}, {1, 3, "1 "}};
    d.types = {water};
    const int counts[3] = {2, 1, 1};
    for (int molecules : counts) {
        FrameDef f;
        f.thermo = {300, 1, 1000, 0, 0, 0};
        f.molCounts = {molecules};
        f.atomCount = 3 * molecules;
        for (int a = 0; a < 3 * molecules; ++a) f.x.push_back(0.01f * static_cast<float>(a));
        f.y = f.z = f.x;
        d.frames.push_back(f);
    }
    std::ofstream(path("sp.sim"), std::ios::binary) << WriteSimFile(d);
    Outcome out = qrtz("view " + path("sp.sim") + " -o " + path("sp.html"));
    ASSERT_EQ(out.status, 0) << out.err;
    const std::string data = pageData(slurp(path("sp.html")));
    const auto frames = data.find("\"frames\":[");
    ASSERT_NE(frames, std::string::npos);
    const std::string framesPart = data.substr(frames);
    EXPECT_EQ(occurrences(framesPart, "\"atoms\":[{"), 1) << "frame 2 only: " << framesPart;
    EXPECT_EQ(occurrences(framesPart, "\"type\":\"1\""), 2) << "one water, two bonds";
    const std::regex xyz("\\],\"xyz\":\\[([^\\]]*)\\]");  // a frame's, not an atom's
    std::vector<int> sizes;
    for (auto m = std::sregex_iterator(framesPart.begin(), framesPart.end(), xyz); m != std::sregex_iterator(); ++m)
        sizes.push_back(occurrences((*m)[1].str(), ",") + 1);
    EXPECT_EQ(sizes, (std::vector<int>{18, 9, 9}));
}

} // namespace
#endif  // QRTZ_TOOL_PATH
