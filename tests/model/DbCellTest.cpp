#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "qrtzdb/model/DbCell.h"

namespace qrtz {
namespace {

constexpr double kPi = 3.14159265358979323846;

Vertex3D column(const double H[3][3], int j) { return {H[0][j], H[1][j], H[2][j]}; }

double degreesBetween(const Vertex3D& u, const Vertex3D& v) {
    return std::acos(Dot(u, v) / (u.GetAbsolute() * v.GetAbsolute())) * 180.0 / kPi;
}

void expectNear(const Vertex3D& got, const Vertex3D& want, double tol, const char* what) {
    EXPECT_NEAR(got.x, want.x, tol) << what;
    EXPECT_NEAR(got.y, want.y, tol) << what;
    EXPECT_NEAR(got.z, want.z, tol) << what;
}

TEST(DbCell, MatrixHasCellVectorsAsColumnsAndInvertsToTheConstants) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> length(0.5, 30.0), angle(25.0, 155.0);
    int checked = 0;
    while (checked < 500) {
        DbCell cell(length(rng), length(rng), length(rng), angle(rng), angle(rng), angle(rng));
        const double ca = std::cos(cell.alpha * kPi / 180), cb = std::cos(cell.beta * kPi / 180),
                     cg = std::cos(cell.gamma * kPi / 180);
        const double gram = 1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg;
        if (gram < 0.01) continue;  // not a cell, or too flat to judge angles by
        ++checked;

        double H[3][3];
        ASSERT_EQ(cell.GetHmatrix(H), 1);
        const Vertex3D va = column(H, 0), vb = column(H, 1), vc = column(H, 2);
        // a along x, b in the xy-plane, c above it.
        EXPECT_EQ(H[1][0], 0.0);
        EXPECT_EQ(H[2][0], 0.0);
        EXPECT_EQ(H[2][1], 0.0);
        EXPECT_EQ(H[0][0], cell.a);
        EXPECT_GT(H[1][1], 0.0);
        EXPECT_GT(H[2][2], 0.0);
        EXPECT_NEAR(vb.GetAbsolute(), cell.b, 1e-12 * cell.b);
        EXPECT_NEAR(vc.GetAbsolute(), cell.c, 1e-12 * cell.c);
        EXPECT_NEAR(degreesBetween(vb, vc), cell.alpha, 1e-9);
        EXPECT_NEAR(degreesBetween(va, vc), cell.beta, 1e-9);
        EXPECT_NEAR(degreesBetween(va, vb), cell.gamma, 1e-9);
        EXPECT_NEAR(cell.GetVolume(), Dot(va, Cross(vb, vc)), 1e-10 * cell.GetVolume());

        double a, b, c, alpha, beta, gamma;
        ASSERT_EQ(DbCell::GetLatticeConstants(H, a, b, c, alpha, beta, gamma), 1);
        EXPECT_NEAR(a, cell.a, 1e-12 * a);
        EXPECT_NEAR(b, cell.b, 1e-12 * b);
        EXPECT_NEAR(c, cell.c, 1e-12 * c);
        EXPECT_NEAR(alpha, cell.alpha, 1e-9);
        EXPECT_NEAR(beta, cell.beta, 1e-9);
        EXPECT_NEAR(gamma, cell.gamma, 1e-9);

        double Hinv[3][3];
        ASSERT_EQ(cell.GetInverseHmatrix(Hinv), 1);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                double sum = 0;
                for (int k = 0; k < 3; ++k) sum += H[i][k] * Hinv[k][j];
                EXPECT_NEAR(sum, i == j ? 1.0 : 0.0, 1e-10);
            }
    }

