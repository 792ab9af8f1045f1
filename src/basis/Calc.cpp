#include "qrtzdb/basis/Calc.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>

namespace qrtz {

namespace {

constexpr std::uint64_t kDefaultSeed = 20260101;

std::mt19937_64& generator() {
    static std::mt19937_64 g(kDefaultSeed);
    return g;
}

double det3(const double a[3][3]) {
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
           a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
}

// One Jacobi rotation zeroing a[p][q]; the accumulated rotation goes into the columns of e.
void rotate(double a[3][3], double e[3][3], int p, int q) {
    double theta = (a[q][q] - a[p][p]) / (2.0 * a[p][q]);
    double t = (theta >= 0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
    double c = 1.0 / std::sqrt(t * t + 1.0);
    double s = t * c;
    for (int k = 0; k < 3; ++k) {  // a = Jᵀ a J
        double akp = a[k][p], akq = a[k][q];
        a[k][p] = c * akp - s * akq;
        a[k][q] = s * akp + c * akq;
    }
    for (int k = 0; k < 3; ++k) {
        double apk = a[p][k], aqk = a[q][k];
        a[p][k] = c * apk - s * aqk;
        a[q][k] = s * apk + c * aqk;
    }
    for (int k = 0; k < 3; ++k) {
        double ekp = e[k][p], ekq = e[k][q];
        e[k][p] = c * ekp - s * ekq;
        e[k][q] = s * ekp + c * ekq;
    }
}

} // namespace

int Calc::InverseMatrix(const double in[3][3], double out[3][3]) {
    double d = det3(in);
    if (!std::isfinite(d) || std::fabs(d) < 1e-300) return 1;
    double r[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            // Cofactor of in[j][i], cyclic indexes carry the sign.
            int j1 = (j + 1) % 3, j2 = (j + 2) % 3, i1 = (i + 1) % 3, i2 = (i + 2) % 3;
            r[i][j] = (in[j1][i1] * in[j2][i2] - in[j1][i2] * in[j2][i1]) / d;
        }
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            if (!std::isfinite(r[i][j])) return 1;
        }
    std::copy(&r[0][0], &r[0][0] + 9, &out[0][0]);
    return 0;
}

void Calc::Jacobi(const double m[3][3], double v[3][3], double values[3]) {
    double a[3][3], e[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    std::copy(&m[0][0], &m[0][0] + 9, &a[0][0]);
    for (int sweep = 0; sweep < 64; ++sweep) {
        double off = std::fabs(a[0][1]) + std::fabs(a[0][2]) + std::fabs(a[1][2]);
        double diag = std::fabs(a[0][0]) + std::fabs(a[1][1]) + std::fabs(a[2][2]);
        if (off == 0.0 || off <= 1e-300 || off <= diag * 1e-17) break;
        for (int p = 0; p < 2; ++p)
            for (int q = p + 1; q < 3; ++q)
                if (a[p][q] != 0.0) rotate(a, e, p, q);
    }
    int order[3] = {0, 1, 2};
    std::sort(order, order + 3, [&](int i, int j) { return a[i][i] < a[j][j]; });
    double rows[3][3];
    for (int r = 0; r < 2; ++r)
        for (int k = 0; k < 3; ++k) rows[r][k] = e[k][order[r]];
    // The third axis is fixed by the first two, so the frame is never a reflection.
    rows[2][0] = rows[0][1] * rows[1][2] - rows[0][2] * rows[1][1];
    rows[2][1] = rows[0][2] * rows[1][0] - rows[0][0] * rows[1][2];
    rows[2][2] = rows[0][0] * rows[1][1] - rows[0][1] * rows[1][0];
    if (values)
        for (int r = 0; r < 3; ++r) values[r] = a[order[r]][order[r]];
    std::copy(&rows[0][0], &rows[0][0] + 9, &v[0][0]);
}

double Calc::Within(double x, double lo, double hi) {
    if (x < lo) return lo;
    if (x > hi) return hi;
    return x;
}

int Calc::Neighbor(double a, double b) { return std::fabs(a - b) < kNeighborTolerance ? 1 : 0; }

double Calc::RoundToNear(double x) { return std::round(x); }

double Calc::Random() {
    // 53 random bits give every double of the form k / 2^53.
    return static_cast<double>(generator()() >> 11) * 0x1.0p-53;
}

void Calc::SetRandomSeed(std::uint64_t seed) { generator().seed(seed); }

void Calc::ScPos(double pos[1][3]) { pos[0][0] = pos[0][1] = pos[0][2] = 0.0; }

void Calc::FccPos(double pos[4][3]) {
    static constexpr double fcc[4][3] = {{0, 0, 0}, {0, 0.5, 0.5}, {0.5, 0, 0.5}, {0.5, 0.5, 0}};
    std::copy(&fcc[0][0], &fcc[0][0] + 12, &pos[0][0]);
}

void Calc::BccPos(double pos[2][3]) {
    static constexpr double bcc[2][3] = {{0, 0, 0}, {0.5, 0.5, 0.5}};
    std::copy(&bcc[0][0], &bcc[0][0] + 6, &pos[0][0]);
}

void Calc::DiaPos(double pos[8][3]) {
    FccPos(pos);
    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < 3; ++k) pos[4 + i][k] = pos[i][k] + 0.25;
}

} // namespace qrtz
