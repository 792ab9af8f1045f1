#include "qrtzdb/platform/FileSystem.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "qrtzdb/platform/Module.h"

namespace qrtz {

namespace {

CString folderOf(const CString& path) {
    auto cut = path.find_last_of(kPathSeparator);
    if (cut == CString::npos) return ".";
    if (cut == 0) return "/";
    return path.substr(0, cut);
}

CString nameOf(const CString& path) {
    auto cut = path.find_last_of(kPathSeparator);
    return cut == CString::npos ? path : path.substr(cut + 1);
}

int writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}


// Writes content to a fresh temporary file beside path and renames it over path.
int replaceWith(const CString& path, const char* data, std::size_t size, mode_t mode) {
    CString temp = JoinPath(folderOf(path), "." + nameOf(path) + ".tmp-XXXXXX");
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return errno;
    int error = writeAll(fd, data, size);
    if (error == 0 && ::fchmod(fd, mode) != 0) error = errno;
    if (error == 0 && ::fsync(fd) != 0 && errno != EINVAL) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) ::unlink(temp.c_str());
    return error;
}

mode_t defaultMode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

CString ResolveLinks(const CString& path) {
    CString current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        CString target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096), '\0');
        ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n <= 0) return current;
        target.resize(static_cast<std::size_t>(n));
        current = target[0] == kPathSeparator ? target : JoinPath(folderOf(current), target);
    }
    return current;
}

int WriteFileAtomically(const CString& path, const CString& content) {
    if (path.empty()) return ENOENT;
    CString target = ResolveLinks(path);
    struct stat st {};
    mode_t mode = defaultMode();
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return EISDIR;
        mode = st.st_mode & 07777;
    }
    return replaceWith(target, content.data(), content.size(), mode);
}

int ReadWholeFile(const CString& path, CString& content, long long maxBytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        int error = errno;
        ::close(fd);
        return error;
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        return EISDIR;
    }
    CString data;
    char buffer[16384];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            int error = errno;
            ::close(fd);
            return error;
        }
        if (n == 0) break;
        if (static_cast<long long>(data.size()) + n > maxBytes) {
            ::close(fd);
            return EFBIG;
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    content = std::move(data);
    return 0;
}

int CopyFile(const CString& from, const CString& to, bool failIfExists) {
    CString data;
    // Settings and style sheets are small; anything beyond this is not what we copy.
    if (int error = ReadWholeFile(from, data, 1LL << 30)) return error;
    struct stat st {};
    mode_t mode = ::stat(from.c_str(), &st) == 0 ? (st.st_mode & 0777) : defaultMode();
    if (!failIfExists) return replaceWith(ResolveLinks(to), data.data(), data.size(), mode);

    // Create the target exclusively so a file that appears meanwhile is never overwritten;
    // a failed copy removes its own partial target.
    int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) return errno;
    int error = writeAll(fd, data.data(), data.size());
    if (error == 0 && ::fsync(fd) != 0 && errno != EINVAL) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) ::unlink(to.c_str());
    return error;
}

int CreateDirectories(const CString& path) {
    if (path.empty()) return ENOENT;
    bool isDirectory = false;
    if (PathExists(path, &isDirectory)) return isDirectory ? 0 : ENOTDIR;
    for (std::size_t at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != kPathSeparator) continue;
        CString prefix = path.substr(0, at);
        if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return errno;
    }
    return PathExists(path, &isDirectory) && isDirectory ? 0 : ENOTDIR;
}

int CreateSymbolicLink(const CString& target, const CString& link) {
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) return EEXIST;
        // Build the new link beside the old one and rename it over, as for files.
        for (int attempt = 0; attempt < 100; ++attempt) {
            CString temp = link + ".tmp-" + std::to_string(::getpid()) + "-" +
                           std::to_string(attempt);
            if (::symlink(target.c_str(), temp.c_str()) != 0) {
                if (errno == EEXIST) continue;
                return errno;
            }
            if (::rename(temp.c_str(), link.c_str()) != 0) {
                int error = errno;
                ::unlink(temp.c_str());
                return error;
            }
            return 0;
        }
        return EEXIST;
    }
    return ::symlink(target.c_str(), link.c_str()) == 0 ? 0 : errno;
}

bool PathExists(const CString& path, bool* isDirectory) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
    if (isDirectory) *isDirectory = S_ISDIR(st.st_mode);
    return true;
}

} // namespace qrtz
