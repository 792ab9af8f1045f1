// Supercell construction: a 10-atom cell repeated along a, 10 × 10 in b and c, so the
// argument na gives 100·na cells and 1,000·na atoms made.
#include <benchmark/benchmark.h>

#include "qrtzdb/model/DbCrystal.h"

namespace {

void BM_CopySymmetry(benchmark::State& state) {
    qrtz::DbCrystal cell("bench", 5.0, 6.0, 7.0, 85.0, 95.0, 100.0);
    const char* kinds[] = {"Si", "O ", "Al", "Na", "H "};
    for (int n = 0; n < 10; ++n)
        cell.AppendAtom(cell.CreateDbAtomV(kinds[n % 5],
                                           qrtz::Vertex3D(0.1 * n, 0.05 * n, 0.9 - 0.07 * n),
                                           10.0 + n, 0.0, 1.0));
    const int na = static_cast<int>(state.range(0));
    for (auto _ : state) {
        qrtz::DbCrystal* super = cell.CopySymmetry(na, 10, 10);
        benchmark::DoNotOptimize(super);
        state.PauseTiming();  // the teardown is the set's cost, not the supercell's
        delete super;
        state.ResumeTiming();
    }
    const long long made = 1000LL * na;
    state.SetItemsProcessed(state.iterations() * made);
    state.SetComplexityN(made);
}

BENCHMARK(BM_CopySymmetry)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

} // namespace
