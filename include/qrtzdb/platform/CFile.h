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
    enum Cause { none = 0, genericException, fileNotFound, badPath, accessDenied, badSeek,
                 hardIO, endOfFile, diskFull };

    CFileException(Cause cause, int osError, CString fileName);
    virtual ~CFileException() = default;

    // A one-line description: the cause, the file and the system's error text.
    CString GetMessage() const;

    Cause m_cause;
    int m_lOsError;
    CString m_strFileName;
};

struct CFileStatus {
    std::time_t m_mtime = 0;   // last modification
    std::time_t m_ctime = 0;   // last status change
    std::int64_t m_size = 0;
    bool m_isDirectory = false;
    CString m_szFullName;
};

class CFile {
public:
    enum OpenFlags {
        modeRead = 0x0000, modeWrite = 0x0001, modeReadWrite = 0x0002,
        modeCreate = 0x1000, modeNoTruncate = 0x2000,
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    // Opens the file or throws CFileException.
    CFile(const char* fileName, unsigned int openFlags);
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    virtual ~CFile();

    // Returns false (filling error when given) instead of throwing.
    bool Open(const char* fileName, unsigned int openFlags, CFileException** error = nullptr);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    // Reads up to count bytes; returns the number read, 0 at the end of the file.
    unsigned int Read(void* buffer, unsigned int count);
    // Writes every byte or throws.
    void Write(const void* buffer, unsigned int count);
    std::int64_t Seek(std::int64_t offset, int from);
    void SeekToBegin() { Seek(0, begin); }
    std::int64_t SeekToEnd() { return Seek(0, end); }
    std::int64_t GetPosition() const;
    std::int64_t GetLength() const;
    void Flush();

    const CString& GetFilePath() const { return m_path; }

    static bool GetStatus(const char* fileName, CFileStatus& status);

protected:
    [[noreturn]] void ThrowOsError(CFileException::Cause cause) const;

    int m_fd = -1;
    CString m_path;
};

// The 64-bit file of the simulation readers. Every CFile position is already 64 bits wide;
// this class adds the seek form those readers call.
class CFile64 : public CFile {
public:
    using CFile::CFile;
    // With mustSucceed non-zero a failed seek throws; otherwise it returns -1.
    std::int64_t Seek(std::int64_t offset, int from, int mustSucceed);
    using CFile::Seek;
};

} // namespace qrtz
