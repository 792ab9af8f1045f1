#pragma once
// Reads the length-framed records of the simulator's binary files through the endian reader,
// keeping its own position and the file's length so that every length read from the file is
// checked against the bytes left before anything is read or allocated.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "qrtzdb/basis/CEndianFile.h"
#include "qrtzdb/basis/KelException.h"

namespace qrtz {

// The file ends before the bytes a record promises: a cut file, not a malformed one.
struct SimFileEnds {
    std::string message;
};

class SimRecordReader {
public:
    // Starts at the file's current position.
    SimRecordReader(CFile* file, CEndianFile::Probe probe)
        : m_file(file), m_in(file, probe), m_length(file->GetLength()),
          m_pos(file->GetPosition()) {}

    std::int64_t Position() const { return m_pos; }
    std::int64_t Left() const { return m_length - m_pos; }
    bool Swapped() const { return m_in.IsSwapped(); }
    void SetSwapped(bool swapped) { m_in.SetSwapped(swapped); }

    void SeekTo(std::int64_t pos) {
        m_file->Seek(pos, CFile::begin);
        m_pos = pos;
    }
    // A relative seek; the bytes must be there.
    void Skip(std::int64_t bytes, const char* what) {
        Need(bytes, what);
        m_file->Seek(bytes, CFile::current);
        m_pos += bytes;
    }

    // The first integer of the file, which settles the byte order.
    std::int32_t ReadFirstInt(const char* what) {
        Need(4, what);
        int v = 0;
        m_in.Read(&v, 4);
        m_pos += 4;
        return v;
    }

    // Raw bytes in file order; decode numbers with Int, Float and Double.
    void ReadRaw(void* buffer, std::int64_t bytes, const char* what) {
        Need(bytes, what);
        // The endian reader counts in 32 bits; a frame of many atoms is larger.
        constexpr std::int64_t kChunk = std::int64_t{1} << 30;
        auto* out = static_cast<char*>(buffer);
        for (std::int64_t done = 0; done < bytes; done += kChunk)
            m_in.Read(out + done, static_cast<unsigned int>(std::min(kChunk, bytes - done)));
        m_pos += bytes;
    }

    std::int32_t ReadInt(const char* what) {
        char b[4];
        ReadRaw(b, 4, what);
        return Int(b);
    }

    // Reads a leading record length and checks it: not negative (FsException(3)), equal to
    // expected when that is not negative (FsException(3)), and room for the data and the
    // trailing length (SimFileEnds).
    std::int32_t ReadLength(const char* what, std::int64_t expected = -1) {
        const std::int64_t at = m_pos;
        const std::int32_t length = ReadInt(what);
        CheckLength(what, at, length, expected);
        return length;
    }

    void CheckLength(const char* what, std::int64_t at, std::int64_t length,
                     std::int64_t expected) const {
        if (length < 0)
            throw FsException(3, Where(what, at) + ": negative record length " +
                                     std::to_string(length));
        if (expected >= 0 && length != expected)
            throw FsException(3, Where(what, at) + ": record length " + std::to_string(length) +
                                     ", expected " + std::to_string(expected));
        if (length + 4 > m_length - (at + 4))
            throw SimFileEnds{Where(what, at) + ": the record of " + std::to_string(length) +
                              " bytes runs past the end of the file"};
    }

    // A whole record of the expected length, its trailing length checked. The buffer is
    // allocated only once the file is known to hold the record.
    std::vector<char> ReadRecord(std::int64_t expected, const char* what) {
        const std::int64_t at = m_pos;
        ReadLength(what, expected);
        std::vector<char> data(static_cast<std::size_t>(expected));
        ReadRaw(data.data(), expected, what);
        CheckTrail(what, at, expected, ReadInt(what));
        return data;
    }

    // Skips a record by its own length.
    void SkipRecord(const char* what) {
        const std::int32_t length = ReadLength(what);
        Skip(static_cast<std::int64_t>(length) + 4, what);
    }

    static void CheckTrail(const char* what, std::int64_t at, std::int64_t lead,
                           std::int32_t trail) {
        if (trail != lead)
            throw FsException(3, Where(what, at) + ": record length " + std::to_string(lead) +
                                     " but trailing length " + std::to_string(trail));
    }

    void Need(std::int64_t bytes, const char* what) const {
        if (bytes < 0 || bytes > Left())
            throw SimFileEnds{Where(what, m_pos) + ": the file ends after " +
                              std::to_string(Left()) + " more bytes, " + std::to_string(bytes) +
                              " needed"};
    }

    std::int32_t Int(const char* p) const {
        std::uint32_t u;
        std::memcpy(&u, p, 4);
        if (m_in.IsSwapped()) u = __builtin_bswap32(u);
        return static_cast<std::int32_t>(u);
    }
    float Float(const char* p) const {
        std::uint32_t u;
        std::memcpy(&u, p, 4);
        if (m_in.IsSwapped()) u = __builtin_bswap32(u);
        float f;
        std::memcpy(&f, &u, 4);
        return f;
    }
    double Double(const char* p) const {
        std::uint64_t u;
        std::memcpy(&u, p, 8);
        if (m_in.IsSwapped()) u = __builtin_bswap64(u);
        double d;
        std::memcpy(&d, &u, 8);
        return d;
    }
    // count floats from p into out.
    void Floats(const char* p, float* out, std::size_t count) const {
        if (!m_in.IsSwapped()) {
            std::memcpy(out, p, count * 4);
            return;
        }
        for (std::size_t i = 0; i < count; ++i) out[i] = Float(p + 4 * i);
    }

    static std::string Where(const char* what, std::int64_t at) {
        return std::string(what) + " at byte " + std::to_string(at);
    }

private:
    CFile* m_file;
    CEndianFile m_in;
    std::int64_t m_length;
    std::int64_t m_pos;
};

} // namespace qrtz
