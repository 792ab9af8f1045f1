#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "model/MolCrystalTestUtil.h"
#include "qrtzdb/basis/Calc.h"
#include "qrtzdb/model/DbMolCrystal.h"

namespace qrtz {
namespace {

using testing::cartesian;
using testing::chiral;
using testing::names;
using testing::positions;
using testing::shaped;
using testing::signedVolume;
using testing::types;

using Names = std::vector<std::string>;

// A derived crystal, to see that supercells keep the class of their source.
struct TaggedMolCrystal : DbMolCrystal {
    using DbMolCrystal::DbMolCrystal;
    DbComp* Copy() const override {
        auto* copy = new TaggedMolCrystal;
        static_cast<DbMolCrystal&>(*copy) = *this;
        copy->tag = tag;
        return copy;
    }
    int tag = 0;
};

void expectNear(const Vertex3D& a, const Vertex3D& b, double tol, const std::string& what = "") {
    EXPECT_NEAR((a - b).GetAbsolute(), 0, tol) << what;
}

// Cartesian atoms relative to the centre of mass.
std::vector<Vertex3D> shapeOf(const std::vector<Vertex3D>& atoms, const DbMolecule& mol) {
    double total = 0;
    Vertex3D g;
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        Vertex3D w = atoms[i];
        w *= mol.GetAtomAt(static_cast<int>(i))->mass;
        g += w;
        total += mol.GetAtomAt(static_cast<int>(i))->mass;
    }
    g /= total;
    std::vector<Vertex3D> out;
    for (const Vertex3D& r : atoms) out.push_back(r - g);
    return out;
}

// mol (Cartesian) on its principal axes turned by the Euler angles, centred at the origin.
std::vector<Vertex3D> turned(const DbMolecule& mol, double phi, double theta, double psi) {
    std::unique_ptr<DbMolecule> copy(static_cast<DbMolecule*>(mol.Copy()));
    copy->AtZero();
    copy->SetEulerAngle(phi, theta, psi);
    return positions(*copy);
}

// mol (Cartesian) placed in crystal with its centre of mass at the fractional point at.
DbMolecule* placed(const DbMolCrystal& crystal, const DbMolecule& mol, const Vertex3D& at) {
    auto* copy = static_cast<DbMolecule*>(mol.Copy());
    double H[3][3], Hinv[3][3];
    crystal.GetHmatrix(H);
    Calc::InverseMatrix(H, Hinv);
    copy->AtZero();
    copy->DbAtomVSet::Transform(Hinv);
    copy->DbAtomVSet::Transform(at);
    return copy;
}

DbMolecule* group(DbMolCrystal& crystal, const char* name,
                  std::initializer_list<std::tuple<const char*, double, Vertex3D>> atoms) {
    DbMolecule* mol = crystal.CreateDbMolecule(name);
    for (const auto& [element, mass, at] : atoms)
        mol->AppendAtom(mol->CreateDbAtomV(element, at, mass, 0, 0));
    mol->UpdateAtomTypeList();
    return mol;
}

bool onQuarterGrid(double u) {
    return u >= 0 && u < 1 && std::fabs(u * 4 - std::round(u * 4)) < 1e-12;
}

TEST(DbMolCrystalBuilders, AtomsOnCubicLattices) {
    DbMolCrystal crystal("fcc", 7, 7, 7, 90, 90, 90);
    crystal.AppendMol(shaped(crystal, "old", 2, 1));
    DbAtomV argon("Ar", Vertex3D(5, 5, 5), 39.948, 0.25, 1.88);
    argon.flag = 3;
    crystal.CreateFcc(&argon, 2);
    ASSERT_EQ(names(crystal), Names{"Ar"});
    EXPECT_EQ(types(crystal), Names{"Ar"});
    EXPECT_EQ(crystal.a, 7);
    const DbMolecule* mol = crystal.GetMolAt(0);
    ASSERT_EQ(mol->GetAtomCount(), 32);
    EXPECT_EQ(mol->GetBondCount(), 0);
    EXPECT_EQ(mol->GetAtomTypeCount(), 1);
    std::set<std::tuple<double, double, double>> seen;
    for (const Vertex3D& f : positions(*mol)) {
        EXPECT_TRUE(onQuarterGrid(f.x) && onQuarterGrid(f.y) && onQuarterGrid(f.z))
            << f.x << ' ' << f.y << ' ' << f.z;
        seen.emplace(f.x, f.y, f.z);
    }
    EXPECT_EQ(seen.size(), 32u);
    // Cells in the order (i, j, k), the sites of a cell together, origin first.
    EXPECT_EQ(mol->GetAtomAt(4)->position, Vertex3D(0, 0, 0.5));
    EXPECT_EQ(mol->GetAtomAt(31)->position, Vertex3D(0.75, 0.75, 0.5));
    const DbAtomV* some = mol->GetAtomAt(17);
    EXPECT_TRUE(some->mass == 39.948 && some->charge == 0.25 && some->flag == 3 &&
                some->Name() == "Ar");
    EXPECT_EQ(argon.position, Vertex3D(5, 5, 5));

    // Site by site against the lattice tables, n = 3 on each lattice.
    const int counts[] = {1, 4, 2, 8};
    double table[8][3];
    for (int lattice = 0; lattice < 4; ++lattice) {
        switch (lattice) {
        case 0: crystal.CreateSc(&argon, 3); Calc::ScPos(table); break;
        case 1: crystal.CreateFcc(&argon, 3); Calc::FccPos(table); break;
        case 2: crystal.CreateBcc(&argon, 3); Calc::BccPos(table); break;
        default: crystal.CreateDia(&argon, 3); Calc::DiaPos(table); break;
        }
        ASSERT_EQ(crystal.GetMolCount(), 1);
        const int sites = counts[lattice];
        ASSERT_EQ(crystal.GetMolAt(0)->GetAtomCount(), 27 * sites);
        const std::vector<Vertex3D> f = positions(*crystal.GetMolAt(0));
        for (int n = 0; n < 27 * sites; ++n) {
            const int p = n % sites, cell = n / sites;
            const Vertex3D want((cell / 9 + table[p][0]) / 3, (cell / 3 % 3 + table[p][1]) / 3,
                                (cell % 3 + table[p][2]) / 3);
            expectNear(f[n], want, 1e-15, "lattice " + std::to_string(lattice));
        }
    }

    crystal.CreateSc(&argon, 1);
    ASSERT_EQ(crystal.GetMolAt(0)->GetAtomCount(), 1);
    EXPECT_EQ(crystal.GetMolAt(0)->GetAtomAt(0)->position, Vertex3D(0, 0, 0));

    // No lattice for n < 1; the direct form still empties the crystal.
    crystal.CreateDia(&argon, 0);
    crystal.CreateBcc(&argon, -2);
    EXPECT_EQ(crystal.GetMolAt(0)->GetAtomCount(), 1);
    crystal.CreateStructure(&argon, 4, table, 0);
    ASSERT_EQ(names(crystal), Names{"Ar"});
    EXPECT_EQ(crystal.GetMolAt(0)->GetAtomCount(), 0);
}

TEST(DbMolCrystalBuilders, MoleculesOnLatticesAreTurnedNeverMirrored) {
    DbMolCrystal crystal("bcc", 10, 11, 12, 80, 95, 105);
    std::unique_ptr<DbMolecule> mol(chiral());
    mol->DbAtomVSet::Transform(Vertex3D(1, 2, 3));
    const double hand = signedVolume(positions(*mol));

    crystal.CreateBcc(mol.get(), 1, 0, 0, 0);
    ASSERT_EQ(names(crystal), (Names{"CHFClBr", "CHFClBr"}));
    const std::vector<Vertex3D> axes = turned(*mol, 0, 0, 0);  // on its principal axes
    for (int n = 0; n < 2; ++n) {
        const DbMolecule* copy = crystal.GetMolAt(n);
        EXPECT_EQ(copy->GetBondCount(), 4);
        expectNear(copy->GetCenterOfMass(), Vertex3D(0.5 * n, 0.5 * n, 0.5 * n), 1e-12);
        const std::vector<Vertex3D> shape = shapeOf(cartesian(crystal, *copy), *copy);
        for (std::size_t i = 0; i < shape.size(); ++i) expectNear(shape[i], axes[i], 1e-12);
        EXPECT_GT(signedVolume(shape) * hand, 0);
    }

    crystal.CreateFcc(mol.get(), 2, 30, 40, 50);
    ASSERT_EQ(crystal.GetMolCount(), 32);
    const std::vector<Vertex3D> want = turned(*mol, 30, 40, 50);
    const std::vector<Vertex3D> last = shapeOf(cartesian(crystal, *crystal.GetMolAt(31)), *mol);
    for (std::size_t i = 0; i < last.size(); ++i) expectNear(last[i], want[i], 1e-12);
    expectNear(crystal.GetMolAt(31)->GetCenterOfMass(), Vertex3D(0.75, 0.75, 0.5), 1e-12);

    // Any negative angle: three fresh draws per copy, phi, theta, psi, each Random()·360.
    Calc::SetRandomSeed(2024);
    double drawn[8][3];
    for (auto& angles : drawn)
        for (double& angle : angles) angle = Calc::Random() * 360;
    Calc::SetRandomSeed(2024);
    crystal.CreateSc(mol.get(), 2, 0, -1, 0);
    ASSERT_EQ(crystal.GetMolCount(), 8);
    std::vector<std::vector<Vertex3D>> shapes;
    for (int n = 0; n < 8; ++n) {
        const DbMolecule* copy = crystal.GetMolAt(n);
        expectNear(copy->GetCenterOfMass(), Vertex3D(n / 4 * 0.5, n / 2 % 2 * 0.5, n % 2 * 0.5),
                   1e-12);
        shapes.push_back(shapeOf(cartesian(crystal, *copy), *copy));
        const std::vector<Vertex3D> expected = turned(*mol, drawn[n][0], drawn[n][1], drawn[n][2]);
        for (std::size_t i = 0; i < expected.size(); ++i)
            expectNear(shapes[n][i], expected[i], 1e-12, "copy " + std::to_string(n));
        EXPECT_GT(signedVolume(shapes[n]) * hand, 0) << n;
        for (int m = 0; m < n; ++m)
            EXPECT_GT((shapes[n][4] - shapes[m][4]).GetAbsolute(), 1e-3) << n << ' ' << m;
    }
    // Reproducible from the seed.
    Calc::SetRandomSeed(2024);
    DbMolCrystal again("again", 10, 11, 12, 80, 95, 105);
    again.CreateSc(mol.get(), 2, -5, -5, -5);
    for (int n = 0; n < 8; ++n)
        EXPECT_EQ(positions(*again.GetMolAt(n)), positions(*crystal.GetMolAt(n)));

    crystal.CreateSc(mol.get(), 0, 0, 0, 0);
    EXPECT_EQ(crystal.GetMolCount(), 8);
    double one[1][3] = {{0, 0, 0}};
    crystal.CreateStructure(mol.get(), 1, one, 0, 0, 0, 0);
    EXPECT_EQ(crystal.GetMolCount(), 0);
    EXPECT_EQ(mol->GetAtomAt(0)->position, Vertex3D(1, 2, 3));
}

TEST(DbMolCrystalBuilders, SupercellsFromAnotherCrystal) {
    TaggedMolCrystal src("src", 5, 6, 7, 80, 95, 105);
    std::unique_ptr<DbMolecule> mol(chiral());
    src.AppendMol(placed(src, *mol, Vertex3D(0.5, 0.5, 0.5)));
    src.AppendMol(
        group(src, "Na", {{"Na", 22.99, {0.1, 0.2, 0.3}}, {"Na", 22.99, {0.6, 0.7, 0.8}}}));
    src.UpdateMolTypeList();
    const std::vector<Vertex3D> srcAtoms = cartesian(src, *src.GetMolAt(0));
    const double hand = signedVolume(srcAtoms);

    DbMolCrystal twice("twice");
    twice.CreateStructure(&src, 2, 1, 1);
    EXPECT_TRUE(twice.a == 10 && twice.b == 6 && twice.c == 7 && twice.alpha == 80 &&
                twice.beta == 95 && twice.gamma == 105);
    ASSERT_EQ(names(twice), (Names{"CHFClBr", "Na", "CHFClBr", "Na"}));
    EXPECT_EQ(types(twice), (Names{"CHFClBr", "Na"}));
    expectNear(twice.GetMolAt(0)->GetCenterOfMass(), Vertex3D(0.25, 0.5, 0.5), 1e-12);
    expectNear(twice.GetMolAt(2)->GetCenterOfMass(), Vertex3D(0.75, 0.5, 0.5), 1e-12);
    EXPECT_EQ(twice.GetMolAt(3)->GetAtomAt(1)->position, Vertex3D(0.8, 0.7, 0.8));
    for (int n : {0, 2}) {
        const std::vector<Vertex3D> r = cartesian(twice, *twice.GetMolAt(n));
        for (int bonded = 1; bonded <= 4; ++bonded)
            EXPECT_NEAR((r[bonded] - r[0]).GetAbsolute(),
                        (srcAtoms[bonded] - srcAtoms[0]).GetAbsolute(), 1e-12);
        EXPECT_GT(signedVolume(r) * hand, 0);
    }

    // Every image is its source moved by whole cell vectors, in the order (i, j, k, molecule).
    double Hs[3][3];
    src.GetHmatrix(Hs);
    DbMolCrystal super;
    super.CreateStructure(&src, 2, 3, 2);
    ASSERT_EQ(super.GetMolCount(), 24);
    POSITION pos = super.GetMolHeadPosition();
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 2; ++k)
                for (int m = 0; m < 2; ++m) {
                    const DbMolecule* image = super.GetMolNext(pos);
                    const std::vector<Vertex3D> from = cartesian(src, *src.GetMolAt(m));
                    const std::vector<Vertex3D> to = cartesian(super, *image);
                    ASSERT_EQ(to.size(), from.size());
                    const Vertex3D shift = Vertex3D(i, j, k).Transform(Hs);
                    for (std::size_t a = 0; a < to.size(); ++a)
                        expectNear(to[a], from[a] + shift, 1e-11);
                }

