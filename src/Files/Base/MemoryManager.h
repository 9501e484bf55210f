// The memory manager: every engine allocation carries the source file and line that made it,
// so a debug build can report the blocks still alive at shut-down.
#pragma once
#include <cstddef>

void* MemoryManager_Alloc(size_t size, const char* file, int line, bool clear);
// Reallocates the block held in *slot (null allocates); the grown area is cleared.
void MemoryManager_ReallocInPlace(void** slot, size_t newSize, const char* file, int line);
void MemoryManager_Free(void* block);
size_t MemoryManager_GetSize(const void* block);
// Copies a NUL-terminated string into a new block (null gives null).
char* MemoryManager_StrDup(const char* text, const char* file, int line);

size_t MemoryManager_LiveBlocks();
size_t MemoryManager_LiveBytes();
// Writes one line per live block (source and size) to the warnings console; returns the count.
size_t MemoryManager_ReportLive();

#define MemAlloc(size) MemoryManager_Alloc((size), __FILE__, __LINE__, false)
#define MemAllocClear(size) MemoryManager_Alloc((size), __FILE__, __LINE__, true)
#define MemRealloc(slot, size) MemoryManager_ReallocInPlace((void**)(slot), (size), __FILE__, __LINE__)
#define MemStrDup(text) MemoryManager_StrDup((text), __FILE__, __LINE__)
#define MemFree(block) MemoryManager_Free(block)
