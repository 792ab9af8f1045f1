// Z-matrix generation for molecules of 10^3 to 10^5 atoms with as many bonds: a random
// spanning tree over nearby atom numbers plus ring closures, as in large polymers or proteins.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>

#include "qrtzdb/model/DbMolecule.h"
#include "qrtzdb/model/DbZmatVSet.h"

namespace {

using namespace qrtz;

std::unique_ptr<DbMolecule> makeMolecule(int count) {
    auto mol = std::make_unique<DbMolecule>("bench");
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> jitter(-0.5, 0.5);
    for (int a = 1; a <= count; ++a) {
        const Vertex3D r(a * 0.8 + jitter(rng), jitter(rng) * 4, jitter(rng) * 4);
        mol->AppendAtom(mol->CreateDbAtomV("C", r, 12.011, 0, 0));
    }
    for (int a = 2; a <= count; ++a) {
        const int partner = std::max(1, a - 1 - static_cast<int>(rng() % 3));
        mol->AppendBond(mol->CreateDbBondV("1 ", a, partner));
    }
    mol->AppendBond(mol->CreateDbBondV("1 ", 1, count));  // one more closure: count bonds in all
    return mol;
}

void BM_CreateZmat(benchmark::State& state) {
    const auto mol = makeMolecule(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto zmat = std::make_unique<DbZmatVSet>();
        zmat->CreateZmat(*mol);
        benchmark::DoNotOptimize(zmat->GetZmatCount());
        state.PauseTiming();
        zmat.reset();
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CreateZmat)
    ->Arg(1000)->Arg(10000)->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// The same references chosen by scanning every bond for each search: what linear time replaces.
void BM_CreateZmatBondScan(benchmark::State& state) {
    const auto mol = makeMolecule(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const int count = mol->GetAtomCount();
        long sum = 0;
        for (int n = 3; n <= count; ++n) {
            const int i = DbZmatVSet::SearchIndex(*mol, n, n, 0, 0, 0);
            const int j = DbZmatVSet::SearchIndex(*mol, n, i, i, 0, 0);
            sum += i + j + (n >= 4 ? DbZmatVSet::SearchIndex(*mol, n, j, i, j, 0) : 0);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CreateZmatBondScan)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
