#pragma once
#include "qrtzdb/basis/Vertex3D.h"
#include "qrtzdb/model/DbAtomVSet.h"
#include "qrtzdb/model/DbBondVSet.h"
#include "qrtzdb/model/DbComp.h"

namespace qrtz {

// A named molecule: its atoms (atom n is the member at index n - 1) and the bonds between them,
// with the rigid-body geometry built on them. Positions are in the owner's frame: Cartesian
// for a free molecule, fractional inside a molecular crystal.
//
// Both sets derive from DbCompSet, so the untyped set operations are ambiguous here: use the
// typed ones (GetAtomCount, GetBondNext, ...). A molecule is copied through Copy or operator=.
class DbMolecule : public DbComp, public DbAtomVSet, public DbBondVSet {
public:
    // Bytes kept of a molecule's name.
    static constexpr unsigned int kNameLength = 16;

    // Sixteen blanks, no atoms, no bonds.
    DbMolecule();
    explicit DbMolecule(const char* name);
    DbMolecule(const DbMolecule&) = delete;
    ~DbMolecule() override = default;

    // The name, then deep copies of the atoms and bonds.
    DbMolecule& operator=(const DbMolecule& other);

    // A new molecule of this class assigned from this one; the caller owns it.
    DbComp* Copy() const override;

    // Cuts the name to 16 bytes. Hides DbComp::SetName without being virtual.
    void SetName(const char* name) { DbComp::SetName(name, kNameLength); }

    // Deletes the atom at 0-based index and every bond touching it, and renumbers the bonds to
    // the atoms after it. An index outside 0..count-1 changes nothing.
    void DeleteAtomWithBond(int index);

    // The mass-weighted mean position; the unweighted sum (the origin when every mass is 0) if
    // the total mass is exactly 0.
    Vertex3D GetCenterOfMass() const;
    // Moves the molecule so that its centre of mass is at the origin.
    void AtZero();

    // The rotation R (det +1) that takes the centred molecule onto its principal axes, rows in
    // ascending order of moment. Its signs put the atom of largest m·r² at x >= 0 and y >= 0.
    void GetInertiaMatrix(double R[3][3]) const;
    // Turns the molecule about its centre of mass onto its principal axes.
    void OnInertiaAxis();

    // Puts the molecule on its principal axes, then turns it about its centre of mass by the
    // z-x-z Euler angles in degrees: A = Rz(psi)·Rx(theta)·Rz(phi).
    void SetEulerAngle(double phi, double theta, double psi);
    // The Euler angles in degrees of the present orientation relative to the principal axes:
    // phi and psi in [0, 360), theta in [0, 180]. With theta at 0 or 180 the whole turn about z
    // is reported in phi and psi is 0.
    void GetEulerAngle(double& phi, double& theta, double& psi) const;
};

} // namespace qrtz
