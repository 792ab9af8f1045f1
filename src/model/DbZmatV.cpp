#include "qrtzdb/model/DbZmatV.h"

#include <cmath>

#include "qrtzdb/basis/Calc.h"

namespace qrtz {

namespace {

constexpr double kDegree = 57.29577951308232;

} // namespace

DbZmatV& DbZmatV::operator=(const DbZmatV& other) {
    bondRef = other.bondRef;
    angleRef = other.angleRef;
    torsionRef = other.torsionRef;
    bond = other.bond;
    angle = other.angle;
    torsion = other.torsion;
    return *this;
}

DbComp* DbZmatV::Copy() const {
    auto* copy = new DbZmatV;
    *copy = *this;
    return copy;
}

void DbZmatV::SetBond(const Vertex3D& a, const Vertex3D& b) { bond = (a - b).GetAbsolute(); }

void DbZmatV::SetAngle(const Vertex3D& a, const Vertex3D& b, const Vertex3D& c) {
    const double dab = (a - b).GetAbsolute();
    const double dbc = (b - c).GetAbsolute();
    const double dca = (c - a).GetAbsolute();
    double cosine = 0.0;
    if (dab != 0.0 && dbc != 0.0)
        cosine = Calc::Within((dbc * dbc + dab * dab - dca * dca) / (2.0 * dbc * dab), -1, 1);
    angle = std::acos(cosine) * kDegree;
}

void DbZmatV::SetTorsion(const Vertex3D& a, const Vertex3D& b, const Vertex3D& c,
                         const Vertex3D& d) {
    const Vertex3D u = a - b, v = c - b, w = d - b;
    const Vertex3D n1 = Cross(u, v), n2 = Cross(w, v);
    const double l1 = n1.GetAbsolute(), l2 = n2.GetAbsolute();
    if (l1 == 0.0 || l2 == 0.0) {
        // No plane to measure from; the sign test would only see rounding noise.
        torsion = 90.0;
        return;
    }
    torsion = std::acos(Calc::Within(Dot(n1, n2) / (l1 * l2), -1, 1)) * kDegree;
    if (Dot(n2, u) < 0) torsion = -torsion;
}

} // namespace qrtz
