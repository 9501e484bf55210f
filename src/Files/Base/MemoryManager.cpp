#include "Base/MemoryManager.h"
#include "Base/Console.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

__thread bool MemoryManager_Failed = false;

namespace {

// Every block is preceded by this header; live blocks form a list for the shut-down report.
struct alignas(16) BlockHeader {
    BlockHeader* prev;
    BlockHeader* next;
    size_t size;
    const char* file;
    int line;
    unsigned magic;
};
constexpr unsigned kMagic = 0x4D4D4752u;

std::mutex g_lock;  // the HTTP worker allocates too
BlockHeader* g_head = nullptr;
size_t g_blocks = 0;
size_t g_bytes = 0;

// The largest block asked of the system: past it the header's size would wrap, and no machine
// has the memory anyway.
constexpr size_t MAX_BLOCK = (size_t)1 << 40;

__attribute__((noinline, cold)) void* Failed()
{
    MemoryManager_Failed = true;
    return nullptr;
}

BlockHeader* HeaderOf(const void* block)
{
    BlockHeader* h = (BlockHeader*)block - 1;
    if (h->magic != kMagic) {
        fprintf(stderr, "memory manager: block %p was not allocated here\n", block);
        abort();
    }
    return h;
}

void Link(BlockHeader* h)
{
    std::lock_guard<std::mutex> guard(g_lock);
    h->prev = nullptr;
    h->next = g_head;
    if (g_head) g_head->prev = h;
    g_head = h;
    g_blocks++;
    g_bytes += h->size;
}

void Unlink(BlockHeader* h)
{
    std::lock_guard<std::mutex> guard(g_lock);
    if (h->prev) h->prev->next = h->next; else g_head = h->next;
    if (h->next) h->next->prev = h->prev;
    g_blocks--;
    g_bytes -= h->size;
}

}  // namespace

void* MemoryManager_Alloc(size_t size, const char* file, int line, bool clear)
{
    if (size == 0) return nullptr;
    if (size > MAX_BLOCK) return Failed();
    BlockHeader* h = (BlockHeader*)(clear ? calloc(1, sizeof(BlockHeader) + size) : malloc(sizeof(BlockHeader) + size));
    if (!h) return Failed();
    h->size = size;
    h->file = file;
    h->line = line;
    h->magic = kMagic;
    Link(h);
    return h + 1;
}

void MemoryManager_ReallocInPlace(void** slot, size_t newSize, const char* file, int line)
{
    void* old = *slot;
    if (!old) {
        *slot = MemoryManager_Alloc(newSize, file, line, true);
        return;
    }
    if (newSize == 0) {
        MemoryManager_Free(old);
        *slot = nullptr;
        return;
    }
    BlockHeader* h = HeaderOf(old);
    size_t oldSize = h->size;
    Unlink(h);
    BlockHeader* n = newSize <= MAX_BLOCK ? (BlockHeader*)realloc(h, sizeof(BlockHeader) + newSize) : nullptr;
    if (!n) {
        Link(h);
        Failed();
        return;  // the old block stays valid and in the slot
    }
    if (newSize > oldSize) memset((char*)(n + 1) + oldSize, 0, newSize - oldSize);
    n->size = newSize;
    n->file = file;
    n->line = line;
    Link(n);
    *slot = n + 1;
}

void MemoryManager_Free(void* block)
{
    if (!block) return;
    BlockHeader* h = HeaderOf(block);
    Unlink(h);
    h->magic = 0;
    free(h);
}

size_t MemoryManager_GetSize(const void* block)
{
    return block ? HeaderOf(block)->size : 0;
}

char* MemoryManager_StrDup(const char* text, const char* file, int line)
{
    if (!text) return nullptr;
    size_t n = strlen(text) + 1;
    char* p = (char*)MemoryManager_Alloc(n, file, line, false);
    if (p) memcpy(p, text, n);
    return p;
}

size_t MemoryManager_LiveBlocks()
{
    std::lock_guard<std::mutex> guard(g_lock);
    return g_blocks;
}

size_t MemoryManager_LiveBytes()
{
    std::lock_guard<std::mutex> guard(g_lock);
    return g_bytes;
}

size_t MemoryManager_ReportLive()
{
    std::lock_guard<std::mutex> guard(g_lock);
    for (BlockHeader* h = g_head; h; h = h->next)
        Console_Warnings->Output("live block: %s:%d, %zu bytes\n", h->file ? h->file : "?", h->line, h->size);
    return g_blocks;
}
