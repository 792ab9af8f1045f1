// Reading a simulation result file of 10^4 atoms and 10^3 frames (about 350 MB, written once
// to a temporary folder and removed at exit): the header scan against a loop that reads only
// the thermodynamic records, loading the first and the last frame, and building a trajectory
// against loading its frames one by one.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "../tests/simulation/SimFileWriter.h"
#include "qrtzdb/simulation/KelDbSim.h"

namespace {

using namespace qrtz;
using namespace qrtz::simtest;

constexpr int kAtoms = 10000;
constexpr int kFrames = 1000;
constexpr int kThermo = 21;

SimFileDef Layout() {
    SimFileDef d;
    d.magic = MagicNo::GetSimMagicNo4Bk();
    d.total = d.last = kFrames;
    d.thermoCount = kThermo;
    d.coordRecCount = 4;  // one further per-atom record of 7 bytes an atom
    TypeDef water{"WAT", kAtoms / 4, {{"O", 16}, {"H", 1}, {"H", 1}}, {{1, 2}, {1, 3}}};
    TypeDef ion{"ION", kAtoms / 4, {{"Na", 23}}, {}};
    d.types = {water, ion};
    return d;
}

// The file, written on first use and removed with its folder at exit.
class BenchFile {
public:
    static const BenchFile& Get() {
        static BenchFile file;
        return file;
    }
    ~BenchFile() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    std::string dir, path;
    std::int64_t headSize = 0, frameSize = 0, bytes = 0;

private:
    BenchFile() {
        char pattern[] = "/tmp/qrtz-simbench-XXXXXX";
        if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
        dir = pattern;
        path = dir + "/run.sim";
        const SimFileDef d = Layout();
        std::ofstream out(path, std::ios::binary);
        RecordWriter w;
        WriteHeader(w, d);
        headSize = static_cast<std::int64_t>(w.bytes.size());
        FrameDef f;
        for (int i = 0; i < kAtoms; ++i) {
            f.x.push_back(static_cast<float>(i % 100) * 0.01f - 0.5f);
            f.y.push_back(static_cast<float>(i % 37) * 0.02f - 0.5f);
            f.z.push_back(static_cast<float>(i % 11) * 0.05f - 0.5f);
        }
        f.vx.assign(kAtoms, 0.001f);
        f.vy.assign(kAtoms, -0.002f);
        f.vz.assign(kAtoms, 0.0005f);
        f.ep.assign(kAtoms, -1.0f);
        f.extraRecords = {std::string(7 * kAtoms, 'e')};
        for (int k = 0; k < kFrames; ++k) {
            f.thermo.assign(kThermo, static_cast<float>(k));
            out.write(w.bytes.data(), static_cast<std::streamsize>(w.bytes.size()));
            bytes += static_cast<std::int64_t>(w.bytes.size());
            w.bytes.clear();
            WriteFrame(w, d, f);
            frameSize = static_cast<std::int64_t>(w.bytes.size());
        }
        out.write(w.bytes.data(), static_cast<std::streamsize>(w.bytes.size()));
        bytes += static_cast<std::int64_t>(w.bytes.size());
    }
};

void ReadHead(benchmark::State& state) {
    const BenchFile& file = BenchFile::Get();
    CFile64 in(file.path.c_str(), CFile::modeRead);
    for (auto _ : state) {
        SimFileContents sim;
        sim.ReadHead(&in);
        benchmark::DoNotOptimize(sim.m_ppfThermo[0][kFrames - 1]);
    }
    state.SetBytesProcessed(state.iterations() * file.bytes);
    state.counters["frames"] = kFrames;
}
BENCHMARK(ReadHead)->Unit(benchmark::kMillisecond);

// The least any reader must do for the series: seek to each frame and read its thermodynamic
// record, knowing the frame size in advance.
void PlainThermoLoop(benchmark::State& state) {
    const BenchFile& file = BenchFile::Get();
    CFile64 in(file.path.c_str(), CFile::modeRead);
    std::vector<std::vector<float>> series(kThermo, std::vector<float>(kFrames));
    for (auto _ : state) {
        float record[kThermo + 2];
        for (int k = 0; k < kFrames; ++k) {
            in.Seek(file.headSize + k * file.frameSize, CFile::begin);
            in.Read(record, sizeof record);
            for (std::size_t q = 0; q < kThermo; ++q)
                series[q][static_cast<std::size_t>(k)] = record[q + 1];
        }
        benchmark::DoNotOptimize(series[0][kFrames - 1]);
    }
    state.SetBytesProcessed(state.iterations() * file.bytes);
}
BENCHMARK(PlainThermoLoop)->Unit(benchmark::kMillisecond);

void ReadStep(benchmark::State& state) {
    const BenchFile& file = BenchFile::Get();
    CFile64 in(file.path.c_str(), CFile::modeRead);
    SimFileContents sim;
    sim.ReadHead(&in);
    const int step = static_cast<int>(state.range(0));
    for (auto _ : state) {
        sim.ReadStep(&in, step);
        benchmark::DoNotOptimize(sim.m_pfX[kAtoms - 1]);
    }
    state.SetBytesProcessed(state.iterations() * 28 * kAtoms);
}
BENCHMARK(ReadStep)->Arg(1)->Arg(kFrames / 2)->Arg(kFrames)->Unit(benchmark::kMicrosecond);

// CreateTraj over all frames with count points: one step load per point and one structure.
void CreateTraj(benchmark::State& state) {
    const BenchFile& file = BenchFile::Get();
    CFile64 in(file.path.c_str(), CFile::modeRead);
    KelDbSim sim;
    sim.ReadHead(&in);
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        sim.CreateTraj(&in, 0, kFrames, count, 1, 1, 1);
        benchmark::DoNotOptimize(sim.m_traj.GetTrajCount());
    }
    state.counters["points"] = count;
}
BENCHMARK(CreateTraj)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// The same steps loaded one by one; with range(1) set, each also built as a structure, as a
// host shows a frame.
void SingleLoads(benchmark::State& state) {
    const BenchFile& file = BenchFile::Get();
    CFile64 in(file.path.c_str(), CFile::modeRead);
    KelDbSim sim;
    sim.ReadHead(&in);
    const int count = static_cast<int>(state.range(0));
    const double interval = static_cast<double>(kFrames) / (count - 1);
    for (auto _ : state) {
        for (int k = 0; k < count; ++k) {
            sim.ReadStep(&in, k == count - 1 ? kFrames : static_cast<int>(k * interval));
            if (state.range(1)) sim.UpdateMcr(1, 1, 1);
        }
        benchmark::DoNotOptimize(sim.m_pfX[0]);
    }
    state.counters["points"] = count;
}
BENCHMARK(SingleLoads)
    ->ArgsProduct({{10, 100, 1000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

} // namespace
