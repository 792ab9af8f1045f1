#include "qrtzdb/basis/Vertex3D.h"

#include <cmath>

namespace qrtz {

namespace {

// Maps v into [0, 1). floor alone can give exactly 1.0 for tiny negative v, which must wrap to 0.
double wrapUnit(double v) {
    double w = v - std::floor(v);
    return w >= 1.0 ? 0.0 : w;
}

} // namespace

double Vertex3D::GetAbsolute() const { return std::sqrt(GetAbsolute2()); }

Vertex3D Vertex3D::Transform(const double M[3][3]) const {
    return {M[0][0] * x + M[0][1] * y + M[0][2] * z,
            M[1][0] * x + M[1][1] * y + M[1][2] * z,
            M[2][0] * x + M[2][1] * y + M[2][2] * z};
}

Vertex3D Vertex3D::PeriodicBoundary(int px, int py, int pz) const {
    return {px ? wrapUnit(x) : x, py ? wrapUnit(y) : y, pz ? wrapUnit(z) : z};
}

double Dot(const Vertex3D& a, const Vertex3D& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vertex3D Cross(const Vertex3D& a, const Vertex3D& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

} // namespace qrtz
