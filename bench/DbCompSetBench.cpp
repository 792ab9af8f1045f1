// Walking component sets: positions and index-array snapshots are linear; GetAt in a loop is
// quadratic and shown at the small size only, for contrast.
#include <benchmark/benchmark.h>

#include "qrtzdb/model/DbAtomVSet.h"

namespace {

using namespace qrtz;

void fill(DbAtomVSet& set, int n) {
    for (int i = 0; i < n; ++i)
        set.AppendAtom(set.CreateDbAtomV(i % 3 ? "H" : "O", Vertex3D(i, 0, 0), 1.0, 0, 0));
}

void WalkPositions(benchmark::State& state) {
    DbAtomVSet set;
    fill(set, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        double sum = 0;
        for (POSITION pos = set.GetAtomHeadPosition(); pos;) sum += set.GetAtomNext(pos)->position.x;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(WalkPositions)->Arg(10000)->Arg(100000)->Arg(1000000);

void SnapshotAndIndex(benchmark::State& state) {
    DbAtomVSet set;
    fill(set, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        set.CreateArray();
        DbComp** array = set.GetArray();
        double sum = 0;
        for (int i = 0, n = set.GetAtomCount(); i < n; ++i)
            sum += static_cast<DbAtomV*>(array[i])->position.x;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(SnapshotAndIndex)->Arg(10000)->Arg(100000)->Arg(1000000);

void WalkOneType(benchmark::State& state) {
    DbAtomVSet set;
    fill(set, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        double sum = 0;
        for (POSITION pos = set.GetAtomHeadPosition("O"); pos;)
            sum += set.GetAtomNext("O", pos)->position.x;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(WalkOneType)->Arg(10000)->Arg(100000)->Arg(1000000);

void UpdateTypeList(benchmark::State& state) {
    DbAtomVSet set;
    fill(set, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        set.UpdateAtomTypeList();
        benchmark::DoNotOptimize(set.GetAtomTypeCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(UpdateTypeList)->Arg(10000)->Arg(100000)->Arg(1000000);

void GetAtInALoop(benchmark::State& state) {
    DbAtomVSet set;
    fill(set, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        double sum = 0;
        for (int i = 0, n = set.GetAtomCount(); i < n; ++i) sum += set.GetAtomAt(i)->position.x;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(GetAtInALoop)->Arg(1000)->Arg(10000);

} // namespace
