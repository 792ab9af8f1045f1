// Molecular crystals: restoring the type list, supercells and a molecule on a cubic lattice,
// each at three sizes so that the scaling shows.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "qrtzdb/model/DbMolCrystal.h"

namespace {

using namespace qrtz;

// Methane-like: five atoms, four bonds, centred near (x, y, z) in a 12 Å cell.
DbMolecule* methane(DbMoleculeSet& set, const char* name, double x, double y, double z) {
    DbMolecule* mol = set.CreateDbMolecule(name);
    const double d = 0.09 / std::sqrt(3.0);
    mol->AppendAtom(mol->CreateDbAtomV("C", Vertex3D(x, y, z), 12.011, 0, 0));
    const double h[4][3] = {{1, 1, 1}, {-1, -1, 1}, {-1, 1, -1}, {1, -1, -1}};
    for (const auto& s : h) {
        const Vertex3D at(x + d * s[0], y + d * s[1], z + d * s[2]);
        mol->AppendAtom(mol->CreateDbAtomV("H", at, 1.008, 0, 0));
    }
    for (int n = 2; n <= 5; ++n) mol->AppendBond(mol->CreateDbBondV("1 ", 1, n));
    mol->UpdateAtomTypeList();
    return mol;
}

DbMolecule* sized(DbMoleculeSet& set, const char* name, int atoms) {
    DbMolecule* mol = set.CreateDbMolecule(name);
    for (int n = 0; n < atoms; ++n)
        mol->AppendAtom(mol->CreateDbAtomV("C", Vertex3D(0.01 * n, 0, 0), 12.0, 0, 0));
    for (int n = 1; n < atoms; ++n) mol->AppendBond(mol->CreateDbBondV("1 ", 1, n + 1));
    return mol;
}

// Three species that already agree: the common call after appending molecules.
void BM_UpdateMolTypeList(benchmark::State& state) {
    DbMolCrystal crystal;
    const char* kinds[] = {"W", "M", "A"};
    const int count = static_cast<int>(state.range(0));
    for (int n = 0; n < count; ++n) crystal.AppendMol(sized(crystal, kinds[n % 3], 1 + n % 3));
    for (auto _ : state) crystal.UpdateMolTypeList();
    state.SetItemsProcessed(state.iterations() * count);
    state.SetComplexityN(count);
}
BENCHMARK(BM_UpdateMolTypeList)->Arg(1000)->Arg(10000)->Arg(100000)
    ->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN);

// The plain rebuild of the base set on the same crystal: one walk, the floor for the above.
void BM_PlainTypeList(benchmark::State& state) {
    DbMolCrystal crystal;
    const char* kinds[] = {"W", "M", "A"};
    const int count = static_cast<int>(state.range(0));
    for (int n = 0; n < count; ++n) crystal.AppendMol(sized(crystal, kinds[n % 3], 1 + n % 3));
    for (auto _ : state) crystal.DbMoleculeSet::UpdateMolTypeList();
    state.SetItemsProcessed(state.iterations() * count);
    state.SetComplexityN(count);
}
BENCHMARK(BM_PlainTypeList)->Arg(1000)->Arg(10000)->Arg(100000)
    ->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN);

// One name over three shapes: two passes split it into M, M~1 and M~2.
void BM_UpdateMolTypeListSplit(benchmark::State& state) {
    DbMolCrystal crystal;
    const int count = static_cast<int>(state.range(0));
    for (int n = 0; n < count; ++n) crystal.AppendMol(sized(crystal, "M", 1 + n % 3));
    crystal.CreateArray();
    for (auto _ : state) {
        state.PauseTiming();
        DbComp** mols = crystal.GetArray();
        for (int n = 0; n < count; ++n) static_cast<DbMolecule*>(mols[n])->SetName("M");
        state.ResumeTiming();
        crystal.UpdateMolTypeList();
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.SetComplexityN(count);
}
BENCHMARK(BM_UpdateMolTypeListSplit)->Arg(1000)->Arg(10000)->Arg(100000)
    ->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN);

