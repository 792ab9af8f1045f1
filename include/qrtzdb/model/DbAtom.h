#pragma once
#include "qrtzdb/basis/Vertex3D.h"
#include "qrtzdb/model/DbComp.h"

namespace qrtz {

// An atom's kind (its name, the element or atom-type symbol of at most 4 bytes) and its scalar
// properties.
class DbAtom : public DbComp {
public:
    // Bytes kept of a name: an element symbol or a short label.
    static constexpr unsigned int kNameLength = 4;

    DbAtom() : DbComp("    ") {}
    // An atom named name (cut to 4 bytes) with mass (u), partial charge (e) and radius (Å).
    DbAtom(const char* name, double mass_, double charge_, double radius_);
    DbAtom(const DbAtom&) = default;
    DbAtom& operator=(const DbAtom&) = default;
    ~DbAtom() override = default;

    DbComp* Copy() const override { return new DbAtom(*this); }

    // Cuts the name to 4 bytes. Hides DbComp::SetName: a name set through DbComp stays uncut.
    void SetName(const char* name) { DbComp::SetName(name, kNameLength); }

    // Mass (u), partial charge (e) and display radius (Å).
    double mass = 0.0;
    double charge = 0.0;
    double radius = 0.0;
};

// An atom with a position and the vectors and flag of the simulation input.
class DbAtomV : public DbAtom {
public:
    DbAtomV() = default;
    // An atom at position with mass, charge and radius; velocity, flag and vectors zero.
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
    // The velocity (fractional displacement per time step when read from a simulation).
    Vertex3D velocity;
    // The simulation input's flag: 2 and 3 select the vector that goes with it.
    int flag = 0;
    Vertex3D flag3;     // the flag-3 vector
    Vertex3D flag2;     // the flag-2 vector
};

} // namespace qrtz
