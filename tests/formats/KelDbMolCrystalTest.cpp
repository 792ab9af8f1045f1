#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "formats/FormatTestSupport.h"
#include "qrtzdb/environment/TblAtom.h"
#include "qrtzdb/formats/KelDbAtomV.h"
#include "qrtzdb/formats/KelDbMolCrystal.h"
#include "qrtzdb/formats/SimDbAtomV.h"
#include "qrtzdb/formats/SimDbMolCrystal.h"
#include "qrtzdb/formats/SimDbMolecule.h"

namespace qrtz {
namespace {

using testing::firstLines;
using testing::fixture;
using testing::mentions;
using testing::readFailure;
using testing::readText;
using testing::written;

DbAtomV* addAtom(DbMolecule& mol, const char* name, Vertex3D r, double mass, double charge) {
    DbAtomV* atom = mol.CreateDbAtomV(name, r, mass, charge, 0.0);
    mol.AppendAtom(atom);
    return atom;
}

DbMolecule* water(KelDbMolCrystal& crystal, Vertex3D at) {
    DbMolecule* mol = crystal.CreateKelDbMolecule("H2O");
    addAtom(*mol, "O", at, 15.9994, -0.8476);
    addAtom(*mol, "H", at + Vertex3D(0.05, 0, 0), 1.008, 0.4238);
    addAtom(*mol, "H", at + Vertex3D(0, 0.05, 0), 1.008, 0.4238);
    mol->AppendBond(mol->CreateDbBondV("1", 1, 2));
    mol->AppendBond(mol->CreateDbBondV("1", 1, 3));
    mol->UpdateAtomTypeList();
    mol->UpdateBondTypeList();
    crystal.AppendMol(mol);
    return mol;
}

// The crystal of tests/data/mixture.*: two waters with a group of argon atoms between them.
void mixture(KelDbMolCrystal& crystal) {
    crystal.a = 10;
    crystal.b = 12.5;
    crystal.c = 9.8765;
    crystal.beta = 100.25;
    DbMolecule* first = water(crystal, {0.1, 0.2, 0.3});
    DbMolecule* argon = crystal.CreateKelDbMolecule("Ar");
    for (Vertex3D r : {Vertex3D(0, 0, 0), Vertex3D(0.5, 0.5, 0), Vertex3D(0.5, 0, 0.5)})
        addAtom(*argon, "Ar", r, 39.948, 0);
    argon->UpdateAtomTypeList();
    crystal.AppendMol(argon);
    water(crystal, {0.6, 0.7, 0.8});
    crystal.UpdateMolTypeList();

    DbAtomV* o = first->GetAtomAt(0);
    o->flag = 3;
    o->flag3 = Vertex3D(1.5, -2.25, 1e-5);
    o->flag2 = Vertex3D(7, 7, 7);
    DbAtomV* h = first->GetAtomAt(1);
    h->flag = 2;
    h->flag2 = Vertex3D(0.125, 0, 3);
    DbAtomV* other = first->GetAtomAt(2);
    other->flag = 1;
    other->flag2 = other->flag3 = Vertex3D(9, 9, 9);
}

auto readMcr(KelDbMolCrystal& crystal) {
    return [&crystal](FileStream& in) { crystal.ReadMcrdb(in); };
}
auto readBdl(KelDbMolCrystal& crystal) {
    return [&crystal](FileStream& in) { crystal.ReadBdl(in); };
}
std::string mcrOf(const KelDbMolCrystal& crystal) {
    return written([&](FileStream& out) { crystal.WriteMcrdb(out); });
}
std::string bdlOf(KelDbMolCrystal& crystal, int mode) {
    return written([&](FileStream& out) { crystal.WriteBdl(out, mode); });
}

// Drops the lines of text that contain any of the marks.
std::string withoutLines(const std::string& text, std::initializer_list<const char*> marks) {
    std::string kept;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at) + 1;
        const std::string line = text.substr(at, end - at);
        bool drop = false;
        for (const char* mark : marks) drop = drop || line.find(mark) != std::string::npos;
        if (!drop) kept += line;
        at = end;
    }
    return kept;
}

