#include "Support/DataStructures.h"

#include <cstdarg>
#include <cstring>
#include <new>

CDS_Map::CDS_Map()
{
    static uint64_t s_serial = 0;
    m_serial = ++s_serial;
}

std::string CDS_Map::KeyId(const TaggedValue& key)
{
    if (key.IsString()) return "s" + std::string(key.GetString(), key.GetLength());
    double v = key.GetReal();
    if (v == 0.0) v = 0.0;  // -0 and 0 are one key
    std::string id(1 + sizeof v, 'r');
    memcpy(&id[1], &v, sizeof v);
    return id;
}

void CDS_Map::Clear()
{
    m_index.clear();
    m_entries.clear();
}

void CDS_Map::Assign(const CDS_Map& other)
{
    if (this == &other) return;
    Clear();
    for (const Entry& e : other.m_entries) Add(e.key, e.value);
}

CDS_Map::Entry* CDS_Map::Find(const TaggedValue& key)
{
    auto it = m_index.find(KeyId(key));
    return it == m_index.end() ? nullptr : &*it->second;
}

const CDS_Map::Entry* CDS_Map::Find(const TaggedValue& key) const
{
    auto it = m_index.find(KeyId(key));
    return it == m_index.end() ? nullptr : &*it->second;
}

bool CDS_Map::Add(const TaggedValue& key, const TaggedValue& value)
{
    std::string id = KeyId(key);
    if (m_index.count(id)) return false;
    m_entries.push_back({key, value});
    m_index.emplace(std::move(id), std::prev(m_entries.end()));
    return true;
}

bool CDS_Map::ReplaceOrAdd(const TaggedValue& key, const TaggedValue& value)
{
    if (Entry* e = Find(key)) {
        e->value = value;
        return true;
    }
    Add(key, value);
    return false;
}

void CDS_Map::Delete(const TaggedValue& key)
{
    auto it = m_index.find(KeyId(key));
    if (it == m_index.end()) return;
    m_entries.erase(it->second);
    m_index.erase(it);
}

const TaggedValue* CDS_Map::First() const
{
    return m_entries.empty() ? nullptr : &m_entries.front().key;
}

const TaggedValue* CDS_Map::Last() const
{
    return m_entries.empty() ? nullptr : &m_entries.back().key;
}

const TaggedValue* CDS_Map::Next(const TaggedValue& key) const
{
    auto it = m_index.find(KeyId(key));
    if (it == m_index.end()) return nullptr;
    auto next = std::next(it->second);
    return next == m_entries.end() ? nullptr : &next->key;
}

const TaggedValue* CDS_Map::Previous(const TaggedValue& key) const
{
    auto it = m_index.find(KeyId(key));
    if (it == m_index.end() || it->second == m_entries.begin()) return nullptr;
    return &std::prev(it->second)->key;
}

int CDS_Map_CreateFromList(int count, ...)
{
    CDS_Map* map = new (std::nothrow) CDS_Map;
    if (!map) return -1;
    va_list args;
    va_start(args, count);
    for (int i = 0; i < count; i++) {
        const char* key = va_arg(args, const char*);
        double real = va_arg(args, double);
        const char* text = va_arg(args, const char*);
        TaggedValue value(real);
        if (text) value.SetString(text);
        map->Add(TaggedValue(key), value);
    }
    va_end(args);
    return DS_Map_NewSlot(map);
}
