#pragma once
#include "qrtzdb/formats/KelDbMolecule.h"

namespace qrtz {

// A molecule of a simulation result; its atoms are SimDbAtomV.
class SimDbMolecule : public KelDbMolecule {
public:
    SimDbMolecule() = default;
    // An empty molecule named name.
    explicit SimDbMolecule(const char* name) : KelDbMolecule(name) {}
    ~SimDbMolecule() override = default;

    // Assigns as KelDbMolecule does.
    SimDbMolecule& operator=(const SimDbMolecule& other) {
        KelDbMolecule::operator=(other);
        return *this;
    }

    DbComp* Copy() const override;
    // A SimDbAtomV at rest with no energies.
    using DbAtomVSet::CreateDbAtomV;
    DbAtomV* CreateDbAtomV(const char* name, Vertex3D& position, double mass,
                           double charge, double radius) override;
};

} // namespace qrtz
