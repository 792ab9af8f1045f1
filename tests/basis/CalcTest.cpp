#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "qrtzdb/basis/Calc.h"
#include "qrtzdb/basis/Color4V.h"
#include "qrtzdb/basis/Vertex3D.h"

namespace qrtz {
namespace {

double det(const double m[3][3]) {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

TEST(Calc, JacobiGivesSortedProperEigenframes) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-10.0, 10.0);
    for (int trial = 0; trial < 500; ++trial) {
        double m[3][3];
        for (int i = 0; i < 3; ++i)
            for (int j = i; j < 3; ++j) m[i][j] = m[j][i] = u(rng);
        if (trial % 50 == 0) m[0][1] = m[1][0] = m[0][2] = m[2][0] = 0.0;  // partly diagonal
        double v[3][3], values[3];
        Calc::Jacobi(m, v, values);

        // V·M·Vᵀ is diagonal with the eigenvalues ascending.
        double d[3][3] = {};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                for (int k = 0; k < 3; ++k)
                    for (int l = 0; l < 3; ++l) d[i][j] += v[i][k] * m[k][l] * v[j][l];
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                if (i != j) {
                    EXPECT_NEAR(d[i][j], 0.0, 1e-9) << "trial " << trial;
                }
            }
        EXPECT_LE(d[0][0], d[1][1] + 1e-12);
        EXPECT_LE(d[1][1], d[2][2] + 1e-12);
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(values[i], d[i][i], 1e-9);
        EXPECT_NEAR(det(v), 1.0, 1e-12);
    }
    // Repeated eigenvalues still give a proper rotation.
    const double unit[3][3] = {{2, 0, 0}, {0, 2, 0}, {0, 0, 2}};
    double v[3][3];
    Calc::Jacobi(unit, v);
    EXPECT_NEAR(det(v), 1.0, 1e-15);
}

TEST(Calc, InverseMatrixRefusesSingularInput) {
    const double h[3][3] = {{5.0, 1.2, -0.7}, {0.0, 6.0, 0.4}, {0.0, 0.0, 7.5}};
    double inv[3][3];
    ASSERT_EQ(Calc::InverseMatrix(h, inv), 0);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double s = 0;
            for (int k = 0; k < 3; ++k) s += h[i][k] * inv[k][j];
            EXPECT_NEAR(s, i == j ? 1.0 : 0.0, 1e-14);
        }
    const double flat[3][3] = {{1, 2, 3}, {2, 4, 6}, {0, 1, 0}};
    double untouched[3][3] = {{9, 9, 9}, {9, 9, 9}, {9, 9, 9}};
    EXPECT_NE(Calc::InverseMatrix(flat, untouched), 0);
    EXPECT_EQ(untouched[1][1], 9.0);
    const double nan[3][3] = {{NAN, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    EXPECT_NE(Calc::InverseMatrix(nan, untouched), 0);
}

TEST(Calc, ScalarHelpers) {
    EXPECT_EQ(Calc::Within(2.0, -1.0, 1.0), 1.0);
    EXPECT_EQ(Calc::Within(-2.0, -1.0, 1.0), -1.0);
    EXPECT_EQ(Calc::Within(0.5, -1.0, 1.0), 0.5);
    EXPECT_TRUE(Calc::Neighbor(1.0, 1.0 + 5e-7));
    EXPECT_FALSE(Calc::Neighbor(1.0, 1.0 + 2e-6));
    EXPECT_EQ(Calc::RoundToNear(2.5), 3.0);
    EXPECT_EQ(Calc::RoundToNear(-2.5), -3.0);
    EXPECT_EQ(Calc::RoundToNear(-0.4), 0.0);

    Calc::SetRandomSeed(42);
    double first = Calc::Random();
    for (int i = 0; i < 10000; ++i) {
        double r = Calc::Random();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
    }
    Calc::SetRandomSeed(42);
    EXPECT_EQ(Calc::Random(), first);
}

TEST(Calc, CubicSiteTables) {
    double fcc[4][3], dia[8][3], bcc[2][3], sc[1][3];
    Calc::ScPos(sc);
    Calc::FccPos(fcc);
    Calc::BccPos(bcc);
    Calc::DiaPos(dia);
    EXPECT_EQ(sc[0][0] + sc[0][1] + sc[0][2], 0.0);
    EXPECT_EQ(bcc[1][2], 0.5);
    for (int i = 0; i < 4; ++i) {
        // Face centres have exactly one zero coordinate (after the origin).
        double sum = fcc[i][0] + fcc[i][1] + fcc[i][2];
        EXPECT_EQ(sum, i == 0 ? 0.0 : 1.0);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(dia[i][k], fcc[i][k]);
            EXPECT_EQ(dia[i + 4][k], fcc[i][k] + 0.25);
        }
    }
}

TEST(Vertex3D, ArithmeticTransformAndWrapping) {
    Vertex3D v(3, 4, 12);
    EXPECT_EQ(v.GetAbsolute(), 13.0);
    EXPECT_EQ(v.GetAbsolute2(), 169.0);
    v -= Vertex3D(1, 1, 1);
    v *= 2.0;
    v /= 4.0;
    EXPECT_EQ(v, Vertex3D(1, 1.5, 5.5));
    EXPECT_EQ(Cross(Vertex3D(1, 0, 0), Vertex3D(0, 1, 0)), Vertex3D(0, 0, 1));

    const double m[3][3] = {{1, 2, 3}, {0, 1, 0}, {0, 0, 2}};
    EXPECT_EQ(Vertex3D(1, 1, 1).Transform(m), Vertex3D(6, 1, 2));

    Vertex3D w = Vertex3D(1.25, -0.25, 3.0).PeriodicBoundary(1, 1, 0);
    EXPECT_EQ(w, Vertex3D(0.25, 0.75, 3.0));
    // A tiny negative value would round to 1.0; it must wrap to 0.
    Vertex3D tiny = Vertex3D(-1e-20, 1.0, -2.0).PeriodicBoundary(1, 1, 1);
    EXPECT_EQ(tiny, Vertex3D(0.0, 0.0, 0.0));
}

TEST(Color4V, ByteAndFloatFormsAgree) {
    for (int i = 0; i <= 255; ++i) {
        Color4V c(i, 255 - i, i / 2, 255);
        int r, g, b, a;
        c.GetRgba(r, g, b, a);
        ASSERT_EQ(r, i);
        ASSERT_EQ(g, 255 - i);
        ASSERT_EQ(b, i / 2);
        ASSERT_EQ(a, 255);
    }
    EXPECT_EQ(Color4V(255, 0, 0, 255), Color4V(1.0f, 0.0f, 0.0f, 1.0f));
    int r, g, b, a;
    Color4V(-0.5f, 2.0f, NAN, 0.5f).GetRgba(r, g, b, a);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(g, 255);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(a, 128);
}

} // namespace
} // namespace qrtz
