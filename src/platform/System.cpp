#include "qrtzdb/platform/System.h"

#include <cstdlib>
#include <cstring>
#include <sys/utsname.h>
#include <type_traits>

namespace qrtz {

CString GetSystemErrorText(int error) {
    char buffer[256] = {};
    // The GNU and the XSI strerror_r differ in their result; both end up in a text here.
    auto result = ::strerror_r(error, buffer, sizeof buffer);
    if constexpr (std::is_same_v<decltype(result), char*>) return CString(result);
    else return CString(buffer);
}

bool GetPlatformVersion(PlatformVersion& version) {
    struct utsname names {};
    if (::uname(&names) != 0) return false;
    version = PlatformVersion{};
    version.platformId = kPlatformNT;
    version.systemName = names.sysname;
    version.release = names.release;
    // "6.1.0-18-amd64" gives 6, 1 and 0.
    char* end = nullptr;
    version.majorVersion = static_cast<int>(std::strtol(names.release, &end, 10));
    if (end && *end == '.') version.minorVersion = static_cast<int>(std::strtol(end + 1, &end, 10));
    if (end && *end == '.') version.buildNumber = static_cast<int>(std::strtol(end + 1, &end, 10));
    return true;
}

} // namespace qrtz
