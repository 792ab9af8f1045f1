#include "qrtzdb/platform/Module.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace qrtz {

namespace {

CString parentOf(const CString& path) {
    auto cut = path.find_last_of(kPathSeparator);
    if (cut == CString::npos) return ".";
    if (cut == 0) return "/";
    return path.substr(0, cut);
}

bool isDirectory(const CString& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

CString withoutTrailingSeparator(CString path) {
    while (path.size() > 1 && path.back() == kPathSeparator) path.pop_back();
    return path;
}

} // namespace

CString GetModuleFileName() {
    CString buffer(4096, '\0');
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) return {};
    buffer.resize(static_cast<std::size_t>(n));
    return buffer;
}

CString GetSystemDirectory() {
    if (const char* env = std::getenv("QRTZ_SYSTEM_DIR"); env && *env)
        return withoutTrailingSeparator(env);
    CString exe = GetModuleFileName();
    if (exe.empty()) return ".";
    CString folder = parentOf(exe);
    auto slash = folder.find_last_of(kPathSeparator);
    if (slash != CString::npos && folder.substr(slash + 1) == "bin") {
        CString shared = JoinPath(parentOf(folder), "share/qrtz");
        if (isDirectory(shared)) return shared;
    }
    return folder;
}

bool IsAbsolutePath(const CString& path) {
    if (!path.empty() && path[0] == kPathSeparator) return true;
    return path.size() >= 3 && path[1] == ':' && path[2] == '\\';
}

CString JoinPath(const CString& folder, const CString& name) {
    if (folder.empty()) return name;
    if (folder.back() == kPathSeparator) return folder + name;
    return folder + kPathSeparator + name;
}

} // namespace qrtz
