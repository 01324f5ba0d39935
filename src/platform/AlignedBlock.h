#pragma once
// Large blocks of memory straight from the system, aligned to their own size,
// which the kernel may back with huge pages: one page fault per 2 MiB instead
// of one per 4 KiB when they are first written.

#include <cstddef>

// A zero-filled block of `size` bytes (a power of two) aligned to `size`, or
// null when the system gives none. `hugePages` asks for huge pages where the
// system offers them.
void* MapAlignedBlock(size_t size, bool hugePages);
void UnmapAlignedBlock(void* block, size_t size);
