#pragma once

namespace qrtz {

// A 3-vector of doubles: positions, velocities and shifts.
class Vertex3D {
public:
    // The vector (x, y, z); the origin by default.
    Vertex3D(double x_ = 0.0, double y_ = 0.0, double z_ = 0.0) : x(x_), y(y_), z(z_) {}
    Vertex3D(const Vertex3D&) = default;
    Vertex3D& operator=(const Vertex3D&) = default;
    virtual ~Vertex3D() = default;

    // Component-wise arithmetic and exact comparison (Calc::Neighbor compares with a tolerance).
    Vertex3D operator-(const Vertex3D& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vertex3D operator+(const Vertex3D& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vertex3D operator-() const { return {-x, -y, -z}; }
    Vertex3D& operator+=(const Vertex3D& o) { x += o.x; y += o.y; z += o.z; return *this; }
    Vertex3D& operator-=(const Vertex3D& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
    Vertex3D& operator*=(double s) { x *= s; y *= s; z *= s; return *this; }
    Vertex3D& operator/=(double s) { x /= s; y /= s; z /= s; return *this; }
    bool operator==(const Vertex3D& o) const { return x == o.x && y == o.y && z == o.z; }

    // The length, and the squared length.
    double GetAbsolute() const;
    double GetAbsolute2() const { return x * x + y * y + z * z; }

    // M·v with v as a column: component i is the sum over j of M[i][j]·v[j].
    Vertex3D Transform(const double M[3][3]) const;

    // A copy whose components along the axes with a non-zero flag lie in [0, 1).
    Vertex3D PeriodicBoundary(int px, int py, int pz) const;

    // The components.
    double x, y, z;
};

// The scalar and the vector product.
double Dot(const Vertex3D& a, const Vertex3D& b);
Vertex3D Cross(const Vertex3D& a, const Vertex3D& b);

} // namespace qrtz
