#pragma once
#include "qrtzdb/model/DbCompSet.h"
#include "qrtzdb/model/DbMolecule.h"

namespace qrtz {

// A typed set of molecules; a molecule's type is its name.
class DbMoleculeSet : public DbCompSet {
public:
    DbMoleculeSet() = default;
    ~DbMoleculeSet() override = default;

    // Makes a new molecule of the set's own molecule class without appending it.
    virtual DbMolecule* CreateDbMolecule(const char* name);

    QRTZ_TYPED_SET_OPERATIONS(DbMoleculeSet, DbMolecule, Mol)

    // The summed atom masses of all molecules, or of the molecules named type.
    double GetMass() const;
    double GetMass(const char* type) const;
    // The summed atom counts of all molecules.
    int GetAtomCount() const;
};

} // namespace qrtz
