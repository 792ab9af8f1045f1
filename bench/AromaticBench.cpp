// Aromatic bonds on polyaromatic sheets of 200 to 20,000 fused rings (a honeycomb patch with
// hydrogens on its rim) and on zigzag chains of as many rings: finding the rings of "AR"
// bonds, converting them to alternating bonds, and recognising Kekulé rings from double bonds
// and geometry.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "qrtzdb/model/BenBond.h"
#include "qrtzdb/model/DbMolecule.h"

namespace {

using namespace qrtz;

// columns x rows atoms laid as a brick wall: row bonds everywhere, a bond up where x + y is
// even, so each brick is a hexagon; every other row bond double makes a Kekulé structure.
struct Sheet {
    std::unique_ptr<DbMolecule> mol;
    std::vector<std::string> kekule;  // bond names
    int rings = 0;
};

Sheet makeSheet(int columns, int rows, bool aromatic) {
    Sheet sheet;
    sheet.mol = std::make_unique<DbMolecule>("sheet");
    DbMolecule& mol = *sheet.mol;
    const double d = 1.40, w = std::sqrt(3.0) / 2 * d;
    auto number = [columns](int x, int y) { return y * columns + x + 1; };
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x)
            mol.AppendAtom(mol.CreateDbAtomV("C   ", Vertex3D(x * w, 1.5 * d * y + ((x + y) % 2 ? 0 : 0.5 * d), 0), 12.011, 0, 1.7));
    auto bond = [&](const char* kekule, int a, int b) {
        sheet.kekule.push_back(kekule);
        mol.AppendBond(mol.CreateDbBondV(aromatic ? "AR" : kekule, a, b));
    };
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x) {
            if (x + 1 < columns) bond(x % 2 ? "1 " : "2 ", number(x, y), number(x + 1, y));
            if (y + 1 < rows && (x + y) % 2 == 0) bond("1 ", number(x, y), number(x, y + 1));
            if (y + 1 < rows && x + 2 < columns && (x + y) % 2 == 0) ++sheet.rings;
        }
    // Hydrogens on the rim, 1.09 Å out along the y axis.
    for (int x = 0; x < columns; ++x)
        for (int y : {0, rows - 1}) {
            const bool up = (x + y) % 2 == 0;
            if ((y == 0) == up) continue;  // already bonded towards the outside
            const Vertex3D r = mol.GetAtomAt(number(x, y) - 1)->position;
            mol.AppendAtom(mol.CreateDbAtomV("H   ", Vertex3D(r.x, r.y + (y == 0 ? -1.09 : 1.09), 0), 1.008, 0, 1.2));
            sheet.kekule.push_back("1 ");
            mol.AppendBond(mol.CreateDbBondV("1 ", number(x, y), mol.GetAtomCount()));
        }
    return sheet;
}

// A zigzag chain of rings (a phenacene), every bond aromatic: unlike the sheet, it takes a
// Kekulé structure, found ring after ring from one end.
std::unique_ptr<DbMolecule> makeChain(int rings) {
    auto mol = std::make_unique<DbMolecule>("chain");
    const double d = 1.40;
    std::map<std::pair<long, long>, int> places;
    auto atom = [&](double x, double y) {
        const auto key = std::make_pair(std::lround(x * 1000), std::lround(y * 1000));
        const auto it = places.find(key);
        if (it != places.end()) return it->second;
        mol->AppendAtom(mol->CreateDbAtomV("C   ", Vertex3D(x, y, 0), 12.011, 0, 1.7));
        return places[key] = mol->GetAtomCount();
    };
    std::set<std::pair<int, int>> bonded;
    for (int k = 0; k < rings; ++k) {
        const int q = (k + 1) / 2, r = k / 2;
        const double cx = std::sqrt(3.0) * d * (q + r / 2.0), cy = 1.5 * d * r;
        int corner[6];
        for (int c = 0; c < 6; ++c) {
            const double angle = (30.0 + 60.0 * c) * 3.141592653589793 / 180.0;
            corner[c] = atom(cx + d * std::cos(angle), cy + d * std::sin(angle));
        }
        for (int c = 0; c < 6; ++c) {
            const int a = std::min(corner[c], corner[(c + 1) % 6]), b = std::max(corner[c], corner[(c + 1) % 6]);
            if (bonded.emplace(a, b).second) mol->AppendBond(mol->CreateDbBondV("AR", a, b));
        }
    }
    return mol;
}

void BM_BenBondConvertChain(benchmark::State& state) {
    const auto mol = makeChain(static_cast<int>(state.range(0)));
    int result = 0;
    for (auto _ : state) {
        BenBond converter(mol.get());
        result = converter.Convert();
        converter.Retrieve();
    }
    state.counters["converted"] = result;
    state.counters["bonds"] = mol->GetBondCount();
}
BENCHMARK(BM_BenBondConvertChain)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

// 200, 2,000 and 20,000 rings.
void sheetSizes(benchmark::internal::Benchmark* b) {
    b->Args({22, 21})->Args({102, 41})->Args({202, 201})->Unit(benchmark::kMillisecond);
}

void BM_BenBondBuild(benchmark::State& state) {
    const Sheet sheet = makeSheet(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), true);
    std::size_t rings = 0;
    for (auto _ : state) {
        BenBond converter(sheet.mol.get());
        rings = converter.GetRings().size();
        benchmark::DoNotOptimize(rings);
    }
    state.counters["rings"] = static_cast<double>(rings);
    state.counters["bonds"] = sheet.mol->GetBondCount();
}
BENCHMARK(BM_BenBondBuild)->Apply(sheetSizes);

void BM_BenBondConvert(benchmark::State& state) {
    const Sheet sheet = makeSheet(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), true);
    int result = 0;
    for (auto _ : state) {
        BenBond converter(sheet.mol.get());
        result = converter.Convert();
        converter.Retrieve();
    }
    state.counters["converted"] = result;
}
BENCHMARK(BM_BenBondConvert)->Apply(sheetSizes);

void BM_AssignAromaticTypes(benchmark::State& state) {
    const Sheet sheet = makeSheet(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), false);
    std::vector<DbBondV*> bonds;
    for (POSITION pos = sheet.mol->GetBondHeadPosition(); pos;) bonds.push_back(sheet.mol->GetBondNext(pos));
    long aromatic = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (std::size_t i = 0; i < bonds.size(); ++i) bonds[i]->SetName(sheet.kekule[i].c_str());
        state.ResumeTiming();
        AssignAromaticTypes(sheet.mol.get());
    }
    for (const DbBondV* bond : bonds) aromatic += bond->Name() == "AR";
    state.counters["rings"] = sheet.rings;
    state.counters["aromatic"] = static_cast<double>(aromatic);
    state.counters["bonds"] = static_cast<double>(bonds.size());
}
BENCHMARK(BM_AssignAromaticTypes)->Apply(sheetSizes);

} // namespace
