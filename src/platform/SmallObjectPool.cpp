#include "qrtzdb/platform/SmallObjectPool.h"

#include <atomic>
#include <cstdint>
#include <thread>

#include <sys/mman.h>

// Under the sanitizers every block is its own allocation, so that they see each one.
#if defined(QRTZ_SANITIZE) || defined(__SANITIZE_ADDRESS__)
#define QRTZ_POOL_OFF 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define QRTZ_POOL_OFF 1
#endif
#endif

namespace qrtz::pool {

#if defined(QRTZ_POOL_OFF)

void* Allocate(std::size_t size) { return ::operator new(size); }
void Release(void* block, std::size_t) noexcept { ::operator delete(block); }

#else

namespace {

constexpr std::size_t kGrain = 16;  // alignof(std::max_align_t)
constexpr std::size_t kLargest = 1024;
constexpr std::size_t kFirstSlab = std::size_t{64} << 10;
constexpr std::size_t kHugePage = std::size_t{2} << 20;

struct FreeBlock {
    FreeBlock* next;
};

// One per block size. Constant-initialised and trivially destroyed, so objects may be made
// before and freed after any static constructor or destructor runs.
struct SizeClass {
    std::atomic_flag busy;
    FreeBlock* free = nullptr;
    char* next = nullptr;  // the unused rest of the newest slab
    char* end = nullptr;
    std::size_t slabBytes = 0;
};

SizeClass g_classes[kLargest / kGrain];

class Hold {
public:
    explicit Hold(std::atomic_flag& flag) : m_flag(flag) {
        while (m_flag.test_and_set(std::memory_order_acquire))
            while (m_flag.test(std::memory_order_relaxed)) std::this_thread::yield();
    }
    ~Hold() { m_flag.clear(std::memory_order_release); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

private:
    std::atomic_flag& m_flag;
};

// Mapped rather than taken from malloc: slabs live as long as the process and no leak checker
// should count them. Slabs of 2 MiB and more are aligned to it and offered huge pages.
char* mapSlab(std::size_t bytes) {
    const bool huge = bytes >= kHugePage;
    const std::size_t mapped = huge ? bytes + kHugePage : bytes;
    void* raw = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    if (!huge) return static_cast<char*>(raw);
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > start) ::munmap(raw, aligned - start);
    const std::uintptr_t tail = aligned + bytes;
    if (start + mapped > tail) ::munmap(reinterpret_cast<void*>(tail), start + mapped - tail);
#ifdef MADV_HUGEPAGE
    ::madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<char*>(aligned);
}

} // namespace

void* Allocate(std::size_t size) {
    if (size > kLargest) return ::operator new(size);
    const std::size_t rounded = size == 0 ? kGrain : (size + kGrain - 1) / kGrain * kGrain;
    SizeClass& c = g_classes[rounded / kGrain - 1];
    Hold hold(c.busy);
    if (FreeBlock* block = c.free) {
        c.free = block->next;
        return block;
    }
    if (static_cast<std::size_t>(c.end - c.next) < rounded) {
        // Slabs double up to huge-page size: a few objects cost little, millions few faults.
        const std::size_t bytes = c.slabBytes == 0 ? kFirstSlab
                                  : c.slabBytes < kHugePage ? 2 * c.slabBytes
                                                            : c.slabBytes;
        c.next = mapSlab(bytes);
        c.end = c.next + bytes;
        c.slabBytes = bytes;
    }
    void* block = c.next;
    c.next += rounded;
    return block;
}

void Release(void* block, std::size_t size) noexcept {
    if (!block) return;
    if (size > kLargest) {
        ::operator delete(block);
        return;
    }
    const std::size_t rounded = size == 0 ? kGrain : (size + kGrain - 1) / kGrain * kGrain;
    SizeClass& c = g_classes[rounded / kGrain - 1];
    Hold hold(c.busy);
    auto* freed = static_cast<FreeBlock*>(block);
    freed->next = c.free;
    c.free = freed;
}

#endif

} // namespace qrtz::pool
