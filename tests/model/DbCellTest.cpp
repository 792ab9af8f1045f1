#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "qrtzdb/model/DbCell.h"

namespace qrtz {
namespace {

Vertex3D column(const double H[3][3], int j) { return {H[0][j], H[1][j], H[2][j]}; }

double degreesBetween(const Vertex3D& u, const Vertex3D& v) {
    return std::acos(Dot(u, v) / (u.GetAbsolute() * v.GetAbsolute())) * 180.0 / std::numbers::pi;
}

void expectNear(const Vertex3D& got, const Vertex3D& want, double tol = 1e-12) {
    EXPECT_NEAR((got - want).GetAbsolute(), 0.0, tol)
        << got.x << " " << got.y << " " << got.z << " != " << want.x << " " << want.y << " " << want.z;
}

TEST(DbCell, MatrixHasCellVectorsAsColumnsAndInvertsToTheConstants) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> length(0.5, 30.0), angle(25.0, 155.0);
    for (int checked = 0; checked < 500;) {
        DbCell cell(length(rng), length(rng), length(rng), angle(rng), angle(rng), angle(rng));
        double H[3][3], Hinv[3][3], a, b, c, alpha, beta, gamma;
        if (!(cell.GetVolume() > 0.1 * cell.a * cell.b * cell.c)) continue;  // too flat to judge
        ++checked;
        ASSERT_EQ(cell.GetHmatrix(H), 1);
        const Vertex3D va = column(H, 0), vb = column(H, 1), vc = column(H, 2);
        // a along x, b in the xy-plane, c above it.
        EXPECT_TRUE(H[0][0] == cell.a && H[1][0] == 0 && H[2][0] == 0 && H[2][1] == 0);
        EXPECT_TRUE(H[1][1] > 0 && H[2][2] > 0);
        EXPECT_NEAR(vb.GetAbsolute(), cell.b, 1e-12 * cell.b);
        EXPECT_NEAR(vc.GetAbsolute(), cell.c, 1e-12 * cell.c);
        EXPECT_NEAR(degreesBetween(vb, vc), cell.alpha, 1e-9);
        EXPECT_NEAR(degreesBetween(va, vc), cell.beta, 1e-9);
        EXPECT_NEAR(degreesBetween(va, vb), cell.gamma, 1e-9);
        EXPECT_NEAR(cell.GetVolume(), Dot(va, Cross(vb, vc)), 1e-10 * cell.GetVolume());

        ASSERT_EQ(DbCell::GetLatticeConstants(H, a, b, c, alpha, beta, gamma), 1);
        EXPECT_NEAR(a, cell.a, 1e-12 * a);
        EXPECT_NEAR(b, cell.b, 1e-12 * b);
        EXPECT_NEAR(c, cell.c, 1e-12 * c);
        EXPECT_NEAR(alpha, cell.alpha, 1e-9);
        EXPECT_NEAR(beta, cell.beta, 1e-9);
        EXPECT_NEAR(gamma, cell.gamma, 1e-9);

        ASSERT_EQ(cell.GetInverseHmatrix(Hinv), 1);
        expectNear(vc.Transform(Hinv), {0, 0, 1}, 1e-10);
        expectNear(vb.Transform(Hinv), {0, 1, 0}, 1e-10);
    }