TEST(KelDbMolCrystal, WritesTheDatabaseAndBundlesColumnForColumn) {
    KelDbMolCrystal crystal;
    mixture(crystal);
    EXPECT_EQ(mcrOf(crystal), fixture("mixture.mcr"));
    EXPECT_EQ(bdlOf(crystal, -2), fixture("mixture.bdl"));
    EXPECT_EQ(bdlOf(crystal, 1), fixture("mixture-mode1.bdl"));
    // Only -2 writes the flag columns.
    std::string mode3 = fixture("mixture-mode1.bdl");
    mode3.replace(mode3.find("    2   1\n"), 9, "    2  -3");
    EXPECT_EQ(bdlOf(crystal, -3), mode3);
    // Two types, the first molecule of each with 2 and 0 bonds, 9 atoms.
    EXPECT_EQ(crystal.GetKelvornBdlClipboardSize(), (2 + 2) * 80 + 9 * 150 + 200);

    // The bundle writer leaves coordinates near zero exactly zero, in the atom too.
    DbAtomV* argon = crystal.GetMolAt(1)->GetAtomAt(0);
    argon->position = Vertex3D(4e-7, -4e-7, -0.0);
    EXPECT_EQ(bdlOf(crystal, 1), fixture("mixture-mode1.bdl"));
    EXPECT_EQ(argon->position.x, 0.0);
    EXPECT_FALSE(std::signbit(argon->position.y));
    EXPECT_FALSE(std::signbit(argon->position.z));

    // Molecules of one name that break the type rule would not read back: nothing is written.
    addAtom(*crystal.GetMolAt(2), "H", {0, 0, 0}, 1.008, 0);
    std::string text = "untouched";
    std::ostringstream out;
    FileStream stream(out);
    try {
        crystal.WriteMcrdb(stream);
        ADD_FAILURE() << "no FsException";
    } catch (const FsException& e) {
        EXPECT_EQ(e.code, 1);
        EXPECT_TRUE(mentions(e.Message(), "molecules named 'H2O' differ: 3 atoms"));
    }
    EXPECT_THROW(crystal.WriteBdl(stream, 1), FsException);
    EXPECT_EQ(out.str(), "");
}

TEST(KelDbMolCrystal, DatabaseOfSeveralTypesReadsBackWhole) {
    KelDbMolCrystal crystal;
    readText(fixture("mixture.mcr"), readMcr(crystal));
    EXPECT_EQ(crystal.headerTitle, "KELVORN Molecular Crystal Database File");
    EXPECT_EQ(crystal.headerKind, "Molecular Crystal");
    EXPECT_EQ(crystal.c, 9.8765);
    EXPECT_EQ(crystal.beta, 100.25);
    ASSERT_EQ(crystal.GetMolCount(), 3);
    ASSERT_EQ(crystal.GetMolTypeCount(), 2);
    EXPECT_EQ(*crystal.GetMolTypeAt(1), "Ar");
    for (int m = 0; m < 2; ++m) {
        const DbMolecule* mol = crystal.GetMolAt(m);
        EXPECT_NE(dynamic_cast<const KelDbMolecule*>(mol), nullptr);
        EXPECT_EQ(mol->GetName(), "H2O");
        ASSERT_EQ(mol->GetAtomCount(), 3);
        ASSERT_EQ(mol->GetBondCount(), 2);
        EXPECT_EQ(mol->GetBondAt(1)->secondAtom, 3);
        EXPECT_EQ(mol->GetAtomTypeCount(), 2);
        const DbAtomV* h = mol->GetAtomAt(2);
        EXPECT_NE(dynamic_cast<const KelDbAtomV*>(h), nullptr);
        EXPECT_EQ(h->GetName(), "H ");
        EXPECT_EQ(h->mass, 1.008);
        EXPECT_EQ(h->charge, 0.4238);
        EXPECT_EQ(h->radius, TblAtom::GetRadius(TblAtom::FindRegIndex("H")));
        EXPECT_EQ(h->position, m == 0 ? Vertex3D(0.1, 0.25, 0.3) : Vertex3D(0.6, 0.75, 0.8));
    }
    EXPECT_EQ(crystal.GetMolAt(2)->GetAtomCount(), 3);
    EXPECT_EQ(crystal.GetMolAt(2)->GetBondCount(), 0);
    // Blocks of the same types and molecules write the same file again.
    EXPECT_EQ(mcrOf(crystal), fixture("mixture.mcr"));

    // A file without Z-matrix lines reads the same.
    const std::string bare = withoutLines(
        fixture("mixture.mcr"),
        {"0.0000    0     0.0000    0     0.0000    0", "0.0500    1", "0.7071    "});
    ASSERT_EQ(std::count(bare.begin(), bare.end(), '\n'), 18);
    KelDbMolCrystal again;
    readText(bare, readMcr(again));
    EXPECT_EQ(mcrOf(again), fixture("mixture.mcr"));

    // Ten argon atoms in ten molecules make one group, written back as one molecule.
    std::string argon = firstLines(fixture("mixture.mcr"), 4) + "   1\nAr  1 0 1 10 200\n";
    for (int i = 0; i < 10; ++i) argon += "1 Ar 39.948 0." + std::to_string(i) + " 0 0 0\n";
    readText(argon, readMcr(again));
    ASSERT_EQ(again.GetMolCount(), 1);
    EXPECT_EQ(again.GetMolAt(0)->GetAtomCount(), 10);
    EXPECT_EQ(again.GetMolAt(0)->GetAtomAt(9)->position.x, 0.9);
    EXPECT_TRUE(mentions(mcrOf(again), "\nAr                   10      0      1      1    200\n"));
}

