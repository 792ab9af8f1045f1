#pragma once
#include "qrtzdb/basis/Vertex3D.h"
#include "qrtzdb/formats/KelDbAtomV.h"

namespace qrtz {

// An atom of a simulation result: the per-atom energies of a step besides the atom itself.
class SimDbAtomV : public KelDbAtomV {
public:
    SimDbAtomV() = default;
    SimDbAtomV(const SimDbAtomV&) = default;
    // The atom with velocity `vector` and potential energy `value`.
    SimDbAtomV(const char* name, const Vertex3D& position_, const Vertex3D& vector, double value,
               double mass_, double charge_, double radius_)
        : KelDbAtomV(name, position_, mass_, charge_, radius_), potential(value) {
        velocity = vector;
    }
    SimDbAtomV& operator=(const SimDbAtomV&) = default;
    ~SimDbAtomV() override = default;

    DbComp* Copy() const override { return new SimDbAtomV(*this); }

    // The atom's potential energy, temperature (K) and internal energy in the loaded frame.
    double potential = 0.0;
    double temperature = 0.0;
    double internal = 0.0;
};

} // namespace qrtz
