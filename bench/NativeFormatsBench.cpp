// Reading and writing molecular crystals of 10^4 to 10^6 atoms as molecular crystal databases
// (.mcr) and bundles (.bdl, with the flag columns) through a C file: water molecules and one
// large group of argon atoms, the shapes simulation cells have.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "qrtzdb/basis/FileStream.h"
#include "qrtzdb/formats/KelDbMolCrystal.h"

namespace {

using namespace qrtz;

// A cell of about `atoms` atoms: nine tenths in water molecules, the rest one argon group.
std::unique_ptr<KelDbMolCrystal> makeCrystal(long atoms) {
    auto crystal = std::make_unique<KelDbMolCrystal>();
    crystal->a = crystal->b = crystal->c = 100.0;
    const long waters = atoms * 9 / 30;
    for (long i = 0; i < waters; ++i) {
        const double x = (i % 97) / 97.0, y = (i % 89) / 89.0, z = (i % 83) / 83.0;
        DbMolecule* mol = crystal->CreateKelDbMolecule("H2O");
        mol->AppendAtom(mol->CreateDbAtomV("O", Vertex3D(x, y, z), 15.9994, -0.8476, 0));
        mol->AppendAtom(mol->CreateDbAtomV("H", Vertex3D(x + 0.0081, y, z), 1.008, 0.4238, 0));
        mol->AppendAtom(mol->CreateDbAtomV("H", Vertex3D(x, y + 0.0081, z), 1.008, 0.4238, 0));
        mol->AppendBond(mol->CreateDbBondV("1", 1, 2));
        mol->AppendBond(mol->CreateDbBondV("1", 1, 3));
        mol->UpdateAtomTypeList();
        mol->UpdateBondTypeList();
        crystal->AppendMol(mol);
    }
    DbMolecule* argon = crystal->CreateKelDbMolecule("Ar");
    for (long i = 0; i < atoms - 3 * waters; ++i)
        argon->AppendAtom(argon->CreateDbAtomV("Ar", Vertex3D(i * 1e-6, 0.5 - i * 3e-7, 0.25),
                                               39.948, 0, 0));
    argon->UpdateAtomTypeList();
    crystal->AppendMol(argon);
    crystal->UpdateMolTypeList();
    return crystal;
}

std::string scratchPath(const char* kind, long atoms) {
    return (std::filesystem::temp_directory_path() /
            ("qrtz-bench-native-" + std::to_string(atoms) + kind))
        .string();
}

enum class Format { mcr, bdl };

// Writes the crystal and returns the bytes written.
long writeFile(KelDbMolCrystal& crystal, Format format, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return 0;
    {
        FileStream out(file);
        if (format == Format::mcr) crystal.WriteMcrdb(out);
        else crystal.WriteBdl(out, -2);
    }
    const long bytes = std::ftell(file);
    std::fclose(file);
    return bytes;
}

void BM_Write(benchmark::State& state, Format format) {
    const long atoms = state.range(0);
    auto crystal = makeCrystal(atoms);
    const std::string path = scratchPath(format == Format::mcr ? ".mcr" : ".bdl", atoms);
    long bytes = 0;
    for (auto _ : state) bytes = writeFile(*crystal, format, path);
    state.SetBytesProcessed(state.iterations() * bytes);
    state.SetItemsProcessed(state.iterations() * atoms);
    state.SetComplexityN(atoms);
    std::filesystem::remove(path);
}

void BM_Read(benchmark::State& state, Format format) {
    const long atoms = state.range(0);
    const std::string path = scratchPath(format == Format::mcr ? "-read.mcr" : "-read.bdl", atoms);
    long bytes = 0;
    {
        auto crystal = makeCrystal(atoms);
        bytes = writeFile(*crystal, format, path);
    }
    for (auto _ : state) {
        auto crystal = std::make_unique<KelDbMolCrystal>();
        std::FILE* file = std::fopen(path.c_str(), "r");
        if (!file) {
            state.SkipWithError("cannot open the scratch file");
            break;
        }
        {
            FileStream in(file);
            if (format == Format::mcr) crystal->ReadMcrdb(in);
            else crystal->ReadBdl(in);
        }
        std::fclose(file);
        benchmark::DoNotOptimize(crystal->GetMolCount());
        state.PauseTiming();
        crystal.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.SetItemsProcessed(state.iterations() * atoms);
    state.SetComplexityN(atoms);
    std::filesystem::remove(path);
}

void BM_WriteMcr(benchmark::State& state) { BM_Write(state, Format::mcr); }
void BM_ReadMcr(benchmark::State& state) { BM_Read(state, Format::mcr); }
void BM_WriteBdl(benchmark::State& state) { BM_Write(state, Format::bdl); }
void BM_ReadBdl(benchmark::State& state) { BM_Read(state, Format::bdl); }

#define QRTZ_NATIVE_SIZES(bm)                                                                  \
    BENCHMARK(bm)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)       \
        ->Complexity()

QRTZ_NATIVE_SIZES(BM_WriteMcr);
QRTZ_NATIVE_SIZES(BM_ReadMcr);
QRTZ_NATIVE_SIZES(BM_WriteBdl);
QRTZ_NATIVE_SIZES(BM_ReadBdl);

} // namespace
