#pragma once
// Memory for the small objects a structure is made of by the million: atoms, bonds, molecules
// and the nodes of the lists that hold them. Freed blocks go onto a free list per size and are
// handed out again first; fresh blocks are cut from slabs of up to 2 MiB (in huge pages where
// the system grants them), so a first large read does not pay for a page fault and an allocator
// call per object. Slabs are kept for the life of the process.
//
// Safe to use from several threads. Builds with the address sanitizer use plain new and delete
// instead, so it still sees every use after free and every leak.
#include <cstddef>
#include <new>

namespace qrtz::pool {

// A block of at least size bytes, aligned for any object of that size; throws std::bad_alloc.
void* Allocate(std::size_t size);
// Gives back a block from Allocate; size is the size it was asked for.
void Release(void* block, std::size_t size) noexcept;

} // namespace qrtz::pool

// Class-level operators that route a class and everything derived from it through the pool.
// Deletion goes through the virtual destructor, which passes the object's own size.
#define QRTZ_POOLED_ALLOCATION                                                                 \
    static void* operator new(std::size_t size) { return ::qrtz::pool::Allocate(size); }      \
    static void operator delete(void* block, std::size_t size) noexcept {                      \
        ::qrtz::pool::Release(block, size);                                                    \
    }                                                                                          \
    static void* operator new(std::size_t, void* where) noexcept { return where; }            \
    static void operator delete(void*, void*) noexcept {}