    // Over itself, and with a count of 0.
    src.CreateStructure(&src, 1, 2, 1);
    EXPECT_EQ(src.GetMolCount(), 4);
    EXPECT_EQ(src.b, 12);
    src.CreateStructure(&src, 0, 1, 1);
    EXPECT_TRUE(src.GetMolCount() == 0 && src.a == 0 && src.b == 12);
}

TEST(DbMolCrystalBuilders, CopySymmetryGathersGroupsAndRepeatsMolecules) {
    TaggedMolCrystal src("src", 4, 5, 6, 85, 90, 110);
    src.tag = 7;
    src.AppendMol(group(src, "Fe", {{"Fe", 55.8, {0, 0, 0}},
                                   {"Fe", 55.8, {0.5, 0.5, 0}},
                                   {"Fe", 55.8, {0.5, 0, 0.5}},
                                   {"Fe", 55.8, {0, 0.5, 0.5}}}));
    std::unique_ptr<DbMolecule> mol(chiral());
    src.AppendMol(placed(src, *mol, Vertex3D(0.3, 0.6, 0.2)));
    src.UpdateMolTypeList();
    const double hand = signedVolume(cartesian(src, *src.GetMolAt(1)));

    std::unique_ptr<DbMolCrystal> super(src.CopySymmetry(2, 2, 2));
    auto* tagged = dynamic_cast<TaggedMolCrystal*>(super.get());
    ASSERT_NE(tagged, nullptr);
    EXPECT_EQ(tagged->tag, 7);
    EXPECT_TRUE(super->a == 8 && super->b == 10 && super->c == 12 && super->gamma == 110);
    ASSERT_EQ(super->GetMolCount(), 9);
    EXPECT_EQ(types(*super), (Names{"Fe", "CHFClBr"}));
    EXPECT_EQ(src.GetMolCount(), 2);
    EXPECT_EQ(src.GetMolAt(0)->GetAtomCount(), 4);
    EXPECT_EQ(src.a, 4);

    double Hs[3][3];
    src.GetHmatrix(Hs);
    const DbMolecule* iron = super->GetMolAt(0);
    ASSERT_EQ(iron->GetAtomCount(), 32);
    EXPECT_EQ(iron->GetAtomTypeCount(), 1);
    const std::vector<Vertex3D> ironFrom = cartesian(src, *src.GetMolAt(0));
    const std::vector<Vertex3D> ironTo = cartesian(*super, *iron);
    const std::vector<Vertex3D> molFrom = cartesian(src, *src.GetMolAt(1));
    int image = 0;
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j)
            for (int k = 0; k < 2; ++k, ++image) {
                const Vertex3D shift = Vertex3D(i, j, k).Transform(Hs);
                for (int a = 0; a < 4; ++a)
                    expectNear(ironTo[image * 4 + a], ironFrom[a] + shift, 1e-11);
                const std::vector<Vertex3D> to = cartesian(*super, *super->GetMolAt(1 + image));
                for (std::size_t a = 0; a < to.size(); ++a)
                    expectNear(to[a], molFrom[a] + shift, 1e-11);
                EXPECT_GT(signedVolume(to) * hand, 0);
                EXPECT_EQ(super->GetMolAt(1 + image)->GetBondCount(), 4);
            }

    std::unique_ptr<DbMolCrystal> none(src.CopySymmetry(2, 0, 1));
    EXPECT_TRUE(none->GetMolCount() == 0 && none->a == 8 && none->b == 0);
}

