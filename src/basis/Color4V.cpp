#include "qrtzdb/basis/Color4V.h"

#include <cmath>

namespace qrtz {

namespace {

float fromByte(int v) { return static_cast<float>(v) / 255.0f; }

int toByte(float v) {
    if (!(v > 0.0f)) return 0;  // also NaN
    if (v >= 1.0f) return 255;
    return static_cast<int>(std::lround(v * 255.0f));
}

} // namespace

Color4V::Color4V(int r_, int g_, int b_, int a_)
    : r(fromByte(r_)), g(fromByte(g_)), b(fromByte(b_)), a(fromByte(a_)) {}

void Color4V::GetRgba(int& r_, int& g_, int& b_, int& a_) const {
    r_ = toByte(r);
    g_ = toByte(g);
    b_ = toByte(b);
    a_ = toByte(a);
}

} // namespace qrtz
