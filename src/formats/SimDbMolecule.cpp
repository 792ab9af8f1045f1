#include "qrtzdb/formats/SimDbMolecule.h"

#include "qrtzdb/formats/SimDbAtomV.h"

namespace qrtz {

DbComp* SimDbMolecule::Copy() const {
    auto* copy = new SimDbMolecule;
    *copy = *this;
    return copy;
}

DbAtomV* SimDbMolecule::CreateDbAtomV(const char* name, Vertex3D& position, double mass,
                                      double charge, double radius) {
    return new SimDbAtomV(name, position, Vertex3D(0, 0, 0), 0.0, mass, charge, radius);
}

} // namespace qrtz
