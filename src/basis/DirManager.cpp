#include "qrtzdb/basis/DirManager.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace qrtz {

namespace {

bool isDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// mkdir that also accepts a directory someone else has just made.
bool makeOne(const std::string& path) {
    return ::mkdir(path.c_str(), 0777) == 0 || (errno == EEXIST && isDirectory(path));
}

} // namespace

int DirManager::WriteDir(const char* path) {
    if (!path || !*path) return 0;
    const std::string full(path);
    // Each prefix ending before a separator is a parent; "/" itself and repeated separators
    // give empty or root prefixes, which exist.
    for (std::size_t cut = full.find('/', 1); cut != std::string::npos;
         cut = full.find('/', cut + 1)) {
        if (full[cut - 1] == '/') continue;
        if (!makeOne(full.substr(0, cut))) return 0;
    }
    return makeOne(full) ? 1 : 0;
}

int DirManager::CreateLinkFile(const char* link, const char* /*description*/, const char* target) {
    if (!link || !*link || !target || !*target) return 0;
    if (::symlink(target, link) == 0) return 1;
    if (errno != EEXIST) return 0;

    struct stat st {};
    if (::lstat(link, &st) != 0 || !S_ISLNK(st.st_mode)) return 0;
    // Build the new link beside the old one and rename it over, so the name never dangles.
    const std::string temporary = std::string(link) + ".tmp-" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(target, temporary.c_str()) != 0) return 0;
    if (std::rename(temporary.c_str(), link) != 0) {
        ::unlink(temporary.c_str());
        return 0;
    }
    return 1;
}

} // namespace qrtz