TEST(KelDbMolCrystal, BundlesReadBackFlagsVectorsAndMasses) {
    KelDbMolCrystal crystal;
    crystal.headerKind = "old";
    readText(fixture("mixture.bdl"), readBdl(crystal));
    EXPECT_EQ(crystal.headerTitle, "KELVORN Molecular Crystal Database File");
    EXPECT_EQ(crystal.headerMaker, "KELVORN");
    EXPECT_EQ(crystal.headerKind, "BDL");
    EXPECT_EQ(crystal.b, 12.5);
    EXPECT_EQ(crystal.beta, 100.25);
    ASSERT_EQ(crystal.GetMolCount(), 3);
    const DbMolecule* first = crystal.GetMolAt(0);
    ASSERT_EQ(first->GetAtomCount(), 3);
    const DbAtomV* o = first->GetAtomAt(0);
    EXPECT_EQ(o->flag, 3);
    EXPECT_EQ(o->flag3, Vertex3D(1.5, -2.25, 1e-5));
    EXPECT_EQ(o->flag2, Vertex3D(0, 0, 0));
    EXPECT_EQ(o->mass, 15.9994);
    EXPECT_EQ(o->charge, -0.8476);
    EXPECT_EQ(o->radius, TblAtom::GetRadius(TblAtom::FindRegIndex("O")));
    EXPECT_EQ(first->GetAtomAt(1)->flag2, Vertex3D(0.125, 0, 3));
    EXPECT_EQ(first->GetAtomAt(1)->flag3, Vertex3D(0, 0, 0));
    EXPECT_EQ(first->GetAtomAt(2)->flag, 1);
    EXPECT_EQ(first->GetAtomAt(2)->flag2, Vertex3D(0, 0, 0));
    EXPECT_EQ(crystal.GetMolAt(1)->GetBondCount(), 2);
    EXPECT_EQ(crystal.GetMolAt(2)->GetAtomAt(2)->position, Vertex3D(0.5, 0, 0.5));
    EXPECT_EQ(bdlOf(crystal, -2), fixture("mixture.bdl"));

    // Mode 1: masses from the file, no flags.
    readText(fixture("mixture-mode1.bdl"), readBdl(crystal));
    EXPECT_EQ(crystal.GetMolAt(0)->GetAtomAt(0)->mass, 15.9994);
    EXPECT_EQ(crystal.GetMolAt(0)->GetAtomAt(0)->flag, 0);
    EXPECT_EQ(bdlOf(crystal, 1), fixture("mixture-mode1.bdl"));

    // Without a mode word the lines have no mass column: the table gives the masses.
    const double tableMass = TblAtom::GetMass(TblAtom::FindRegIndex("H"));
    std::string noMode = withoutLines(fixture("mixture-mode1.bdl"), {"000003"});
    noMode.insert(noMode.find("000004"), "000003    2\n");
    readText(noMode, readBdl(crystal));
    EXPECT_EQ(crystal.GetMolAt(0)->GetAtomAt(1)->mass, tableMass);

    // Mode -3 is written with seven columns, so the reader, expecting eleven, falls back to
    // table masses and flag 0.
    mixture(crystal);
    readText(bdlOf(crystal, -3), readBdl(crystal));
    EXPECT_EQ(crystal.GetMolAt(0)->GetAtomAt(1)->mass, tableMass);
    EXPECT_EQ(crystal.GetMolAt(0)->GetAtomAt(0)->flag, 0);

    // A flag read before a missing vector stays; the vectors stay zero, the mass is the table's.
    std::string partial = fixture("mixture.bdl");
    partial.replace(partial.find("  15.9994 3             1.5"), 27, "  15.9994 3");
    readText(partial, readBdl(crystal));
    const DbAtomV* cut = crystal.GetMolAt(0)->GetAtomAt(0);
    EXPECT_EQ(cut->flag, 3);
    EXPECT_EQ(cut->flag3, Vertex3D(0, 0, 0));
    EXPECT_EQ(cut->mass, TblAtom::GetMass(TblAtom::FindRegIndex("O")));
}

