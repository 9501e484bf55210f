#include "Support/DS_Json.h"

#include "Code/Arguments.h"
#include "Support/DataStructures.h"

#include <json-c/json.h>

#include <string>
#include <unordered_set>

namespace {
constexpr int ENCODE_DEPTH = 64;

TaggedValue FromJson(json_object* value);

TaggedValue Marked(int index, uint32_t mark)
{
    TaggedValue v((double)index);
    v.kind = VALUE_REAL | mark;
    return v;
}

int ObjectToMap(json_object* object)
{
    CDS_Map* map = new CDS_Map;
    json_object_object_foreach(object, key, member) {
        if (member) map->Add(TaggedValue(key), FromJson(member));
    }
    return DS_Map_NewSlot(map);
}

int ArrayToList(json_object* array)
{
    CDS_List* list = new CDS_List;
    size_t count = json_object_array_length(array);
    for (size_t i = 0; i < count; i++) list->Add(FromJson(json_object_array_get_idx(array, i)));
    return DS_List_NewSlot(list);
}

TaggedValue FromJson(json_object* value)
{
    switch (json_object_get_type(value)) {
    case json_type_boolean: return TaggedValue(json_object_get_boolean(value) ? 1.0 : 0.0);
    case json_type_double:
    case json_type_int: return TaggedValue(json_object_get_double(value));
    case json_type_string: return TaggedValue(json_object_get_string(value));
    case json_type_object: return Marked(ObjectToMap(value), VALUE_MARK_MAP);
    case json_type_array: return Marked(ArrayToList(value), VALUE_MARK_LIST);
    default: return TaggedValue(0.0);
    }
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
        json_object* object = json_object_new_object();
        for (const CDS_Map::Entry& e : map.Entries()) {
            std::string key = e.key.IsString() ? e.key.GetString() : std::to_string(TruncToInt(e.key.GetReal()));
            json_object_object_add(object, key.c_str(), Value(e.value, depth));
        }
        return object;
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
            json_object* array = json_object_new_array();
            for (const TaggedValue& item : list->m_values) json_object_array_add(array, Value(item, depth + 1));
            return array;
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
    int map = json_object_get_type(parsed) == json_type_object ? ObjectToMap(parsed) : -1;
    json_object_put(parsed);
    return map;
}

bool DS_Json_Encode(int index, TaggedValue* out)
{
    CDS_Map* map = DS_Map_Find(index);
    if (!map) return false;
    Encoder encoder;
    json_object* object = encoder.Root(*map);
    out->SetString(json_object_to_json_string(object));
    json_object_put(object);
    return true;
}
