#pragma once
#include "qrtzdb/basis/Vertex3D.h"
#include "qrtzdb/model/DbComp.h"

namespace qrtz {

// An atom's kind (its name, the element or atom-type symbol of at most 4 bytes) and its scalar
// properties.
class DbAtom : public DbComp {
public:
    static constexpr unsigned int kNameLength = 4;

    DbAtom() : DbComp("    ") {}
    DbAtom(const char* name, double mass_, double charge_, double radius_);
    DbAtom(const DbAtom&) = default;
    DbAtom& operator=(const DbAtom&) = default;
    ~DbAtom() override = default;

    DbComp* Copy() const override { return new DbAtom(*this); }

    // Cuts the name to 4 bytes. Hides DbComp::SetName: a name set through DbComp stays uncut.
    void SetName(const char* name) { DbComp::SetName(name, kNameLength); }

    double mass = 0.0;
    double charge = 0.0;
    double radius = 0.0;
};

// An atom with a position and the vectors and flag of the simulation input.
class DbAtomV : public DbAtom {
public:
    DbAtomV() = default;
    DbAtomV(const char* name, const Vertex3D& position_, double mass_, double charge_,
            double radius_)
        : DbAtom(name, mass_, charge_, radius_), position(position_) {}
    DbAtomV(const DbAtomV&) = default;
    DbAtomV& operator=(const DbAtomV&) = default;
    ~DbAtomV() override = default;

    DbComp* Copy() const override { return new DbAtomV(*this); }

    // position = M·position.
    void Transform(const double M[3][3]) { position = position.Transform(M); }

    Vertex3D position;  // Cartesian in molecules, fractional in crystals
    Vertex3D velocity;
    int flag = 0;
    Vertex3D flag3;     // the flag-3 vector
    Vertex3D flag2;     // the flag-2 vector
};

} // namespace qrtz
