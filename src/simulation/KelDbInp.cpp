#include "qrtzdb/simulation/KelDbInp.h"

namespace qrtz {

KelDbInp& KelDbInp::operator=(const KelDbInp& other) {
    if (this == &other) return *this;
    vertex = other.vertex;
    value1 = other.value1;
    value2 = other.value2;
    molCrystal = other.molCrystal;
    KelDbMolCrystal::operator=(other);
    return *this;
}

DbComp* KelDbInp::Copy() const {
    auto* copy = new KelDbInp;
    *copy = *this;
    return copy;
}

} // namespace qrtz
