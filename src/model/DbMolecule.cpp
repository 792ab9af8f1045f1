#include "qrtzdb/model/DbMolecule.h"

#include <cmath>

#include "qrtzdb/basis/Calc.h"

namespace qrtz {

namespace {

constexpr double kRadian = 0.017453292519943295;
constexpr double kDegree = 57.29577951308232;
constexpr double kTwoPi = 6.283185307179586;

// The angle of the direction (cosine, sine) in degrees, in [0, 360). atan2 keeps full precision
// near 0 and 180, where acos of a rounded cosine would lose half the digits.
double turnDegrees(double sine, double cosine) {
    double a = std::atan2(sine, cosine);
    if (a < 0) a += kTwoPi;
    a *= kDegree;
    if (a >= 360.0) a = 0.0;  // a tiny negative angle rounds up to a whole turn
    return a + 0.0;           // no -0
}

void rotationZ(double degrees, double m[3][3]) {
    double c = std::cos(degrees * kRadian), s = std::sin(degrees * kRadian);
    const double r[3][3] = {{c, s, 0}, {-s, c, 0}, {0, 0, 1}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m[i][j] = r[i][j];
}

void rotationX(double degrees, double m[3][3]) {
    double c = std::cos(degrees * kRadian), s = std::sin(degrees * kRadian);
    const double r[3][3] = {{1, 0, 0}, {0, c, s}, {0, -s, c}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m[i][j] = r[i][j];
}

} // namespace

DbMolecule::DbMolecule() : DbComp("                ") {}

DbMolecule::DbMolecule(const char* name) { SetName(name); }

DbMolecule& DbMolecule::operator=(const DbMolecule& other) {
    DbComp::operator=(other);
    DbAtomVSet::operator=(other);
    DbBondVSet::operator=(other);
    return *this;
}

DbComp* DbMolecule::Copy() const {
    auto* copy = new DbMolecule;
    *copy = *this;
    return copy;
}

void DbMolecule::DeleteAtomWithBond(int index) {
    if (index < 0 || index >= GetAtomCount()) return;
    DeleteAtom(index);
    // One walk: a bond is deleted or renumbered as it is met, positions stay valid.
    for (POSITION pos = GetBondHeadPosition(); pos;) {
        POSITION here = pos;
        DbBondV* bond = GetBondNext(pos);
        if (bond->firstAtom - 1 == index || bond->secondAtom - 1 == index) {
            DeleteBond(here);
            continue;
        }
        if (bond->firstAtom - 1 > index) --bond->firstAtom;
        if (bond->secondAtom - 1 > index) --bond->secondAtom;
    }
}

Vertex3D DbMolecule::GetCenterOfMass() const {
    Vertex3D sum;
    double total = 0.0;
    for (POSITION pos = GetAtomHeadPosition(); pos;) {
        const DbAtomV* atom = GetAtomNext(pos);
        Vertex3D weighted = atom->position;
        weighted *= atom->mass;
        sum += weighted;
        total += atom->mass;
    }
    if (total != 0.0) sum /= total;
    return sum;
}

void DbMolecule::AtZero() { DbAtomVSet::Transform(Vertex3D() - GetCenterOfMass()); }

void DbMolecule::GetInertiaMatrix(double R[3][3]) const {
    // Works on centred positions computed on the fly, as a centred copy would hold them,
    // without copying atoms and bonds.
    const Vertex3D shift = Vertex3D() - GetCenterOfMass();
    double I[3][3] = {};
    for (POSITION pos = GetAtomHeadPosition(); pos;) {
        const DbAtomV* atom = GetAtomNext(pos);
        const Vertex3D r = atom->position + shift;
        const double m = atom->mass;
        I[0][0] += m * (r.y * r.y + r.z * r.z);
        I[1][1] += m * (r.x * r.x + r.z * r.z);
        I[2][2] += m * (r.x * r.x + r.y * r.y);
        I[0][1] -= m * r.x * r.y;
        I[0][2] -= m * r.x * r.z;
        I[1][2] -= m * r.y * r.z;
    }
    I[1][0] = I[0][1];
    I[2][0] = I[0][2];
    I[2][1] = I[1][2];

    double V[3][3];
    Calc::Jacobi(I, V);

    // The atom of largest m·r² (the first of near ties) fixes the signs of the x and y axes.
    bool found = false;
    double best = 0.0;
    Vertex3D reference;
    for (POSITION pos = GetAtomHeadPosition(); pos;) {
        const DbAtomV* atom = GetAtomNext(pos);
        const Vertex3D r = (atom->position + shift).Transform(V);
        const double w = atom->mass * r.GetAbsolute2();
        if (w > best && !Calc::Neighbor(w, best)) {
            found = true;
            best = w;
            reference = r;
        }
    }
    double F[3] = {1, 1, 1};  // diagonal; every choice is a half turn, never a mirror
    if (found) {
        const bool xNegative = !Calc::Neighbor(reference.x, 0) && reference.x <= 0;
        const bool yNegative = !Calc::Neighbor(reference.y, 0) && reference.y <= 0;
        if (xNegative && yNegative) F[0] = F[1] = -1;
        else if (xNegative) F[0] = F[2] = -1;
        else if (yNegative) F[1] = F[2] = -1;
    }
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) R[i][j] = F[i] * V[i][j];
}

void DbMolecule::OnInertiaAxis() {
    double R[3][3];
    GetInertiaMatrix(R);
    const Vertex3D g = GetCenterOfMass();
    DbAtomVSet::Transform(Vertex3D() - g);
    DbAtomVSet::Transform(R);
    DbAtomVSet::Transform(g);
}

void DbMolecule::SetEulerAngle(double phi, double theta, double psi) {
    OnInertiaAxis();
    const Vertex3D g = GetCenterOfMass();
    DbAtomVSet::Transform(Vertex3D() - g);
    double M[3][3];
    rotationZ(phi, M);
    DbAtomVSet::Transform(M);
    rotationX(theta, M);
    DbAtomVSet::Transform(M);
    rotationZ(psi, M);
    DbAtomVSet::Transform(M);
    DbAtomVSet::Transform(g);
}

void DbMolecule::GetEulerAngle(double& phi, double& theta, double& psi) const {
    double R[3][3];
    GetInertiaMatrix(R);
    // B is the orientation A = Rz(psi)·Rx(theta)·Rz(phi). R is a rotation, so its transpose
    // stands in should the inverse fail on non-finite input.
    double B[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) B[i][j] = R[j][i];
    Calc::InverseMatrix(R, B);

    const double b = Calc::Within(B[2][2], -1, 1);
    if (Calc::Neighbor(b, 1) || Calc::Neighbor(b, -1)) {
        // About z only: B[0][0] and B[0][1] are the cosine and sine of the whole turn.
        phi = turnDegrees(B[0][1], B[0][0]);
        theta = Calc::Neighbor(b, 1) ? 0.0 : 180.0;
        psi = 0.0;
    } else {
        // B[2][0], -B[2][1] are sin θ times sin φ, cos φ; B[0][2], B[1][2] the same for ψ.
        theta = std::acos(b) * kDegree;
        phi = turnDegrees(B[2][0], -B[2][1]);
        psi = turnDegrees(B[0][2], B[1][2]);
    }
}

} // namespace qrtz
