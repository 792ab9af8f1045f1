#pragma once
// Shared by the element and bond-style tables; not installed.

#include "qrtzdb/basis/Color4V.h"
#include "qrtzdb/platform/CString.h"

// clang before 16 cannot evaluate libstdc++'s short-string construction at compile time, so
// there the built-in rows are filled by a static constructor instead.
#if defined(__clang__) && __clang_major__ < 16
#define QRTZ_TABLE_CONSTINIT
#else
#define QRTZ_TABLE_CONSTINIT constinit
#endif

namespace qrtz::tablekey {

// The two-byte key of a symbol or code: one byte gets a blank appended, three or more are cut to
// two, an empty key stays empty. Only the first bytes are read, so any length is cheap.
inline CString Normalize(const char* key) {
    if (key == nullptr || key[0] == '\0') return CString();
    if (key[1] == '\0') return CString{key[0], ' '};
    return CString(key, 2);
}

// Matches Color4V(int, int, int, int) bit for bit, but can run at compile time.
constexpr Color4V Opaque(int r, int g, int b) {
    return Color4V(static_cast<float>(r) / 255.0f, static_cast<float>(g) / 255.0f,
                   static_cast<float>(b) / 255.0f, 1.0f);
}

} // namespace qrtz::tablekey
