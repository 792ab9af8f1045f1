#pragma once
#include "qrtzdb/basis/Vertex3D.h"
#include "qrtzdb/model/DbComp.h"

namespace qrtz {

// One line of a Z-matrix: the atom's distance to the bond reference, its angle with the angle
// reference and its torsion about the bond to the torsion reference. References are 1-based
// atom numbers, 0 when the line has none.
class DbZmatV : public DbComp {
public:
    DbZmatV() = default;
    // An entry with its three references and values.
    DbZmatV(int bondRef_, int angleRef_, int torsionRef_, double bond_, double angle_,
            double torsion_)
        : bondRef(bondRef_), angleRef(angleRef_), torsionRef(torsionRef_), bond(bond_),
          angle(angle_), torsion(torsion_) {}
    DbZmatV(const DbZmatV&) = default;
    // Copies the six fields; the name stays.
    DbZmatV& operator=(const DbZmatV& other);
    ~DbZmatV() override = default;

    // A line with the six fields and an empty name.
    DbComp* Copy() const override;

    // bond = |a - b|.
    void SetBond(const Vertex3D& a, const Vertex3D& b);
    // angle at b between a and c, in [0, 180]; a zero-length arm gives 90.
    void SetAngle(const Vertex3D& a, const Vertex3D& b, const Vertex3D& c);
    // torsion of a-b-c-d about b-c, in [-180, 180]: positive when, looking along b->c, the bond
    // b->a turns clockwise onto c->d. Collinear or coincident points give +90.
    void SetTorsion(const Vertex3D& a, const Vertex3D& b, const Vertex3D& c, const Vertex3D& d);

    // The 1-based atoms the bond, angle and torsion are measured to; 0 for none.
    int bondRef = 0;
    int angleRef = 0;
    int torsionRef = 0;
    // The bond length (Å), bond angle and torsion angle (degrees).
    double bond = 0.0;     // length unit of the positions
    double angle = 0.0;    // degrees
    double torsion = 0.0;  // degrees
};

} // namespace qrtz
