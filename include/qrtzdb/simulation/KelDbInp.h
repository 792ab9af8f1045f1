#pragma once
// The in-memory record of a simulator input file. The library creates, copies and destroys it;
// the host gives its fields their meaning.
#include "qrtzdb/basis/Vertex3D.h"
#include "qrtzdb/formats/KelDbMolCrystal.h"

namespace qrtz {

class KelDbInp : public KelDbMolCrystal {
public:
    KelDbInp() = default;
    KelDbInp(const KelDbInp& other) : KelDbMolCrystal() { *this = other; }
    ~KelDbInp() override = default;

    // The vertex, both values and the second crystal, then the crystal itself.
    KelDbInp& operator=(const KelDbInp& other);
    DbComp* Copy() const override;

    Vertex3D vertex;
    double value1 = 1.0;
    double value2 = 1.0;
    KelDbMolCrystal molCrystal;
};

} // namespace qrtz
