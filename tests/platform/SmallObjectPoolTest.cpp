#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "qrtzdb/model/DbAtom.h"
#include "qrtzdb/platform/SmallObjectPool.h"

namespace qrtz {
namespace {

// Blocks of many sizes made, filled, partly freed and made again from several threads at once:
// every block must be aligned and keep its own bytes, so no two live blocks overlap and no
// free list is torn by a race.
TEST(SmallObjectPool, BlocksStayApartAcrossSizesAndThreads) {
    auto work = [](unsigned seed, int& faults) {
        struct Block {
            unsigned char* at;
            std::size_t size;
            unsigned char mark;
        };
        std::vector<Block> live;
        unsigned state = seed;
        auto next = [&state] { return state = state * 1103515245u + 12345u, state >> 8; };
        for (int round = 0; round < 20000; ++round) {
            const std::size_t size = next() % 1400;  // beyond the pooled sizes too
            auto* at = static_cast<unsigned char*>(pool::Allocate(size));
            if (reinterpret_cast<std::uintptr_t>(at) % alignof(std::max_align_t) != 0) ++faults;
            const auto mark = static_cast<unsigned char>(next());
            std::memset(at, mark, size);
            live.push_back({at, size, mark});
            if (next() % 3 == 0) {
                const std::size_t pick = next() % live.size();
                const Block b = live[pick];
                for (std::size_t i = 0; i < b.size; ++i) faults += b.at[i] != b.mark;
                pool::Release(b.at, b.size);
                live[pick] = live.back();
                live.pop_back();
            }
        }
        for (const Block& b : live) {
            for (std::size_t i = 0; i < b.size; ++i) faults += b.at[i] != b.mark;
            pool::Release(b.at, b.size);
        }
    };
    int faults[3] = {};
    std::thread a(work, 1u, std::ref(faults[0])), b(work, 2u, std::ref(faults[1]));
    work(3u, faults[2]);
    a.join();
    b.join();
    EXPECT_EQ(faults[0] + faults[1] + faults[2], 0);

    // Objects of the pooled classes are deleted through their base with their own size.
    DbAtom* atom = new DbAtomV("Cl12x", Vertex3D(1, 2, 3), 35.45, 0, 1);
    EXPECT_EQ(atom->Name(), "Cl12");
    delete atom;
}

} // namespace
} // namespace qrtz
