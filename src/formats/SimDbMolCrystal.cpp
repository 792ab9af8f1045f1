#include "qrtzdb/formats/SimDbMolCrystal.h"

#include "qrtzdb/formats/SimDbMolecule.h"

namespace qrtz {

DbComp* SimDbMolCrystal::Copy() const {
    auto* copy = new SimDbMolCrystal;
    *copy = *this;
    return copy;
}

KelDbMolecule* SimDbMolCrystal::CreateKelDbMolecule(const char* name) {
    return new SimDbMolecule(name);
}

DbMolecule* SimDbMolCrystal::CreateDbMolecule(const char* name) { return new SimDbMolecule(name); }

} // namespace qrtz
