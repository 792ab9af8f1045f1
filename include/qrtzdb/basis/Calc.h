#pragma once
// Numeric helpers shared by the geometry code.
#include <cstdint>

namespace qrtz {

// Numeric helpers (see above); every member is static.
class Calc {
public:
    // Absolute tolerance of Neighbor.
    static constexpr double kNeighborTolerance = 1e-6;

    // Writes the inverse of in to out and returns 0; returns 1 and leaves out untouched when in
    // is singular (|det| below 1e-300) or holds a non-finite value. in and out may alias.
    static int InverseMatrix(const double in[3][3], double out[3][3]);

    // Eigenvectors of the symmetric m as the rows of v, sorted by ascending eigenvalue, forming
    // a proper rotation (det v = +1, row 2 = row 0 × row 1). The eigenvalues go to values when
    // given. m and v may alias.
    static void Jacobi(const double m[3][3], double v[3][3], double values[3] = nullptr);

    // x limited to lo..hi.
    static double Within(double x, double lo, double hi);

    // Non-zero when |a - b| is below kNeighborTolerance.
    static int Neighbor(double a, double b);

    // The nearest integer (halves away from zero), as a double.
    static double RoundToNear(double x);

    // A pseudo-random double in [0, 1). The generator starts from a fixed seed, so a program
    // that draws the same numbers gets the same structures every run.
    static double Random();
    static void SetRandomSeed(std::uint64_t seed);

    // Fractional sites of one conventional cubic cell, origin first: 1, 4, 2 and 8 rows.
    // The diamond table is the face-centred one followed by its copy shifted by (1/4, 1/4, 1/4).
    static void ScPos(double pos[1][3]);
    static void FccPos(double pos[4][3]);
    static void BccPos(double pos[2][3]);
    static void DiaPos(double pos[8][3]);
};

} // namespace qrtz
