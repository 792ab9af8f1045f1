#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "qrtzdb/basis/CEndianFile.h"

namespace qrtz {
namespace {

const int kInts[] = {20, -7, 123456};
const float kFloats[] = {1.5f, -2.25e-3f};
const double kDoubles[] = {3.125, -1e300};

template <class T>
void append(std::vector<char>& out, const T* values, std::size_t count, bool swap) {
    for (std::size_t i = 0; i < count; ++i) {
        char bytes[sizeof(T)];
        std::memcpy(bytes, &values[i], sizeof(T));
        if (swap) std::reverse(bytes, bytes + sizeof(T));
        out.insert(out.end(), bytes, bytes + sizeof(T));
    }
}

std::string writeSample(const std::string& name, bool swap) {
    std::vector<char> bytes;
    append(bytes, kInts, 3, swap);
    append(bytes, kFloats, 2, swap);
    append(bytes, kDoubles, 2, swap);
    bytes.insert(bytes.end(), {'a', 'b', 'c'});
    const std::string path = (std::filesystem::path(testing::TempDir()) / name).string();
    CFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
    file.Write(bytes.data(), static_cast<unsigned int>(bytes.size()));
    return path;
}

TEST(CEndianFile, ReadsBothByteOrdersAlike) {
    for (bool swap : {false, true}) {
        const std::string path =
            writeSample(swap ? "endian-swapped.bin" : "endian-native.bin", swap);
        CFile64 file(path.c_str(), CFile::modeRead);
        CEndianFile64 reader(&file);
        int ints[3] = {};
        float floats[2] = {};
        double doubles[2] = {};
        char text[3] = {};
        reader.Read(ints, sizeof ints);
        reader.Read(floats, sizeof floats);
        reader.Read(doubles, sizeof doubles);
        reader.Read(text, 3);
        EXPECT_EQ(reader.IsSwapped(), swap);
        EXPECT_TRUE(std::equal(ints, ints + 3, kInts)) << swap;
        EXPECT_TRUE(std::equal(floats, floats + 2, kFloats)) << swap;
        EXPECT_TRUE(std::equal(doubles, doubles + 2, kDoubles)) << swap;
        EXPECT_EQ(std::string(text, 3), "abc");

        // Reads go straight to the file: a seek between them is honoured.
        file.Seek(4, CFile::begin);
        int second = 0;
        reader.Read(&second, 4);
        EXPECT_EQ(second, -7);

        // The file ends here.
        file.Seek(-2, CFile::end);
        try {
            reader.Read(text, 3);
            ADD_FAILURE() << "no exception";
        } catch (const CFileException& e) {
            EXPECT_EQ(e.m_cause, CFileException::endOfFile);
        }
        std::filesystem::remove(path);
    }
}

TEST(CEndianFile, OrderFollowsTheProbeOrTheCaller) {
    const std::string path = writeSample("endian-probe.bin", true);
    CFile file(path.c_str(), CFile::modeRead);
    // The file starts with a swapped 20, which this probe accepts in neither order: native.
    CEndianFile reader(&file, [](std::int32_t v) { return v == 12345; });
    int value = 0;
    reader.Read(&value, 4);
    EXPECT_FALSE(reader.IsSwapped());
    EXPECT_NE(value, 20);
    reader.SetSwapped(true);
    reader.Read(&value, 4);
    EXPECT_EQ(value, -7);
    std::filesystem::remove(path);
}

} // namespace
} // namespace qrtz
