// The plain C++ side of bench/python_bench.py: what the Python package is measured against.
//   qrtz_python_baseline frames FILE HEAD FRAME_BYTES POSITION_OFFSET ATOMS FRAMES
//     reads every frame's position record (leading length, 12 bytes an atom, trailing
//     length) with one pread each and checks its lengths, as a hand-written reader would;
//   qrtz_python_baseline mcr FILE
//     reads a molecular crystal database with the library.
// Each prints the seconds its loop took.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "qrtzdb/basis/FileStream.h"
#include "qrtzdb/formats/KelDbMolCrystal.h"

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

int frames(char** argv) {
    const int fd = ::open(argv[2], O_RDONLY);
    if (fd < 0) return 1;
    const std::int64_t head = std::atoll(argv[3]), frame = std::atoll(argv[4]),
                       offset = std::atoll(argv[5]), atoms = std::atoll(argv[6]);
    const int count = std::atoi(argv[7]);
    const std::int64_t bytes = 12 * atoms + 8;
    std::vector<char> buffer(static_cast<std::size_t>(bytes));
    double sum = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int f = 0; f < count; ++f) {
        if (::pread(fd, buffer.data(), static_cast<std::size_t>(bytes), head + f * frame + offset) !=
            bytes)
            return 1;
        std::int32_t lead, trail;
        std::memcpy(&lead, buffer.data(), 4);
        std::memcpy(&trail, buffer.data() + bytes - 4, 4);
        if (lead != 12 * atoms || trail != lead) return 1;
        float x;
        std::memcpy(&x, buffer.data() + 4, 4);
        sum += x;
    }
    std::printf("%.6f %g\n", seconds(start), sum);
    ::close(fd);
    return 0;
}

int mcr(char** argv) {
    const auto start = std::chrono::steady_clock::now();
    std::FILE* file = std::fopen(argv[2], "rb");
    if (!file) return 1;
    qrtz::KelDbMolCrystal crystal;
    {
        qrtz::FileStream in(file);
        crystal.ReadMcrdb(in);
    }
    std::fclose(file);
    std::printf("%.6f %d\n", seconds(start), crystal.GetAtomCount());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 8 && std::strcmp(argv[1], "frames") == 0) return frames(argv);
    if (argc == 3 && std::strcmp(argv[1], "mcr") == 0) return mcr(argv);
    std::fprintf(stderr, "usage: %s frames FILE HEAD FRAME_BYTES POSITION_OFFSET ATOMS FRAMES\n"
                         "       %s mcr FILE\n", argv[0], argv[0]);
    return 2;
}
