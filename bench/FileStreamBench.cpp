// Reading and writing atom lines through FileStream over a C file, the path every text reader
// and writer of the library takes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "qrtzdb/basis/FileStream.h"

namespace {

const char* const kSymbols[] = {"C", "H", "O", "N", "Si", "CL"};

std::string scratchPath(const char* what, long lines) {
    return (std::filesystem::temp_directory_path() /
            ("qrtz-bench-" + std::string(what) + "-" + std::to_string(lines) + ".txt"))
        .string();
}

// Writes the lines and returns the number of bytes written.
long writeAtoms(const std::string& path, long lines) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return 0;
    {
        qrtz::FileStream out(file);
        for (long i = 0; i < lines; ++i)
            out.WriteLine("%-4s %12.6f %12.6f %12.6f %10.4f", kSymbols[i % 6], i * 0.001,
                          -i * 0.002, 1000.0 - i * 0.0005, (i % 17) * 0.01 - 0.08);
    }
    long bytes = std::ftell(file);
    std::fclose(file);
    return bytes;
}

void BM_WriteAtomLines(benchmark::State& state) {
    const long lines = state.range(0);
    const std::string path = scratchPath("write", lines);
    long bytes = 0;
    for (auto _ : state) bytes = writeAtoms(path, lines);
    state.SetBytesProcessed(state.iterations() * bytes);
    state.SetItemsProcessed(state.iterations() * lines);
    std::filesystem::remove(path);
}

// The same lines through fprintf alone: what formatting costs without the stream.
void BM_WriteAtomLinesFprintf(benchmark::State& state) {
    const long lines = state.range(0);
    const std::string path = scratchPath("fprintf", lines);
    long bytes = 0;
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "w");
        if (!file) {
            state.SkipWithError("cannot open the scratch file");
            break;
        }
        for (long i = 0; i < lines; ++i)
            std::fprintf(file, "%-4s %12.6f %12.6f %12.6f %10.4f\n", kSymbols[i % 6], i * 0.001,
                         -i * 0.002, 1000.0 - i * 0.0005, (i % 17) * 0.01 - 0.08);
        bytes = std::ftell(file);
        std::fclose(file);
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    std::filesystem::remove(path);
}

void BM_ReadAtomLines(benchmark::State& state) {
    const long lines = state.range(0);
    const std::string path = scratchPath("read", lines);
    const long bytes = writeAtoms(path, lines);
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "r");
        if (!file) {
            state.SkipWithError("cannot open the scratch file");
            break;
        }
        qrtz::FileStream in(file);
        qrtz::FileStream::AtomType symbol;
        double x = 0, y = 0, z = 0, charge = 0, sum = 0;
        while (in.ReadLine()) {
            in >> symbol >> x >> y >> z >> charge;
            sum += x + y + z + charge;
        }
        benchmark::DoNotOptimize(sum);
        std::fclose(file);
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.SetItemsProcessed(state.iterations() * lines);
    std::filesystem::remove(path);
}

} // namespace

BENCHMARK(BM_WriteAtomLines)
    ->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteAtomLinesFprintf)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAtomLines)
    ->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
