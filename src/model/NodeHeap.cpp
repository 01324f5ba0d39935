#include "model/NodeHeap.h"

#include "platform/AlignedBlock.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CORVALE_NODE_HEAP_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define CORVALE_NODE_HEAP_ASAN 1
#endif
#ifdef CORVALE_NODE_HEAP_ASAN
#include <sanitizer/asan_interface.h>
#define POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define POISON(p, n) ((void)(p), (void)(n))
#define UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

constexpr size_t kBlockSize = size_t(2) << 20;
// The block's header comes first; nodes follow it.
constexpr size_t kHeaderSize = 64;
// Nodes hold pointers, integers and standard strings and containers: nothing
// needs more alignment than a pointer.
constexpr size_t kAlignment = alignof(void*);

struct BlockHeader {
    std::atomic<uint32_t> live{0}; // nodes in the block not yet deleted
    bool filling = true;           // a reading still lays nodes in it
};

// Every block, by address, so that a node can be told from one of the heap.
std::mutex g_mutex;
std::vector<char*> g_blocks;
std::atomic<size_t> g_nBlocks{0};

// The block the reading on this thread is filling.
struct Filling {
    int depth = 0;
    int blocksMade = 0;
    char* block = nullptr;
    char* next = nullptr;
    char* end = nullptr;
};
thread_local Filling t_filling;

BlockHeader* HeaderOf(char* block)
{
    return reinterpret_cast<BlockHeader*>(block);
}

// Under g_mutex.
char* BlockHolding(const void* node)
{
    auto it = std::upper_bound(g_blocks.begin(), g_blocks.end(), static_cast<const char*>(node));
    if (it == g_blocks.begin())
        return nullptr;
    --it;
    return static_cast<const char*>(node) < *it + kBlockSize ? *it : nullptr;
}

// Under g_mutex.
void Release(char* block)
{
    g_blocks.erase(std::lower_bound(g_blocks.begin(), g_blocks.end(), block));
    g_nBlocks.fetch_sub(1, std::memory_order_release);
    HeaderOf(block)->~BlockHeader();
    UnmapAlignedBlock(block, kBlockSize);
}

void EndFilling()
{
    if (!t_filling.block)
        return;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        BlockHeader* header = HeaderOf(t_filling.block);
        header->filling = false;
        if (header->live.load() == 0)
            Release(t_filling.block);
    }
    t_filling.block = t_filling.next = t_filling.end = nullptr;
}

bool StartBlock()
{
    // A small book fills only part of its first block: that one is left to
    // ordinary pages, so that it does not take a whole huge page.
    char* block = static_cast<char*>(MapAlignedBlock(kBlockSize, t_filling.blocksMade > 0));
    if (!block)
        return false;
    new (block) BlockHeader;
    POISON(block + kHeaderSize, kBlockSize - kHeaderSize);
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_blocks.insert(std::upper_bound(g_blocks.begin(), g_blocks.end(), block), block);
        g_nBlocks.fetch_add(1, std::memory_order_release);
    }
    ++t_filling.blocksMade;
    t_filling.block = block;
    t_filling.next = block + kHeaderSize;
    t_filling.end = block + kBlockSize;
    return true;
}

size_t Rounded(size_t size)
{
    return (size + kAlignment - 1) & ~(kAlignment - 1);
}

} // namespace

NodeHeap::ReadingScope::ReadingScope(size_t expectedBytes)
{
    // A node takes more memory than its record in the file.
    if (t_filling.depth++ == 0 && expectedBytes >= kBlockSize / 2)
        t_filling.blocksMade = 1;
}

NodeHeap::ReadingScope::~ReadingScope()
{
    if (--t_filling.depth == 0) {
        EndFilling();
        t_filling.blocksMade = 0;
    }
}

void* NodeHeap::Allocate(size_t size)
{
    size = Rounded(size);
    if (t_filling.depth == 0 || size > kBlockSize - kHeaderSize)
        return ::operator new(size);
    if (static_cast<size_t>(t_filling.end - t_filling.next) < size) {
        EndFilling();
        if (!StartBlock())
            return ::operator new(size);
    }
    char* node = t_filling.next;
    t_filling.next += size;
    HeaderOf(t_filling.block)->live.fetch_add(1, std::memory_order_relaxed);
    UNPOISON(node, size);
    return node;
}

void NodeHeap::Free(void* node, size_t size)
{
    if (!node)
        return;
    size = Rounded(size);
    if (g_nBlocks.load(std::memory_order_acquire) != 0) {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (char* block = BlockHolding(node)) {
            POISON(node, size);
            BlockHeader* header = HeaderOf(block);
            if (header->live.fetch_sub(1) == 1 && !header->filling)
                Release(block);
            return;
        }
    }
    ::operator delete(node);
}

size_t NodeHeap::BlockCount()
{
    return g_nBlocks.load();
}