TEST(KelDbMolCrystal, BlankNamesAndLargeCrystalsRoundTrip) {
    KelDbMolCrystal crystal;
    crystal.a = 31.5;
    for (int i = 0; i < 1500; ++i) {
        DbMolecule* mol = water(crystal, {i / 1500.0, 1.0 - i / 1500.0, 0.5});
        mol->GetAtomAt(0)->charge = -0.8 - i * 1e-4;
    }
    DbMolecule* blank = crystal.CreateKelDbMolecule(nullptr);
    blank->SetName("                ");
    for (int i = 0; i < 1200; ++i) addAtom(*blank, i % 2 ? "    " : "Ne", {0.001 * i, 0, 0}, 20, 0);
    blank->UpdateAtomTypeList();
    crystal.AppendMol(blank);
    DbMolecule* bonded = crystal.CreateKelDbMolecule("X");
    addAtom(*bonded, "    ", {0.2, 0.2, 0.2}, 1, 0);
    addAtom(*bonded, "C", {0.3, 0.2, 0.2}, 12, 0);
    bonded->AppendBond(bonded->CreateDbBondV("  ", 1, 2));
    bonded->UpdateAtomTypeList();
    crystal.AppendMol(bonded);
    crystal.UpdateMolTypeList();

    const std::string mcr = mcrOf(crystal);
    KelDbMolCrystal back;
    readText(mcr, readMcr(back));
    ASSERT_EQ(back.GetMolCount(), 1502);
    EXPECT_EQ(back.GetMolAt(1500)->GetName(), std::string(16, ' '));
    EXPECT_EQ(back.GetMolAt(1500)->GetAtomAt(1)->GetName(), "    ");
    EXPECT_EQ(back.GetMolAt(1500)->GetAtomCount(), 1200);
    EXPECT_EQ(back.GetMolAt(1501)->GetBondAt(0)->GetName(), "  ");
    EXPECT_EQ(mcrOf(back), mcr);

    for (int mode : {1, -2}) {
        const std::string bdl = bdlOf(crystal, mode);
        readText(bdl, readBdl(back));
        ASSERT_EQ(back.GetMolCount(), 1502);
        EXPECT_EQ(back.GetMolAt(1500)->GetAtomAt(1)->GetName(), "    ");
        EXPECT_EQ(back.GetMolAt(1501)->GetAtomAt(1)->GetName(), "C ");
        EXPECT_EQ(bdlOf(back, mode), bdl);
    }
}

