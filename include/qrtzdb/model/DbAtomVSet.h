#pragma once
#include "qrtzdb/model/DbAtom.h"
#include "qrtzdb/model/DbCompSet.h"

namespace qrtz {

// A typed set of positioned atoms; molecules and crystals derive from it.
class DbAtomVSet : public DbCompSet {
public:
    DbAtomVSet() = default;
    ~DbAtomVSet() override = default;

    // Makes a new atom of the set's own atom class without appending it. Readers create atoms
    // only through this, so derived sets receive their own atom class. Hosts override this
    // slot, with this exact signature.
    virtual DbAtomV* CreateDbAtomV(const char* name, Vertex3D& position, double mass,
                                   double charge, double radius);
    // For a position that is a temporary or const: goes through the slot above with a copy.
    // Derived sets that override the slot bring this back with a using-declaration.
    DbAtomV* CreateDbAtomV(const char* name, const Vertex3D& position, double mass,
                           double charge, double radius) {
        Vertex3D copy = position;
        return CreateDbAtomV(name, copy, mass, charge, radius);
    }

    QRTZ_TYPED_SET_OPERATIONS(DbAtomVSet, DbAtomV, Atom)

    // position = M·position for every atom.
    void Transform(const double M[3][3]);
    // Adds shift to every position.
    void Transform(const Vertex3D& shift);
    // Mean position; the origin for an empty set.
    Vertex3D GetCenter() const;
    double GetMass() const;
    double GetMass(const char* type) const;
};

} // namespace qrtz