TEST(DbMolCrystalBuilders, MirrorFlipsTheFlaggedAxes) {
    DbMolCrystal crystal;
    crystal.AppendMol(group(crystal, "X", {{"X", 1, {0.2, 0.5, 0.25}}, {"X", 1, {0.5, 0.9, 1.0}}}));
    crystal.AppendMol(shaped(crystal, "Y", 2, 1));
    crystal.UpdateMolTypeList();
    crystal.Mirror(1, 0, 0);
    EXPECT_EQ(crystal.GetMolAt(0)->GetAtomAt(0)->position, Vertex3D(0.8, 0.5, 0.25));
    EXPECT_EQ(crystal.GetMolAt(0)->GetAtomAt(1)->position, Vertex3D(0.5, 0.9, 1.0));
    EXPECT_NEAR(crystal.GetMolAt(1)->GetAtomAt(1)->position.x, 0.99, 1e-15);
    crystal.Mirror(0, 2, -1);
    expectNear(crystal.GetMolAt(0)->GetAtomAt(1)->position, Vertex3D(0.5, 0.1, 0.0), 1e-15);
    EXPECT_EQ(crystal.GetMolAt(0)->GetAtomAt(0)->position, Vertex3D(0.8, 0.5, 0.75));
    crystal.Mirror(0, 0, 0);
    EXPECT_EQ(crystal.GetMolAt(0)->GetAtomAt(0)->position, Vertex3D(0.8, 0.5, 0.75));
    EXPECT_EQ(types(crystal), (Names{"X", "Y"}));
}

