#include "qrtzdb/platform/CFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qrtz {

namespace {

CFileException::Cause causeOf(int err) {
    switch (err) {
    case ENOENT: return CFileException::fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG: return CFileException::badPath;
    case EACCES:
    case EPERM: return CFileException::accessDenied;
    case ENOSPC: return CFileException::diskFull;
    case EIO: return CFileException::hardIO;
    default: return CFileException::genericException;
    }
}

const char* causeText(CFileException::Cause cause) {
    switch (cause) {
    case CFileException::none: return "no error";
    case CFileException::fileNotFound: return "file not found";
    case CFileException::badPath: return "bad path";
    case CFileException::accessDenied: return "access denied";
    case CFileException::badSeek: return "bad seek";
    case CFileException::hardIO: return "input/output error";
    case CFileException::endOfFile: return "unexpected end of file";
    case CFileException::diskFull: return "disk full";
    default: return "file error";
    }
}

} // namespace

CFileException::CFileException(Cause cause, int osError, CString fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName)) {}

CString CFileException::GetMessage() const {
    CString text = m_strFileName.empty() ? CString("file") : m_strFileName;
    text += ": ";
    text += causeText(m_cause);
    if (m_lOsError != 0 && m_cause != endOfFile) {
        text += " (";
        text += std::strerror(m_lOsError);
        text += ")";
    }
    return text;
}

CFile::CFile(const char* fileName, unsigned int openFlags) {
    CFileException* error = nullptr;
    if (!Open(fileName, openFlags, &error)) {
        CFileException copy = *error;
        delete error;
        throw copy;
    }
}

CFile::~CFile() { Close(); }

bool CFile::Open(const char* fileName, unsigned int openFlags, CFileException** error) {
    Close();
    int flags = O_CLOEXEC;
    if (openFlags & modeReadWrite) flags |= O_RDWR;
    else if (openFlags & modeWrite) flags |= O_WRONLY;
    else flags |= O_RDONLY;
    if (openFlags & modeCreate) {
        flags |= O_CREAT;
        if (!(openFlags & modeNoTruncate)) flags |= O_TRUNC;
    }
    int fd = ::open(fileName, flags, 0666);
    if (fd < 0) {
        if (error) *error = new CFileException(causeOf(errno), errno, fileName);
        return false;
    }
    m_fd = fd;
    m_path = fileName;
    return true;
}

void CFile::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

void CFile::ThrowOsError(CFileException::Cause cause) const {
    throw CFileException(cause, errno, m_path);
}

unsigned int CFile::Read(void* buffer, unsigned int count) {
    auto* out = static_cast<char*>(buffer);
    unsigned int done = 0;
    while (done < count) {
        ssize_t n = ::read(m_fd, out + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowOsError(causeOf(errno));
        }
        if (n == 0) break;
        done += static_cast<unsigned int>(n);
    }
    return done;
}

void CFile::Write(const void* buffer, unsigned int count) {
    const auto* in = static_cast<const char*>(buffer);
    unsigned int done = 0;
    while (done < count) {
        ssize_t n = ::write(m_fd, in + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowOsError(causeOf(errno));
        }
        done += static_cast<unsigned int>(n);
    }
}

std::int64_t CFile::Seek(std::int64_t offset, int from) {
    int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : SEEK_END;
    off_t at = ::lseek(m_fd, static_cast<off_t>(offset), whence);
    if (at < 0) ThrowOsError(CFileException::badSeek);
    return at;
}

std::int64_t CFile64::Seek(std::int64_t offset, int from, int mustSucceed) {
    if (mustSucceed) return CFile::Seek(offset, from);
    int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : SEEK_END;
    return ::lseek(m_fd, static_cast<off_t>(offset), whence);
}

std::int64_t CFile::GetPosition() const {
    off_t at = ::lseek(m_fd, 0, SEEK_CUR);
    if (at < 0) ThrowOsError(CFileException::badSeek);
    return at;
}

std::int64_t CFile::GetLength() const {
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) ThrowOsError(causeOf(errno));
    return st.st_size;
}

void CFile::Flush() {
    if (m_fd >= 0 && ::fsync(m_fd) != 0 && errno != EINVAL) ThrowOsError(causeOf(errno));
}

bool CFile::GetStatus(const char* fileName, CFileStatus& status) {
    struct stat st {};
    if (::stat(fileName, &st) != 0) return false;
    status.m_mtime = st.st_mtime;
    status.m_ctime = st.st_ctime;
    status.m_size = st.st_size;
    status.m_isDirectory = S_ISDIR(st.st_mode);
    char* full = ::realpath(fileName, nullptr);
    status.m_szFullName = full ? full : fileName;
    std::free(full);
    return true;
}

} // namespace qrtz
