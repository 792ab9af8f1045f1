#include "qrtzdb/basis/CEndianFile.h"

#include <cstring>
#include <stdexcept>

namespace qrtz {

namespace {

// Reverses the bytes of each whole Word-sized value in place.
template <class Word>
void swapEach(void* buffer, unsigned int bytes) {
    auto* p = static_cast<unsigned char*>(buffer);
    for (unsigned int n = bytes / sizeof(Word); n > 0; --n, p += sizeof(Word)) {
        Word w;
        std::memcpy(&w, p, sizeof w);
        if constexpr (sizeof(Word) == 4) w = __builtin_bswap32(w);
        else w = __builtin_bswap64(w);
        std::memcpy(p, &w, sizeof w);
    }
}

std::int32_t swapped32(std::int32_t value) {
    return static_cast<std::int32_t>(__builtin_bswap32(static_cast<std::uint32_t>(value)));
}

} // namespace

CEndianFile::CEndianFile(CFile* file, Probe probe) : m_file(file), m_probe(probe) {
    if (!file) throw std::invalid_argument("CEndianFile needs a file");
}

void CEndianFile::SetSwapped(bool swapped) {
    m_swapped = swapped;
    m_decided = true;
}

void CEndianFile::ReadBytes(void* buffer, unsigned int bytes) {
    if (m_file->Read(buffer, bytes) != bytes)
        throw CFileException(CFileException::endOfFile, 0, m_file->GetFilePath());
}

void CEndianFile::Read(char* buffer, unsigned int bytes) { ReadBytes(buffer, bytes); }

void CEndianFile::Read(int* buffer, unsigned int bytes) {
    static_assert(sizeof(int) == 4, "file integers are 32 bits wide");
    ReadBytes(buffer, bytes);
    if (!m_decided && bytes >= 4) {
        std::int32_t first;
        std::memcpy(&first, buffer, 4);
        m_swapped = m_probe && !m_probe(first) && m_probe(swapped32(first));
        m_decided = true;
    }
    if (m_swapped) swapEach<std::uint32_t>(buffer, bytes);
}

void CEndianFile::Read(float* buffer, unsigned int bytes) {
    static_assert(sizeof(float) == 4);
    ReadBytes(buffer, bytes);
    if (m_swapped) swapEach<std::uint32_t>(buffer, bytes);
}

void CEndianFile::Read(double* buffer, unsigned int bytes) {
    static_assert(sizeof(double) == 8);
    ReadBytes(buffer, bytes);
    if (m_swapped) swapEach<std::uint64_t>(buffer, bytes);
}

} // namespace qrtz
