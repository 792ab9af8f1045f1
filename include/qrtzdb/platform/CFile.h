#pragma once
// Binary files over POSIX descriptors with 64-bit positions throughout. Reads and seeks are
// unbuffered, so a caller may mix them freely; the endian readers build on this.
#include <cstdint>
#include <ctime>

#include "qrtzdb/platform/CString.h"

namespace qrtz {

// Thrown by file operations that cannot complete: open failures, failed seeks, and reads that
// must deliver every byte asked for (the endian readers) but meet the end of the file.
class CFileException {
public:
    // What went wrong, as the operation saw it.
    enum Cause { none = 0, genericException, fileNotFound, badPath, accessDenied, badSeek,
                 hardIO, endOfFile, diskFull };

    // osError is the system's errno, 0 when there is none.
    CFileException(Cause cause, int osError, CString fileName);
    virtual ~CFileException() = default;

    // A one-line description: the cause, the file and the system's error text.
    CString GetMessage() const;

    // The cause, the system's error number and the file concerned.
    Cause m_cause;
    int m_lOsError;
    CString m_strFileName;
};

// What GetStatus reports of a file.
struct CFileStatus {
    std::time_t m_mtime = 0;   // last modification
    std::time_t m_ctime = 0;   // last status change
    // Size in bytes, whether it is a folder, and its path as given.
    std::int64_t m_size = 0;
    bool m_isDirectory = false;
    CString m_szFullName;
};

// A file opened through POSIX calls, with 64-bit positions. Errors throw CFileException.
class CFile {
public:
    // Flags of Open, combined with
    // : read-only unless a write mode is given.
    enum OpenFlags {
        modeRead = 0x0000, modeWrite = 0x0001, modeReadWrite = 0x0002,
        modeCreate = 0x1000, modeNoTruncate = 0x2000,
    };
    // Where a seek offset counts from.
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    // Opens the file or throws CFileException.
    CFile(const char* fileName, unsigned int openFlags);
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    virtual ~CFile();

    // Returns false (filling error when given) instead of throwing.
    bool Open(const char* fileName, unsigned int openFlags, CFileException** error = nullptr);
    // Closes the file; IsOpen tells whether one is open.
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    // Reads up to count bytes; returns the number read, 0 at the end of the file.
    unsigned int Read(void* buffer, unsigned int count);
    // Writes every byte or throws.
    void Write(const void* buffer, unsigned int count);
    // Moves to offset from begin, current or end; returns the new position or throws.
    std::int64_t Seek(std::int64_t offset, int from);
    void SeekToBegin() { Seek(0, begin); }
    std::int64_t SeekToEnd() { return Seek(0, end); }
    std::int64_t GetPosition() const;
    std::int64_t GetLength() const;
    // Writes out what the system buffers for the file.
    void Flush();

    // The path the file was opened with.
    const CString& GetFilePath() const { return m_path; }

    // Fills status for fileName; false when it does not exist or cannot be examined.
    static bool GetStatus(const char* fileName, CFileStatus& status);

protected:
    // Throws CFileException with cause, errno and this file's path.
    [[noreturn]] void ThrowOsError(CFileException::Cause cause) const;

    // The file descriptor (-1 when closed) and the path.
    int m_fd = -1;
    CString m_path;
};

// The 64-bit file of the simulation readers. Every CFile position is already 64 bits wide;
// this class adds the seek form those readers call.
class CFile64 : public CFile {
public:
    // The constructors of CFile.
    using CFile::CFile;
    // With mustSucceed non-zero a failed seek throws; otherwise it returns -1.
    std::int64_t Seek(std::int64_t offset, int from, int mustSucceed);
    using CFile::Seek;
};

} // namespace qrtz