TEST(KelDbMolCrystal, AtomNamesWithInnerBlanksReadBackAfterTheirZmatrixLines) {
    KelDbMolCrystal crystal;
    mixture(crystal);
    crystal.GetMolAt(0)->GetAtomAt(0)->SetName("O  #");
    crystal.GetMolAt(2)->GetAtomAt(0)->SetName("O  #");
    crystal.GetMolAt(1)->GetAtomAt(2)->SetName("A  r");
    crystal.GetMolAt(0)->GetAtomAt(1)->SetName(" H 1");
    crystal.GetMolAt(2)->GetAtomAt(1)->SetName(" H 1");
    for (int i = 0; i < 3; ++i) crystal.GetMolAt(i)->UpdateAtomTypeList();
    const std::string mcr = mcrOf(crystal);
    KelDbMolCrystal back;
    readText(mcr, readMcr(back));
    ASSERT_EQ(back.GetMolCount(), 3);
    EXPECT_EQ(back.GetMolAt(0)->GetAtomAt(0)->GetName(), "O  #");
    EXPECT_EQ(back.GetMolAt(0)->GetAtomAt(1)->GetName(), " H 1");
    EXPECT_EQ(back.GetMolAt(2)->GetAtomAt(2)->GetName(), "A  r");
    EXPECT_EQ(mcrOf(back), mcr);

    // A name that would break its line is refused rather than written.
    back.GetMolAt(1)->GetAtomAt(0)->SetName("A\nr");
    std::ostringstream out;
    FileStream stream(out);
    try {
        back.WriteMcrdb(stream);
        ADD_FAILURE() << "no FsException";
    } catch (const FsException& e) {
        EXPECT_EQ(e.code, 2);
        EXPECT_TRUE(mentions(e.Message(), "the name \"A\" holds control character 10"));
    }
}

TEST(KelDbMolCrystal, ReadsAMoleculeIntoTheMiddleOfTheCell) {
    KelDbMolCrystal crystal;
    crystal.a = crystal.b = crystal.c = 10;
    water(crystal, {0, 0, 0});
    crystal.headerKind = "kept";
    readText(fixture("h2o2.mol"), [&](FileStream& in) { crystal.ReadMoldb(in); });
    EXPECT_EQ(crystal.headerTitle, "KELVORN Molecular Crystal Database File");
    EXPECT_EQ(crystal.headerMaker, "KELVORN");
    EXPECT_EQ(crystal.headerKind, "kept");
    EXPECT_EQ(crystal.a, 10.0);
    ASSERT_EQ(crystal.GetMolCount(), 1);
    ASSERT_EQ(crystal.GetMolTypeCount(), 1);
    DbMolecule* mol = crystal.GetMolAt(0);
    EXPECT_EQ(mol->GetName(), "H2O2");
    EXPECT_NE(dynamic_cast<KelDbMolecule*>(mol), nullptr);
    EXPECT_EQ(mol->GetBondCount(), 3);
    const Vertex3D g = mol->GetCenterOfMass();
    EXPECT_NEAR(g.x, 0.5, 1e-12);
    EXPECT_NEAR(g.y, 0.5, 1e-12);
    EXPECT_NEAR(g.z, 0.5, 1e-12);
    // On its principal axes: the inertia tensor of the Cartesian positions is diagonal.
    double I[3][3] = {};
    for (POSITION pos = mol->GetAtomHeadPosition(); pos;) {
        const DbAtomV* atom = mol->GetAtomNext(pos);
        Vertex3D r = atom->position - g;
        r *= 10.0;
        const double v[3] = {r.x, r.y, r.z};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) I[i][j] -= atom->mass * v[i] * v[j];
    }
    EXPECT_NEAR(I[0][1], 0, 1e-9);
    EXPECT_NEAR(I[0][2], 0, 1e-9);
    EXPECT_NEAR(I[1][2], 0, 1e-9);
    // The bond lengths are the file's, in the cell's fractional units.
    const Vertex3D oo = mol->GetAtomAt(1)->position - mol->GetAtomAt(0)->position;
    EXPECT_NEAR(oo.GetAbsolute() * 10, 1.475, 1e-12);

    // A cell without an inverse changes nothing.
    crystal.c = 0;
    EXPECT_THROW(readText(fixture("h2o2.mol"), [&](FileStream& in) { crystal.ReadMoldb(in); }),
                 FsException);
    EXPECT_EQ(crystal.GetMolCount(), 1);
}

