#include <gtest/gtest.h>

#include <string>

#include "formats/FormatTestSupport.h"
#include "qrtzdb/environment/TblAtom.h"
#include "qrtzdb/formats/KelDbCrystal.h"

namespace qrtz {
namespace {

using testing::fixture;
using testing::mentions;
using testing::readFailure;
using testing::readText;
using testing::written;

void addAtom(KelDbCrystal& crystal, const char* name, Vertex3D s, double mass, double charge) {
    crystal.AppendAtom(crystal.CreateDbAtomV(name, s, mass, charge, 0.0));
}

// The crystal of tests/data/nacl.cry.
void rockSalt(KelDbCrystal& crystal) {
    crystal.SetName("NaCl");
    crystal.a = crystal.b = crystal.c = 5.64;
    addAtom(crystal, "Na", {0, 0, 0}, 22.9898, 1);
    addAtom(crystal, "Na", {0.5, 0.5, 0}, 22.9898, 1);
    addAtom(crystal, "Cl", {0.5, 0, 1.0 / 3.0}, 35.453, -1);
    addAtom(crystal, "Cl", {0, 0.5, -0.125}, 35.453, -1);
    crystal.UpdateAtomTypeList();
}

auto readCry(KelDbCrystal& crystal) {
    return [&crystal](FileStream& in) { crystal.ReadCrydb(in); };
}

TEST(KelDbCrystal, WritesAndReadsTheDatabase) {
    KelDbCrystal crystal;
    rockSalt(crystal);
    EXPECT_EQ(written([&](FileStream& out) { crystal.WriteCrydb(out); }), fixture("nacl.cry"));

    KelDbCrystal back;
    back.lowerCorner = Vertex3D(-1, -1, -1);  // not part of the file, so it stays
    readText(fixture("nacl.cry"), readCry(back));
    EXPECT_EQ(back.GetName(), "NaCl");
    EXPECT_EQ(back.headerTitle, "KELVORN Crystal Database File");
    EXPECT_EQ(back.headerKind, "Crystal");
    EXPECT_EQ(back.a, 5.64);
    EXPECT_EQ(back.gamma, 90.0);
    EXPECT_EQ(back.lowerCorner, Vertex3D(-1, -1, -1));
    ASSERT_EQ(back.GetAtomCount(), 4);
    EXPECT_EQ(back.GetAtomTypeCount(), 2);
    const DbAtomV* cl = back.GetAtomAt(2);
    EXPECT_EQ(cl->GetName(), "Cl");
    EXPECT_EQ(cl->position, Vertex3D(0.5, 0, 0.3333));  // fractional, to four decimals
    EXPECT_EQ(cl->mass, 35.453);
    EXPECT_EQ(cl->charge, -1.0);
    EXPECT_EQ(cl->radius, TblAtom::GetRadius(TblAtom::FindRegIndex("Cl")));
    EXPECT_EQ(back.GetAtomAt(3)->position.z, -0.125);

    // Lattice constants to four decimals; the copy keeps the header fields.
    back.a = 3.14159265;
    back.alpha = 60.00004;
    back.headerMaker = "someone";
    std::unique_ptr<DbComp> copy(back.Copy());
    auto* kel = dynamic_cast<KelDbCrystal*>(copy.get());
    ASSERT_NE(kel, nullptr);
    EXPECT_EQ(kel->headerMaker, "someone");
    readText(written([&](FileStream& out) { kel->WriteCrydb(out); }), readCry(crystal));
    EXPECT_EQ(crystal.a, 3.1416);
    EXPECT_EQ(crystal.alpha, 60.0);
    EXPECT_EQ(crystal.headerMaker, "someone");
    EXPECT_EQ(crystal.GetAtomCount(), 4);

    // Supercells are crystals of this class.
    std::unique_ptr<DbCrystal> super(back.CopySymmetry(2, 1, 1));
    EXPECT_NE(dynamic_cast<KelDbCrystal*>(super.get()), nullptr);
    EXPECT_EQ(super->GetAtomCount(), 8);
}

TEST(KelDbCrystal, EmptyAndBlankNamedCrystalsReadBack) {
    KelDbCrystal crystal;  // a name of sixteen blanks, written as it is
    const std::string text = written([&](FileStream& out) { crystal.WriteCrydb(out); });
    EXPECT_EQ(text,
              "KELVORN Crystal Database File\nBRELLIX\nCrystal\n"
              "    1.0000     1.0000     1.0000    90.0000    90.0000    90.0000\n   1\n" +
                  std::string(16, ' ') + "      0      0      0      1    200\n");
    KelDbCrystal back;
    back.SetName("X");
    readText(text, readCry(back));
    EXPECT_EQ(back.GetName(), std::string(16, ' '));
    EXPECT_EQ(back.GetAtomCount(), 0);

    // Also when the count fills its four columns and more.
    for (int atoms : {1, 12345}) {
        for (const char* name : {"", " ", "Si"}) {
            KelDbCrystal one;
            one.SetName(name);
            for (int i = 0; i < atoms; ++i) addAtom(one, "O", {0.5, 0.5, 0.5}, 15.9994, 0);
            one.UpdateAtomTypeList();
            readText(written([&](FileStream& out) { one.WriteCrydb(out); }), readCry(back));
            EXPECT_EQ(back.GetName(), name);
            EXPECT_EQ(back.GetAtomCount(), atoms);
        }
    }
}

TEST(KelDbCrystal, MalformedInputFailsWithTheLineAndKeepsWhatCameBefore) {
    const std::string good = fixture("nacl.cry");
    KelDbCrystal crystal;

    std::string shortLine = good;
    shortLine.replace(shortLine.find("    -1.0000\n   2   Cl"), 11, "");
    std::string message = readFailure(shortLine, readCry(crystal));
    EXPECT_TRUE(mentions(message, "line 9: field 7 (the partial charge) is missing"));
    EXPECT_EQ(crystal.GetName(), "NaCl");
    EXPECT_EQ(crystal.a, 5.64);
    EXPECT_EQ(crystal.GetAtomCount(), 2);

    std::string badCell = good;
    badCell.replace(badCell.find("90.0000    90.0000"), 7, "ninety");
    message = readFailure(badCell, readCry(crystal));
    EXPECT_TRUE(mentions(message, "line 4: field 4 (the angle alpha) is not a number"));
    EXPECT_EQ(crystal.c, 5.64);  // the constants before the fault are in

    std::string huge = good;
    huge.replace(huge.find("   4      0"), 11, "999999999 0");
    message = readFailure(huge, readCry(crystal));
    EXPECT_TRUE(mentions(message, "line 11: the input ends where an atom line"));
    EXPECT_EQ(crystal.GetAtomCount(), 4);

    EXPECT_GT(testing::tortureRead(good, readCry(crystal)), 100);
}

} // namespace
} // namespace qrtz
