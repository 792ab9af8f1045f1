#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "formats/FormatTestSupport.h"
#include "qrtzdb/environment/TblAtom.h"
#include "qrtzdb/formats/KelDbAtomV.h"
#include "qrtzdb/formats/KelDbMolCrystal.h"
#include "qrtzdb/formats/KelDbMolecule.h"

namespace qrtz {
namespace {

using testing::firstLines;
using testing::fixture;
using testing::mentions;
using testing::readFailure;
using testing::readText;
using testing::written;

void addAtom(KelDbMolecule& mol, const char* name, Vertex3D r, double mass, double charge) {
    mol.AppendAtom(mol.CreateDbAtomV(name, r, mass, charge, 0.0));
}

// The molecule of tests/data/h2o2.mol, written out by hand from the format's columns.
void hydrogenPeroxide(KelDbMolecule& mol) {
    mol.SetName("H2O2");
    addAtom(mol, "O", {0, 0, 0}, 15.9994, -0.41);
    addAtom(mol, "O", {1.475, 0, 0}, 15.9994, -0.41);
    addAtom(mol, "H", {-0.316, 0.9166, 0.0}, 1.0079, 0.41);
    addAtom(mol, "H", {1.791, -0.231, 0.893}, 1.0079, 0.41);
    mol.AppendBond(mol.CreateDbBondV("1", 1, 2));
    mol.AppendBond(mol.CreateDbBondV("1", 1, 3));
    mol.AppendBond(mol.CreateDbBondV("1", 2, 4));
    mol.UpdateAtomTypeList();
    mol.UpdateBondTypeList();
}

auto readMol(KelDbMolecule& mol) {
    return [&mol](FileStream& in) { mol.ReadMoldb(in); };
}

double radiusOf(const char* symbol) { return TblAtom::GetRadius(TblAtom::FindRegIndex(symbol)); }

TEST(KelDbMolecule, WritesTheDatabaseColumnForColumn) {
    KelDbMolecule mol;
    hydrogenPeroxide(mol);
    EXPECT_EQ(written([&](FileStream& out) { mol.WriteMoldb(out); }), fixture("h2o2.mol"));
    EXPECT_EQ(mol.GetKelvornClipboardSize(), (3 + 4 * 4 + 10) * 40);

    // Nothing but the six lines before the atoms; the counts line pads a short name to 16.
    KelDbMolecule empty("Empty");
    EXPECT_EQ(written([&](FileStream& out) { empty.WriteMoldb(out); }),
              "KELVORN Molecular Database File\nBRELLIX\nMolecule\n"
              "    0.0000     0.0000     0.0000     0.0000     0.0000     0.0000\n   1\n"
              "Empty                 0      0      0      1    200\n");
    EXPECT_EQ(empty.GetKelvornClipboardSize(), 400);

    // Type numbers follow the type list as last rebuilt: a later element is number 0 and the
    // type count stays.
    addAtom(mol, "Xe", {0, 0, 0}, 131.29, 0);
    const std::string text = written([&](FileStream& out) { mol.WriteMoldb(out); });
    EXPECT_TRUE(mentions(text, "H2O2                  5      3      2      1    200\n"));
    EXPECT_TRUE(mentions(text, "\n   0   Xe     131.2900"));
}

TEST(KelDbMolecule, ReadsBackWhatItWrites) {
    KelDbMolecule mol("Old");
    addAtom(mol, "U", {9, 9, 9}, 238, 0);  // replaced by the read
    mol.sp.value1 = 5.0;
    mol.sp.value3 = 7;
    mol.headerKind = "changed";
    readText(fixture("h2o2.mol"), readMol(mol));

    EXPECT_EQ(mol.GetName(), "H2O2");
    EXPECT_EQ(mol.headerTitle, "KELVORN Molecular Database File");
    EXPECT_EQ(mol.headerMaker, "BRELLIX");
    EXPECT_EQ(mol.headerKind, "Molecule");
    EXPECT_EQ(mol.sp.value1, 298.0);
    EXPECT_EQ(mol.sp.value3, 1);
    ASSERT_EQ(mol.GetAtomCount(), 4);
    ASSERT_EQ(mol.GetAtomTypeCount(), 2);
    EXPECT_EQ(*mol.GetAtomTypeAt(0), "O ");
    EXPECT_EQ(*mol.GetAtomTypeAt(1), "H ");
    const DbAtomV* h = mol.GetAtomAt(3);
    EXPECT_NE(dynamic_cast<const KelDbAtomV*>(h), nullptr);
    EXPECT_EQ(h->GetName(), "H ");  // symbols come back as two-byte table keys
    EXPECT_EQ(h->mass, 1.0079);
    EXPECT_EQ(h->charge, 0.41);
    EXPECT_EQ(h->position, Vertex3D(1.791, -0.231, 0.893));
    EXPECT_EQ(h->radius, radiusOf("H"));
    EXPECT_EQ(mol.GetAtomAt(0)->radius, radiusOf("O"));
    ASSERT_EQ(mol.GetBondCount(), 3);
    EXPECT_EQ(mol.GetBondTypeCount(), 1);
    const DbBondV* bond = mol.GetBondAt(2);
    EXPECT_EQ(bond->GetName(), "1 ");
    EXPECT_EQ(bond->firstAtom, 2);
    EXPECT_EQ(bond->secondAtom, 4);

    // Values beyond four decimals come back rounded to the written precision.
    KelDbMolecule fine("Fine");
    addAtom(fine, "C", {1.234567, -9.87654, 1000.00006}, 12.0107, -0.123456);
    fine.UpdateAtomTypeList();
    KelDbMolecule back;
    readText(written([&](FileStream& out) { fine.WriteMoldb(out); }), readMol(back));
    const DbAtomV* c = back.GetAtomAt(0);
    EXPECT_NEAR(c->position.x, 1.2346, 1e-12);
    EXPECT_NEAR(c->position.y, -9.8765, 1e-12);
    EXPECT_NEAR(c->position.z, 1000.0001, 1e-9);
    EXPECT_NEAR(c->mass, 12.0107, 1e-12);
    EXPECT_NEAR(c->charge, -0.1235, 1e-12);

    // A file of no atoms gives an empty molecule with its name.
    KelDbMolecule empty("Nothing");
    readText(written([&](FileStream& out) { empty.WriteMoldb(out); }), readMol(back));
    EXPECT_EQ(back.GetName(), "Nothing");
    EXPECT_EQ(back.GetAtomCount(), 0);
    EXPECT_EQ(back.GetBondCount(), 0);

    // Copies carry the header fields and the Sp block with the atoms.
    mol.headerMaker = "maker";
    mol.sp.value6 = 2.5;
    std::unique_ptr<DbComp> copy(mol.Copy());
    auto* kel = dynamic_cast<KelDbMolecule*>(copy.get());
    ASSERT_NE(kel, nullptr);
    EXPECT_EQ(kel->headerMaker, "maker");
    EXPECT_EQ(kel->sp.value6, 2.5);
    EXPECT_EQ(kel->GetAtomCount(), 4);
    EXPECT_NE(dynamic_cast<KelDbAtomV*>(kel->GetAtomAt(0)), nullptr);
}

// A host's own atom and molecule classes; the molecule overrides the atom slot with exactly its
// declared signature.
struct HostAtom : KelDbAtomV {
    using KelDbAtomV::KelDbAtomV;
};
struct HostMolecule : KelDbMolecule {
    using KelDbMolecule::KelDbMolecule;
    DbAtomV* CreateDbAtomV(const char* name, Vertex3D& position, double mass, double charge,
                           double radius) override {
        return new HostAtom(name, position, mass, charge, radius);
    }
};
struct HostCrystal : KelDbMolCrystal {
    KelDbMolecule* CreateKelDbMolecule(const char* name) override { return new HostMolecule(name); }
};

TEST(KelDbMolecule, ReadersMakeAtomsThroughTheHostsOverride) {
    HostMolecule mol;
    readText(fixture("h2o2.mol"), readMol(mol));
    ASSERT_EQ(mol.GetAtomCount(), 4);
    for (POSITION pos = mol.GetAtomHeadPosition(); pos;)
        EXPECT_NE(dynamic_cast<HostAtom*>(mol.GetAtomNext(pos)), nullptr);

    HostCrystal crystal;
    readText(fixture("mixture.mcr"), [&](FileStream& in) { crystal.ReadMcrdb(in); });
    ASSERT_EQ(crystal.GetMolCount(), 3);
    for (POSITION pos = crystal.GetMolHeadPosition(); pos;) {
        const DbMolecule* member = crystal.GetMolNext(pos);
        ASSERT_GT(member->GetAtomCount(), 0);
        for (POSITION at = member->GetAtomHeadPosition(); at;)
            EXPECT_NE(dynamic_cast<const HostAtom*>(member->GetAtomNext(at)), nullptr);
    }
}

TEST(KelDbMolecule, BlankNamesReadBackAsWritten) {
    KelDbMolecule mol;  // sixteen blanks
    mol.AppendAtom(mol.CreateDbAtomV("    ", {0.5, 0, 0}, 4.0, 0.25, 0));
    addAtom(mol, "He", {0, 0.5, 0}, 4.0026, 0);
    mol.AppendBond(mol.CreateDbBondV("  ", 1, 2));
    mol.UpdateAtomTypeList();
    const std::string text = written([&](FileStream& out) { mol.WriteMoldb(out); });

    KelDbMolecule back("Other");
    readText(text, readMol(back));
    EXPECT_EQ(back.GetName(), std::string(16, ' '));
    ASSERT_EQ(back.GetAtomCount(), 2);
    EXPECT_EQ(back.GetAtomAt(0)->GetName(), "    ");
    EXPECT_EQ(back.GetAtomAt(0)->mass, 4.0);
    EXPECT_EQ(back.GetAtomAt(0)->charge, 0.25);
    EXPECT_EQ(back.GetAtomAt(1)->GetName(), "He");
    ASSERT_EQ(back.GetBondCount(), 1);
    EXPECT_EQ(back.GetBondAt(0)->GetName(), "  ");
    EXPECT_EQ(back.GetBondAt(0)->secondAtom, 2);
    // And the round trip is a fixed point.
    EXPECT_EQ(written([&](FileStream& out) { back.WriteMoldb(out); }), text);
}

TEST(KelDbMolecule, LongFieldsAreCutOrRefused) {
    std::string text = fixture("h2o2.mol");
    const std::string title(100, 'T'), maker(40, 'M');
    text.replace(0, text.find('\n'), title);
    text.replace(text.find("BRELLIX"), 7, maker);
    text.replace(text.find("H2O2 "), 4, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    KelDbMolecule mol;
    readText(text, readMol(mol));
    EXPECT_EQ(mol.headerTitle, title.substr(0, 80));
    EXPECT_EQ(mol.headerMaker, maker.substr(0, 30));
    EXPECT_EQ(mol.GetName(), "ABCDEFGHIJKLMNOP");

    // Names are read into 260-byte buffers: 259 bytes pass, 260 do not.
    std::string name = fixture("h2o2.mol");
    name.replace(name.find("H2O2 "), 4, std::string(259, 'N'));
    readText(name, readMol(mol));
    EXPECT_EQ(mol.GetName(), std::string(16, 'N'));
    name.replace(name.find(std::string(259, 'N')), 259, std::string(260, 'N'));
    EXPECT_TRUE(mentions(readFailure(name, readMol(mol)), "field 1 (the name) is longer than 259"));

    std::string symbol = fixture("h2o2.mol");
    symbol.replace(symbol.find("   2   H "), 9, "   2   " + std::string(300, 'H') + " ");
    EXPECT_TRUE(mentions(readFailure(symbol, readMol(mol)), "line 9: field 2 (the element"));
    EXPECT_EQ(mol.GetAtomCount(), 2);
}

TEST(KelDbMolecule, MalformedInputFailsWithTheLineAndKeepsWhatCameBefore) {
    const std::string good = fixture("h2o2.mol");
    KelDbMolecule mol;

    // An atom line without its charge.
    std::string shortLine = good;
    shortLine.replace(shortLine.find("     0.4100\n   2   H"), 11, "");
    std::string message = readFailure(shortLine, readMol(mol));
    EXPECT_TRUE(mentions(message, "line 9: field 7 (the partial charge) is missing"));
    EXPECT_EQ(mol.GetName(), "H2O2");
    EXPECT_EQ(mol.GetAtomCount(), 2);
    EXPECT_EQ(mol.GetAtomTypeCount(), 0);  // not rebuilt after a failure

    // More bonds announced than follow: the first Z-matrix line is no bond line.
    std::string moreBonds = good;
    moreBonds.replace(moreBonds.find("   4      3"), 11, "   4      5");
    message = readFailure(moreBonds, readMol(mol));
    EXPECT_TRUE(mentions(message, "line 14: field 1 (the first atom number) is not an integer"));
    EXPECT_EQ(mol.GetAtomCount(), 4);
    EXPECT_EQ(mol.GetBondCount(), 3);

    // ... and with nothing after the bonds the input ends where the fourth should be.
    message = readFailure(firstLines(moreBonds, 13), readMol(mol));
    EXPECT_TRUE(mentions(message, "line 14: the input ends where a bond line should be"));

    // A count far beyond the input fails at its end, with nothing set aside for it.
    std::string huge = firstLines(good, 8);
    huge.replace(huge.find("   4      3"), 11, "2147483647 2147483647");
    message = readFailure(huge, readMol(mol));
    EXPECT_TRUE(mentions(message, "line 9: the input ends where an atom line should be"));
    EXPECT_EQ(mol.GetAtomCount(), 2);

    // Six fields where seven are written, or a bond line that stops after its atom numbers,
    // is not a blank name: a written blank name keeps its blank columns.
    std::string noName = good;
    noName.replace(noName.find("   2   H        1.0079"), 22, "   2 1.0079");
    EXPECT_TRUE(mentions(readFailure(noName, readMol(mol)), "line 9: field 7"));
    EXPECT_EQ(mol.GetAtomCount(), 2);
    std::string noBondName = good;
    noBondName.replace(noBondName.find("   2      4   1 "), 16, "   2      4");
    EXPECT_TRUE(mentions(readFailure(noBondName, readMol(mol)), "line 13: field 3"));
    EXPECT_EQ(mol.GetBondCount(), 2);

    std::string negative = good;
    negative.replace(negative.find("   4      3"), 11, "  -4      3");
    EXPECT_TRUE(mentions(readFailure(negative, readMol(mol)), "line 6: a count is negative"));

    EXPECT_TRUE(mentions(readFailure("", readMol(mol)), "line 1: the input ends where the header"));
    EXPECT_TRUE(mentions(readFailure(firstLines(good, 5), readMol(mol)), "line 6"));

    // Every cut of the file and every spray of garbage over it ends in an FsException or a
    // molecule, never anything else.
    EXPECT_GT(testing::tortureRead(good, readMol(mol)), 100);
}

TEST(KelDbAtomV, RecordsRoundTrip) {
    KelDbAtomV atom("C", {1.23456, -0.5, 0}, 12.011, -0.12, 9.0);
    atom.flag = 3;
    atom.velocity = Vertex3D(1, 2, 3);
    const std::string text = written([&](FileStream& out) { atom.WriteAtom(out); });
    EXPECT_EQ(text, "C       12.0110     1.2346    -0.5000     0.0000    -0.1200\n");
    EXPECT_EQ(atom.GetKelvornClipboardSize(), 80);

    KelDbAtomV back;
    back.flag = 2;
    readText(text, [&](FileStream& in) { back.ReadAtom(in); });
    EXPECT_EQ(back.GetName(), "C ");
    EXPECT_EQ(back.mass, 12.011);
    EXPECT_EQ(back.position, Vertex3D(1.2346, -0.5, 0));
    EXPECT_EQ(back.charge, -0.12);
    EXPECT_EQ(back.radius, radiusOf("C"));
    EXPECT_EQ(back.flag, 2);  // the record holds no flag

    // A blank name leaves five numbers in the writer's columns; five numbers elsewhere are a
    // record without its name. A long symbol is cut to four bytes.
    const std::string blank = written([](FileStream& out) {
        KelDbAtomV("    ", {2, 3, 4}, 1.0, 5.0, 0).WriteAtom(out);
    });
    readText(blank, [&](FileStream& in) { back.ReadAtom(in); });
    EXPECT_EQ(back.GetName(), "    ");
    EXPECT_EQ(back.charge, 5.0);
    EXPECT_TRUE(mentions(readFailure("     1.0000     2.0000     3.0000     4.0000     5.0000\n",
                                     [&](FileStream& in) { back.ReadAtom(in); }),
                         "line 1: field 6 (the partial charge) is missing"));
    readText("Carbon 1 2 3 4 5", [&](FileStream& in) { back.ReadAtom(in); });
    EXPECT_EQ(back.GetName(), "Carb");

    // A short record keeps what it gave before the fault.
    const std::string message =
        readFailure("N 14.0 7.5\n", [&](FileStream& in) { back.ReadAtom(in); });
    EXPECT_TRUE(mentions(message, "line 1: field 4 (y) is missing"));
    EXPECT_EQ(back.mass, 14.0);
    EXPECT_EQ(back.position.x, 7.5);
    EXPECT_EQ(back.GetName(), "Carb");
}

} // namespace
} // namespace qrtz

namespace qrtz {
namespace {

// Aromatic typing names ring carbons "C R "; such names come back whole from the molecule
// database and the bundle, where a split into two fields would lose the atom.
TEST(NativeFormats, AtomNamesWithABlankReadBack) {
    KelDbMolecule mol;
    mol.SetName("Ring");
    mol.AppendAtom(mol.CreateDbAtomV("C R ", {0.1, 0.2, 0.3}, 12.011, -0.1, 0.0));
    mol.AppendAtom(mol.CreateDbAtomV("H", {0.4, 0.5, 0.6}, 1.008, 0.1, 0.0));
    // Bond-order and united-atom marks put digits after the blank.
    mol.AppendAtom(mol.CreateDbAtomV("O 1 ", {0.7, 0.8, 0.9}, 15.999, -0.4, 0.0));
    mol.AppendAtom(mol.CreateDbAtomV("C 14", {1.0, 1.1, 1.2}, 16.043, 0.0, 0.0));
    mol.AppendBond(mol.CreateDbBondV("1", 1, 2));
    mol.UpdateAtomTypeList();
    KelDbMolecule back;
    testing::readText(testing::written([&](FileStream& out) { mol.WriteMoldb(out); }),
                      [&](FileStream& in) { back.ReadMoldb(in); });
    ASSERT_EQ(back.GetAtomCount(), 4);
    EXPECT_EQ(back.GetAtomAt(0)->GetName(), "C R ");
    EXPECT_DOUBLE_EQ(back.GetAtomAt(0)->mass, 12.011);
    EXPECT_EQ(back.GetAtomAt(2)->GetName(), "O 1 ");
    EXPECT_DOUBLE_EQ(back.GetAtomAt(2)->mass, 15.999);
    EXPECT_EQ(back.GetAtomAt(3)->GetName(), "C 14");
    EXPECT_DOUBLE_EQ(back.GetAtomAt(3)->position.x, 1.0);

    KelDbMolCrystal mcr;
    mcr.AppendMol(static_cast<DbMolecule*>(mol.Copy()));
    mcr.UpdateMolTypeList();
    for (int mode : {1, -2}) {
        KelDbMolCrystal again;
        testing::readText(testing::written([&](FileStream& out) { mcr.WriteBdl(out, mode); }),
                          [&](FileStream& in) { again.ReadBdl(in); });
        ASSERT_EQ(again.GetAtomCount(), 4) << "mode " << mode;
        EXPECT_EQ(again.GetMolAt(0)->GetAtomAt(3)->GetName(), "C 14") << "mode " << mode;
        EXPECT_EQ(again.GetMolAt(0)->GetAtomAt(0)->GetName(), "C R ") << "mode " << mode;
        EXPECT_DOUBLE_EQ(again.GetMolAt(0)->GetAtomAt(0)->position.z, 0.3);
    }
}

} // namespace
} // namespace qrtz
