// A first read in a fresh process against the same read again in that process, for molecular
// crystals of 10^5 and 10^6 atoms (water molecules; one fcc argon group), and the .mcr write of
// an argon group against its .bdl write. The fresh process is this program started again with
// "--read-once", so no memory of an earlier read is at hand; it reports both times as CPU time
// (user and system, so page faults count), which a machine shared with other work disturbs less
// than wall time.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "qrtzdb/basis/FileStream.h"
#include "qrtzdb/formats/KelDbMolCrystal.h"

namespace {

using namespace qrtz;

enum Shape { water, argon };

std::unique_ptr<KelDbMolCrystal> makeCrystal(Shape shape, long atoms) {
    auto crystal = std::make_unique<KelDbMolCrystal>();
    if (shape == water) {
        crystal->a = crystal->b = crystal->c = 220.0;
        for (long i = 0; i < atoms / 3; ++i) {
            const double x = (i % 97) / 97.0, y = (i % 89) / 89.0, z = (i % 83) / 83.0;
            DbMolecule* mol = crystal->CreateKelDbMolecule("H2O");
            mol->AppendAtom(mol->CreateDbAtomV("O", Vertex3D(x, y, z), 15.9994, -0.8476, 0));
            mol->AppendAtom(mol->CreateDbAtomV("H", Vertex3D(x + 0.0043, y, z), 1.008, 0.4238, 0));
            mol->AppendAtom(mol->CreateDbAtomV("H", Vertex3D(x, y + 0.0043, z), 1.008, 0.4238, 0));
            mol->AppendBond(mol->CreateDbBondV("1", 1, 2));
            mol->AppendBond(mol->CreateDbBondV("1", 1, 3));
            mol->UpdateAtomTypeList();
            mol->UpdateBondTypeList();
            crystal->AppendMol(mol);
        }
    } else {
        // n^3 fcc cells of 5.26 angstrom, four atoms each.
        long n = 1;
        while (4 * n * n * n < atoms) ++n;
        crystal->a = crystal->b = crystal->c = 5.26 * static_cast<double>(n);
        const double site[4][3] = {{0, 0, 0}, {0.5, 0.5, 0}, {0.5, 0, 0.5}, {0, 0.5, 0.5}};
        DbMolecule* group = crystal->CreateKelDbMolecule("Ar");
        for (long i = 0; i < n; ++i)
            for (long j = 0; j < n; ++j)
                for (long k = 0; k < n; ++k)
                    for (const auto& s : site)
                        group->AppendAtom(group->CreateDbAtomV(
                            "Ar", Vertex3D((i + s[0]) / n, (j + s[1]) / n, (k + s[2]) / n),
                            39.948, 0, 0));
        group->UpdateAtomTypeList();
        crystal->AppendMol(group);
    }
    crystal->UpdateMolTypeList();
    return crystal;
}

std::string scratch(Shape shape, long atoms, const char* ext) {
    return (std::filesystem::temp_directory_path() /
            ("qrtz-bench-cold-" + std::string(shape == water ? "water-" : "argon-") +
             std::to_string(atoms) + ext))
        .string();
}

bool isBundle(const std::string& path) { return path.size() > 4 && path.substr(path.size() - 4) == ".bdl"; }

void writeFile(KelDbMolCrystal& crystal, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return;
    {
        FileStream out(file);
        if (isBundle(path)) crystal.WriteBdl(out, -2);
        else crystal.WriteMcrdb(out);
    }
    std::fclose(file);
}

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec); };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double readFile(const std::string& path) {
    const double start = cpuSeconds();
    auto crystal = std::make_unique<KelDbMolCrystal>();
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (!file) return -1;
    {
        FileStream in(file);
        if (isBundle(path)) crystal->ReadBdl(in);
        else crystal->ReadMcrdb(in);
    }
    std::fclose(file);
    benchmark::DoNotOptimize(crystal->GetMolCount());
    return cpuSeconds() - start;
}

// The child: a cold read, the crystal freed, the same read warm.
int readOnce(const char* path) {
    const double cold = readFile(path);
    const double warm = readFile(path);
    std::printf("%.6f %.6f\n", cold, warm);
    return cold < 0 ? 1 : 0;
}

void BM_FreshProcessRead(benchmark::State& state, Shape shape, const char* ext) {
    const long atoms = state.range(0);
    const std::string path = scratch(shape, atoms, ext);
    writeFile(*makeCrystal(shape, atoms), path);
    const std::string command = "/proc/" + std::to_string(::getpid()) + "/exe";
    char self[4096] = {};
    const ssize_t length = ::readlink(command.c_str(), self, sizeof self - 1);
    if (length <= 0) {
        state.SkipWithError("cannot find this program");
        return;
    }
    double warmSum = 0, coldSum = 0;
    for (auto _ : state) {
        std::FILE* child = ::popen((std::string(self) + " --read-once " + path).c_str(), "r");
        double cold = -1, warm = -1;
        if (!child || std::fscanf(child, "%lf %lf", &cold, &warm) != 2 || ::pclose(child) != 0 ||
            cold < 0) {
            state.SkipWithError("the reading process failed");
            break;
        }
        state.SetIterationTime(cold);
        coldSum += cold;
        warmSum += warm;
    }
    state.counters["warm_ms"] = benchmark::Counter(1e3 * warmSum / state.iterations());
    state.counters["cold/warm"] = benchmark::Counter(coldSum / warmSum);
    state.SetItemsProcessed(state.iterations() * atoms);
    std::filesystem::remove(path);
}

void BM_WriteArgon(benchmark::State& state, const char* ext) {
    const long atoms = state.range(0);
    const auto crystal = makeCrystal(argon, atoms);
    const std::string path = scratch(argon, atoms, ext);
    for (auto _ : state) writeFile(*crystal, path);
    state.SetItemsProcessed(state.iterations() * crystal->GetAtomCount());
    std::filesystem::remove(path);
}

BENCHMARK_CAPTURE(BM_FreshProcessRead, water_mcr, water, ".mcr")
    ->Arg(100000)->Arg(1000000)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FreshProcessRead, water_bdl, water, ".bdl")
    ->Arg(1000000)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FreshProcessRead, argon_mcr, argon, ".mcr")
    ->Arg(1000000)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteArgon, mcr, ".mcr")->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteArgon, bdl, ".bdl")->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--read-once") == 0) return readOnce(argv[2]);
    // "--make water|argon atoms path": the file alone, to profile readOnce over it.
    if (argc == 5 && std::strcmp(argv[1], "--make") == 0) {
        writeFile(*makeCrystal(std::strcmp(argv[2], "water") == 0 ? water : argon, std::atol(argv[3])), argv[4]);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
