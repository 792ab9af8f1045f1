// The plain C++ side of bench/python_bench.py: what the Python package is measured against.
//   qrtz_python_baseline frames FILE HEAD FRAME_BYTES POSITION_OFFSET ATOMS FRAMES
//     reads every frame's position record (leading length, 12 bytes an atom, trailing
//     length) with one pread each and checks its lengths, as a hand-written reader would;
//   qrtz_python_baseline mcr FILE REPEATS
//     reads a molecular crystal database with the library, the best of REPEATS reads.
// Each prints the CPU seconds its loop took.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "qrtzdb/basis/FileStream.h"
#include "qrtzdb/formats/KelDbMolCrystal.h"

namespace {

// CPU time (user + system) of this process: other work on a shared machine disturbs it far
// less than wall-clock time, and the Python side measures the same.
double cpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
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
    const double start = cpuSeconds();
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
    std::printf("%.6f %g\n", cpuSeconds() - start, sum);
    ::close(fd);
    return 0;
}

// The best of `repeats` reads in one process, as the Python side takes the best of its own:
// the first read of a process also pays for the fresh heap's page faults.
int mcr(char** argv) {
    const int repeats = std::atoi(argv[3]);
    double best = 1e300;
    int atoms = 0;
    for (int r = 0; r < repeats; ++r) {
        const double start = cpuSeconds();
        std::FILE* file = std::fopen(argv[2], "rb");
        if (!file) return 1;
        auto crystal = std::make_unique<qrtz::KelDbMolCrystal>();
        {
            qrtz::FileStream in(file);
            crystal->ReadMcrdb(in);
        }
        std::fclose(file);
        best = std::min(best, cpuSeconds() - start);
        atoms = crystal->GetAtomCount();
    }
    std::printf("%.6f %d\n", best, atoms);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 8 && std::strcmp(argv[1], "frames") == 0) return frames(argv);
    if (argc == 4 && std::strcmp(argv[1], "mcr") == 0) return mcr(argv);
    std::fprintf(stderr, "usage: %s frames FILE HEAD FRAME_BYTES POSITION_OFFSET ATOMS FRAMES\n"
                         "       %s mcr FILE REPEATS\n", argv[0], argv[0]);
    return 2;
}
