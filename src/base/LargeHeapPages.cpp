#include "base/LargeHeapPages.h"

#include <cstdint>
#include <cstdlib>

#if defined(__GLIBC__) && defined(__linux__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

bool LargeHeapPages::enable() {
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
    constexpr int reserve = 64 << 20;
    constexpr std::uintptr_t largePage = std::uintptr_t(2) << 20;
    // Blocks up to 32 MiB come from the heap rather than from a mapping of their own each (which
    // would be filled 4 KiB at a time and handed back when freed); the heap grows, and keeps
    // what is freed at its end, in steps of 64 MiB of address space. Only touched pages cost
    // memory.
    if (mallopt(M_MMAP_THRESHOLD, 32 << 20) == 0 || mallopt(M_TOP_PAD, reserve) == 0 ||
        mallopt(M_TRIM_THRESHOLD, reserve) == 0)
        return false;
    // With the heap's free end handed back, this block makes the heap grow by the reserve; the
    // whole reserve is then marked.
    malloc_trim(0);
    void* probe = std::malloc(std::size_t(1) << 20);
    if (probe == nullptr)
        return false;
    const auto at = reinterpret_cast<std::uintptr_t>(probe);
    const auto end = reinterpret_cast<std::uintptr_t>(::sbrk(0));
    // The reserve's whole large pages, from the first one past the block's start: one before it
    // could reach below the heap into another mapping.
    const std::uintptr_t from = (at + largePage - 1) & ~(largePage - 1);
    const std::uintptr_t to = end & ~(largePage - 1);
    // A heap that cannot grow by sbrk lies elsewhere: then nothing is marked.
    const bool inHeap = at < end && end - at <= std::uintptr_t(reserve) + (std::uintptr_t(4) << 20);
    const bool marked =
        inHeap && to > from && ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE) == 0;
    std::free(probe);
    return marked;
#else
    return false;
#endif
}