TEST(SimDbMolCrystal, ReadersMakeSimulationMembersAndTheSimulatorBundleIsShifted) {
    SimDbMolCrystal sim;
    readText(fixture("mixture.mcr"), readMcr(sim));
    ASSERT_EQ(sim.GetMolCount(), 3);
    EXPECT_NE(dynamic_cast<SimDbMolecule*>(sim.GetMolAt(0)), nullptr);
    EXPECT_NE(dynamic_cast<SimDbAtomV*>(sim.GetMolAt(2)->GetAtomAt(0)), nullptr);
    readText(fixture("mixture.bdl"), readBdl(sim));
    EXPECT_NE(dynamic_cast<SimDbAtomV*>(sim.GetMolAt(0)->GetAtomAt(0)), nullptr);
    readText(fixture("h2o2.mol"), [&](FileStream& in) { sim.ReadMoldb(in); });
    EXPECT_NE(dynamic_cast<SimDbMolecule*>(sim.GetMolAt(0)), nullptr);
    std::unique_ptr<DbComp> copy(sim.Copy());
    EXPECT_NE(dynamic_cast<SimDbMolCrystal*>(copy.get()), nullptr);

    SimDbMolCrystal shifted;
    shifted.a = shifted.b = shifted.c = 10;
    DbMolecule* mol = shifted.CreateKelDbMolecule("Kr");
    addAtom(*mol, "Kr", {-0.5, 0.0, 0.25}, 83.798, 0)->flag = 3;
    mol->UpdateAtomTypeList();
    shifted.AppendMol(mol);
    shifted.UpdateMolTypeList();
    const std::string text = written([&](FileStream& out) { shifted.WriteSimBdl(out); });
    EXPECT_EQ(text,
              "000001   10.00000  10.00000  10.00000\n"
              "000002   90.00000  90.00000  90.00000\n"
              "000003    1   2\n"
              "000004   Kr                                 1    1    0\n"
              "000005   Kr          0               0             0.5            0.75   83.798\n");
    EXPECT_EQ(mol->GetAtomAt(0)->position, Vertex3D(-0.5, 0.0, 0.25));
}

