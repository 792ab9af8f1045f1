#pragma once
#include "qrtzdb/basis/Vertex3D.h"

namespace qrtz {

// A unit cell kept as its six lattice constants, with a box in fractional coordinates (the
// corners) for drawing.
//
// H-matrices are indexed [row][column] in ångström; column j is cell vector j (a, b, c), so a
// fractional s maps to r = H·s. The matrix built from the constants has a along x, b in the
// xy-plane and c with a positive z component.
class DbCell {
public:
    // Degrees to radians and back.
    static constexpr double kDegToRad = 0.017453292519943295;
    static constexpr double kRadToDeg = 57.29577951308232;

    // A cube of edge 1 with right angles, corners (0, 0, 0) and (1, 1, 1).
    DbCell() = default;
    DbCell(double a_, double b_, double c_, double alpha_, double beta_, double gamma_)
        : a(a_), b(b_), c(c_), alpha(alpha_), beta(beta_), gamma(gamma_) {}
    // Both corners at the origin until the host sets them. A matrix with a zero column leaves
    // the default constants.
    explicit DbCell(const double H[3][3]);
    // Copies the corners too.
    DbCell(const DbCell&) = default;
    // Copies the six constants only; the target keeps its corners.
    DbCell& operator=(const DbCell& other);
    virtual ~DbCell() = default;

    // Takes the constants of H; returns 0, leaving the cell unchanged, when H has a zero (or
    // non-finite) column.
    virtual int SetHmatrix(const double H[3][3]);
    // Builds H from the constants. Returns 0 with H untouched when sin(gamma) is exactly 0 or the
    // angles cannot close a cell.
    virtual int GetHmatrix(double H[3][3]) const;
    // Returns 0 when GetHmatrix fails or H is singular.
    virtual int GetInverseHmatrix(double Hinv[3][3]) const;

    // In cubic ångström; 0 for angles that cannot close a cell.
    double GetVolume() const;
    // H·(upperCorner − lowerCorner)/2: the box centre when the lower corner is the origin.
    // The origin when GetHmatrix fails, as are the corners of GetCoord.
    Vertex3D GetCenter() const;
    // The box corners as H·p for p, in order: (x1,y1,z1) (x1,y1,z2) (x2,y1,z2) (x2,y1,z1)
    // (x1,y2,z1) (x1,y2,z2) (x2,y2,z2) (x2,y2,z1), lower corner (x1,y1,z1), upper (x2,y2,z2).
    void GetCoord(Vertex3D corners[8]) const;
    // The same corners ordered by x, then y, then z, lower before upper.
    void GetCoord(Vertex3D& p1, Vertex3D& p2, Vertex3D& p3, Vertex3D& p4, Vertex3D& p5,
                  Vertex3D& p6, Vertex3D& p7, Vertex3D& p8) const;

    // The constants of the cell whose vectors are H's columns. Returns 0, writing nothing,
    // when a column has length 0 or H holds a non-finite value.
    static int GetLatticeConstants(const double H[3][3], double& a, double& b, double& c,
                                   double& alpha, double& beta, double& gamma);

    double a = 1.0, b = 1.0, c = 1.0;               // ångström
    double alpha = 90.0, beta = 90.0, gamma = 90.0;  // degrees: b^c, a^c, a^b
    Vertex3D lowerCorner{0.0, 0.0, 0.0};             // fractional
    // The corners of the displayed region, fractional.
    Vertex3D upperCorner{1.0, 1.0, 1.0};
};

// A cell that keeps its H-matrix as given, so a cell in any orientation survives; the
// constants follow the matrix.
class DbHmatCell : public DbCell {
public:
    DbHmatCell() = default;
    DbHmatCell(const DbHmatCell&) = default;
    // The six constants and the matrix; the target keeps its corners.
    DbHmatCell& operator=(const DbHmatCell& other);
    ~DbHmatCell() override = default;

    // Stores H whatever it holds, then derives the constants; returns what that derivation
    // returned.
    int SetHmatrix(const double H[3][3]) override;
    // The stored matrix; returns 1.
    int GetHmatrix(double H[3][3]) const override;

    // H: the cell vectors as columns, in ångström.
    double matrix[3][3] = {{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}};
};

} // namespace qrtz
