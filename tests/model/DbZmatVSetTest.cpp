#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "qrtzdb/model/DbMolecule.h"
#include "qrtzdb/model/DbZmatVSet.h"

namespace qrtz {
namespace {

// The reference choice, bond by bond, as plainly as it can be written.
int referenceSearch(const DbBondVSet& bonds, int n, int atom, int x1, int x2, int x3) {
    int best = 0;
    for (int b = 0; b < bonds.GetBondCount(); ++b) {
        const DbBondV* bond = bonds.GetBondAt(b);
        int c;
        if (bond->firstAtom == atom) c = bond->secondAtom;
        else if (bond->secondAtom == atom) c = bond->firstAtom;
        else continue;
        if (c <= n - 1 && c != x1 && c != x2 && c != x3 && c > best) best = c;
    }
    if (best != 0) return best;
    for (int c : {n - 1, n - 2, n - 3})
        if (c != x1 && c != x2 && c != x3) return c;
    return 0;
}

struct Refs {
    int i, j, k;
};

std::vector<Refs> referenceZmat(const DbMolecule& mol) {
    std::vector<Refs> out(static_cast<std::size_t>(mol.GetAtomCount()) + 1, Refs{0, 0, 0});
    if (out.size() > 2) out[2].i = 1;
    for (int n = 3; n < static_cast<int>(out.size()); ++n) {
        Refs& r = out[static_cast<std::size_t>(n)];
        r.i = referenceSearch(mol, n, n, 0, 0, 0);
        r.j = referenceSearch(mol, n, r.i, r.i, 0, 0);
        if (n >= 4) r.k = referenceSearch(mol, n, r.j, r.i, r.j, 0);
    }
    return out;
}

DbMolecule* molecule(const std::vector<Vertex3D>& r,
                     const std::vector<std::pair<int, int>>& bonds) {
    auto* mol = new DbMolecule("M");
    for (const Vertex3D& p : r) mol->AppendAtom(mol->CreateDbAtomV("C", p, 12, 0, 0));
    for (auto [a, b] : bonds) mol->AppendBond(mol->CreateDbBondV("1 ", a, b));
    return mol;
}

void expectLine(const DbZmatVSet& z, int n, int i, int j, int k) {
    const DbZmatV* line = z.GetZmatAt(n - 1);
    ASSERT_NE(line, nullptr) << n;
    EXPECT_EQ(line->bondRef, i) << "line " << n;
    EXPECT_EQ(line->angleRef, j) << "line " << n;
    EXPECT_EQ(line->torsionRef, k) << "line " << n;
}

// The IUPAC dihedral by the atan2 formula, a second opinion on sign and size.
double dihedral(const Vertex3D& a, const Vertex3D& b, const Vertex3D& c, const Vertex3D& d) {
    const Vertex3D b1 = b - a, b2 = c - b, b3 = d - c;
    const Vertex3D n2 = Cross(b2, b3);
    return std::atan2(b2.GetAbsolute() * Dot(b1, n2), Dot(Cross(b1, b2), n2)) * 57.29577951308232;
}

TEST(DbZmatV, AnglesAndTorsions) {
    DbZmatV line(4, 3, 2, 1.5, 109.5, -60);
    line.SetName("L");
    DbZmatV other;
    other = line;
    EXPECT_EQ(other.GetName(), "");
    EXPECT_EQ(other.torsionRef, 2);
    EXPECT_EQ(other.torsion, -60);

    const Vertex3D a(1, 0, 0), b, c(0, 1, 0);
    line.SetTorsion(a, b, c, Vertex3D(0, 1, 1));
    EXPECT_DOUBLE_EQ(line.torsion, -90);
    line.SetTorsion(a, b, c, Vertex3D(0, 1, -1));
    EXPECT_DOUBLE_EQ(line.torsion, 90);
    line.SetTorsion(Vertex3D(-0.1, 0.2, -0.3), b, Vertex3D(0.2, -0.4, 0.6), Vertex3D(0, 1, -1));
    EXPECT_EQ(line.torsion, 90);  // collinear a, b, c
    for (double t = -170; t < 180; t += 20) {
        const Vertex3D d(std::cos(t / 57.29577951308232), 1, std::sin(t / 57.29577951308232));
        line.SetTorsion(a, b, c, d);
        EXPECT_NEAR(line.torsion, dihedral(a, b, c, d), 1e-9) << t;
    }
    line.SetAngle(a, a, c);
    EXPECT_EQ(line.angle, 90);
    line.SetAngle(a, c, a);
    EXPECT_EQ(line.angle, 0);
    line.SetAngle(a, b, Vertex3D(-1, 1, 0));
    EXPECT_NEAR(line.angle, 135, 1e-12);
}

TEST(DbZmatVSet, SmallMolecules) {
    DbZmatVSet z;
    // Water, H-O-H 104.5 degrees.
    const double half = 104.5 / 2 / 57.29577951308232;
    std::unique_ptr<DbMolecule> water(molecule(
        {{0, 0, 0}, {0.9572 * std::sin(half), 0, 0.9572 * std::cos(half)},
         {-0.9572 * std::sin(half), 0, 0.9572 * std::cos(half)}},
        {{1, 2}, {1, 3}}));
    z.CreateZmat(*water);
    ASSERT_EQ(z.GetZmatCount(), 3);
    expectLine(z, 1, 0, 0, 0);
    expectLine(z, 2, 1, 0, 0);
    expectLine(z, 3, 1, 2, 0);
    EXPECT_NEAR(z.GetZmatAt(1)->bond, 0.9572, 1e-12);
    EXPECT_NEAR(z.GetZmatAt(2)->angle, 104.5, 1e-9);

    // Unbonded atoms fall back on the preceding numbers; a repeated call replaces the lines.
    std::unique_ptr<DbMolecule> loose(
        molecule({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {2, 1, 1}}, {}));
    z.CreateZmat(*loose);
    ASSERT_EQ(z.GetZmatCount(), 5);
    expectLine(z, 3, 2, 1, 0);
    expectLine(z, 4, 3, 2, 1);
    expectLine(z, 5, 4, 3, 2);

    // Chair cyclohexane numbered round the ring: atoms 1 to 4 are a chain (line 4 gets 3, 2, 1)
    // and the ring torsions alternate in sign.
    std::vector<Vertex3D> ring;
    for (int m = 0; m < 6; ++m) {
        const double t = m * std::numbers::pi / 3;
        ring.emplace_back(1.45 * std::cos(t), 1.45 * std::sin(t), m % 2 ? 0.25 : -0.25);
    }
    ring.emplace_back(2.5, 0, -0.6);  // a substituent on atom 1
    std::unique_ptr<DbMolecule> chair(
        molecule(ring, {{1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 1}, {7, 1}}));
    z.CreateZmat(*chair);
    ASSERT_EQ(z.GetZmatCount(), 7);
    expectLine(z, 4, 3, 2, 1);
    expectLine(z, 6, 5, 4, 3);
    expectLine(z, 7, 1, 6, 5);  // the ring closure 6-1 outranks 2-1
    for (int n = 4; n <= 7; ++n) {
        const DbZmatV* l = z.GetZmatAt(n - 1);
        EXPECT_NEAR(l->torsion, dihedral(ring[n - 1], ring[l->bondRef - 1], ring[l->angleRef - 1],
                                         ring[l->torsionRef - 1]), 1e-9) << n;
    }
    EXPECT_LT(z.GetZmatAt(3)->torsion * z.GetZmatAt(4)->torsion, 0);

    std::unique_ptr<DbMolecule> one(molecule({{1, 1, 1}}, {}));
    z.CreateZmat(*one);
    ASSERT_EQ(z.GetZmatCount(), 1);
    EXPECT_EQ(z.GetZmatAt(0)->bond, 0);
    DbMolecule empty;
    z.CreateZmat(empty);
    EXPECT_EQ(z.GetZmatCount(), 0);
}

TEST(DbZmatVSet, MatchesTheBondByBondChoice) {
    std::mt19937 rng(7);
    for (int trial = 0; trial < 40; ++trial) {
        const int count = 1 + static_cast<int>(rng() % 60);
        std::vector<Vertex3D> r;
        std::uniform_real_distribution<double> u(-3, 3);
        for (int a = 0; a < count; ++a) r.emplace_back(u(rng), u(rng), u(rng));
        // Mostly bonds to nearby earlier atoms, with repeats, self-bonds and bad numbers mixed in.
        std::vector<std::pair<int, int>> bonds;
        const int bondCount = static_cast<int>(rng() % (2 * count + 1));
        for (int b = 0; b < bondCount; ++b) {
            int p = 1 + static_cast<int>(rng() % count);
            int q = rng() % 10 == 0 ? static_cast<int>(rng() % (count + 4)) - 2
                                    : std::max(1, p - 1 - static_cast<int>(rng() % 4));
            if (rng() % 2) std::swap(p, q);
            bonds.emplace_back(p, q);
        }
        std::unique_ptr<DbMolecule> mol(molecule(r, bonds));
        for (int q = 0; q < 50; ++q) {
            auto pick = [&](int below) { return static_cast<int>(rng() % unsigned(below)); };
            const int n = pick(count + 2), atom = pick(count + 2);
            const int x1 = pick(count + 1), x2 = pick(count + 1);
            ASSERT_EQ(DbZmatVSet::SearchIndex(*mol, n, atom, x1, x2, 0),
                      referenceSearch(*mol, n, atom, x1, x2, 0));
        }
        DbZmatVSet z;
        z.CreateZmat(*mol);
        const std::vector<Refs> want = referenceZmat(*mol);
        ASSERT_EQ(z.GetZmatCount(), count);
        for (int n = 1; n <= count; ++n) {
            const Refs& w = want[static_cast<std::size_t>(n)];
            expectLine(z, n, w.i, w.j, w.k);
            if (n >= 4) {
                DbZmatV line;
                line.SetTorsion(r[n - 1], r[w.i - 1], r[w.j - 1], r[w.k - 1]);
                EXPECT_EQ(z.GetZmatAt(n - 1)->torsion, line.torsion);
            }
        }
    }
}

TEST(DbZmatVSet, LargeMoleculeInLinearTime) {
    // A hub bonded to every odd atom, each even atom to the one before: a scan of all bonds per
    // search would take minutes.
    const int count = 100000;
    std::vector<Vertex3D> r;
    std::vector<std::pair<int, int>> bonds;
    for (int a = 1; a <= count; ++a) {
        r.emplace_back(a * 0.01, (a % 7) * 0.3, (a % 11) * 0.2);
        if (a > 1) bonds.emplace_back(a % 2 ? 1 : a - 1, a);
    }
    std::unique_ptr<DbMolecule> mol(molecule(r, bonds));
    DbZmatVSet z;
    const auto start = std::chrono::steady_clock::now();
    z.CreateZmat(*mol);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    // Generous bounds: a loaded 2-core machine slows the linear walk several times, while a
    // scan per atom would still take minutes.
#ifdef __SANITIZE_ADDRESS__
    const double limit = 60.0;
#else
    const double limit = 10.0;
#endif
    EXPECT_LT(seconds.count(), limit);
    ASSERT_EQ(z.GetZmatCount(), count);
    expectLine(z, 99999, 1, 99997, 99998);  // odd atoms hang on the hub
    expectLine(z, 100000, 99999, 1, 99997);
}

} // namespace
} // namespace qrtz