    DbCell hex(10, 10, 10, 90, 90, 120);
    double H[3][3];
    ASSERT_EQ(hex.GetHmatrix(H), 1);
    const double want[3][3] = {{10, -5, 0}, {0, 8.660254037844386, 0}, {0, 0, 10}};
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(H[i / 3][i % 3], want[i / 3][i % 3], 1e-12) << i;
    EXPECT_NEAR(hex.GetVolume(), 866.0254037844386, 1e-9);
    DbCell back(H);
    EXPECT_NEAR(back.gamma, 120.0, 1e-12);
    EXPECT_NEAR(back.alpha, 90.0, 1e-12);
}

TEST(DbCell, DefaultsAndCellsWithoutAMatrix) {
    DbCell unit;
    double H[3][3];
    ASSERT_EQ(unit.GetHmatrix(H), 1);
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(H[i / 3][i % 3], i % 4 == 0 ? 1.0 : 0.0, 1e-15);
    EXPECT_NEAR(unit.GetVolume(), 1.0, 1e-15);
    expectNear(unit.GetCenter(), {0.5, 0.5, 0.5});

    // A zero or non-finite column: nothing written, the cell untouched.
    const double flat[3][3] = {{2, 0, 0}, {0, 3, 0}, {0, 0, 0}};
    const double bad[3][3] = {{NAN, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double a = -1, b = -1, c = -1, alpha = -1, beta = -1, gamma = -1;
    EXPECT_EQ(DbCell::GetLatticeConstants(flat, a, b, c, alpha, beta, gamma), 0);
    EXPECT_EQ(DbCell::GetLatticeConstants(bad, a, b, c, alpha, beta, gamma), 0);
    EXPECT_EQ(a + b + c + alpha + beta + gamma, -6.0);
    DbCell kept(3, 4, 5, 80, 85, 95);
    EXPECT_EQ(kept.SetHmatrix(flat), 0);
    EXPECT_TRUE(kept.c == 5 && kept.gamma == 95);
    EXPECT_TRUE(DbCell(flat).a == 1 && DbCell(flat).gamma == 90);

    // gamma 0 and angles that cannot close a cell have no matrix; a flat cell has a singular one.
    H[0][0] = 42;
    EXPECT_EQ(DbCell(1, 1, 1, 90, 90, 0).GetHmatrix(H), 0);
    EXPECT_EQ(H[0][0], 42.0);
    EXPECT_EQ(DbCell(1, 1, 1, 90, 90, 0).GetInverseHmatrix(H), 0);
    DbCell impossible(1, 1, 1, 150, 150, 150);
    EXPECT_EQ(impossible.GetHmatrix(H), 0);
    EXPECT_EQ(impossible.GetVolume(), 0.0);
    expectNear(impossible.GetCenter(), {0, 0, 0}, 0);
    DbCell coplanar(2, 2, 2, 60, 60, 120);
    EXPECT_EQ(coplanar.GetHmatrix(H), 1);
    EXPECT_NEAR(coplanar.GetVolume(), 0.0, 1e-6);
    EXPECT_EQ(coplanar.GetInverseHmatrix(H), 0);
}

TEST(DbCell, CornerBoxAndCopies) {
    DbCell cell(3, 4, 5, 70, 80, 100);
    double H[3][3];
    ASSERT_EQ(cell.GetHmatrix(H), 1);
    const Vertex3D a = column(H, 0), b = column(H, 1), c = column(H, 2), o;
    Vertex3D corners[8], p[8];
    cell.GetCoord(corners);
    const Vertex3D inArray[8] = {o, c, a + c, a, b, b + c, a + b + c, a + b};
    for (int i = 0; i < 8; ++i) expectNear(corners[i], inArray[i]);
    cell.GetCoord(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]);
    const Vertex3D byAxis[8] = {o, c, b, b + c, a, a + c, a + b, a + b + c};
    for (int i = 0; i < 8; ++i) expectNear(p[i], byAxis[i]);

    // The centre is H·(upper − lower)/2, whatever the lower corner.
    cell.lowerCorner = Vertex3D(-1, 0, 0);
    cell.upperCorner = Vertex3D(1, 2, 1);
    expectNear(cell.GetCenter(), Vertex3D(1, 1, 0.5).Transform(H));
    cell.GetCoord(corners);
    expectNear(corners[0], -a);
    expectNear(corners[6], a + b + b + c);

    DbCell assigned;
    assigned = cell;
    EXPECT_EQ(assigned.beta, 80.0);
    EXPECT_EQ(assigned.lowerCorner, Vertex3D(0, 0, 0));
    DbCell copied(cell);
    EXPECT_TRUE(copied.lowerCorner == cell.lowerCorner && copied.upperCorner == cell.upperCorner);

    DbCell fromMatrix(H);  // a zero box until the host sets one
    EXPECT_NEAR(fromMatrix.alpha, 70.0, 1e-12);
    expectNear(fromMatrix.GetCenter(), o, 0);
    fromMatrix.GetCoord(corners);
    for (const Vertex3D& v : corners) expectNear(v, o, 0);
}

TEST(DbHmatCell, KeepsTheOrientationItWasGiven) {
    double H[3][3], turned[3][3], got[3][3], standard[3][3], inv[3][3];
    ASSERT_EQ(DbCell(10, 10, 12, 90, 90, 120).GetHmatrix(H), 1);
    for (int j = 0; j < 3; ++j) {  // a quarter turn about x
        turned[0][j] = H[0][j];
        turned[1][j] = -H[2][j];
        turned[2][j] = H[1][j];
    }
    DbHmatCell kept;
    EXPECT_EQ(kept.SetHmatrix(turned), 1);
    DbCell plain;
    plain.SetHmatrix(turned);
    ASSERT_EQ(kept.GetHmatrix(got), 1);
    ASSERT_EQ(plain.GetHmatrix(standard), 1);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(got[i / 3][i % 3], turned[i / 3][i % 3]);
        EXPECT_NEAR(standard[i / 3][i % 3], H[i / 3][i % 3], 1e-12);
    }
    EXPECT_NEAR(kept.gamma, 120.0, 1e-12);
    EXPECT_NEAR(kept.c, 12.0, 1e-12);

    // Queries go through the stored matrix.
    Vertex3D corners[8];
    kept.GetCoord(corners);
    expectNear(corners[3], column(turned, 0));
    ASSERT_EQ(kept.GetInverseHmatrix(inv), 1);
    expectNear(column(turned, 1).Transform(inv), {0, 1, 0});

    kept.lowerCorner = Vertex3D(0.5, 0.5, 0.5);
    DbHmatCell copied(kept), assigned;
    assigned = kept;
    EXPECT_TRUE(copied.matrix[1][2] == turned[1][2] && copied.lowerCorner == kept.lowerCorner);
    EXPECT_TRUE(assigned.matrix[2][1] == turned[2][1] && assigned.c == kept.c);
    EXPECT_EQ(assigned.lowerCorner, Vertex3D(0, 0, 0));
}

} // namespace
} // namespace qrtz
