#pragma once
// Binary readers that deliver numbers in host byte order from files written on machines of
// either byte order. Reads go straight to the file, unbuffered, because callers seek the file
// between reads.
#include <cstdint>

#include "qrtzdb/platform/CFile.h"

namespace qrtz {

// Reads numbers of either byte order from a file (see above).
class CEndianFile {
public:
    // Tells whether a first 32-bit integer, taken in one byte order, is a value the file can
    // start with.
    using Probe = bool (*)(std::int32_t value);

    // The default probe: a simulation result file starts with a record length of 20 or 4.
    static bool IsFirstRecordLength(std::int32_t value) { return value == 20 || value == 4; }

    // The byte order is decided by the first integer read: native when probe accepts it as
    // read, swapped when probe accepts it byte-swapped instead, native when neither does.
    // Reads before that integer, and every read after SetSwapped, take the order as it stands.
    explicit CEndianFile(CFile* file, Probe probe = &IsFirstRecordLength);
    virtual ~CEndianFile() = default;

    // bytes is a count of BYTES, as many as the buffer holds. Every byte must arrive, or
    // CFileException(endOfFile) is thrown. A trailing part of a number (bytes not a multiple of
    // its size) is delivered as read.
    void Read(char* buffer, unsigned int bytes);
    void Read(int* buffer, unsigned int bytes);
    void Read(float* buffer, unsigned int bytes);
    void Read(double* buffer, unsigned int bytes);

    // Sets the byte order by hand; IsSwapped tells the one in use.
    void SetSwapped(bool swapped);
    bool IsSwapped() const { return m_swapped; }

    // The file read.
    CFile* GetFile() const { return m_file; }

private:
    void ReadBytes(void* buffer, unsigned int bytes);

    CFile* m_file;
    Probe m_probe;
    bool m_decided = false;
    bool m_swapped = false;
};

// The same reader over a 64-bit file, which the simulation readers seek by 64-bit offsets.
class CEndianFile64 : public CEndianFile {
public:
    // A reader of file; probe decides the byte order from the first integer read.
    explicit CEndianFile64(CFile64* file, Probe probe = &IsFirstRecordLength)
        : CEndianFile(file, probe) {}

    // The file read.
    CFile64* GetFile() const { return static_cast<CFile64*>(CEndianFile::GetFile()); }
};

} // namespace qrtz
