#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "../formats/FormatTestSupport.h"
#include "qrtzdb/clipboard/UDataTrans.h"

namespace qrtz {
namespace {

using testing::fixture;
using testing::readText;
using UD = UDataTransEx;

// Stamps are only ever set in child processes, so this test process never sets one itself.
class Clip : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qrtz-udata-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        setenv("QRTZ_CLIPBOARD", (dir + "/store").c_str(), 1);
        UD::Init();
    }
    void TearDown() override {
        unsetenv("QRTZ_CLIPBOARD");
        std::system(("rm -rf '" + dir + "'").c_str());
    }
    std::string dir;
};

// Runs body in a child process that registers the formats afresh, as another program would;
// returns its exit status.
template <class F>
int inOtherProcess(F body) {
    pid_t pid = fork();
    if (pid == 0) {
        for (unsigned int& id : UD::m_unFormId) id = 0;
        UD::Init();
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string textOf(COleDataObject& obj, unsigned int format) {
    UD trans;
    char* text = nullptr;
    trans.GetText(&obj, format, &text);
    std::string copy = text ? text : "<none>";
    delete[] text;
    return copy;
}

void expectNear(const Vertex3D& got, const Vertex3D& want, double tolerance = 1e-4) {
    EXPECT_NEAR(got.x, want.x, tolerance);
    EXPECT_NEAR(got.y, want.y, tolerance);
    EXPECT_NEAR(got.z, want.z, tolerance);
}

// Puts blocks of raw bytes on the clipboard.
void putRaw(const std::vector<std::pair<unsigned int, std::string>>& formats) {
    auto* src = new COleDataSource;
    for (const auto& [format, bytes] : formats) {
        HGLOBAL block = GlobalAlloc(GMEM_DDESHARE, bytes.size());
        std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
        src->CacheGlobalData(format, block);
    }
    ASSERT_TRUE(src->SetClipboard());
}

TEST_F(Clip, TextLengthsAndEmptyTexts) {
    UD trans;
    const unsigned int f = UD::GetCbFormId(UD::UDF_ATOM);
    ASSERT_NE(f, 0u);
    auto* copy = new COleDataSource;
    EXPECT_EQ(trans.SetText(copy, f, "", 0), 0);
    EXPECT_FALSE(copy->HasFormat(f));
    EXPECT_EQ(trans.SetText(copy, f, "abc", 0), 1);
    EXPECT_EQ(trans.SetText(copy, CF_TEXT, "abcdef", 2), 1);
    ASSERT_TRUE(copy->SetClipboard());
    COleDataObject obj;
    ASSERT_TRUE(obj.AttachClipboard());
    EXPECT_EQ(GlobalSize(static_cast<HGLOBAL>(trans.GetHandle(&obj, f))), 4u);
    EXPECT_EQ(textOf(obj, f), "abc");
    EXPECT_EQ(textOf(obj, CF_TEXT), "ab");
    EXPECT_EQ(trans.GetHandle(&obj, UD::GetCbFormId(UD::UDF_TIME)), nullptr);

    putRaw({{f, std::string(1, '\0')}});
    ASSERT_TRUE(obj.AttachClipboard());
    char* text = reinterpret_cast<char*>(&obj);
    EXPECT_EQ(trans.GetText(&obj, f, &text), 0);
    EXPECT_EQ(text, nullptr);
}

TEST_F(Clip, MoleculeCopiedInOneProcessPastesInAnother) {
    KelDbMolecule h2o2;
    readText(fixture("h2o2.mol"), [&](FileStream& in) { h2o2.ReadMoldb(in); });
    ASSERT_EQ(inOtherProcess([&] { return UD().CbSetData(&h2o2, Vertex3D(1, 2, 3)) ? 0 : 1; }), 0);
    UD trans;
    KelDbMolecule mol;
    Vertex3D offset;
    ASSERT_EQ(trans.CbGetData(&mol, &offset), 1);
    expectNear(offset, Vertex3D(1, 2, 3), 0);
    EXPECT_EQ(mol.GetName(), h2o2.GetName());
    ASSERT_EQ(mol.GetAtomCount(), 4);
    EXPECT_EQ(mol.GetBondCount(), 3);
    expectNear(mol.GetAtomAt(3)->position, h2o2.GetAtomAt(3)->position);
    EXPECT_EQ(mol.GetAtomAt(3)->charge, 0.41);

    // The exchange formats read only through the form with the unite flag.
    offset = Vertex3D(9, 9, 9);
    EXPECT_EQ(trans.CbGetData(&mol, &offset, 0, UD::UDF_MOLECULE), 0);
    expectNear(offset, Vertex3D(), 0);

    KelDbMolecule mopac;
    ASSERT_EQ(trans.CbGetData(&mopac, nullptr, 0, UD::UDF_MOLDATA), 1);
    ASSERT_EQ(mopac.GetAtomCount(), 4);
    EXPECT_EQ(mopac.GetName(), "Mopac");
    expectNear(mopac.GetAtomAt(3)->position, h2o2.GetAtomAt(3)->position);
    EXPECT_EQ(mopac.GetAtomAt(3)->charge, 0.0) << "3DMolData is read without charges";

    KelDbMolecule mdl;
    ASSERT_EQ(trans.CbGetData(&mdl, &offset, 1, UD::UDF_MDLCT), 1);
    EXPECT_EQ(mdl.GetName(), "MDLmol");
    EXPECT_EQ(mdl.GetAtomCount(), 4);
    EXPECT_EQ(mdl.GetBondCount(), 3);
    expectNear(mdl.GetAtomAt(1)->position, h2o2.GetAtomAt(1)->position);

    long t = 7;
    EXPECT_EQ(trans.CbGetTime(t), 0);
    EXPECT_EQ(t, 7);
    EXPECT_EQ(UD::GetSetTime(), 0);
}

TEST_F(Clip, MolecularCrystalComesWithTextStampAndFirstMolecule) {
    KelDbMolCrystal mixture;
    readText(fixture("mixture.bdl"), [&](FileStream& in) { mixture.ReadBdl(in); });
    const long before = static_cast<long>(std::time(nullptr));
    ASSERT_EQ(inOtherProcess([&] {
                  if (UD::GetSetTime() != 0 || UD().CbSetData(&mixture) != 1) return 1;
                  long t = 0;
                  return UD().CbGetTime(t) == 1 && t == UD::GetSetTime() ? 0 : 2;
              }),
              0);
    UD trans;
    KelDbMolCrystal mcr;
    ASSERT_EQ(trans.CbGetData(&mcr), 1);
    EXPECT_EQ(mcr.GetAtomCount(), mixture.GetAtomCount());
    const DbAtomV* flagged = mcr.GetMolAt(0)->GetAtomAt(0);
    EXPECT_EQ(flagged->flag, 3);
    expectNear(flagged->flag3, Vertex3D(1.5, -2.25, 1e-5), 1e-9);

    long t = 0;
    ASSERT_EQ(trans.CbGetTime(t), 1);
    EXPECT_GE(t, before);
    EXPECT_LE(t, static_cast<long>(std::time(nullptr)));

    COleDataObject obj;
    ASSERT_TRUE(obj.AttachClipboard());
    EXPECT_EQ(textOf(obj, CF_TEXT), textOf(obj, UD::GetCbFormId(UD::UDF_MOLCRYSTAL)));
    EXPECT_FALSE(obj.IsDataAvailable(UD::GetCbFormId(UD::UDF_ATOM)));

    // The first molecule, Cartesian about its centre of mass, with that centre as offset.
    const DbMolecule* water = mixture.GetMolAt(0);
    KelDbMolecule first;
    Vertex3D offset;
    ASSERT_EQ(trans.GetData(&obj, &first, &offset), 1);
    expectNear(offset, water->GetCenterOfMass());
    ASSERT_EQ(first.GetAtomCount(), 3);
    EXPECT_EQ(first.GetBondCount(), 2);
    expectNear(first.GetCenterOfMass(), Vertex3D(), 1e-3);
    double H[3][3];
    ASSERT_TRUE(mixture.GetHmatrix(H));
    Vertex3D bond = water->GetAtomAt(1)->position;
    bond -= water->GetAtomAt(0)->position;
    Vertex3D copied = first.GetAtomAt(1)->position;
    copied -= first.GetAtomAt(0)->position;
    EXPECT_NEAR(copied.GetAbsolute(), bond.Transform(H).GetAbsolute(), 1e-3);
}

TEST_F(Clip, UnbondedCrystalOffersItsFirstAtom) {
    KelDbMolCrystal mcr;
    mcr.AppendMol(mcr.CreateDbMolecule("Empty"));
    DbMolecule* argon = mcr.CreateDbMolecule("Ar");
    argon->AppendAtom(argon->CreateDbAtomV("Ar", Vertex3D(0.25, 0.5, 0.75), 39.948, 0.0, 1.9));
    argon->AppendAtom(argon->CreateDbAtomV("Ar", Vertex3D(0.5, 0.5, 0.5), 39.948, 0.0, 1.9));
    mcr.AppendMol(argon);
    mcr.UpdateMolTypeList();
    ASSERT_EQ(inOtherProcess([&] { return UD().CbSetData(&mcr) ? 0 : 1; }), 0);
    UD trans;
    KelDbAtomV atom;
    ASSERT_EQ(trans.CbGetData(&atom), 1);
    EXPECT_EQ(atom.GetName(), "Ar");
    expectNear(atom.position, Vertex3D(0.25, 0.5, 0.75));
    EXPECT_EQ(atom.mass, 39.948);
    EXPECT_EQ(UD::IsCbFormAvailable(UD::UDF_MOLECULE), 0);

    // No atoms at all: the crystal alone, still a success.
    KelDbMolCrystal empty;
    empty.AppendMol(empty.CreateDbMolecule("Nothing"));
    ASSERT_EQ(inOtherProcess([&] { return UD().CbSetData(&empty) ? 0 : 1; }), 0);
    EXPECT_EQ(UD::IsCbFormAvailable(UD::UDF_MOLCRYSTAL), 1);
    EXPECT_EQ(UD::IsCbFormAvailable(UD::UDF_ATOM), 0);
}

TEST_F(Clip, TextsLongerThanTheEstimatesAreOfferedWhole) {
    UD trans;
    KelDbAtomV far("C", Vertex3D(1e60, -2e60, 3.5), 12.011, 0.0, 0.77);
    KelDbMolecule wide;
    for (int i = 0; i < 50; ++i)
        wide.AppendAtom(wide.CreateDbAtomV("C", Vertex3D(1e17, -1e17, 1e17), 12.011, 0.0, 0.77));
    const std::string text = testing::written([&](FileStream& out) { wide.WriteMopac(out); });
    ASSERT_GT(text.size(), static_cast<std::size_t>(wide.GetMopacClipboardSize()));
    ASSERT_EQ(inOtherProcess([&] {
                  auto* src = new COleDataSource;
                  bool both = UD().SetData(src, &far) && UD().SetData(src, &wide, Vertex3D());
                  return both && src->SetClipboard() ? 0 : 1;
              }),
              0);
    KelDbAtomV atom;
    ASSERT_EQ(trans.CbGetData(&atom), 1);
    EXPECT_EQ(atom.position.x, 1e60);
    EXPECT_EQ(atom.position.z, 3.5);

    // The MOPAC text arrives whole; the MDL record, whose columns cannot hold such
    // coordinates, is not offered at all rather than offered cut.
    KelDbMolecule pasted;
    ASSERT_EQ(trans.CbGetData(&pasted, nullptr, 0, UD::UDF_MOLDATA), 1);
    ASSERT_EQ(pasted.GetAtomCount(), 50);
    EXPECT_EQ(pasted.GetAtomAt(49)->position.x, 1e17);
    EXPECT_EQ(UD::IsCbFormAvailable(UD::UDF_MDLCT), 0);
}

TEST_F(Clip, FailedReadsReturnZeroAndKeepWhatWasRead) {
    UD trans;
    const std::string h2o2 = fixture("h2o2.mol");
    const std::string twoAtoms = h2o2.substr(0, h2o2.find("   2   H"));
    const std::string bundle = fixture("mixture.bdl");
    const std::string cutBundle = bundle.substr(0, bundle.find("000013"));
    putRaw({{UD::GetCbFormId(UD::UDF_MOLECULE), twoAtoms + std::string(1, '\0')},
            {UD::GetCbFormId(UD::UDF_MOLCRYSTAL), cutBundle + std::string(1, '\0')},
            {UD::GetCbFormId(UD::UDF_ATOM), std::string("C 12.011 1.5 2", 15)},
            {UD::GetCbFormId(UD::UDF_TIME), std::string("12ab\n", 6)},
            {UD::GetCbFormId(UD::UDF_MDLCT), std::string("\x05" "ab", 3)}});
    KelDbMolecule mol;
    Vertex3D offset(4, 5, 6);
    EXPECT_EQ(trans.CbGetData(&mol, &offset), 0);
    EXPECT_EQ(mol.GetName(), "H2O2");
    EXPECT_EQ(mol.GetAtomCount(), 2);
    expectNear(offset, Vertex3D(4, 5, 6), 0);

    KelDbMolCrystal mcr;
    EXPECT_EQ(trans.CbGetData(&mcr), 0);
    EXPECT_EQ(mcr.GetMolCount(), 2) << "the first type was whole";

    KelDbAtomV atom;
    EXPECT_EQ(trans.CbGetData(&atom), 0);
    EXPECT_EQ(atom.mass, 12.011);
    EXPECT_EQ(atom.position.x, 1.5);

    long t = 3;
    EXPECT_EQ(trans.CbGetTime(t), 0);
    EXPECT_EQ(t, 3);
    EXPECT_EQ(trans.CbGetData(&mol, nullptr, 0, UD::UDF_MDLCT), 0);

    // A whole molecule whose offset line is cut short keeps the offset values it had.
    putRaw({{UD::GetCbFormId(UD::UDF_MOLECULE), h2o2 + "    1.5000     2.5000\n" + '\0'},
            {UD::GetCbFormId(UD::UDF_TIME), std::string("1700000000 and more\n", 21)}});
    offset = Vertex3D(4, 5, 6);
    EXPECT_EQ(trans.CbGetData(&mol, &offset), 0);
    EXPECT_EQ(mol.GetAtomCount(), 4);
    expectNear(offset, Vertex3D(1.5, 2.5, 6), 0);
    EXPECT_EQ(trans.CbGetTime(t), 1);
    EXPECT_EQ(t, 1700000000);
}

TEST_F(Clip, ConcurrentCopiesLeaveOneWholeCopy) {
    KelDbMolecule h2o2, pair;
    readText(fixture("h2o2.mol"), [&](FileStream& in) { h2o2.ReadMoldb(in); });
    pair.AppendAtom(pair.CreateDbAtomV("Ar", Vertex3D(0, 0, 0), 39.948, 0.0, 1.9));
    pair.AppendAtom(pair.CreateDbAtomV("Ar", Vertex3D(3, 0, 0), 39.948, 0.0, 1.9));
    pair.UpdateAtomTypeList();
    // Each writer marks its copies with its atom count in the offset.
    std::vector<pid_t> writers;
    for (const KelDbMolecule* mol : std::vector<const KelDbMolecule*>{&h2o2, &pair}) {
        pid_t pid = fork();
        if (pid == 0) {
            const double mark = mol->GetAtomCount();
            for (int i = 0; i < 30; ++i)
                if (!UD().CbSetData(mol, Vertex3D(mark, mark, mark))) _exit(1);
            _exit(0);
        }
        writers.push_back(pid);
    }
    UD trans;
    int checked = 0;
    for (int running = 2; running > 0;) {
        COleDataObject obj;
        if (obj.AttachClipboard()) {
            KelDbMolecule native, mopac, mdl;
            Vertex3D offset;
            ASSERT_EQ(trans.GetData(&obj, &native, &offset), 1);
            ASSERT_EQ(trans.GetData(&obj, &mopac, nullptr, 0, UD::UDF_MOLDATA), 1);
            ASSERT_EQ(trans.GetData(&obj, &mdl, nullptr, 0, UD::UDF_MDLCT), 1);
            ASSERT_EQ(offset.x, native.GetAtomCount());
            ASSERT_EQ(mopac.GetAtomCount(), native.GetAtomCount());
            ASSERT_EQ(mdl.GetAtomCount(), native.GetAtomCount());
            ++checked;
        }
        for (pid_t& pid : writers) {
            int status = 0;
            if (pid > 0 && waitpid(pid, &status, WNOHANG) == pid) {
                EXPECT_EQ(WEXITSTATUS(status), 0);
                pid = 0;
                --running;
            }
        }
    }
    EXPECT_GT(checked, 0);
}

} // namespace
} // namespace qrtz
