#include "qrtzdb/model/DbCell.h"

#include <cmath>

#include "qrtzdb/basis/Calc.h"

namespace qrtz {

namespace {

// Rounding can push the volume factor of a flat cell a hair below 0; further below, the angles
// cannot close a cell.
constexpr double kFlatTolerance = 1e-12;

// (V / abc)², from the cosines of the three angles; negative when no cell has these angles.
double volumeFactor(double ca, double cb, double cg) {
    return 1.0 - ca * ca - cb * cb - cg * cg + 2.0 * ca * cb * cg;
}

// The cosine of the angle between u and v of lengths lu and lv, limited to -1..1. Lengths whose
// product over- or underflows are divided out one at a time.
double cosine(const Vertex3D& u, const Vertex3D& v, double lu, double lv) {
    double x = Dot(u, v) / (lu * lv);
    if (!std::isfinite(x)) {
        Vertex3D un = u, vn = v;
        un /= lu;
        vn /= lv;
        x = Dot(un, vn);
    }
    return Calc::Within(x, -1.0, 1.0);
}

void copyMatrix(const double from[3][3], double to[3][3]) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) to[i][j] = from[i][j];
}

} // namespace

DbCell::DbCell(const double H[3][3])
    : lowerCorner(0.0, 0.0, 0.0), upperCorner(0.0, 0.0, 0.0) {
    DbCell::SetHmatrix(H);
}

DbCell& DbCell::operator=(const DbCell& other) {
    a = other.a;
    b = other.b;
    c = other.c;
    alpha = other.alpha;
    beta = other.beta;
    gamma = other.gamma;
    return *this;
}

int DbCell::SetHmatrix(const double H[3][3]) {
    return GetLatticeConstants(H, a, b, c, alpha, beta, gamma);
}

int DbCell::GetHmatrix(double H[3][3]) const {
    const double sg = std::sin(gamma * kDegToRad);
    if (sg == 0.0) return 0;
    const double ca = std::cos(alpha * kDegToRad);
    const double cb = std::cos(beta * kDegToRad);
    const double cg = std::cos(gamma * kDegToRad);
    double f = volumeFactor(ca, cb, cg);
    if (!(f >= -kFlatTolerance)) return 0;
    if (f < 0.0) f = 0.0;
    H[0][0] = a;
    H[0][1] = b * cg;
    H[0][2] = c * cb;
    H[1][0] = 0.0;
    H[1][1] = b * sg;
    H[1][2] = c * (ca - cb * cg) / sg;
    H[2][0] = 0.0;
    H[2][1] = 0.0;
    H[2][2] = c * std::sqrt(f) / sg;
    return 1;
}

int DbCell::GetInverseHmatrix(double Hinv[3][3]) const {
    double H[3][3];
    if (!GetHmatrix(H)) return 0;
    return Calc::InverseMatrix(H, Hinv) == 0 ? 1 : 0;
}

double DbCell::GetVolume() const {
    const double f = volumeFactor(std::cos(alpha * kDegToRad), std::cos(beta * kDegToRad),
                                  std::cos(gamma * kDegToRad));
    return f > 0.0 ? a * b * c * std::sqrt(f) : 0.0;
}

Vertex3D DbCell::GetCenter() const {
    double H[3][3];
    if (!GetHmatrix(H)) return Vertex3D();
    Vertex3D d = upperCorner - lowerCorner;
    d /= 2.0;
    return d.Transform(H);
}

void DbCell::GetCoord(Vertex3D corners[8]) const {
    double H[3][3];
    if (!GetHmatrix(H)) {
        for (int i = 0; i < 8; ++i) corners[i] = Vertex3D();
        return;
    }
    const double x1 = lowerCorner.x, y1 = lowerCorner.y, z1 = lowerCorner.z;
    const double x2 = upperCorner.x, y2 = upperCorner.y, z2 = upperCorner.z;
    const Vertex3D box[8] = {{x1, y1, z1}, {x1, y1, z2}, {x2, y1, z2}, {x2, y1, z1},
                             {x1, y2, z1}, {x1, y2, z2}, {x2, y2, z2}, {x2, y2, z1}};
    for (int i = 0; i < 8; ++i) corners[i] = box[i].Transform(H);
}

void DbCell::GetCoord(Vertex3D& p1, Vertex3D& p2, Vertex3D& p3, Vertex3D& p4, Vertex3D& p5,
                      Vertex3D& p6, Vertex3D& p7, Vertex3D& p8) const {
    Vertex3D corners[8];
    GetCoord(corners);
    p1 = corners[0];
    p2 = corners[1];
    p3 = corners[4];
    p4 = corners[5];
    p5 = corners[3];
    p6 = corners[2];
    p7 = corners[7];
    p8 = corners[6];
}

int DbCell::GetLatticeConstants(const double H[3][3], double& a, double& b, double& c,
                                double& alpha, double& beta, double& gamma) {
    const Vertex3D va(H[0][0], H[1][0], H[2][0]);
    const Vertex3D vb(H[0][1], H[1][1], H[2][1]);
    const Vertex3D vc(H[0][2], H[1][2], H[2][2]);
    const double la = va.GetAbsolute(), lb = vb.GetAbsolute(), lc = vc.GetAbsolute();
    if (la == 0.0 || lb == 0.0 || lc == 0.0) return 0;
    if (!std::isfinite(la) || !std::isfinite(lb) || !std::isfinite(lc)) return 0;
    const double cosAlpha = cosine(vb, vc, lb, lc);
    const double cosBeta = cosine(va, vc, la, lc);
    const double cosGamma = cosine(va, vb, la, lb);
    a = la;
    b = lb;
    c = lc;
    alpha = std::acos(cosAlpha) * kRadToDeg;
    beta = std::acos(cosBeta) * kRadToDeg;
    gamma = std::acos(cosGamma) * kRadToDeg;
    return 1;
}

DbHmatCell& DbHmatCell::operator=(const DbHmatCell& other) {
    DbCell::operator=(other);
    copyMatrix(other.matrix, matrix);
    return *this;
}

int DbHmatCell::SetHmatrix(const double H[3][3]) {
    copyMatrix(H, matrix);
    return DbCell::SetHmatrix(matrix);
}

int DbHmatCell::GetHmatrix(double H[3][3]) const {
    copyMatrix(matrix, H);
    return 1;
}

} // namespace qrtz