    DbCell hex(10, 10, 10, 90, 90, 120);
    double H[3][3];
    ASSERT_EQ(hex.GetHmatrix(H), 1);
    const double want[3][3] = {{10, -5, 0}, {0, 8.660254037844386, 0}, {0, 0, 10}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(H[i][j], want[i][j], 1e-12) << i << j;
    EXPECT_NEAR(hex.GetVolume(), 866.0254037844386, 1e-9);
    DbCell back(H);
    EXPECT_NEAR(back.gamma, 120.0, 1e-12);
    EXPECT_NEAR(back.alpha, 90.0, 1e-12);
    EXPECT_NEAR(back.a, 10.0, 1e-12);
}

TEST(DbCell, DefaultsAndCellsWithoutAMatrix) {
    DbCell unit;
    double H[3][3];
    ASSERT_EQ(unit.GetHmatrix(H), 1);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(H[i][j], i == j ? 1.0 : 0.0, 1e-15);
    EXPECT_NEAR(unit.GetVolume(), 1.0, 1e-15);
    expectNear(unit.GetCenter(), {0.5, 0.5, 0.5}, 1e-15, "centre");

    // A zero column: nothing written, the cell untouched.
    const double flat[3][3] = {{2, 0, 0}, {0, 3, 0}, {0, 0, 0}};
    double a = -1, b = -1, c = -1, alpha = -1, beta = -1, gamma = -1;
    EXPECT_EQ(DbCell::GetLatticeConstants(flat, a, b, c, alpha, beta, gamma), 0);
    EXPECT_EQ(a + b + c + alpha + beta + gamma, -6.0);
    DbCell kept(3, 4, 5, 80, 85, 95);
    EXPECT_EQ(kept.SetHmatrix(flat), 0);
    EXPECT_EQ(kept.c, 5.0);
    EXPECT_EQ(kept.gamma, 95.0);
    const double bad[3][3] = {{NAN, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    EXPECT_EQ(DbCell::GetLatticeConstants(bad, a, b, c, alpha, beta, gamma), 0);
    DbCell fromFlat(flat);  // keeps the default constants
    EXPECT_EQ(fromFlat.a, 1.0);
    EXPECT_EQ(fromFlat.gamma, 90.0);

    // gamma 0 and angles that cannot close a cell have no matrix.
    DbCell degenerate(1, 1, 1, 90, 90, 0);
    H[0][0] = 42;
    EXPECT_EQ(degenerate.GetHmatrix(H), 0);
    EXPECT_EQ(H[0][0], 42.0);
    EXPECT_EQ(degenerate.GetInverseHmatrix(H), 0);
    DbCell impossible(1, 1, 1, 150, 150, 150);
    EXPECT_EQ(impossible.GetHmatrix(H), 0);
    EXPECT_EQ(impossible.GetVolume(), 0.0);
    expectNear(impossible.GetCenter(), {0, 0, 0}, 0, "centre without a matrix");
    // A flat cell still has a (singular) matrix.
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
    Vertex3D corners[8];
    cell.GetCoord(corners);
    const Vertex3D want[8] = {o, c, a + c, a, b, b + c, a + b + c, a + b};
    for (int i = 0; i < 8; ++i) expectNear(corners[i], want[i], 1e-12, "array corner");
    Vertex3D p[8];
    cell.GetCoord(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]);
    const Vertex3D byAxis[8] = {o, c, b, b + c, a, a + c, a + b, a + b + c};
    for (int i = 0; i < 8; ++i) expectNear(p[i], byAxis[i], 1e-12, "reference corner");

    // The centre is H·(upper − lower)/2, whatever the lower corner.
    cell.lowerCorner = Vertex3D(-1, 0, 0);
    cell.upperCorner = Vertex3D(1, 2, 1);
    expectNear(cell.GetCenter(), Vertex3D(1, 1, 0.5).Transform(H), 1e-12, "centre");
    cell.GetCoord(corners);
    expectNear(corners[0], -a, 1e-12, "lower corner");
    expectNear(corners[6], a + b + b + c, 1e-12, "upper corner");

    DbCell assigned;
    assigned = cell;
    EXPECT_EQ(assigned.beta, 80.0);
    EXPECT_EQ(assigned.lowerCorner, Vertex3D(0, 0, 0));
    DbCell copied(cell);
    EXPECT_EQ(copied.lowerCorner, Vertex3D(-1, 0, 0));
    EXPECT_EQ(copied.upperCorner, Vertex3D(1, 2, 1));

    DbCell fromMatrix(H);
    EXPECT_NEAR(fromMatrix.alpha, 70.0, 1e-12);
    expectNear(fromMatrix.GetCenter(), o, 0, "centre of a zero box");
    fromMatrix.GetCoord(corners);
    for (const Vertex3D& v : corners) expectNear(v, o, 0, "corner of a zero box");
}

TEST(DbHmatCell, KeepsTheOrientationItWasGiven) {
    // The hexagonal cell above turned by 30 degrees about z and 20 about x.
    DbCell hex(10, 10, 12, 90, 90, 120);
    double H[3][3], R[3][3], turned[3][3];
    ASSERT_EQ(hex.GetHmatrix(H), 1);
    const double z = 30 * kPi / 180, x = 20 * kPi / 180;
    const double Rz[3][3] = {{std::cos(z), -std::sin(z), 0}, {std::sin(z), std::cos(z), 0}, {0, 0, 1}};
    const double Rx[3][3] = {{1, 0, 0}, {0, std::cos(x), -std::sin(x)}, {0, std::sin(x), std::cos(x)}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            R[i][j] = 0;
            for (int k = 0; k < 3; ++k) R[i][j] += Rx[i][k] * Rz[k][j];
        }
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            turned[i][j] = 0;
            for (int k = 0; k < 3; ++k) turned[i][j] += R[i][k] * H[k][j];
        }

    DbHmatCell kept;
    EXPECT_EQ(kept.SetHmatrix(turned), 1);
    DbCell plain;
    plain.SetHmatrix(turned);
    double got[3][3], standard[3][3];
    ASSERT_EQ(kept.GetHmatrix(got), 1);
    ASSERT_EQ(plain.GetHmatrix(standard), 1);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            EXPECT_EQ(got[i][j], turned[i][j]);
            EXPECT_NEAR(standard[i][j], H[i][j], 1e-12);
        }
    EXPECT_NEAR(kept.gamma, 120.0, 1e-12);
    EXPECT_NEAR(kept.c, 12.0, 1e-12);

    // Queries go through the stored matrix.
    Vertex3D corners[8];
    kept.GetCoord(corners);
    expectNear(corners[3], column(turned, 0), 1e-12, "a, turned");
    double inv[3][3];
    ASSERT_EQ(kept.GetInverseHmatrix(inv), 1);
    expectNear(column(turned, 1).Transform(inv), {0, 1, 0}, 1e-12, "Hinv·b");

    kept.lowerCorner = Vertex3D(0.5, 0.5, 0.5);
    DbHmatCell copied(kept);
    EXPECT_EQ(copied.matrix[0][1], turned[0][1]);
    EXPECT_EQ(copied.lowerCorner, Vertex3D(0.5, 0.5, 0.5));
    DbHmatCell assigned;
    assigned = kept;
    EXPECT_EQ(assigned.matrix[2][1], turned[2][1]);
    EXPECT_EQ(assigned.c, kept.c);
    EXPECT_EQ(assigned.lowerCorner, Vertex3D(0, 0, 0));
}

} // namespace
} // namespace qrtz
