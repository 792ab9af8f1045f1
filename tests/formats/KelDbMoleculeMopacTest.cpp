#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "formats/ExchangeTestSupport.h"
#include "formats/FormatTestSupport.h"
#include "model/RingSheet.h"
#include "qrtzdb/environment/TblAtom.h"
#include "qrtzdb/formats/KelDbMolecule.h"

namespace qrtz {
namespace {

using namespace qrtz::testing;

auto readMopac(KelDbMolecule& mol, int charge, int unite = 0) {
    return [&mol, charge, unite](FileStream& in) { mol.ReadMopac(in, charge, unite); };
}

std::string mopacText(const KelDbMolecule& mol) {
    return written([&](FileStream& out) { mol.WriteMopac(out); });
}

TEST(KelDbMoleculeMopac, WritesAndReadsTheText) {
    KelDbMolecule mol;
    formylChloride(mol);
    EXPECT_EQ(mopacText(mol), fixture("formyl-chloride.mopac"));
    EXPECT_EQ(mol.GetMopacClipboardSize(), (3 + 2 * 4 + 1) * 40);

    // Every bond code, charges to four decimals, with and without the charge column read.
    KelDbMolecule chain("Chain");
    const char* bonds[] = {"1 ", "2 ", "3 ", "AR", "C ", "PL", "R "};
    for (int i = 0; i < 8; ++i)
        chain.AppendAtom(chain.CreateDbAtomV(i == 0 ? "N" : "C", Vertex3D(1.5 * i, -0.000049, 1e3), 1, 0.0123456 * i, 1));
    for (int i = 0; i < 7; ++i) chain.AppendBond(chain.CreateDbBondV(bonds[i], i + 1, i + 2));
    const std::string text = mopacText(chain);
    for (int charge : {1, 0}) {
        KelDbMolecule back;
        back.headerTitle = "kept";
        readText(text, readMopac(back, charge));
        EXPECT_EQ(back.GetName(), "Mopac");
        EXPECT_EQ(back.headerTitle, "kept");
        EXPECT_EQ(back.headerMaker, "Kelvorn");
        EXPECT_EQ(back.headerKind, "Translated from a 3DMolData format");
        ASSERT_EQ(back.GetAtomCount(), 8);
        EXPECT_EQ(bondNames(back), std::vector<std::string>(bonds, bonds + 7));
        for (int i = 0; i < 8; ++i) {
            const DbAtomV* atom = back.GetAtomAt(i);
            EXPECT_EQ(atom->position, Vertex3D(1.5 * i, -0.0, 1000.0));
            EXPECT_NEAR(atom->charge, charge ? std::round(0.0123456 * i * 1e4) / 1e4 : 0.0, 1e-12);
            EXPECT_EQ(atom->Name().size(), 4u);
        }
        EXPECT_EQ(back.GetAtomAt(0)->Name(), "N 1 ");
        EXPECT_EQ(back.GetAtomAt(0)->mass, TblAtom::GetMass(TblAtom::FindRegIndex("N")));
        if (charge) {
            EXPECT_EQ(mopacText(back).substr(text.find("\n    1     2")), text.substr(text.find("\n    1     2")));
        }
    }

    // Three zeros and C, without charges: a carbon with the table's mass and radius.
    KelDbMolecule carbon;
    readText("1 0\n0 0 0 C\n", readMopac(carbon, 0));
    ASSERT_EQ(carbon.GetAtomCount(), 1);
    EXPECT_EQ(carbon.GetAtomAt(0)->Name(), "C 1 ");
    EXPECT_EQ(carbon.GetAtomAt(0)->mass, TblAtom::GetMass(TblAtom::FindRegIndex("C")));
    EXPECT_EQ(carbon.GetAtomAt(0)->radius, TblAtom::GetRadius(TblAtom::FindRegIndex("C")));

    // No numbers on the counts line: an empty molecule; hydrogens folded on request.
    readText("no counts here\n0 0 0 C\n", readMopac(carbon, 0));
    EXPECT_EQ(carbon.GetName(), "Mopac");
    EXPECT_EQ(carbon.GetAtomCount(), 0);
    readText("3 2\n0 0 0 C 0.1\n1 0 0 H 0.2\n-1 0 0 H 0.3\n1 2 1\n3 1 1\n", readMopac(carbon, 1, 1));
    ASSERT_EQ(carbon.GetAtomCount(), 1);
    EXPECT_EQ(carbon.GetAtomAt(0)->Name(), "C 12");
    EXPECT_NEAR(carbon.GetAtomAt(0)->charge, 0.6, 1e-12);
}

TEST(KelDbMoleculeMopac, FailsWithTheLineAndKeepsWhatCameBefore) {
    const std::string good = fixture("formyl-chloride.mopac");
    KelDbMolecule mol;
    // More atoms announced than there are atom lines: the first bond line has no charge.
    std::string text = good;
    text.replace(0, 11, "    5     3");
    EXPECT_TRUE(mentions(readFailure(text, readMopac(mol, 1)), "line 6: field 5 (partial charge) is missing"));
    EXPECT_EQ(mol.GetAtomCount(), 4);
    // More bonds than bond lines: the input ends.
    text.replace(0, 11, "    4     4");
    EXPECT_TRUE(mentions(readFailure(text, readMopac(mol, 1)), "line 9: the input ends where a bond line should be"));
    EXPECT_EQ(mol.GetBondCount(), 3);
    // Charges asked for and missing.
    text = good;
    text.replace(text.find("Cl     -0.0500  0  0"), 20, "Cl");
    EXPECT_TRUE(mentions(readFailure(text, readMopac(mol, 1)), "line 4: field 5 (partial charge) is missing"));
    readText(text, readMopac(mol, 0));
    EXPECT_EQ(mol.GetAtomCount(), 4);
    // A huge count is no allocation: the input simply ends.
    EXPECT_TRUE(mentions(readFailure("2000000000 0\n", readMopac(mol, 0)), "line 2: the input ends"));

    tortureRead(good, readMopac(mol, 1));
    tortureRead(good, readMopac(mol, 0, 1));
}

} // namespace
} // namespace qrtz
