#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "model/RingSheet.h"
#include "qrtzdb/formats/KelDbAtomV.h"
#include "qrtzdb/formats/KelDbMolecule.h"

namespace qrtz {
namespace {

using testing::atomNames;
using testing::bondNames;

struct Fixable : KelDbMolecule {
    using KelDbMolecule::FixBondType;
};

void atoms(DbMolecule& mol, std::initializer_list<std::pair<const char*, double>> list) {
    for (auto [name, charge] : list)
        mol.AppendAtom(mol.CreateDbAtomV(name, Vertex3D(mol.GetAtomCount(), 0, 0), name[0] == 'H' ? 1.008 : 12.011, charge, 1));
}

void bonds(DbMolecule& mol, std::initializer_list<std::pair<int, int>> list) {
    for (auto [a, b] : list) mol.AppendBond(mol.CreateDbBondV("1 ", a, b));
}

std::vector<std::pair<int, int>> pairs(const DbMolecule& mol) {
    std::vector<std::pair<int, int>> out;
    for (POSITION pos = mol.GetBondHeadPosition(); pos;) {
        const DbBondV* b = mol.GetBondNext(pos);
        out.emplace_back(b->firstAtom, b->secondAtom);
    }
    return out;
}

TEST(KelDbMoleculeMerge, UniteFoldsHydrogensIntoTheirCarbons) {
    KelDbMolecule methane;
    atoms(methane, {{"C   ", -0.4}, {"H   ", 0.1}, {"H   ", 0.1}, {"H   ", 0.1}, {"H   ", 0.15}});
    bonds(methane, {{1, 2}, {3, 1}, {1, 4}, {5, 1}});
    methane.Unite();
    ASSERT_EQ(methane.GetAtomCount(), 1);
    EXPECT_EQ(methane.GetAtomAt(0)->GetName(), "C  4");
    EXPECT_NEAR(methane.GetAtomAt(0)->mass, 12.011 + 4 * 1.008, 1e-12);
    EXPECT_NEAR(methane.GetAtomAt(0)->charge, 0.05, 1e-12);
    EXPECT_EQ(methane.GetBondCount(), 0);

    KelDbMolecule ethane;
    atoms(ethane, {{"C   ", 0}, {"C   ", 0}, {"H   ", 0}, {"H   ", 0}, {"H   ", 0}, {"H   ", 0}, {"H   ", 0}, {"H   ", 0}});
    bonds(ethane, {{1, 2}, {1, 3}, {1, 4}, {1, 5}, {2, 6}, {2, 7}, {2, 8}});
    ethane.Unite();
    EXPECT_EQ(atomNames(ethane), (std::vector<std::string>{"C  3", "C  3"}));
    EXPECT_EQ(pairs(ethane), (std::vector<std::pair<int, int>>{{1, 2}}));

    // Methanol: the hydroxyl hydrogen stays, as does one whose first bond leads to the oxygen,
    // one named "H" without the blank, and a loose one; a two-byte carbon name is padded.
    KelDbMolecule methanol;
    atoms(methanol, {{"C   ", 0}, {"O   ", 0}, {"H   ", 0}, {"H   ", 0}, {"H   ", 0}, {"H   ", 0},
                     {"H   ", 0}, {"H", 0}, {"H   ", 0}, {"C ", 0}, {"H   ", 0}});
    bonds(methanol, {{1, 2}, {1, 3}, {4, 1}, {1, 5}, {2, 6}, {7, 2}, {7, 1}, {8, 1}, {10, 11}});
    methanol.Unite();
    EXPECT_EQ(atomNames(methanol), (std::vector<std::string>{"C  3", "O   ", "H   ", "H   ", "H", "H   ", "C  1"}));
    EXPECT_EQ(pairs(methanol), (std::vector<std::pair<int, int>>{{1, 2}, {2, 3}, {4, 2}, {4, 1}, {5, 1}}));
}

// Unite as the rule reads: the first bond of each hydrogen by a walk over all bonds, then the
// marked atoms deleted one by one.
void plainUnite(DbMolecule& mol) {
    const int n = mol.GetAtomCount();
    std::vector<char> marked(static_cast<std::size_t>(n), 0);
    for (int i = 0; i < n; ++i) {
        const DbAtomV* h = mol.GetAtomAt(i);
        if (h->Name().substr(0, 2) != "H ") continue;
        int partner = 0;
        for (POSITION pos = mol.GetBondHeadPosition(); pos;) {
            const DbBondV* b = mol.GetBondNext(pos);
            if (b->firstAtom == i + 1 || b->secondAtom == i + 1) {
                partner = b->firstAtom == i + 1 ? b->secondAtom : b->firstAtom;
                break;
            }
        }
        if (partner < 1 || partner > n || mol.GetAtomAt(partner - 1)->Name().substr(0, 2) != "C ") continue;
        DbAtomV* c = mol.GetAtomAt(partner - 1);
        std::string name = c->Name();
        name.resize(std::max<std::size_t>(name.size(), 4), ' ');
        name[3] = name[3] == ' ' ? '1' : static_cast<char>(name[3] + 1);
        c->DbComp::SetName(name.c_str());
        c->mass += h->mass;
        c->charge += h->charge;
        marked[static_cast<std::size_t>(i)] = 1;
    }
    for (int i = 0, deleted = 0; i < n; ++i)
        if (marked[static_cast<std::size_t>(i)]) mol.DeleteAtomWithBond(i - deleted++);
}

TEST(KelDbMoleculeMerge, UniteMatchesThePlainWalk) {
    std::mt19937 rng(5);
    const char* names[] = {"C   ", "H   ", "H   ", "O   ", "C "};
    for (int round = 0; round < 200; ++round) {
        KelDbMolecule fast;
        DbMolecule plain;
        const int n = 1 + static_cast<int>(rng() % 12);
        for (int i = 0; i < n; ++i) {
            const char* name = names[rng() % 5];
            const double charge = 0.01 * static_cast<int>(rng() % 20);
            for (DbMolecule* mol : {static_cast<DbMolecule*>(&fast), &plain})
                mol->AppendAtom(mol->CreateDbAtomV(name, Vertex3D(i, 0, 0), 1.0 + i, charge, 1));
        }
        for (int k = static_cast<int>(rng() % 16); k > 0; --k) {
            const int a = static_cast<int>(rng() % (n + 3)) - 1, b = static_cast<int>(rng() % (n + 3)) - 1;
            fast.AppendBond(fast.CreateDbBondV("1 ", a, b));
            plain.AppendBond(plain.CreateDbBondV("1 ", a, b));
        }
        fast.Unite();
        plainUnite(plain);
        ASSERT_EQ(atomNames(fast), atomNames(plain)) << round;
        ASSERT_EQ(pairs(fast), pairs(plain)) << round;
        for (int i = 0; i < fast.GetAtomCount(); ++i) {
            EXPECT_EQ(fast.GetAtomAt(i)->mass, plain.GetAtomAt(i)->mass);
            EXPECT_EQ(fast.GetAtomAt(i)->charge, plain.GetAtomAt(i)->charge);
        }
    }
}

TEST(KelDbMoleculeMerge, FixesBondsTakesOverAndAppends) {
    Fixable fix;
    atoms(fix, {{"C   ", 0}, {"C   ", 0}, {"O   ", 0}, {"C   ", 0}, {"C   ", 0}});
    fix.AppendBond(fix.CreateDbBondV("2 ", 5, 2));
    fix.AppendBond(fix.CreateDbBondV("3 ", 3, 4));
    fix.FixBondType();
    EXPECT_EQ(pairs(fix), (std::vector<std::pair<int, int>>{{2, 5}, {3, 4}}));
    EXPECT_EQ(atomNames(fix), (std::vector<std::string>{"C 1 ", "C 2 ", "O 3 ", "C 3 ", "C 2 "}));

    // A plain molecule taken over, hydrogens folded; header fields stay with SetMol and are the
    // defaults with the constructor.
    DbMolecule plain("Methane");
    atoms(plain, {{"C   ", 0}, {"H   ", 0}, {"H   ", 0}, {"H   ", 0}, {"H   ", 0}});
    bonds(plain, {{2, 1}, {3, 1}, {4, 1}, {5, 1}});
    KelDbMolecule taken(plain, 1);
    EXPECT_EQ(taken.GetName(), "Methane");
    EXPECT_EQ(taken.headerMaker, KelDbMolecule::kDefaultMaker);
    EXPECT_EQ(atomNames(taken), (std::vector<std::string>{"C 14"}));
    EXPECT_EQ(taken.GetAtomTypeCount(), 1);
    EXPECT_EQ(plain.GetAtomCount(), 5);  // the source is copied, not changed
    taken.headerMaker = "mine";
    taken.SetMol(plain, 0);
    EXPECT_EQ(taken.headerMaker, "mine");
    EXPECT_EQ(pairs(taken), (std::vector<std::pair<int, int>>{{1, 2}, {1, 3}, {1, 4}, {1, 5}}));
    EXPECT_EQ(taken.GetBondTypeCount(), 1);

    // Appending: the new bonds refer to the new atoms; appending to itself doubles.
    KelDbMolecule first("First"), second("Second");
    atoms(first, {{"C   ", 0}, {"C   ", 0}, {"C   ", 0}, {"C   ", 0}});
    bonds(first, {{1, 2}, {2, 3}, {3, 4}});
    atoms(second, {{"O   ", 0}, {"H   ", 0}, {"H   ", 0}});
    bonds(second, {{1, 2}, {1, 3}});
    first += second;
    EXPECT_EQ(first.GetName(), "First");
    EXPECT_EQ(first.GetAtomCount(), 7);
    EXPECT_NE(dynamic_cast<KelDbAtomV*>(first.GetAtomAt(6)), nullptr);
    EXPECT_EQ(pairs(first), (std::vector<std::pair<int, int>>{{1, 2}, {2, 3}, {3, 4}, {5, 6}, {5, 7}}));
    EXPECT_EQ(first.GetAtomTypeCount(), 3);
    second += second;
    EXPECT_EQ(pairs(second), (std::vector<std::pair<int, int>>{{1, 2}, {1, 3}, {4, 5}, {4, 6}}));
}

} // namespace
} // namespace qrtz