TEST(DbMolCrystalBuilders, ReconstructSplitsMixedGroups) {
    DbMolCrystal salt;
    salt.AppendMol(group(salt, "NaCl", {{"Na", 22.99, {0, 0, 0}},
                                        {"Cl", 35.45, {0.5, 0, 0}},
                                        {"Na", 22.99, {0.5, 0.5, 0}},
                                        {"Cl", 35.45, {0, 0.5, 0}}}));
    salt.UpdateMolTypeList();
    salt.Reconstruct();
    ASSERT_EQ(names(salt), (Names{"Na", "Cl"}));
    EXPECT_EQ(types(salt), (Names{"Na", "Cl"}));
    EXPECT_EQ(positions(*salt.GetMolAt(0)), (std::vector<Vertex3D>{{0, 0, 0}, {0.5, 0.5, 0}}));
    EXPECT_EQ(positions(*salt.GetMolAt(1)), (std::vector<Vertex3D>{{0.5, 0, 0}, {0, 0.5, 0}}));
    EXPECT_EQ(salt.GetMolAt(1)->GetAtomAt(0)->mass, 35.45);

    // Two species share Na: the second Na group is a species of its own. The second NaCl
    // group goes with the first, which alone supplies atoms; the walk stops at the bonded W.
    DbMolCrystal mixed;
    mixed.AppendMol(group(mixed, "NaCl", {{"Na", 22.99, {0.1, 0, 0}}, {"Cl", 35.45, {0.2, 0, 0}},
                                          {"Na", 22.99, {0.3, 0, 0}}, {"Cl", 35.45, {0.4, 0, 0}}}));
    mixed.AppendMol(group(mixed, "NaBr", {{"Br", 79.9, {0.5, 0, 0}}, {"Na", 22.99, {0.6, 0, 0}}}));
    mixed.AppendMol(group(mixed, "NaCl", {{"Na", 22.99, {0.7, 0, 0}}, {"Cl", 35.45, {0.8, 0, 0}},
                                          {"Na", 22.99, {0.9, 0, 0}}, {"Cl", 35.45, {0.9, 0, 0}}}));
    mixed.AppendMol(shaped(mixed, "W", 3, 2));
    mixed.AppendMol(group(mixed, "KF", {{"K", 39.1, {0, 0, 0}}, {"F", 19.0, {0, 0, 0}}}));
    mixed.UpdateMolTypeList();
    mixed.Reconstruct();
    ASSERT_EQ(names(mixed), (Names{"W", "KF", "Na", "Cl", "Br", "Na~1"}));
    EXPECT_EQ(types(mixed), (Names{"W", "KF", "Na", "Cl", "Br", "Na~1"}));
    EXPECT_EQ(mixed.GetMolAt(2)->GetAtomCount(), 2);
    EXPECT_EQ(mixed.GetMolAt(3)->GetAtomAt(1)->position.x, 0.4);
    EXPECT_EQ(mixed.GetMolAt(5)->GetAtomAt(0)->position.x, 0.6);

    // A bonded or single-type first species stops the walk before anything is split.
    DbMolCrystal bonded;
    bonded.AppendMol(shaped(bonded, "W", 3, 2));
    bonded.AppendMol(group(bonded, "NaCl", {{"Na", 22.99, {}}, {"Cl", 35.45, {}}}));
    bonded.UpdateMolTypeList();
    bonded.Reconstruct();
    EXPECT_EQ(names(bonded), (Names{"W", "NaCl"}));
    DbMolCrystal pure;
    pure.AppendMol(group(pure, "Ar", {{"Ar", 39.9, {}}, {"Ar", 39.9, {}}}));
    pure.AppendMol(group(pure, "NaCl", {{"Na", 22.99, {}}, {"Cl", 35.45, {}}}));
    pure.UpdateMolTypeList();
    pure.Reconstruct();
    EXPECT_EQ(names(pure), (Names{"Ar", "NaCl"}));
    EXPECT_EQ(pure.GetMolAt(1)->GetAtomCount(), 2);
}

} // namespace
} // namespace qrtz
