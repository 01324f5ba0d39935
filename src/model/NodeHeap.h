#pragma once
// Where nodes are made. The nodes a document reads are laid one after another
// in large blocks that the kernel can back with huge pages: reading a book of
// a million nodes then costs a few hundred page faults instead of a hundred
// thousand, and no allocation header per node. A block goes back to the
// system when the last node in it is deleted, on whatever thread that is.
// Nodes made outside a reading come from the ordinary heap.

#include <cstddef>

class NodeHeap {
public:
    // While one lives, the nodes made on its thread come from blocks. Scopes
    // nest. `expectedBytes`, what is to be read, says whether even the first
    // block deserves huge pages: a small book would leave most of one unused.
    class ReadingScope {
    public:
        explicit ReadingScope(size_t expectedBytes = 0);
        ~ReadingScope();
        ReadingScope(const ReadingScope&) = delete;
        ReadingScope& operator=(const ReadingScope&) = delete;
    };

    static void* Allocate(size_t size);
    static void Free(void* node, size_t size);
    // The blocks that still hold nodes, or are being filled.
    static size_t BlockCount();
};
