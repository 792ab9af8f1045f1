#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "qrtzdb/model/DbMolecule.h"
#include "qrtzdb/model/DbMoleculeSet.h"

namespace qrtz {
namespace {

struct AtomSpec {
    const char* name;
    double mass, x, y, z;
};

void addAtoms(DbMolecule& mol, std::initializer_list<AtomSpec> atoms) {
    for (const AtomSpec& a : atoms)
        mol.AppendAtom(mol.CreateDbAtomV(a.name, Vertex3D(a.x, a.y, a.z), a.mass, 0, 0));
}

std::vector<Vertex3D> positions(const DbMolecule& mol) {
    std::vector<Vertex3D> out;
    for (POSITION pos = mol.GetAtomHeadPosition(); pos;)
        out.push_back(mol.GetAtomNext(pos)->position);
    return out;
}

// Positive for a right-handed a, b, c, d; a mirror image flips the sign.
double signedVolume(const std::vector<Vertex3D>& r, int a, int b, int c, int d) {
    return Dot(r[b] - r[a], Cross(r[c] - r[a], r[d] - r[a]));
}

void inertia(const DbMolecule& mol, double I[3][3]) {
    const Vertex3D g = mol.GetCenterOfMass();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) I[i][j] = 0;
    for (POSITION pos = mol.GetAtomHeadPosition(); pos;) {
        const DbAtomV* atom = mol.GetAtomNext(pos);
        const Vertex3D d = atom->position - g;
        const double r[3] = {d.x, d.y, d.z};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                I[i][j] += atom->mass * ((i == j ? d.GetAbsolute2() : 0) - r[i] * r[j]);
    }
}

void expectNear(const Vertex3D& a, const Vertex3D& b, double tol) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

// Bromochlorofluoromethane: chiral and an asymmetric top.
void chiral(DbMolecule& mol) {
    const double k = 1 / std::sqrt(3.0);
    addAtoms(mol, {{"C", 12.011, 0, 0, 0},
                   {"H", 1.008, 1.09 * k, 1.09 * k, 1.09 * k},
                   {"F", 18.998, -1.35 * k, -1.35 * k, 1.35 * k},
                   {"Cl", 35.45, -1.77 * k, 1.77 * k, -1.77 * k},
                   {"Br", 79.904, 1.94 * k, -1.94 * k, -1.94 * k}});
}

// The smallest turn between two angles in degrees.
double angleGap(double a, double b) {
    double d = std::fmod(std::fabs(a - b), 360.0);
    return std::min(d, 360.0 - d);
}

TEST(DbMolecule, NamesCopiesAndAtomDeletion) {
    EXPECT_EQ(DbMolecule().GetName(), "                ");
    DbMolecule mol("0123456789abcdefXYZ");
    EXPECT_EQ(mol.GetName(), "0123456789abcdef");
    addAtoms(mol, {{"C", 12, 0, 0, 0}, {"C", 12, 1, 0, 0}, {"C", 12, 2, 0, 0}, {"C", 12, 3, 0, 0}});
    mol.AppendBond(mol.CreateDbBondV("1 ", 1, 2));
    mol.AppendBond(mol.CreateDbBondV("1 ", 3, 2));
    mol.AppendBond(mol.CreateDbBondV("2 ", 4, 3));
    mol.AppendBond(mol.CreateDbBondV("1 ", 1, 4));

    std::unique_ptr<DbMolecule> copy(static_cast<DbMolecule*>(mol.Copy()));
    copy->GetAtomAt(0)->position.x = 9;
    EXPECT_EQ(mol.GetAtomAt(0)->position.x, 0);
    EXPECT_EQ(copy->GetName(), mol.GetName());
    EXPECT_EQ(copy->GetBondCount(), 4);

    mol.DeleteAtomWithBond(4);  // out of range: nothing changes
    mol.DeleteAtomWithBond(-1);
    EXPECT_EQ(mol.GetAtomCount(), 4);
    EXPECT_EQ(mol.GetBondCount(), 4);
    mol.DeleteAtomWithBond(1);
    ASSERT_EQ(mol.GetAtomCount(), 3);
    EXPECT_EQ(mol.GetAtomAt(1)->position.x, 2);
    ASSERT_EQ(mol.GetBondCount(), 2);
    EXPECT_EQ(mol.GetBondAt(0)->firstAtom, 3);  // 4-3 becomes 3-2, each end on its own
    EXPECT_EQ(mol.GetBondAt(0)->secondAtom, 2);
    EXPECT_EQ(mol.GetBondAt(1)->firstAtom, 1);
    EXPECT_EQ(mol.GetBondAt(1)->secondAtom, 3);

    *copy = mol;  // assignment replaces atoms and bonds
    EXPECT_EQ(copy->GetAtomCount(), 3);
    EXPECT_EQ(copy->GetBondCount(), 2);
}

TEST(DbMolecule, CentreOfMass) {
    DbMolecule ch;
    addAtoms(ch, {{"C", 12.011, 1, 2, 3}, {"H", 1.008, 1, 2, 4}});
    expectNear(ch.GetCenterOfMass(), Vertex3D(1, 2, 3 + 1.008 / 13.019), 1e-12);
    ch.AtZero();
    expectNear(ch.GetCenterOfMass(), Vertex3D(), 1e-12);
    EXPECT_NEAR((ch.GetAtomAt(1)->position - ch.GetAtomAt(0)->position).GetAbsolute(), 1, 1e-12);

    DbMolecule massless;
    addAtoms(massless, {{"X", 0, 1, 2, 3}, {"X", 0, 5, 5, 5}});
    EXPECT_EQ(massless.GetCenterOfMass(), Vertex3D());
    EXPECT_EQ(DbMolecule().GetCenterOfMass(), Vertex3D());
}

TEST(DbMolecule, PrincipalAxesOfKnownMolecules) {
    // Water, tilted and moved away from the origin.
    DbMolecule water;
    addAtoms(water, {{"O", 15.999, 0, 0, 0.1173}, {"H", 1.008, 0, 0.7572, -0.4692},
                     {"H", 1.008, 0, -0.7572, -0.4692}});
    const double tilt[3][3] = {{0.36, 0.48, -0.8}, {-0.8, 0.6, 0}, {0.48, 0.64, 0.6}};
    water.DbAtomVSet::Transform(tilt);
    water.DbAtomVSet::Transform(Vertex3D(3, -2, 5));
    const Vertex3D g = water.GetCenterOfMass();
    water.OnInertiaAxis();
    expectNear(water.GetCenterOfMass(), g, 1e-12);
    double I[3][3];
    inertia(water, I);
    EXPECT_NEAR(I[0][1], 0, 1e-12);
    EXPECT_NEAR(I[0][2], 0, 1e-12);
    EXPECT_NEAR(I[1][2], 0, 1e-12);
    EXPECT_LT(I[0][0], I[1][1]);
    EXPECT_NEAR(I[2][2], I[0][0] + I[1][1], 1e-12);  // a planar top: the plane is xy
    for (const Vertex3D& r : positions(water)) EXPECT_NEAR(r.z, g.z, 1e-12);

    // A linear molecule along z ends up along x, the axis of the zero moment.
    DbMolecule co2;
    addAtoms(co2, {{"O", 15.999, 1, 2, 1.84}, {"C", 12.011, 1, 2, 3}, {"O", 15.999, 1, 2, 4.16}});
    co2.OnInertiaAxis();
    for (const Vertex3D& r : positions(co2)) {
        EXPECT_NEAR(r.y, 2, 1e-12);
        EXPECT_NEAR(r.z, 3, 1e-12);
    }
    // Of the two tied oxygens the first decides the sign of x.
    EXPECT_NEAR(co2.GetAtomAt(0)->position.x - co2.GetAtomAt(2)->position.x, 2.32, 1e-12);

    // A chiral molecule is turned, never mirrored, and the frame does not depend on where the
    // molecule stood: the atom of largest m·r² about the centre lands at x > 0, y > 0.
    DbMolecule a, b;
    chiral(a);
    chiral(b);
    b.DbAtomVSet::Transform(tilt);
    b.DbAtomVSet::Transform(Vertex3D(-4, 1, 7));
    const double before = signedVolume(positions(a), 1, 2, 3, 4);
    a.AtZero();
    b.AtZero();
    a.OnInertiaAxis();
    b.OnInertiaAxis();
    const auto ra = positions(a), rb = positions(b);
    EXPECT_GT(signedVolume(ra, 1, 2, 3, 4) * before, 0);
    for (std::size_t i = 0; i < ra.size(); ++i) expectNear(ra[i], rb[i], 1e-9);
    std::size_t heavy = 0;
    for (std::size_t i = 0; i < ra.size(); ++i)
        if (a.GetAtomAt(int(i))->mass * ra[i].GetAbsolute2() >
            a.GetAtomAt(int(heavy))->mass * ra[heavy].GetAbsolute2())
            heavy = i;
    EXPECT_GT(ra[heavy].x, 1e-3);
    EXPECT_GT(ra[heavy].y, 1e-3);
    inertia(a, I);
    EXPECT_LT(I[0][0], I[1][1]);
    EXPECT_LT(I[1][1], I[2][2]);
}

TEST(DbMolecule, EulerAnglesReadBackAndKeepHandedness) {
    DbMolecule mol;
    chiral(mol);
    const double sign = signedVolume(positions(mol), 1, 2, 3, 4) > 0 ? 1 : -1;
    const Vertex3D g = mol.GetCenterOfMass();
    double phi, theta, psi;
    mol.OnInertiaAxis();
    mol.GetEulerAngle(phi, theta, psi);
    EXPECT_EQ(theta, 0);
    EXPECT_LT(angleGap(phi, 0), 1e-6);
    EXPECT_EQ(psi, 0);

    double worst = 0;
    for (double t : {0.5, 10.0, 45.0, 90.0, 135.0, 170.0, 179.5})
        for (double f = 0; f < 360; f += 30)
            for (double s = 0; s < 360; s += 30) {
                mol.SetEulerAngle(f, t, s);
                mol.GetEulerAngle(phi, theta, psi);
                ASSERT_TRUE(phi >= 0 && phi < 360 && psi >= 0 && psi < 360) << phi << ' ' << psi;
                worst = std::max({worst, angleGap(phi, f), std::fabs(theta - t), angleGap(psi, s)});
                ASSERT_GT(sign * signedVolume(positions(mol), 1, 2, 3, 4), 0) << f << ' ' << t;
            }
    EXPECT_LT(worst, 1e-6);
    expectNear(mol.GetCenterOfMass(), g, 1e-12);

    // Turns about z alone add up in phi.
    struct Case { double f, t, s, phi, theta, psi; };
    for (const Case& c : {Case{-30, 0, 0, 330, 0, 0}, Case{10, 0, 20, 30, 0, 0},
                          Case{10, 180, 20, 350, 180, 0}, Case{0, 180, 0, 0, 180, 0},
                          Case{30, 40, 50, 30, 40, 50}}) {
        mol.SetEulerAngle(c.f, c.t, c.s);
        mol.GetEulerAngle(phi, theta, psi);
        EXPECT_LT(angleGap(phi, c.phi), 1e-6) << c.f << ' ' << c.t << ' ' << c.s;
        EXPECT_NEAR(theta, c.theta, 1e-6);
        EXPECT_LT(angleGap(psi, c.psi), 1e-6) << c.f << ' ' << c.t << ' ' << c.s;
        if (c.t == 0 || c.t == 180) {
            EXPECT_EQ(psi, 0);
        }
    }
}

TEST(DbMoleculeSet, SumsOverMolecules) {
    DbMoleculeSet set;
    for (const char* name : {"H2O", "CO2", "H2O", "H2O"}) {
        DbMolecule* mol = set.CreateDbMolecule(name);
        if (mol->GetName() == "H2O")
            addAtoms(*mol, {{"O", 15.999, 0, 0, 0}, {"H", 1.008, 1, 0, 0}, {"H", 1.008, 0, 1, 0}});
        else
            addAtoms(*mol,
                     {{"C", 12.011, 0, 0, 0}, {"O", 15.999, 1, 0, 0}, {"O", 15.999, -1, 0, 0}});
        set.AppendMol(mol);
    }
    EXPECT_NEAR(set.GetMass("H2O"), 3 * 18.015, 1e-12);
    EXPECT_NEAR(set.GetMass(), 3 * 18.015 + 44.009, 1e-12);
    EXPECT_EQ(set.GetMass("h2o"), 0);
    EXPECT_EQ(set.GetAtomCount(), 12);
}

} // namespace
} // namespace qrtz
