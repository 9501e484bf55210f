#include "Support/DataStructures.h"
#include "Base/MemoryManager.h"

#include <algorithm>
#include <functional>
#include <new>
#include <vector>

std::vector<CDS_List*> DS_ListSlots;
std::vector<CDS_Map*> DS_MapSlots;
std::vector<CDS_Grid*> DS_GridSlots;

namespace {

// One table per kind. A destroyed structure leaves a null slot; a new structure takes the first
// null slot (found at once in a heap of them), else one more slot at the end. The table never
// shrinks before shut-down.
template <class T>
struct SlotTable {
    explicit SlotTable(std::vector<T*>& table) : slots(table) {}
    std::vector<T*>& slots;   // size: slots in use or once used
    std::vector<int> unused;  // the null slots, a heap with the smallest on top

    int Store(T* item)
    {
        if (!item) {
            MemoryManager_Failed = true;  // made with new (std::nothrow): no memory for it
            return -1;
        }
        if (!unused.empty()) {
            std::pop_heap(unused.begin(), unused.end(), std::greater<int>());
            int index = unused.back();
            unused.pop_back();
            slots[(size_t)index] = item;
            return index;
        }
        // The heap has room for every slot, so that Destroy never allocates.
        if (!MemoryManager_Try([&] {
                unused.reserve(slots.size() + 1);
                slots.push_back(item);
            })) {
            delete item;
            return -1;
        }
        return (int)slots.size() - 1;
    }
    T* Find(int index) const { return DS_SlotFind(slots, index); }
    bool Destroy(int index)
    {
        T* item = Find(index);
        if (!item) return false;
        slots[index] = nullptr;
        unused.push_back(index);
        std::push_heap(unused.begin(), unused.end(), std::greater<int>());
        delete item;
        return true;
    }
    void FreeAll()
    {
        for (T* item : slots) delete item;
        slots.clear();
        unused.clear();
    }
};

std::vector<CDS_Stack*> g_stackSlots;
std::vector<CDS_Queue*> g_queueSlots;
std::vector<CDS_Priority*> g_prioritySlots;
SlotTable<CDS_Stack> g_stacks{g_stackSlots};
SlotTable<CDS_Queue> g_queues{g_queueSlots};
SlotTable<CDS_List> g_lists{DS_ListSlots};
SlotTable<CDS_Map> g_maps{DS_MapSlots};
SlotTable<CDS_Priority> g_priorities{g_prioritySlots};
SlotTable<CDS_Grid> g_grids{DS_GridSlots};

}  // namespace

int DS_Stack_Create() { return g_stacks.Store(new (std::nothrow) CDS_Stack); }
CDS_Stack* DS_Stack_Find(int index) { return g_stacks.Find(index); }
bool DS_Stack_Destroy(int index) { return g_stacks.Destroy(index); }

int DS_Queue_Create() { return g_queues.Store(new (std::nothrow) CDS_Queue); }
CDS_Queue* DS_Queue_Find(int index) { return g_queues.Find(index); }
bool DS_Queue_Destroy(int index) { return g_queues.Destroy(index); }

int DS_List_Create() { return g_lists.Store(new (std::nothrow) CDS_List); }
int DS_List_NewSlot(CDS_List* list) { return g_lists.Store(list); }
bool DS_List_Destroy(int index) { return g_lists.Destroy(index); }

int DS_Map_Create() { return g_maps.Store(new (std::nothrow) CDS_Map); }
int DS_Map_NewSlot(CDS_Map* map) { return g_maps.Store(map); }
bool DS_Map_Destroy(int index) { return g_maps.Destroy(index); }

bool DS_Map_DestroyIfSame(int index, uint64_t serial)
{
    CDS_Map* map = g_maps.Find(index);
    return map && map->Serial() == serial && g_maps.Destroy(index);
}

int DS_Priority_Create() { return g_priorities.Store(new (std::nothrow) CDS_Priority); }
CDS_Priority* DS_Priority_Find(int index) { return g_priorities.Find(index); }
bool DS_Priority_Destroy(int index) { return g_priorities.Destroy(index); }

int DS_Grid_Create(int width, int height)
{
    if (!CDS_Grid::SizeAllowed(width, height)) return -1;
    CDS_Grid* grid = new (std::nothrow) CDS_Grid(width, height);
    if (grid && (int64_t)grid->Width() * grid->Height() != (int64_t)std::max(width, 0) * std::max(height, 0)) {
        delete grid;  // the cells could not be allocated
        return -1;
    }
    return g_grids.Store(grid);
}
bool DS_Grid_Destroy(int index) { return g_grids.Destroy(index); }

void DS_FreeAll()
{
    g_stacks.FreeAll();
    g_queues.FreeAll();
    g_lists.FreeAll();
    g_maps.FreeAll();
    g_priorities.FreeAll();
    g_grids.FreeAll();
}
