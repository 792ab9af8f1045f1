#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "formats/ExchangeTestSupport.h"
#include "formats/FormatTestSupport.h"
#include "model/RingSheet.h"
#include "qrtzdb/formats/KelDbMolecule.h"

namespace qrtz {
namespace {

using namespace qrtz::testing;

auto readQsf(KelDbMolecule& mol, int unite = 0) {
    return [&mol, unite](FileStream& in) { mol.ReadQsf(in, unite); };
}

std::string qsfText(KelDbMolecule& mol) {
    return written([&](FileStream& out) { mol.WriteQsf(out); });
}

// The QSF type of each bond row, in bond order.
std::vector<std::string> bondRows(const std::string& text) {
    std::istringstream in(text.substr(text.find("ID type\n") + 8));
    std::vector<std::string> types;
    std::string id, type;
    while (in >> id >> type && id != "property_flags:") types.push_back(type);
    return types;
}

TEST(KelDbMoleculeQsf, WritesTheTablesColumnForColumn) {
    KelDbMolecule mol;
    formylChloride(mol);
    EXPECT_EQ(qsfText(mol), fixture("formyl-chloride.qsf"));
}

TEST(KelDbMoleculeQsf, ReadsBackWhatItWritesAromaticBondsIncluded) {
    // Chlorobenzene with aromatic ring bonds, and a chain with a triple bond.
    KelDbMolecule mol;
    readText(fixture("ob-chlorobenzene.sdf"), [&](FileStream& in) { mol.ReadMdl(in, 0); });
    const int ring = mol.GetAtomCount();
    for (const char* name : {"C 3 ", "C 3 ", "C 2 "})
        mol.AppendAtom(mol.CreateDbAtomV(name, Vertex3D(10 + 1.3 * mol.GetAtomCount(), 0, 0), 12, 0, 1));
    mol.AppendBond(mol.CreateDbBondV("3 ", ring + 1, ring + 2));
    mol.AppendBond(mol.CreateDbBondV("2 ", ring + 2, ring + 3));
    int k = 0;
    for (POSITION pos = mol.GetAtomHeadPosition(); pos; ++k) mol.GetAtomNext(pos)->charge = 0.012345 * k - 0.05;
    mol.UpdateAtomTypeList();
    mol.UpdateBondTypeList();
    const auto names = bondNames(mol);
    ASSERT_EQ(std::count(names.begin(), names.end(), "AR"), 6);

    const std::string text = qsfText(mol);
    EXPECT_EQ(bondNames(mol), names);  // the molecule's own bonds keep "AR"
    // The ring goes out as a Kekulé structure.
    const auto rows = bondRows(text);
    ASSERT_EQ(rows.size(), names.size());
    std::map<int, int> doubles;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (names[i] != "AR") {
            EXPECT_EQ(rows[i], names[i] == "3 " ? "triple" : names[i] == "2 " ? "double" : "single");
            continue;
        }
        const int d = rows[i] == "double";
        doubles[mol.GetBondAt(static_cast<int>(i))->firstAtom] += d;
        doubles[mol.GetBondAt(static_cast<int>(i))->secondAtom] += d;
    }
    ASSERT_EQ(doubles.size(), 6u);
    for (auto [atom, count] : doubles) EXPECT_EQ(count, 1) << atom;

    KelDbMolecule back;
    readText(text, readQsf(back));
    EXPECT_EQ(back.GetName(), "QubixQSF");
    ASSERT_EQ(back.GetAtomCount(), mol.GetAtomCount());
    EXPECT_EQ(atomNames(back), atomNames(mol));
    EXPECT_EQ(bondNames(back), names);  // rings found again from the double bonds
    for (int i = 0; i < mol.GetAtomCount(); ++i) {
        const DbAtomV *a = mol.GetAtomAt(i), *b = back.GetAtomAt(i);
        EXPECT_NEAR(b->position.x, a->position.x, 0.0005 + 1e-12);
        EXPECT_NEAR(b->position.y, a->position.y, 0.0005 + 1e-12);
        EXPECT_NEAR(b->position.z, a->position.z, 0.0005 + 1e-12);
        EXPECT_NEAR(b->charge, std::round(a->charge * 1e4) / 1e4, 1e-12);
    }
    for (int i = 0; i < mol.GetBondCount(); ++i) {
        EXPECT_EQ(back.GetBondAt(i)->firstAtom, mol.GetBondAt(i)->firstAtom);
        EXPECT_EQ(back.GetBondAt(i)->secondAtom, mol.GetBondAt(i)->secondAtom);
    }
}

// Three atoms with a fourth column the reader does not know, two bonds, four connectors.
const std::string kAtoms =
    "object_class atom\n"
    "property sym Tarel noUnit 0 2 STRING\n"
    "ID sym xyz_coordinates pchrg extra\n"
    "10 C 0.0 0.0 0.0 -0.1 x\n"
    "20 O 1.2 0.0 0.0 -0.2 y\n"
    "30 H -0.5 0.9 0.0 0.3 z\n"
    "property_flags:\n";
const std::string kConnectors =
    "object_class connector\n"
    "ID objCls1 objCls2 objID1 objID2\n"
    "1 atom bond 10 5\n"
    "2 atom bond 20 5\n"
    "3 atom bond 10 6\n"
    "4 atom bond 30 6\n"
    "property_flags:\n";
const std::string kBonds =
    "object_class bond\n"
    "ID type\n"
    "5 double\n"
    "6 single\n"
    "property_flags:\n";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}