TEST(KelDbMolCrystal, MalformedInputFailsWithTheLineAndKeepsWhatCameBefore) {
    const std::string mcr = fixture("mixture.mcr");
    const std::string bdl = fixture("mixture.bdl");
    KelDbMolCrystal crystal;

    // A block's molecules are all made before its atoms are read: a failure in the first
    // molecule's atoms leaves both molecules of the block, the second still empty.
    std::string broken = mcr;
    broken.replace(broken.find("1.0080     0.1500"), 17, "1.0080     x.1500");
    std::string message = readFailure(broken, readMcr(crystal));
    EXPECT_TRUE(mentions(message, "line 8: field 4 (x) is not a number"));
    ASSERT_EQ(crystal.GetMolCount(), 2);
    EXPECT_EQ(crystal.GetMolAt(0)->GetAtomCount(), 1);
    EXPECT_EQ(crystal.GetMolAt(1)->GetAtomCount(), 0);
    EXPECT_EQ(crystal.GetMolAt(1)->GetName(), "H2O");
    EXPECT_EQ(crystal.GetMolTypeCount(), 0);

    // More molecules than the rest of the input can hold are refused before any is made.
    std::string many = mcr;
    many.replace(many.find("2      2    200"), 15, "2     40    200");
    message = readFailure(many, readMcr(crystal));
    EXPECT_TRUE(mentions(message, "line 6: 40 molecules of 3 atoms need 120 atom lines, more "
                                  "than the"));
    EXPECT_EQ(crystal.GetMolCount(), 0);
    many.replace(many.find("2     40    200"), 15, "2 2147483647 200");
    EXPECT_TRUE(mentions(readFailure(many, readMcr(crystal)), "line 6: 2147483647 molecules"));
    EXPECT_EQ(crystal.GetMolCount(), 0);
    many.replace(many.find("H2O                   3"), 23, "H2O 2147483647");
    EXPECT_TRUE(mentions(readFailure(many, readMcr(crystal)),
                         "line 6: 2147483647 molecules of 2147483647 atoms need"));

    // A group of more atoms than a molecule can count, and empty molecules sharing bonds.
    std::string group = mcr;
    group.replace(group.find("Ar                    3      0      1      1"), 45,
                  "Ar 100000 0 1 100000");
    EXPECT_TRUE(mentions(readFailure(group, readMcr(crystal)),
                         "line 18: 10000000000 atoms are more than a molecule holds"));
    std::string empty = mcr;
    empty.replace(empty.find("H2O                   3      2      2      2"), 45,
                  "H2O 0 2 2 2000000000");
    EXPECT_TRUE(mentions(readFailure(empty, readMcr(crystal)),
                         "2000000000 molecules without atoms cannot hold 2 bonds"));
    EXPECT_EQ(crystal.GetMolCount(), 0);

    std::string longName = mcr;
    longName.replace(longName.find("H2O "), 3, std::string(260, 'W'));
    EXPECT_TRUE(mentions(readFailure(longName, readMcr(crystal)), "line 6: field 1 (the name)"));

    // A bundle atom line without its coordinates.
    std::string shortAtom = bdl;
    const std::size_t cut = shortAtom.find("0.4238            0.15") + 6;
    shortAtom.erase(cut, shortAtom.find('\n', cut) - cut);
    message = readFailure(shortAtom, readBdl(crystal));
    EXPECT_TRUE(mentions(message, "line 6: field 4 (x) is missing"));
    ASSERT_EQ(crystal.GetMolCount(), 2);
    EXPECT_EQ(crystal.GetMolAt(0)->GetAtomCount(), 1);
    EXPECT_EQ(crystal.GetMolAt(1)->GetAtomCount(), 0);

    std::string hugeBundle = firstLines(bdl, 4);
    hugeBundle.replace(hugeBundle.find("2    3    2"), 11, "2000000 3000 2");
    EXPECT_TRUE(mentions(readFailure(hugeBundle, readBdl(crystal)),
                         "line 4: 2000000 molecules of 3000 atoms need"));
    EXPECT_EQ(crystal.GetMolCount(), 0);

    // An atom line without its name, or a bond line without its name, is not a blank name:
    // the writer keeps a blank name's columns.
    std::string noName = fixture("mixture-mode1.bdl");
    noName.replace(noName.find("000003    2   1"), 15, "000003    2");  // no mass column
    for (const char* mass : {"  15.9994", "    1.008", "   39.948"})
        for (std::size_t at; (at = noName.find(mass)) != std::string::npos;) noName.erase(at, 9);
    noName.replace(noName.find("000007   H      0.4238"), 22, "000007   0.4238");
    EXPECT_TRUE(mentions(readFailure(noName, readBdl(crystal)), "line 7: field 6 (z) is missing"));
    EXPECT_EQ(crystal.GetMolAt(0)->GetAtomCount(), 2);
    std::string noBondName = bdl;
    noBondName.replace(noBondName.find("000012       1         3     1 "), 31,
                       "000012       1         3");
    EXPECT_TRUE(mentions(readFailure(noBondName, readBdl(crystal)), "line 12: field 4"));
    EXPECT_EQ(crystal.GetMolAt(0)->GetBondCount(), 0);

    EXPECT_GT(testing::tortureRead(mcr, readMcr(crystal)), 100);
    EXPECT_GT(testing::tortureRead(bdl, readBdl(crystal)), 100);
    EXPECT_GT(testing::tortureRead(fixture("h2o2.mol"),
                                   [&](FileStream& in) { crystal.ReadMoldb(in); }),
              100);
}

} // namespace
} // namespace qrtz
