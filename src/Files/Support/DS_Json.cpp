#include "Support/DS_Json.h"

#include "Base/MemoryManager.h"
#include "Support/DataStructures.h"
#include "Variable/Arguments.h"

#include <json-c/json.h>

#include <memory>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

namespace {
constexpr int ENCODE_DEPTH = 64;

TaggedValue Marked(int index, uint32_t mark)
{
    TaggedValue v((double)index);
    v.kind = VALUE_REAL | mark;
    return v;
}

// Builds the maps and lists of parsed JSON. When memory runs out (std::bad_alloc from a structure
// or a slot that found none) every structure it made goes again: nothing half-made is left.
class Decoder {
public:
    ~Decoder()
    {
        if (m_done) return;
        for (int map : m_maps) DS_Map_Destroy(map);
        for (int list : m_lists) DS_List_Destroy(list);
    }
    // Room to note every structure the text holds, made before the first one.
    void Expect(size_t structures)
    {
        m_maps.reserve(structures);
        m_lists.reserve(structures);
    }
    int Map(json_object* object)
    {
        auto map = std::make_unique<CDS_Map>();
        json_object_object_foreach(object, key, member) {
            if (member) map->Add(TaggedValue(key), Value(member));
        }
        return Noted(m_maps, DS_Map_NewSlot(map.release()));
    }
    void Done() { m_done = true; }

private:
    int List(json_object* array)
    {
        auto list = std::make_unique<CDS_List>();
        size_t count = json_object_array_length(array);
        for (size_t i = 0; i < count; i++) list->Add(Value(json_object_array_get_idx(array, i)));
        return Noted(m_lists, DS_List_NewSlot(list.release()));
    }
    TaggedValue Value(json_object* value)
    {
        switch (json_object_get_type(value)) {
        case json_type_boolean: return TaggedValue(json_object_get_boolean(value) ? 1.0 : 0.0);
        case json_type_double:
        case json_type_int: return TaggedValue(json_object_get_double(value));
        case json_type_string: return TaggedValue(json_object_get_string(value));
        case json_type_object: return Marked(Map(value), VALUE_MARK_MAP);
        case json_type_array: return Marked(List(value), VALUE_MARK_LIST);
        default: return TaggedValue(0.0);
        }
    }
    static int Noted(std::vector<int>& made, int index)
    {
        if (index < 0) throw std::bad_alloc();  // the slot found no memory
        made.push_back(index);
        return index;
    }
    std::vector<int> m_maps, m_lists;
    bool m_done = false;
};

// The objects and arrays of parsed JSON.
size_t Structures(json_object* value)
{
    size_t n = 0;
    if (json_object_is_type(value, json_type_object)) {
        n++;
        json_object_object_foreach(value, key, member) {
            (void)key;
            n += Structures(member);
        }
    } else if (json_object_is_type(value, json_type_array)) {
        n++;
        for (size_t i = 0; i < json_object_array_length(value); i++) n += Structures(json_object_array_get_idx(value, i));
    }
    return n;
}

// A JSON object that is freed, with what it holds, unless it is handed on (when memory runs out
// half-way through an encoding).
using Owned = std::unique_ptr<json_object, int (*)(json_object*)>;
Owned Own(json_object* object) { return Owned(object, json_object_put); }
// A new container, which json-c gives as null when it finds no memory.
Owned Made(json_object* container)
{
    if (!container) throw std::bad_alloc();
    return Own(container);
}

class Encoder {
public:
    json_object* Root(const CDS_Map& map)
    {
        m_written.insert(&map);
        return Map(map, 0);
    }

private:
    json_object* Map(const CDS_Map& map, int depth)
    {
        Owned object = Made(json_object_new_object());
        for (const CDS_Map::Entry& e : map.Entries()) {
            std::string key = e.key.IsString() ? e.key.GetString() : std::to_string(TruncToInt(e.key.GetReal()));
            json_object_object_add(object.get(), key.c_str(), Value(e.value, depth));
        }
        return object.release();
    }
    // Null (JSON null) for a mark that names nothing, a repeat or a structure too deep.
    json_object* Value(const TaggedValue& v, int depth)
    {
        if (v.kind & VALUE_MARK_MAP) {
            CDS_Map* map = DS_Map_Find(RealToInt(v.val));
            return map && Enter(map, depth) ? Map(*map, depth + 1) : nullptr;
        }
        if (v.kind & VALUE_MARK_LIST) {
            CDS_List* list = DS_List_Find(RealToInt(v.val));
            if (!list || !Enter(list, depth)) return nullptr;
            Owned array = Made(json_object_new_array());
            for (const TaggedValue& item : list->m_values) json_object_array_add(array.get(), Value(item, depth + 1));
            return array.release();
        }
        if (v.IsString()) return json_object_new_string(v.GetString());
        if (v.IsReal()) return json_object_new_double(v.val);
        return nullptr;
    }
    bool Enter(const void* structure, int depth) { return depth < ENCODE_DEPTH && m_written.insert(structure).second; }
    std::unordered_set<const void*> m_written;
};
}

int DS_Json_Decode(const char* text)
{
    json_object* parsed = json_tokener_parse(text);
    if (!parsed) return -1;
    int map = -1;
    if (json_object_get_type(parsed) == json_type_object) {
        Decoder decoder;
        if (MemoryManager_Try([&] {
                decoder.Expect(Structures(parsed));
                map = decoder.Map(parsed);
            }))
            decoder.Done();
    }
    json_object_put(parsed);
    return map;
}

bool DS_Json_Encode(int index, TaggedValue* out)
{
    CDS_Map* map = DS_Map_Find(index);
    if (!map) return false;
    // Without the memory for the whole text the result is "" (and the built-in's call reports it).
    Owned object = Own(nullptr);
    if (!MemoryManager_Try([&] { object = Own(Encoder().Root(*map)); })) {
        out->SetString("");
        return true;
    }
    const char* text = json_object_to_json_string(object.get());
    if (!text) MemoryManager_Failed = true;  // json-c's buffer found no memory
    out->SetString(text ? text : "");
    return true;
}