TEST(KelDbMoleculeQsf, TakesTablesInAnyOrderAndPassesOverTheRest) {
    const std::string other = "object_class surface\nID area\n1 2.5\nproperty_flags:\n";
    for (const std::string& text : {"header\n" + kAtoms + kConnectors + kBonds,
                                    other + kBonds + kConnectors + other + kAtoms + "trailing junk"}) {
        KelDbMolecule mol;
        readText(text, readQsf(mol));
        EXPECT_EQ(atomNames(mol), (std::vector<std::string>{"C 2 ", "O 2 ", "H   "}));
        EXPECT_EQ(mol.GetAtomAt(2)->position, Vertex3D(-0.5, 0.9, 0.0));
        EXPECT_EQ(mol.GetAtomAt(1)->charge, -0.2);
        EXPECT_EQ(bondNames(mol), (std::vector<std::string>{"2 ", "1 "}));
        EXPECT_EQ(mol.GetBondAt(1)->firstAtom, 1);
        EXPECT_EQ(mol.GetBondAt(1)->secondAtom, 3);
    }

    KelDbMolecule mol;
    // A bond with one connector goes, as does one whose connector joins other classes.
    for (const std::string& fourth : {std::string(), std::string("4 bond atom 30 6\n")}) {
        readText(kAtoms + replaced(kConnectors, "4 atom bond 30 6\n", fourth) + kBonds, readQsf(mol));
        EXPECT_EQ(mol.GetBondCount(), 1);
    }
    // A row without its charge value reads as uncharged; folding on request.
    readText(replaced(kAtoms, "30 H -0.5 0.9 0.0 0.3 z", "30 H -0.5 0.9 0.0") + kConnectors + kBonds, readQsf(mol, 1));
    ASSERT_EQ(mol.GetAtomCount(), 2);
    EXPECT_EQ(mol.GetAtomAt(0)->Name(), "C 21");
    EXPECT_EQ(mol.GetAtomAt(0)->charge, -0.1);
    // Nothing but blank lines: an empty molecule.
    readText("\n\n", readQsf(mol));
    EXPECT_EQ(mol.GetName(), "QubixQSF");
    EXPECT_EQ(mol.GetAtomCount(), 0);
}

TEST(KelDbMoleculeQsf, BadTablesFailOrEndTheFileKeepingWhatWasRead) {
    KelDbMolecule mol;
    // Connectors naming IDs that no row has; the atoms and bonds read stay.
    std::string message = readFailure(kAtoms + replaced(kConnectors, "30 6", "99 6") + kBonds, readQsf(mol));
    EXPECT_TRUE(mentions(message, "line 13: the connector names atom ID 99, which no atom row has"));
    EXPECT_EQ(mol.GetAtomCount(), 3);
    EXPECT_EQ(mol.GetBondCount(), 2);
    message = readFailure(kAtoms + replaced(kConnectors, "30 6", "30 7") + kBonds, readQsf(mol));
    EXPECT_TRUE(mentions(message, "names bond ID 7, which no bond row has"));

    // Before the atoms are in, a bond class without a type column or a cut row is fatal.
    message = readFailure(replaced(kBonds, "ID type", "ID kind") + kAtoms, readQsf(mol));
    EXPECT_TRUE(mentions(message, "line 1: the bond class has no type column"));
    message = readFailure(replaced(kAtoms, "20 O 1.2 0.0 0.0 -0.2 y", "20 O 1.2 0.0"), readQsf(mol));
    EXPECT_TRUE(mentions(message, "line 5: the row ends before its z coordinate: '20 O 1.2 0.0'"));
    EXPECT_EQ(mol.GetAtomCount(), 1);
    message = readFailure(replaced(kAtoms, "20 O 1.2 0.0 0.0 -0.2 y", "20"), readQsf(mol));
    EXPECT_TRUE(mentions(message, "line 5: the atom row ends before its sym column"));
    message = readFailure(replaced(kAtoms, "ID sym xyz_coordinates", "ID symbol xyz_coordinates"), readQsf(mol));
    EXPECT_TRUE(mentions(message, "the atom class has no sym or no xyz_coordinates column"));

    // After them, a cut row ends the file; bonds left without connectors go.
    readText(kAtoms + replaced(kBonds, "6 single", "6") + kConnectors, readQsf(mol));
    EXPECT_EQ(mol.GetAtomCount(), 3);
    EXPECT_EQ(mol.GetBondCount(), 0);
    // A file that ends inside the atom table keeps the rows it has.
    readText(firstLines(kAtoms, 5), readQsf(mol));
    EXPECT_EQ(mol.GetAtomCount(), 2);

    KelDbMolecule formyl;
    formylChloride(formyl);
    tortureRead(qsfText(formyl), readQsf(mol));
    tortureRead(kAtoms + kConnectors + kBonds, readQsf(mol, 1));
}

} // namespace
} // namespace qrtz
