#pragma once
// Operating-system facts the library reports or adapts to: error texts and the platform version.
#include "qrtzdb/platform/CString.h"

namespace qrtz {

// The system's own description of an error number (an errno value).
CString GetSystemErrorText(int error);

// Platform families, numbered as the settings store and the locale detection expect them.
inline constexpr int kPlatformWin32s = 0;
inline constexpr int kPlatformWindows = 1;
// POSIX systems answer as this family: their settings store keeps the modern key layout.
inline constexpr int kPlatformNT = 2;

// The platform family and version, as the settings store and the locale detection ask.
struct PlatformVersion {
    // Family (kPlatformNT here), major and minor version and build number.
    int platformId = 0;
    int majorVersion = 0;
    int minorVersion = 0;
    int buildNumber = 0;
    CString systemName;   // "Linux", "Darwin", ...
    CString release;      // the kernel release text
};

// Fills version from the running system; false when the system cannot tell.
bool GetPlatformVersion(PlatformVersion& version);

} // namespace qrtz
