#pragma once
#include "qrtzdb/model/DbAtomVSet.h"
#include "qrtzdb/model/DbCell.h"
#include "qrtzdb/model/DbComp.h"

namespace qrtz {

// A named set of atoms in a unit cell; atom positions are fractional coordinates of the cell.
//
// Both DbCell and DbAtomVSet have a GetCenter: name the one meant (DbCell::GetCenter for the
// Cartesian box centre, DbAtomVSet::GetCenter for the mean fractional position).
class DbCrystal : public DbComp, public DbCell, public DbAtomVSet {
public:
    // Bytes kept of the crystal's name.
    static constexpr unsigned int kNameLength = 16;
    // Grams per atomic mass unit.
    static constexpr double kGramPerAmu = 1.6605778811026236e-24;

    // Name of 16 blanks, the unit cube, no atoms.
    DbCrystal();
    explicit DbCrystal(const char* name);
    DbCrystal(const char* name, double a_, double b_, double c_, double alpha_, double beta_,
              double gamma_);
    ~DbCrystal() override = default;

    // Name, lattice constants and copies of the atoms; the target keeps its corner box.
    DbCrystal& operator=(const DbCrystal& other);

    // A DbCrystal with this one's name, constants and atoms, and the default corner box.
    // Derived classes override it to copy themselves.
    DbComp* Copy() const override;
    // A supercell of na × nb × nc cells: a Copy() (so of this crystal's class) whose lengths are
    // scaled by na, nb, nc and whose atoms are this crystal's repeated in the order
    // (i, j, k, atom), i outermost. A count below 1 gives no atoms. The caller owns the result.
    virtual DbCrystal* CopySymmetry(int na, int nb, int nc) const;

    // Cuts the name to 16 bytes. Hides DbComp::SetName: a name set through DbComp stays uncut.
    void SetName(const char* name) { DbComp::SetName(name, kNameLength); }

    // Atom masses over the cell volume in grams per cubic ångström; 0 for a cell of volume 0.
    double GetDensity() const;
};

} // namespace qrtz
