#include "Function/Function_DataStructures.h"
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Code/Error.h"
#include "Code/Function.h"
#include "Support/DataStructures.h"
#include "Variable/Arguments.h"

#define DS_HANDLER(name) \
    static void F_##name([[maybe_unused]] TaggedValue* result, CInstance*, CInstance*, int, \
                         [[maybe_unused]] TaggedValue* args)

namespace {

void NoIndex()
{
    Error_Show_Action("Data structure with index does not exist.", false);
}

// Null after reporting an index that names no structure of the kind.
template <class T>
T* Check(T* structure)
{
    if (!structure) NoIndex();
    return structure;
}

// The result becomes a copy of a stored value, or real 0 when there is none.
void Give(TaggedValue* result, const TaggedValue* value)
{
    if (value) *result = *value;
    else result->SetReal(0.0);
}

void ReadFailed(const char* name)
{
    Console_Warnings->Output("%s: the text is not a valid form of this kind of structure; nothing was read.\n", name);
}

void WriteFailed(const char* name)
{
    Console_Warnings->Output("%s: the structure is too large for its text form.\n", name);
}

void GridTooLarge()
{
    Error_Show_Action("Grid size is too large.", false);
}

// Replaces the structure with what the text spells, or tells why nothing was read.
template <class T>
void Read(T& structure, const TaggedValue& text, const char* name)
{
    bool read = false;
    if (MemoryManager_Try([&] { read = DS_ReadString(structure, Arg_S(text)); }) && !read) ReadFailed(name);
}

}  // namespace

// Every change that adds to a structure runs through MemoryManager_Try: without the memory for it
// the structure stays as it was and the call reports the error (Function_Call).