// The settled crystal above plus 100 molecules "Z" of 100 sizes: 100 passes and 4,950 renames,
// which must cost the renames, not 100 walks over every molecule.
void BM_UpdateMolTypeListChain(benchmark::State& state) {
    DbMolCrystal crystal;
    const char* kinds[] = {"W", "M", "A"};
    const int count = static_cast<int>(state.range(0));
    for (int n = 0; n < count; ++n) crystal.AppendMol(sized(crystal, kinds[n % 3], 1 + n % 3));
    std::vector<DbMolecule*> chain;
    for (int n = 0; n < 100; ++n) {
        chain.push_back(sized(crystal, "Z", 1 + n));
        crystal.AppendMol(chain.back());
    }
    for (auto _ : state) {
        state.PauseTiming();
        for (DbMolecule* mol : chain) mol->SetName("Z");
        state.ResumeTiming();
        crystal.UpdateMolTypeList();
    }
    state.SetItemsProcessed(state.iterations() * (count + 100));
    state.SetComplexityN(count);
}
BENCHMARK(BM_UpdateMolTypeListChain)->Arg(1000)->Arg(10000)->Arg(100000)
    ->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN);

// A cell of four molecules (20 atoms) and a group of 4 atoms repeated na × 10 × 10: 2,400·na
// atoms made.
void BM_MolCopySymmetry(benchmark::State& state) {
    DbMolCrystal cell("bench", 12, 12, 12, 85, 95, 100);
    for (int n = 0; n < 4; ++n)
        cell.AppendMol(methane(cell, "CH4", 0.2 + 0.2 * n, 0.3 + 0.1 * n, 0.7 - 0.1 * n));
    DbMolecule* group = cell.CreateDbMolecule("Ar");
    for (int n = 0; n < 4; ++n)
        group->AppendAtom(group->CreateDbAtomV("Ar", Vertex3D(0.1 * n, 0.9, 0.5), 39.9, 0, 0));
    group->UpdateAtomTypeList();
    cell.AppendMol(group);
    cell.UpdateMolTypeList();
    const int na = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::unique_ptr<DbMolCrystal> super(cell.CopySymmetry(na, 10, 10));
        benchmark::DoNotOptimize(super.get());
        state.PauseTiming();  // the teardown is the set's cost, not the supercell's
        super.reset();
        state.ResumeTiming();
    }
    const long long made = 2400LL * na;
    state.SetItemsProcessed(state.iterations() * made);
    state.SetComplexityN(made);
}
BENCHMARK(BM_MolCopySymmetry)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

// A five-atom molecule on an n × n × n face-centred lattice: 4·n³ molecules, 20·n³ atoms.
void BM_CreateFccMolecule(benchmark::State& state) {
    DbMoleculeSet scratch;
    std::unique_ptr<DbMolecule> mol(methane(scratch, "CH4", 1, 2, 3));
    for (POSITION pos = mol->GetAtomHeadPosition(); pos;) {  // to ångström
        DbAtomV* atom = mol->GetAtomNext(pos);
        atom->position *= 12.0;
    }
    const int n = static_cast<int>(state.range(0));
    DbMolCrystal crystal("fcc", 6.0 * n, 6.0 * n, 6.0 * n, 90, 90, 90);
    for (auto _ : state) {
        crystal.CreateFcc(mol.get(), n, 10, 20, 30);
        state.PauseTiming();
        crystal.ClearMol();
        state.ResumeTiming();
    }
    const long long made = 20LL * n * n * n;
    state.SetItemsProcessed(state.iterations() * made);
    state.SetComplexityN(made);
}
BENCHMARK(BM_CreateFccMolecule)->Arg(4)->Arg(8)->Arg(16)->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

} // namespace
