#pragma once
#include "qrtzdb/basis/FileStream.h"
#include "qrtzdb/formats/KelDbMolCrystal.h"

namespace qrtz {

// The molecular crystal a simulation result fills; its readers give it SimDbMolecule and
// SimDbAtomV members.
class SimDbMolCrystal : public KelDbMolCrystal {
public:
    SimDbMolCrystal() = default;
    ~SimDbMolCrystal() override = default;

    // Assigns as KelDbMolCrystal does.
    SimDbMolCrystal& operator=(const SimDbMolCrystal& other) {
        KelDbMolCrystal::operator=(other);
        return *this;
    }

    DbComp* Copy() const override;
    KelDbMolecule* CreateKelDbMolecule(const char* name) override;
    DbMolecule* CreateDbMolecule(const char* name) override;

    // The bundle for the simulator: mode word 2, seven-column atom lines, every position
    // shifted by (0.5, 0.5, 0.5). Changes nothing stored.
    void WriteSimBdl(FileStream& out) const { WriteBundle(out, 2, true); }
};

} // namespace qrtz
