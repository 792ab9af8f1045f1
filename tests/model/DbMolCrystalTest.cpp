#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "model/MolCrystalTestUtil.h"
#include "qrtzdb/model/DbMolCrystal.h"

namespace qrtz {
namespace {

using testing::cartesian;
using testing::chiral;
using testing::names;
using testing::shaped;
using testing::types;

using Names = std::vector<std::string>;

// The type list restored the plain way, pass after pass, each pass searching every name
// from the head: the yardstick for the fast one.
void referenceUpdate(DbMolCrystal& crystal) {
    for (;;) {
        crystal.DbMoleculeSet::UpdateMolTypeList();
        bool changed = false;
        for (int t = 0; t < crystal.GetMolTypeCount(); ++t) {
            const std::string name = *crystal.GetMolTypeAt(t);
            POSITION pos = crystal.GetMolHeadPosition(name.c_str());
            if (!pos) continue;
            const DbMolecule* first = crystal.GetMolNext(pos);
            while (pos) {
                DbMolecule* mol = crystal.GetMolNext(pos);
                if (mol->Name() != name) continue;
                if (mol->GetAtomCount() == first->GetAtomCount() &&
                    mol->GetBondCount() == first->GetBondCount())
                    continue;
                if (!mol->RenameAsCopy(16)) return;
                changed = true;
            }
        }
        if (!changed) break;
    }
    crystal.DbMoleculeSet::UpdateMolTypeList();
}

struct Shape {
    const char* name;
    int atoms, bonds;
};

void fill(DbMolCrystal& crystal, std::initializer_list<Shape> shapes) {
    for (const Shape& s : shapes) crystal.AppendMol(shaped(crystal, s.name, s.atoms, s.bonds));
}

TEST(DbMolCrystal, NamesCellsAndCopies) {
    EXPECT_EQ(DbMolCrystal().GetName(), std::string(16, ' '));
    EXPECT_EQ(DbMolCrystal("0123456789abcdefXYZ").GetName(), "0123456789abcdef");
    DbMolCrystal crystal("ice Ih plus a long tail", 4.5, 4.5, 7.3, 90, 90, 120);
    EXPECT_EQ(crystal.GetName(), "ice Ih plus a lo");
    EXPECT_EQ(crystal.gamma, 120);
    crystal.SetName("12345678901234567");
    EXPECT_EQ(crystal.GetName(), "1234567890123456");

    fill(crystal, {{"W", 3, 2}, {"W", 3, 2}});
    crystal.UpdateMolTypeList();
    crystal.upperCorner = Vertex3D(3, 3, 3);
    std::unique_ptr<DbComp> made(crystal.Copy());
    auto* copy = dynamic_cast<DbMolCrystal*>(made.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->GetName() == crystal.GetName() && copy->c == 7.3 && copy->gamma == 120);
    EXPECT_EQ(copy->upperCorner, Vertex3D(1, 1, 1));
    ASSERT_EQ(copy->GetMolCount(), 2);
    EXPECT_NE(copy->GetMolAt(1), crystal.GetMolAt(1));
    EXPECT_EQ(copy->GetMolAt(1)->GetAtomCount(), 3);
    EXPECT_EQ(types(*copy), Names{"W"});

    DbMolCrystal target("t");
    fill(target, {{"X", 1, 0}});
    target = crystal;
    EXPECT_EQ(names(target), (Names{"W", "W"}));
    EXPECT_TRUE(target.a == 4.5 && target.GetName() == crystal.GetName());
    target = target;
    EXPECT_EQ(target.GetMolCount(), 2);
}

TEST(DbMolCrystal, TypeListSplitsMismatchedMolecules) {
    // The later pair matches itself, so it stays together under one new name.
    DbMolCrystal pairs;
    fill(pairs, {{"M", 3, 2}, {"M", 3, 2}, {"M", 4, 3}, {"M", 4, 3}});
    pairs.UpdateMolTypeList();
    EXPECT_EQ(names(pairs), (Names{"M", "M", "M~1", "M~1"}));
    EXPECT_EQ(types(pairs), (Names{"M", "M~1"}));

    // Three shapes: split off, then split again.
    DbMolCrystal three;
    fill(three, {{"M", 3, 2}, {"M", 4, 3}, {"M", 5, 4}});
    three.UpdateMolTypeList();
    EXPECT_EQ(names(three), (Names{"M", "M~1", "M~2"}));
    EXPECT_EQ(types(three), (Names{"M", "M~1", "M~2"}));

    // Only the counts matter; a renamed molecule joins an existing species it matches, and the
    // plain rebuild of the base class is still there.
    DbMolCrystal join;
    fill(join, {{"M~1", 5, 4}, {"M", 1, 0}, {"M", 5, 4}, {"A", 2, 1}});
    join.GetMolAt(2)->GetAtomAt(0)->SetName("O");
    join.DbMoleculeSet::UpdateMolTypeList();
    EXPECT_EQ(names(join), (Names{"M~1", "M", "M", "A"}));
    join.UpdateMolTypeList();
    EXPECT_EQ(names(join), (Names{"M~1", "M", "M~1", "A"}));
    EXPECT_EQ(types(join), (Names{"M~1", "M", "A"}));

    // No copy name fits: the operation stops with the renames made so far and the type list of
    // its pass's start, which knows nothing of them.
    const char* full = "ABCDEFGHIJKLMN~9";
    DbMolCrystal stuck;
    fill(stuck, {{"A", 1, 0}, {"A", 2, 0}, {full, 1, 0}, {full, 2, 0}});
    stuck.UpdateMolTypeList();
    EXPECT_EQ(names(stuck), (Names{"A", "A~1", full, full}));
    EXPECT_EQ(types(stuck), (Names{"A", full}));
}

TEST(DbMolCrystal, TypeListMatchesThePlainPassesOnRandomCrystals) {
    // Names that chain into each other (M -> M~1 -> M~2), that cut at 16 bytes onto the same
    // copy name, and that run out of copy names.
    const char* pool[] = {"M",   "M~1", "M~2", "M~8", "A", "X~9", "ABCDEFGHIJKLMN~8",
                          "ABCDEFGHIJKLMN~9", "ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNQR"};
    std::mt19937 random(12345);
    int stops = 0, renamed = 0;
    for (int trial = 0; trial < 3000; ++trial) {
        DbMolCrystal fast, slow;
        // Every tenth crystal is larger, with long rename chains.
        const bool large = trial % 10 == 0;
        const int count = 1 + static_cast<int>(random() % (large ? 300 : 24));
        const int nameCount = 2 + static_cast<int>(random() % 9);
        const int shapes = 1 + static_cast<int>(random() % (large ? 12 : 4));
        for (int n = 0; n < count; ++n) {
            const char* name = pool[random() % nameCount];
            const int atoms = static_cast<int>(random() % shapes);
            const int bonds = static_cast<int>(random() % 2);
            fast.AppendMol(shaped(fast, name, atoms, bonds));
            slow.AppendMol(shaped(slow, name, atoms, bonds));
        }
        const Names before = names(fast);
        fast.UpdateMolTypeList();
        referenceUpdate(slow);
        const Names after = names(fast);
        ASSERT_EQ(after, names(slow)) << "trial " << trial;
        ASSERT_EQ(types(fast), types(slow)) << "trial " << trial;
        if (after != before) ++renamed;
        // A stop after renames leaves names in use that the type list misses.
        if (std::set<std::string>(after.begin(), after.end()).size() != types(fast).size())
            ++stops;
    }
    // The draws exercise both renames and stops.
    EXPECT_GT(renamed, 500);
    EXPECT_GT(stops, 50);
}

TEST(DbMolCrystal, Densities) {
    // 602.2 u in 1000 Å³: 1e-24 g/Å³.
    DbMolCrystal crystal("box", 10, 10, 10, 90, 90, 90);
    auto add = [&](const char* name, std::initializer_list<std::pair<const char*, double>> atoms) {
        DbMolecule* mol = crystal.CreateDbMolecule(name);
        for (const auto& [element, mass] : atoms)
            mol->AppendAtom(mol->CreateDbAtomV(element, Vertex3D(), mass, 0, 0));
        mol->AppendBond(mol->CreateDbBondV("1 ", 1, 2));
        mol->UpdateAtomTypeList();
        crystal.AppendMol(mol);
    };
    add("OH", {{"O", 16.0}, {"H", 1.0}});
    add("OH", {{"H", 1.0}, {"O", 16.0}});  // its own atom types in the other order
    add("NaCl", {{"Na", 23.0}, {"Cl", 35.0}});
    add("NaCl", {{"Na", 23.0}, {"Cl", 487.2}});
    crystal.UpdateMolTypeList();
    ASSERT_EQ(types(crystal), (Names{"OH", "NaCl"}));

    const double f = 1.6605778811026236e-24 / 1000;
    EXPECT_NEAR(crystal.GetDensity(), 1.0e-24, 1e-36);
    EXPECT_DOUBLE_EQ(crystal.GetDensity(0), 34.0 * f);
    EXPECT_DOUBLE_EQ(crystal.GetDensity(1), 568.2 * f);
    // Atom type 0 is O in the first molecule and H in the second.
    EXPECT_DOUBLE_EQ(crystal.GetDensity(0, 0), 17.0 * f);
    EXPECT_DOUBLE_EQ(crystal.GetDensity(1, 1), 522.2 * f);
    crystal.GetMolAt(3)->AppendAtom(new DbAtomV("K", Vertex3D(), 39.0, 0, 0));
    crystal.GetMolAt(3)->UpdateAtomTypeList();
    EXPECT_DOUBLE_EQ(crystal.GetDensity(1, 2), 39.0 * f);  // only one molecule has a third type
    for (int bad : {-1, 2, 5}) {
        EXPECT_EQ(crystal.GetDensity(bad), 0.0);
        EXPECT_EQ(crystal.GetDensity(bad, 0), 0.0);
    }
    EXPECT_EQ(crystal.GetDensity(0, 2), 0.0);
    EXPECT_EQ(crystal.GetDensity(0, -1), 0.0);

    crystal.a = 0;
    EXPECT_EQ(crystal.GetDensity(), 0.0);
    EXPECT_EQ(crystal.GetDensity(0), 0.0);
    EXPECT_EQ(crystal.GetDensity(0, 0), 0.0);
}

TEST(DbMolCrystal, ReplaceSpeciesByAtoms) {
    DbMolCrystal crystal("c", 5, 6, 7, 80, 90, 100);
    std::vector<Vertex3D> centres;
    for (int n = 0; n < 4; ++n) {
        DbMolecule* co = crystal.CreateDbMolecule("CO");
        co->AppendAtom(co->CreateDbAtomV("C", Vertex3D(0.1 * n, 0.2, 0.3), 12.0, 0, 0));
        co->AppendAtom(co->CreateDbAtomV("O", Vertex3D(0.1 * n + 0.07, 0.2, 0.3), 16.0, 0, 0));
        co->AppendBond(co->CreateDbBondV("3 ", 1, 2));
        centres.push_back(co->GetCenterOfMass());
        crystal.AppendMol(co);
        if (n == 1) fill(crystal, {{"W", 3, 2}});
    }
    DbMolecule* group = crystal.CreateDbMolecule("K");
    for (int n = 0; n < 3; ++n)
        group->AppendAtom(group->CreateDbAtomV("K", Vertex3D(0.5, 0.1 * n, 0.9), 39.1, 0, 0));
    crystal.AppendMol(group);
    fill(crystal, {{"Ar", 2, 0}});  // an Ar species of another size is already there
    crystal.UpdateMolTypeList();

    DbAtomV argon("Ar", Vertex3D(9, 9, 9), 39.948, 0.5, 1.88);
    argon.velocity = Vertex3D(1, 2, 3);
    crystal.ReplaceMolTypeOf("CO", &argon);
    ASSERT_EQ(names(crystal), (Names{"W", "K", "Ar", "Ar~1"}));
    EXPECT_EQ(types(crystal), (Names{"W", "K", "Ar", "Ar~1"}));
    const DbMolecule* made = crystal.GetMolAt(3);
    ASSERT_EQ(made->GetAtomCount(), 4);
    EXPECT_EQ(made->GetBondCount(), 0);
    for (int n = 0; n < 4; ++n) {
        const DbAtomV* atom = made->GetAtomAt(n);
        EXPECT_EQ(atom->position, centres[n]);
        EXPECT_TRUE(atom->Name() == "Ar" && atom->charge == 0.5 &&
                    atom->velocity == argon.velocity);
        EXPECT_NE(atom, &argon);
    }
    EXPECT_EQ(made->GetAtomTypeCount(), 1);
    EXPECT_EQ(argon.position, Vertex3D(9, 9, 9));

    // An unbonded group gives an atom per atom, by type index; past the end, nothing.
    DbAtomV xenon("Xe", Vertex3D(), 131.3, 0, 2.16);
    crystal.ReplaceMolTypeAt(4, &xenon);
    crystal.ReplaceMolTypeAt(-1, &xenon);
    EXPECT_EQ(crystal.GetMolCount(), 4);
    crystal.ReplaceMolTypeAt(1, &xenon);
    ASSERT_EQ(names(crystal), (Names{"W", "Ar", "Ar~1", "Xe"}));
    ASSERT_EQ(crystal.GetMolAt(3)->GetAtomCount(), 3);
    EXPECT_EQ(crystal.GetMolAt(3)->GetAtomAt(2)->position, Vertex3D(0.5, 0.2, 0.9));

    // Nothing of that name: an empty molecule of the atom's name all the same.
    crystal.ReplaceMolTypeOf("none", &xenon);
    EXPECT_EQ(names(crystal), (Names{"W", "Ar", "Ar~1", "Xe", "Xe~1"}));
    EXPECT_EQ(crystal.GetMolAt(4)->GetAtomCount(), 0);
    crystal.ReplaceMolTypeOf("W", static_cast<const DbAtomV*>(nullptr));
    EXPECT_EQ(crystal.GetMolCount(), 5);
}

TEST(DbMolCrystal, ReplaceSpeciesByMolecules) {
    // A skewed cell, so that the fractional frame is not the Cartesian one scaled.
    DbMolCrystal crystal("c", 8, 9, 10, 70, 80, 100);
    DbMolecule* group = crystal.CreateDbMolecule("He");
    for (int n = 0; n < 6; ++n)
        group->AppendAtom(group->CreateDbAtomV("He", Vertex3D(0.1 * n, 0.5, 0.2), 4.0, 0, 0));
    crystal.AppendMol(group);
    DbMolecule* dimer = crystal.CreateDbMolecule("He2");
    dimer->AppendAtom(dimer->CreateDbAtomV("He", Vertex3D(0.2, 0.2, 0.2), 4.0, 0, 0));
    dimer->AppendAtom(dimer->CreateDbAtomV("He", Vertex3D(0.4, 0.2, 0.2), 4.0, 0, 0));
    dimer->AppendBond(dimer->CreateDbBondV("1 ", 1, 2));
    crystal.AppendMol(dimer);
    fill(crystal, {{"W", 3, 2}});
    crystal.UpdateMolTypeList();

    std::unique_ptr<DbMolecule> mol(chiral());
    mol->DbAtomVSet::Transform(Vertex3D(3, -4, 5));  // anywhere: copies are centred
    std::unique_ptr<DbMolecule> centred(static_cast<DbMolecule*>(mol->Copy()));
    centred->AtZero();
    const std::vector<Vertex3D> shape = testing::positions(*centred);

    crystal.ReplaceMolTypeAt(0, mol.get());
    ASSERT_EQ(names(crystal), (Names{"He2", "W", "CHFClBr", "CHFClBr", "CHFClBr", "CHFClBr",
                                     "CHFClBr", "CHFClBr"}));
    EXPECT_EQ(types(crystal), (Names{"He2", "W", "CHFClBr"}));
    double H[3][3];
    ASSERT_TRUE(crystal.GetHmatrix(H));
    for (int n = 0; n < 6; ++n) {
        const DbMolecule* copy = crystal.GetMolAt(2 + n);
        ASSERT_EQ(copy->GetBondCount(), 4);
        const Vertex3D centre = copy->GetCenterOfMass();
        EXPECT_NEAR((centre - Vertex3D(0.1 * n, 0.5, 0.2)).GetAbsolute(), 0, 1e-12);
        // Same orientation as mol, in Cartesian space.
        const std::vector<Vertex3D> r = cartesian(crystal, *copy);
        const Vertex3D g = centre.Transform(H);
        for (std::size_t i = 0; i < r.size(); ++i)
            EXPECT_NEAR((r[i] - g - shape[i]).GetAbsolute(), 0, 1e-12) << n << ' ' << i;
    }

    // A bonded species: one copy per molecule, at its centre of mass.
    const Vertex3D dimerCentre = crystal.GetMolAt(0)->GetCenterOfMass();
    crystal.ReplaceMolTypeOf("He2", mol.get());
    ASSERT_EQ(crystal.GetMolCount(), 8);
    EXPECT_EQ(crystal.GetMolAt(0)->GetName(), "W");
    EXPECT_NEAR((crystal.GetMolAt(7)->GetCenterOfMass() - dimerCentre).GetAbsolute(), 0, 1e-12);
    EXPECT_EQ(types(crystal), (Names{"W", "CHFClBr"}));

    // A flat cell cannot take Cartesian shapes: nothing changes.
    crystal.c = 0;
    crystal.ReplaceMolTypeOf("W", mol.get());
    EXPECT_EQ(crystal.GetMolAt(0)->GetName(), "W");
}

} // namespace
} // namespace qrtz
