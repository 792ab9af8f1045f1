#pragma once

namespace qrtz {

// An RGBA colour with float components from 0 to 1.
class Color4V {
public:
    // Opaque black.
    constexpr Color4V() : r(0.0f), g(0.0f), b(0.0f), a(1.0f) {}
    // Components from 0 to 1, as float or double.
    constexpr Color4V(float r_, float g_, float b_, float a_) : r(r_), g(g_), b(b_), a(a_) {}
    constexpr Color4V(double r_, double g_, double b_, double a_)
        : r(static_cast<float>(r_)), g(static_cast<float>(g_)),
          b(static_cast<float>(b_)), a(static_cast<float>(a_)) {}
    // Components from 0 to 255.
    Color4V(int r_, int g_, int b_, int a_);
    Color4V(const Color4V&) = default;
    Color4V& operator=(const Color4V&) = default;
    virtual ~Color4V() = default;

    // Exact comparison of the four components.
    bool operator==(const Color4V& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(const Color4V& o) const { return !(*this == o); }

    // Components from 0 to 255, rounded to the nearest and limited to that range.
    void GetRgba(int& r_, int& g_, int& b_, int& a_) const;

    // Red, green, blue and opacity, 0 to 1.
    float r, g, b, a;
};

} // namespace qrtz
