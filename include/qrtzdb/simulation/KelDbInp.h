#pragma once
// The in-memory record of a simulator input file. The library creates, copies and destroys it;
// the host gives its fields their meaning.
#include "qrtzdb/basis/Vertex3D.h"
#include "qrtzdb/formats/KelDbMolCrystal.h"

namespace qrtz {

// A simulator input file's structure and the host's values with it (see above).
class KelDbInp : public KelDbMolCrystal {
public:
    KelDbInp() = default;
    // A copy of other.
    KelDbInp(const KelDbInp& other) : KelDbMolCrystal() { *this = other; }
    ~KelDbInp() override = default;

    // The vertex, both values and the second crystal, then the crystal itself.
    KelDbInp& operator=(const KelDbInp& other);
    DbComp* Copy() const override;

    // The host's vector and two values (both 1.0 at first), and its second crystal.
    Vertex3D vertex;
    double value1 = 1.0;
    double value2 = 1.0;
    KelDbMolCrystal molCrystal;
};

} // namespace qrtz
