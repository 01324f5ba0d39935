#include "platform/AlignedBlock.h"

#include <cstdint>
#include <sys/mman.h>

void* MapAlignedBlock(size_t size, bool hugePages)
{
    // Twice the size is mapped so that an aligned block lies inside; the rest goes back.
    void* raw = ::mmap(nullptr, size * 2, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    uintptr_t start = reinterpret_cast<uintptr_t>(raw);
    uintptr_t aligned = (start + size - 1) & ~(static_cast<uintptr_t>(size) - 1);
    if (aligned > start)
        ::munmap(raw, aligned - start);
    if (aligned + size < start + size * 2)
        ::munmap(reinterpret_cast<void*>(aligned + size), start + size * 2 - aligned - size);
    void* block = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    if (hugePages)
        ::madvise(block, size, MADV_HUGEPAGE); // advice only: without it the block still works
#endif
    return block;
}

void UnmapAlignedBlock(void* block, size_t size)
{
    if (block)
        ::munmap(block, size);
}
