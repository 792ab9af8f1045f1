#pragma once
#include "qrtzdb/model/DbAtom.h"
#include "qrtzdb/model/DbCell.h"
#include "qrtzdb/model/DbComp.h"
#include "qrtzdb/model/DbMolecule.h"
#include "qrtzdb/model/DbMoleculeSet.h"
#include "qrtzdb/platform/CString.h"

namespace qrtz {

// A named unit cell holding molecules whose atom positions are fractional coordinates of the
// cell. Molecules of one species share a name, and UpdateMolTypeList keeps every species
// uniform in atom and bond counts by renaming the odd ones out ("M" -> "M~1").
//
// A molecule with at least one bond is a rigid body to the builders; one without bonds is a
// plain group of atoms (all atoms of one element, say) and is mapped atom by atom.
//
// Operations that add or remove molecules end with UpdateMolTypeList; a caller that appends
// molecules itself calls it afterwards. Atoms and molecules passed in stay the caller's: the
// crystal stores copies made through their virtual Copy.
class DbMolCrystal : public DbComp, public DbCell, public DbMoleculeSet {
public:
    // Bytes kept of the crystal's name.
    static constexpr unsigned int kNameLength = 16;
    // Grams per atomic mass unit.
    static constexpr double kGramPerAmu = 1.6605778811026236e-24;

    // Name of 16 blanks, the unit cube, no molecules.
    DbMolCrystal();
    explicit DbMolCrystal(const char* name);
    DbMolCrystal(const char* name, double a_, double b_, double c_, double alpha_, double beta_,
                 double gamma_);
    ~DbMolCrystal() override = default;

    // Name, lattice constants and copies of the molecules; the target keeps its corner box.
    DbMolCrystal& operator=(const DbMolCrystal& other);

    // A DbMolCrystal assigned from this one. Derived classes override it to copy themselves.
    DbComp* Copy() const override;
    // An nx × ny × nz supercell as a Copy() (so of this crystal's class), lengths scaled. Each
    // bonded molecule is repeated as separate molecules in the order (molecule, i, j, k); each
    // unbonded group becomes one group holding all its images. A count below 1 gives no
    // molecules. The caller owns the result.
    virtual DbMolCrystal* CopySymmetry(int nx, int ny, int nz) const;

    // Cuts the name to 16 bytes. Hides DbComp::SetName: a name set through DbComp stays uncut.
    void SetName(const char* name) { DbComp::SetName(name, kNameLength); }

    // Rebuilds the type list after renaming, pass by pass, every molecule whose atom or bond
    // count differs from the first molecule of its name. Stops at once, with the type list of
    // the last pass's start, when a name has no further copy name within 16 bytes. Hides the
    // plain rebuild of DbMoleculeSet, which callers still reach through that base.
    void UpdateMolTypeList();

    // Densities in grams per cubic ångström (atomic masses over the cell volume): of all
    // molecules; of the species at a type index; of the atoms of a species whose name is entry
    // atomType of each molecule's own atom type list. 0 for a cell of volume 0 or a type index
    // outside the type list.
    double GetDensity() const;
    double GetDensity(int type) const;
    double GetDensity(int type, int atomType) const;

    // ReplaceMolTypeOf for the name at a type index; an index outside the type list does
    // nothing.
    void ReplaceMolTypeAt(int type, const DbAtomV* atom);
    void ReplaceMolTypeAt(int type, const DbMolecule* mol);
    // Deletes every molecule named name and appends one molecule, named after atom, holding a
    // copy of atom at each bonded molecule's centre of mass and at each atom of an unbonded
    // group. The molecule is appended even when nothing was named name. A null atom does
    // nothing.
    void ReplaceMolTypeOf(CString name, const DbAtomV* atom);
    // Replaces every molecule named name by copies of mol (Cartesian, in its own orientation),
    // centred on each bonded molecule's centre of mass and on each atom of an unbonded group.
    // Does nothing for a null mol or a cell whose H-matrix has no inverse.
    void ReplaceMolTypeOf(CString name, const DbMolecule* mol);

    // Builders. pos holds count fractional sites of one conventional cell; the crystal's cell
    // is taken as n × n × n such cells and is not changed.
    //
    // Empties the crystal and appends one unbonded molecule named after atom holding a copy of
    // atom on every site, in the order (i, j, k, site). A null atom does nothing.
    void CreateStructure(const DbAtomV* atom, int count, const double pos[][3], int n);
    // Empties the crystal and puts a copy of mol (Cartesian) with its centre of mass on every
    // site, turned onto its principal axes and then by the z-x-z Euler angles in degrees. Any
    // negative angle draws three fresh angles from Calc::Random for every copy. Does nothing
    // for a null mol or a cell whose H-matrix has no inverse.
    void CreateStructure(const DbMolecule* mol, int count, const double pos[][3], int n,
                         double phi, double theta, double psi);
    // The same on the simple, face-centred, body-centred and diamond lattices of Calc; nothing
    // for n < 1.
    void CreateSc(const DbAtomV* atom, int n);
    void CreateFcc(const DbAtomV* atom, int n);
    void CreateBcc(const DbAtomV* atom, int n);
    void CreateDia(const DbAtomV* atom, int n);
    void CreateSc(const DbMolecule* mol, int n, double phi, double theta, double psi);
    void CreateFcc(const DbMolecule* mol, int n, double phi, double theta, double psi);
    void CreateBcc(const DbMolecule* mol, int n, double phi, double theta, double psi);
    void CreateDia(const DbMolecule* mol, int n, double phi, double theta, double psi);

    // Makes this crystal an nx × ny × nz supercell of src (which may be this crystal): src's
    // angles, its lengths scaled, its molecules repeated in the order (i, j, k, molecule).
    // Bonded molecules keep their Cartesian shape; each image of an unbonded group is a
    // separate group. A count below 1 gives no molecules. A null src does nothing.
    void CreateStructure(const DbMolCrystal* src, int nx, int ny, int nz);

    // Reflects every atom through the middle plane of the cell (u -> 1 - u) along each axis
    // whose flag is non-zero. Leaves the type list alone.
    void Mirror(int x, int y, int z);

    // Splits unbonded species holding several atom types into one molecule per atom type,
    // built from the first molecule of the species (the others are deleted). Examines the
    // species in type-list order and stops at the first bonded or single-type one. The atom
    // types are read from the atoms, so a stale atom type list loses no atom.
    void Reconstruct();
};

} // namespace qrtz
