#pragma once
#include <functional>

#include "qrtzdb/model/DbBondVSet.h"
#include "qrtzdb/model/DbCompSet.h"
#include "qrtzdb/model/DbMolecule.h"
#include "qrtzdb/model/DbZmatV.h"

namespace qrtz {

// A Z-matrix: line n belongs to atom n and refers only to lower atom numbers.
class DbZmatVSet : public DbCompSet {
public:
    DbZmatVSet() = default;
    ~DbZmatVSet() override = default;

    QRTZ_TYPED_SET_OPERATIONS(DbZmatVSet, DbZmatV, Zmat)

    // Replaces the lines by one per atom of mol. References follow the bonds where they can:
    // the bond reference is the highest-numbered earlier atom bonded to the atom, the angle
    // reference the same for the bond reference, the torsion reference for the angle
    // reference, each distinct from those already chosen; failing that, the nearest preceding
    // atom numbers. Linear in atoms and bonds (up to sorting each atom's neighbours).
    void CreateZmat(const DbMolecule& mol);
    // The lines CreateZmat makes, in atom order, each handed to visit and then reused: for a
    // writer that only puts them out, without a heap object per atom.
    static void WalkZmat(const DbMolecule& mol, const std::function<void(const DbZmatV&)>& visit);

    // The reference for line n bonded to atom: the highest-numbered atom bonded to atom that
    // is at most n - 1 and none of x1, x2, x3; else the first of n - 1, n - 2, n - 3 that is
    // none of them; else 0. All numbers 1-based. Walks every bond once.
    static int SearchIndex(const DbBondVSet& bonds, int n, int atom, int x1, int x2, int x3);
};

} // namespace qrtz