// Destroy, copy (both indices checked; a copy onto itself changes nothing) and write: every kind.
#define DS_SHARED(name, Kind, Type)                                                      \
    DS_HANDLER(ds_##name##_destroy)                                                      \
    {                                                                                    \
        if (!DS_##Kind##_Destroy(Arg_I(args[0]))) NoIndex();                             \
    }                                                                                    \
    DS_HANDLER(ds_##name##_copy)                                                         \
    {                                                                                    \
        Type* d = Check(DS_##Kind##_Find(Arg_I(args[0])));                               \
        Type* s = d ? Check(DS_##Kind##_Find(Arg_I(args[1]))) : nullptr;                 \
        if (s) MemoryManager_Try([&] { d->Assign(*s); });                               \
    }                                                                                    \
    DS_HANDLER(ds_##name##_write)                                                        \
    {                                                                                    \
        Type* s = Check(DS_##Kind##_Find(Arg_I(args[0])));                               \
        bool written = false;                                                            \
        if (s && MemoryManager_Try([&] { written = DS_WriteString(*s, result); }) && !written) \
            WriteFailed("ds_" #name "_write");                                           \
    }

DS_SHARED(stack, Stack, CDS_Stack)
DS_SHARED(queue, Queue, CDS_Queue)
DS_SHARED(list, List, CDS_List)
DS_SHARED(map, Map, CDS_Map)
DS_SHARED(priority, Priority, CDS_Priority)
DS_SHARED(grid, Grid, CDS_Grid)

// Create, clear, size and empty: every kind but grids.
#define DS_COLLECTION(name, Kind, Type)                                                  \
    DS_HANDLER(ds_##name##_create) { result->SetReal(DS_##Kind##_Create()); }            \
    DS_HANDLER(ds_##name##_clear)                                                        \
    {                                                                                    \
        if (Type* s = Check(DS_##Kind##_Find(Arg_I(args[0])))) s->Clear();              \
    }                                                                                    \
    DS_HANDLER(ds_##name##_size)                                                         \
    {                                                                                    \
        if (Type* s = Check(DS_##Kind##_Find(Arg_I(args[0])))) result->SetReal(s->Size()); \
    }                                                                                    \
    DS_HANDLER(ds_##name##_empty)                                                        \
    {                                                                                    \
        if (Type* s = Check(DS_##Kind##_Find(Arg_I(args[0])))) result->SetReal(s->Empty()); \
    }

DS_COLLECTION(stack, Stack, CDS_Stack)
DS_COLLECTION(queue, Queue, CDS_Queue)
DS_COLLECTION(list, List, CDS_List)
DS_COLLECTION(map, Map, CDS_Map)
DS_COLLECTION(priority, Priority, CDS_Priority)

// Read, for every kind but lists.
#define DS_READ(name, Kind, Type)                                                        \
    DS_HANDLER(ds_##name##_read)                                                         \
    {                                                                                    \
        Type* s = Check(DS_##Kind##_Find(Arg_I(args[0])));                               \
        if (s) Read(*s, args[1], "ds_" #name "_read");                                   \
    }

DS_READ(stack, Stack, CDS_Stack)
DS_READ(queue, Queue, CDS_Queue)
DS_READ(map, Map, CDS_Map)
DS_READ(priority, Priority, CDS_Priority)
DS_READ(grid, Grid, CDS_Grid)

DS_HANDLER(ds_set_precision)
{
    DS_SetPrecision(args[0].GetReal());
}

// Stacks

DS_HANDLER(ds_stack_push)
{
    if (CDS_Stack* s = Check(DS_Stack_Find(Arg_I(args[0])))) MemoryManager_Try([&] { s->Push(args[1]); });
}

DS_HANDLER(ds_stack_pop)
{
    if (CDS_Stack* s = Check(DS_Stack_Find(Arg_I(args[0])))) s->Pop(result);
}

DS_HANDLER(ds_stack_top)
{
    if (CDS_Stack* s = Check(DS_Stack_Find(Arg_I(args[0])))) Give(result, s->Top());
}

// Queues

DS_HANDLER(ds_queue_enqueue)
{
    if (CDS_Queue* q = Check(DS_Queue_Find(Arg_I(args[0])))) MemoryManager_Try([&] { q->Enqueue(args[1]); });
}

DS_HANDLER(ds_queue_dequeue)
{
    if (CDS_Queue* q = Check(DS_Queue_Find(Arg_I(args[0])))) q->Dequeue(result);
}

DS_HANDLER(ds_queue_head)
{
    if (CDS_Queue* q = Check(DS_Queue_Find(Arg_I(args[0])))) Give(result, q->Head());
}

DS_HANDLER(ds_queue_tail)
{
    if (CDS_Queue* q = Check(DS_Queue_Find(Arg_I(args[0])))) Give(result, q->Tail());
}

// Lists

DS_HANDLER(ds_list_add)
{
    if (CDS_List* l = Check(DS_List_Find(Arg_I(args[0])))) MemoryManager_Try([&] { l->Add(args[1]); });
}

DS_HANDLER(ds_list_insert)
{
    if (CDS_List* l = Check(DS_List_Find(Arg_I(args[0])))) MemoryManager_Try([&] { l->Insert(Arg_I(args[1]), args[2]); });
}

DS_HANDLER(ds_list_replace)
{
    if (CDS_List* l = Check(DS_List_Find(Arg_I(args[0])))) l->Replace(Arg_I(args[1]), args[2]);
}

DS_HANDLER(ds_list_delete)
{
    if (CDS_List* l = Check(DS_List_Find(Arg_I(args[0])))) l->Delete(Arg_I(args[1]));
}

DS_HANDLER(ds_list_find_index)
{
    // The list index alone is truncated, not rounded.
    if (CDS_List* l = Check(DS_List_Find(Arg_T(args[0])))) result->SetReal(l->FindIndex(args[1]));
}

DS_HANDLER(ds_list_find_value)
{
    if (!DS_Fast_ListFindValue(args[0], args[1], result)) NoIndex();
}

DS_HANDLER(ds_list_sort)
{
    if (CDS_List* l = Check(DS_List_Find(Arg_I(args[0])))) l->Sort(Arg_B(args[1]));
}

DS_HANDLER(ds_list_shuffle)
{
    if (CDS_List* l = Check(DS_List_Find(Arg_I(args[0])))) l->Shuffle();
}

DS_HANDLER(ds_list_read)
{
    CDS_List* l = Check(DS_List_Find(Arg_I(args[0])));
    if (l && args[1].IsString()) Read(*l, args[1], "ds_list_read");
}

// Maps

DS_HANDLER(ds_map_add)
{
    result->SetReal(0.0);
    CDS_Map* m = Check(DS_Map_Find(Arg_I(args[0])));
    if (m) MemoryManager_Try([&] { result->SetReal(m->Add(args[1], args[2])); });
}

DS_HANDLER(ds_map_replace)
{
    CDS_Map* m = Check(DS_Map_Find(Arg_I(args[0])));
    if (m) MemoryManager_Try([&] { result->SetReal(m->ReplaceOrAdd(args[1], args[2])); });
}

DS_HANDLER(ds_map_delete)
{
    if (CDS_Map* m = Check(DS_Map_Find(Arg_I(args[0])))) m->Delete(args[1]);
}

DS_HANDLER(ds_map_exists)
{
    if (CDS_Map* m = Check(DS_Map_Find(Arg_I(args[0])))) result->SetReal(m->Exists(args[1]));
}

DS_HANDLER(ds_map_find_value)
{
    if (!DS_Fast_MapFindValue(args[0], args[1], result)) NoIndex();
}

DS_HANDLER(ds_map_find_previous)
{
    if (CDS_Map* m = Check(DS_Map_Find(Arg_I(args[0])))) Give(result, m->Previous(args[1]));
}

DS_HANDLER(ds_map_find_next)
{
    if (CDS_Map* m = Check(DS_Map_Find(Arg_I(args[0])))) Give(result, m->Next(args[1]));
}

DS_HANDLER(ds_map_find_first)
{
    if (CDS_Map* m = Check(DS_Map_Find(Arg_I(args[0])))) Give(result, m->First());
}

DS_HANDLER(ds_map_find_last)
{
    if (CDS_Map* m = Check(DS_Map_Find(Arg_I(args[0])))) Give(result, m->Last());
}

// Priority queues

DS_HANDLER(ds_priority_add)
{
    if (CDS_Priority* p = Check(DS_Priority_Find(Arg_I(args[0])))) MemoryManager_Try([&] { p->Add(args[1], args[2]); });
}

DS_HANDLER(ds_priority_change_priority)
{
    if (CDS_Priority* p = Check(DS_Priority_Find(Arg_I(args[0])))) p->ChangePriority(args[1], args[2]);
}

DS_HANDLER(ds_priority_find_priority)
{
    if (CDS_Priority* p = Check(DS_Priority_Find(Arg_I(args[0])))) Give(result, p->FindPriority(args[1]));
}

DS_HANDLER(ds_priority_delete_value)
{
    if (CDS_Priority* p = Check(DS_Priority_Find(Arg_I(args[0])))) p->DeleteValue(args[1]);
}

DS_HANDLER(ds_priority_delete_min)
{
    if (CDS_Priority* p = Check(DS_Priority_Find(Arg_I(args[0])))) p->DeleteMin(result);
}

DS_HANDLER(ds_priority_find_min)
{
    if (CDS_Priority* p = Check(DS_Priority_Find(Arg_I(args[0])))) Give(result, p->FindMin());
}

DS_HANDLER(ds_priority_delete_max)
{
    if (CDS_Priority* p = Check(DS_Priority_Find(Arg_I(args[0])))) p->DeleteMax(result);
}

DS_HANDLER(ds_priority_find_max)
{
    if (CDS_Priority* p = Check(DS_Priority_Find(Arg_I(args[0])))) Give(result, p->FindMax());
}

// Grids

DS_HANDLER(ds_grid_create)
{
    int width = Arg_I(args[0]), height = Arg_I(args[1]);
    int index = DS_Grid_Create(width, height);
    if (index < 0 && !CDS_Grid::SizeAllowed(width, height)) GridTooLarge();
    result->SetReal(index);
}

DS_HANDLER(ds_grid_resize)
{
    CDS_Grid* g = Check(DS_Grid_Find(Arg_I(args[0])));
    int width = Arg_I(args[1]), height = Arg_I(args[2]);
    if (g && !g->Resize(width, height) && !CDS_Grid::SizeAllowed(width, height)) GridTooLarge();
}

DS_HANDLER(ds_grid_width)
{
    result->SetReal(0.0);
    if (CDS_Grid* g = Check(DS_Grid_Find(Arg_I(args[0])))) result->SetReal(g->Width());
}

DS_HANDLER(ds_grid_height)
{
    result->SetReal(0.0);
    if (CDS_Grid* g = Check(DS_Grid_Find(Arg_I(args[0])))) result->SetReal(g->Height());
}

DS_HANDLER(ds_grid_clear)
{
    if (CDS_Grid* g = Check(DS_Grid_Find(Arg_I(args[0])))) g->Clear(args[1]);
}

namespace {

void GridCell(int op, TaggedValue* args)
{
    int index = Arg_I(args[0]);
    if (CDS_Grid* g = Check(DS_Grid_Find(index))) g->CellOp(index, op, Arg_I(args[1]), Arg_I(args[2]), args[3]);
}

void GridRegion(int op, TaggedValue* args)
{
    if (CDS_Grid* g = Check(DS_Grid_Find(Arg_I(args[0]))))
        g->RegionOp(op, Arg_I(args[1]), Arg_I(args[2]), Arg_I(args[3]), Arg_I(args[4]), args[5]);
}

void GridDisk(int op, TaggedValue* args)
{
    if (CDS_Grid* g = Check(DS_Grid_Find(Arg_I(args[0]))))
        g->DiskOp(op, args[1].GetReal(), args[2].GetReal(), args[3].GetReal(), args[4]);
}

void GridGridRegion(int op, TaggedValue* args)
{
    CDS_Grid* g = Check(DS_Grid_Find(Arg_I(args[0])));
    CDS_Grid* s = g ? Check(DS_Grid_Find(Arg_I(args[1]))) : nullptr;
    if (s)
        g->GridRegionOp(op, *s, Arg_I(args[2]), Arg_I(args[3]), Arg_I(args[4]), Arg_I(args[5]), Arg_I(args[6]),
                        Arg_I(args[7]));
}

void GridRegionAggregate(CDS_Grid::Aggregate what, TaggedValue* result, TaggedValue* args)
{
    if (CDS_Grid* g = Check(DS_Grid_Find(Arg_I(args[0]))))
        result->SetReal(g->RegionAggregate(what, Arg_I(args[1]), Arg_I(args[2]), Arg_I(args[3]), Arg_I(args[4])));
}

void GridDiskAggregate(CDS_Grid::Aggregate what, TaggedValue* result, TaggedValue* args)
{
    if (CDS_Grid* g = Check(DS_Grid_Find(Arg_I(args[0]))))
        result->SetReal(g->DiskAggregate(what, args[1].GetReal(), args[2].GetReal(), args[3].GetReal()));
}

// What a value search answers: found (1 or 0), or the x or y of the first match (0 when none).
enum SearchAnswer { FOUND, FOUND_X, FOUND_Y };

void Answer(SearchAnswer answer, bool found, int x, int y, TaggedValue* result)
{
    if (answer == FOUND) result->SetReal(found);
    else if (found) result->SetReal(answer == FOUND_X ? x : y);
}

void GridRegionSearch(SearchAnswer answer, TaggedValue* result, TaggedValue* args)
{
    CDS_Grid* g = Check(DS_Grid_Find(Arg_I(args[0])));
    if (!g) return;
    int x = 0, y = 0;
    bool found = g->RegionFind(args[5], Arg_I(args[1]), Arg_I(args[2]), Arg_I(args[3]), Arg_I(args[4]), &x, &y);
    Answer(answer, found, x, y, result);
}

void GridDiskSearch(SearchAnswer answer, TaggedValue* result, TaggedValue* args)
{
    CDS_Grid* g = Check(DS_Grid_Find(Arg_I(args[0])));
    if (!g) return;
    int x = 0, y = 0;
    bool found = g->DiskFind(args[4], args[1].GetReal(), args[2].GetReal(), args[3].GetReal(), &x, &y);
    Answer(answer, found, x, y, result);
}

}  // namespace

DS_HANDLER(ds_grid_set)
{
    if (!DS_Fast_GridSet(args[0], args[1], args[2], args[3])) GridCell(DS_GRID_SET, args);
}
DS_HANDLER(ds_grid_add) { GridCell(DS_GRID_ADD, args); }
DS_HANDLER(ds_grid_multiply) { GridCell(DS_GRID_MULTIPLY, args); }
DS_HANDLER(ds_grid_set_region) { GridRegion(DS_GRID_SET, args); }
DS_HANDLER(ds_grid_add_region) { GridRegion(DS_GRID_ADD, args); }
DS_HANDLER(ds_grid_multiply_region) { GridRegion(DS_GRID_MULTIPLY, args); }
DS_HANDLER(ds_grid_set_disk) { GridDisk(DS_GRID_SET, args); }
DS_HANDLER(ds_grid_add_disk) { GridDisk(DS_GRID_ADD, args); }
DS_HANDLER(ds_grid_multiply_disk) { GridDisk(DS_GRID_MULTIPLY, args); }
DS_HANDLER(ds_grid_set_grid_region) { GridGridRegion(DS_GRID_SET, args); }
DS_HANDLER(ds_grid_add_grid_region) { GridGridRegion(DS_GRID_ADD, args); }
DS_HANDLER(ds_grid_multiply_grid_region) { GridGridRegion(DS_GRID_MULTIPLY, args); }

DS_HANDLER(ds_grid_get)
{
    if (DS_Fast_GridGet(args[0], args[1], args[2], result)) return;
    int index = Arg_I(args[0]);
    if (CDS_Grid* g = Check(DS_Grid_Find(index))) Give(result, g->Read(index, Arg_I(args[1]), Arg_I(args[2])));
}

DS_HANDLER(ds_grid_get_sum) { GridRegionAggregate(CDS_Grid::SUM, result, args); }
DS_HANDLER(ds_grid_get_max) { GridRegionAggregate(CDS_Grid::MAX, result, args); }
DS_HANDLER(ds_grid_get_min) { GridRegionAggregate(CDS_Grid::MIN, result, args); }
DS_HANDLER(ds_grid_get_mean) { GridRegionAggregate(CDS_Grid::MEAN, result, args); }
DS_HANDLER(ds_grid_get_disk_sum) { GridDiskAggregate(CDS_Grid::SUM, result, args); }
DS_HANDLER(ds_grid_get_disk_max) { GridDiskAggregate(CDS_Grid::MAX, result, args); }
DS_HANDLER(ds_grid_get_disk_min) { GridDiskAggregate(CDS_Grid::MIN, result, args); }
DS_HANDLER(ds_grid_get_disk_mean) { GridDiskAggregate(CDS_Grid::MEAN, result, args); }
DS_HANDLER(ds_grid_value_exists) { GridRegionSearch(FOUND, result, args); }
DS_HANDLER(ds_grid_value_x) { GridRegionSearch(FOUND_X, result, args); }
DS_HANDLER(ds_grid_value_y) { GridRegionSearch(FOUND_Y, result, args); }
DS_HANDLER(ds_grid_value_disk_exists) { GridDiskSearch(FOUND, result, args); }
DS_HANDLER(ds_grid_value_disk_x) { GridDiskSearch(FOUND_X, result, args); }
DS_HANDLER(ds_grid_value_disk_y) { GridDiskSearch(FOUND_Y, result, args); }

DS_HANDLER(ds_grid_shuffle)
{
    if (CDS_Grid* g = Check(DS_Grid_Find(Arg_I(args[0])))) g->Shuffle();
}

#define DS_ADD(name, argc) Function_Add(#name, F_##name, argc)

void Function_DataStructures_Init()
{
    DS_ADD(ds_set_precision, 1);

    DS_ADD(ds_stack_create, 0);
    DS_ADD(ds_stack_destroy, 1);
    DS_ADD(ds_stack_clear, 1);
    DS_ADD(ds_stack_copy, 2);
    DS_ADD(ds_stack_size, 1);
    DS_ADD(ds_stack_empty, 1);
    DS_ADD(ds_stack_push, 2);
    DS_ADD(ds_stack_pop, 1);
    DS_ADD(ds_stack_top, 1);
    DS_ADD(ds_stack_write, 1);
    DS_ADD(ds_stack_read, 2);

    DS_ADD(ds_queue_create, 0);
    DS_ADD(ds_queue_destroy, 1);
    DS_ADD(ds_queue_clear, 1);
    DS_ADD(ds_queue_copy, 2);
    DS_ADD(ds_queue_size, 1);
    DS_ADD(ds_queue_empty, 1);
    DS_ADD(ds_queue_enqueue, 2);
    DS_ADD(ds_queue_dequeue, 1);
    DS_ADD(ds_queue_head, 1);
    DS_ADD(ds_queue_tail, 1);
    DS_ADD(ds_queue_write, 1);
    DS_ADD(ds_queue_read, 2);

    DS_ADD(ds_list_create, 0);
    DS_ADD(ds_list_destroy, 1);
    DS_ADD(ds_list_clear, 1);
    DS_ADD(ds_list_copy, 2);
    DS_ADD(ds_list_size, 1);
    DS_ADD(ds_list_empty, 1);
    DS_ADD(ds_list_add, 2);
    DS_ADD(ds_list_insert, 3);
    DS_ADD(ds_list_replace, 3);
    DS_ADD(ds_list_delete, 2);
    DS_ADD(ds_list_find_index, 2);
    DS_ADD(ds_list_find_value, 2);
    DS_ADD(ds_list_sort, 2);
    DS_ADD(ds_list_shuffle, 1);
    DS_ADD(ds_list_write, 1);
    DS_ADD(ds_list_read, 2);

    DS_ADD(ds_map_create, 0);
    DS_ADD(ds_map_destroy, 1);
    DS_ADD(ds_map_clear, 1);
    DS_ADD(ds_map_copy, 2);
    DS_ADD(ds_map_size, 1);
    DS_ADD(ds_map_empty, 1);
    DS_ADD(ds_map_add, 3);
    DS_ADD(ds_map_replace, 3);
    DS_ADD(ds_map_delete, 2);
    DS_ADD(ds_map_exists, 2);
    DS_ADD(ds_map_find_value, 2);
    DS_ADD(ds_map_find_previous, 2);
    DS_ADD(ds_map_find_next, 2);
    DS_ADD(ds_map_find_first, 1);
    DS_ADD(ds_map_find_last, 1);
    DS_ADD(ds_map_write, 1);
    DS_ADD(ds_map_read, 2);

    DS_ADD(ds_priority_create, 0);
    DS_ADD(ds_priority_destroy, 1);
    DS_ADD(ds_priority_clear, 1);
    DS_ADD(ds_priority_copy, 2);
    DS_ADD(ds_priority_size, 1);
    DS_ADD(ds_priority_empty, 1);
    DS_ADD(ds_priority_add, 3);
    DS_ADD(ds_priority_change_priority, 3);
    DS_ADD(ds_priority_find_priority, 2);
    DS_ADD(ds_priority_delete_value, 2);
    DS_ADD(ds_priority_delete_min, 1);
    DS_ADD(ds_priority_find_min, 1);
    DS_ADD(ds_priority_delete_max, 1);
    DS_ADD(ds_priority_find_max, 1);
    DS_ADD(ds_priority_write, 1);
    DS_ADD(ds_priority_read, 2);

    DS_ADD(ds_grid_create, 2);
    DS_ADD(ds_grid_destroy, 1);
    DS_ADD(ds_grid_copy, 2);
    DS_ADD(ds_grid_resize, 3);
    DS_ADD(ds_grid_width, 1);
    DS_ADD(ds_grid_height, 1);
    DS_ADD(ds_grid_clear, 2);
    DS_ADD(ds_grid_set, 4);
    DS_ADD(ds_grid_add, 4);
    DS_ADD(ds_grid_multiply, 4);
    DS_ADD(ds_grid_set_region, 6);
    DS_ADD(ds_grid_add_region, 6);
    DS_ADD(ds_grid_multiply_region, 6);
    DS_ADD(ds_grid_set_disk, 5);
    DS_ADD(ds_grid_add_disk, 5);
    DS_ADD(ds_grid_multiply_disk, 5);
    DS_ADD(ds_grid_set_grid_region, 8);
    DS_ADD(ds_grid_add_grid_region, 8);
    DS_ADD(ds_grid_multiply_grid_region, 8);
    DS_ADD(ds_grid_get, 3);
    DS_ADD(ds_grid_get_sum, 5);
    DS_ADD(ds_grid_get_max, 5);
    DS_ADD(ds_grid_get_min, 5);
    DS_ADD(ds_grid_get_mean, 5);
    DS_ADD(ds_grid_get_disk_sum, 4);
    DS_ADD(ds_grid_get_disk_max, 4);
    DS_ADD(ds_grid_get_disk_min, 4);
    DS_ADD(ds_grid_get_disk_mean, 4);
    DS_ADD(ds_grid_value_exists, 6);
    DS_ADD(ds_grid_value_x, 6);
    DS_ADD(ds_grid_value_y, 6);
    DS_ADD(ds_grid_value_disk_exists, 5);
    DS_ADD(ds_grid_value_disk_x, 5);
    DS_ADD(ds_grid_value_disk_y, 5);
    DS_ADD(ds_grid_shuffle, 1);
    DS_ADD(ds_grid_write, 1);
    DS_ADD(ds_grid_read, 2);
}
