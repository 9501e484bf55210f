// The memory manager: every engine allocation carries the source file and line that made it,
// so a debug build can report the blocks still alive at shut-down.
#pragma once
#include <cstddef>
#include <new>

void* MemoryManager_Alloc(size_t size, const char* file, int line, bool clear);
// Reallocates the block held in *slot (null allocates); the grown area is cleared.
void MemoryManager_ReallocInPlace(void** slot, size_t newSize, const char* file, int line);
void MemoryManager_Free(void* block);
size_t MemoryManager_GetSize(const void* block);
// Copies a NUL-terminated string into a new block (null gives null).
char* MemoryManager_StrDup(const char* text, const char* file, int line);

// Set when an allocation of this thread fails (a block of more than 0 bytes that the system would
// not give); built-in calls clear it before and read it after, to report the error. __thread, not
// thread_local: a plain constant start needs no initialising call on every use.
extern __thread bool MemoryManager_Failed;
inline bool MemoryManager_TakeFailure()
{
    bool failed = MemoryManager_Failed;
    MemoryManager_Failed = false;
    return failed;
}

// Runs `work`, which may add to standard containers; false, with MemoryManager_Failed set, when
// memory ran out (std::bad_alloc). What it was growing stays as it was: the containers' own
// guarantee, which callers keep by making every new block before they change anything.
template <class Work>
bool MemoryManager_Try(Work&& work)
{
    try {
        work();
        return true;
    } catch (const std::bad_alloc&) {
        MemoryManager_Failed = true;
        return false;
    }
}

size_t MemoryManager_LiveBlocks();
size_t MemoryManager_LiveBytes();
// Writes one line per live block (source and size) to the warnings console; returns the count.
size_t MemoryManager_ReportLive();

#define MemAlloc(size) MemoryManager_Alloc((size), __FILE__, __LINE__, false)
#define MemAllocClear(size) MemoryManager_Alloc((size), __FILE__, __LINE__, true)
#define MemRealloc(slot, size) MemoryManager_ReallocInPlace((void**)(slot), (size), __FILE__, __LINE__)
#define MemStrDup(text) MemoryManager_StrDup((text), __FILE__, __LINE__)
#define MemFree(block) MemoryManager_Free(block)
