// Growable arrays whose item arrays live in the memory manager. Setting a length reallocates;
// new entries start cleared; a length of 0 frees the item array.
#pragma once
#include "Base/MemoryManager.h"

#include <vector>

// Owned object pointers: shrinking deletes the objects above the new length.
template <typename T>
struct cARRAY_CLASS {
    int capacity = 0;
    T** items = nullptr;

    cARRAY_CLASS() = default;
    ~cARRAY_CLASS() { SetLength(0); }
    cARRAY_CLASS(const cARRAY_CLASS&) = delete;
    cARRAY_CLASS& operator=(const cARRAY_CLASS&) = delete;

    int GetLength() const { return capacity; }
    void SetLength(int length)
    {
        if (length < 0) length = 0;
        for (int i = length; i < capacity; i++) {
            delete items[i];
            items[i] = nullptr;
        }
        MemRealloc(&items, (size_t)length * sizeof(T*));
        capacity = (int)(MemoryManager_GetSize(items) / sizeof(T*));  // unchanged when memory ran out
    }
    T*& operator[](int i) { return items[i]; }
};

// Plain entries, copied bytewise.
template <typename T>
struct cARRAY_STRUCTURE {
    int length = 0;
    T* items = nullptr;

    cARRAY_STRUCTURE() = default;
    ~cARRAY_STRUCTURE() { SetLength(0); }
    cARRAY_STRUCTURE(const cARRAY_STRUCTURE&) = delete;
    cARRAY_STRUCTURE& operator=(const cARRAY_STRUCTURE&) = delete;

    int GetLength() const { return length; }
    void SetLength(int n)
    {
        if (n < 0) n = 0;
        MemRealloc(&items, (size_t)n * sizeof(T));
        length = (int)(MemoryManager_GetSize(items) / sizeof(T));
    }
    T& operator[](int i) { return items[i]; }
};

// Owned memory-manager blocks: freeing an entry frees its block; shrinking and clearing free
// the blocks they drop.
template <typename T>
struct cARRAY_MEMORY {
    int length = 0;
    T** items = nullptr;

    cARRAY_MEMORY() = default;
    ~cARRAY_MEMORY() { Clear(); }
    cARRAY_MEMORY(const cARRAY_MEMORY&) = delete;
    cARRAY_MEMORY& operator=(const cARRAY_MEMORY&) = delete;

    int GetLength() const { return length; }
    void SetLength(int n)
    {
        if (n < 0) n = 0;
        for (int i = n; i < length; i++) Free(i);
        MemRealloc(&items, (size_t)n * sizeof(T*));
        length = (int)(MemoryManager_GetSize(items) / sizeof(T*));
    }
    // Appends a block the array now owns; returns its index, or -1 (block freed) without memory.
    int Add(T* block)
    {
        int index = length;
        SetLength(length + 1);
        if (length == index) {
            MemFree(block);
            return -1;
        }
        items[index] = block;
        return index;
    }
    void Free(int i)
    {
        if (i < 0 || i >= length) return;
        MemFree(items[i]);
        items[i] = nullptr;
    }
    void Clear() { SetLength(0); }
    T* operator[](int i) const { return items[i]; }
};

// Puts an item into the first slot whose `valid` is false, else after the last: its index.
template <typename T>
int Array_PlaceInFreeSlot(std::vector<T>& slots, const T& item)
{
    for (size_t i = 0; i < slots.size(); i++) {
        if (!slots[i].valid) {
            slots[i] = item;
            return (int)i;
        }
    }
    slots.push_back(item);
    return (int)slots.size() - 1;
}
