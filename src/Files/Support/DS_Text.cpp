#include "Support/DataStructures.h"
#include "Support/Stream.h"

#include <cstring>
#include <string>

namespace {

constexpr uint32_t FORM_STACK = 101;
constexpr uint32_t FORM_QUEUE = 201;
constexpr uint32_t FORM_LIST = 301;
constexpr uint32_t FORM_MAP = 401;
constexpr uint32_t FORM_PRIORITY = 501;
constexpr uint32_t FORM_GRID = 601;

// The smallest encoded value: a kind and the length of an empty string.
constexpr size_t MIN_VALUE_BYTES = 8;
// The longest text a value holds, in bytes before hex encoding.
constexpr int64_t MAX_BYTES = 0x7FFFFFF0 / 2;

// Writes values into a byte stream, then spells the stream in hex.
class Writer {
public:
    void U32(uint32_t v)
    {
        m_stream.WriteInteger((int)v);
        m_expected += 4;
    }
    void Value(const TaggedValue& value)
    {
        if (m_expected + 12 + (int64_t)value.GetLength() > MAX_BYTES) {
            m_tooLong = true;
            return;
        }
        U32(value.kind);
        if (value.IsString()) {
            U32((uint32_t)value.GetLength());
            m_stream.WriteBytes(value.GetString(), (int64_t)value.GetLength());
            m_expected += (int64_t)value.GetLength();
        } else {
            m_stream.WriteReal(value.val);
            m_expected += 8;
        }
    }
    // False, leaving out unchanged, when the text would be too long or memory ran out.
    bool Finish(TaggedValue* out) const
    {
        if (m_tooLong || m_stream.GetSize() != m_expected) return false;
        static const char digits[] = "0123456789ABCDEF";
        const unsigned char* bytes = m_stream.GetBuffer();
        std::string hex((size_t)m_expected * 2, '0');
        for (int64_t i = 0; i < m_expected; i++) {
            hex[2 * i] = digits[bytes[i] >> 4];
            hex[2 * i + 1] = digits[bytes[i] & 15];
        }
        out->SetString(hex.data(), hex.size());
        return true;
    }

private:
    CStream m_stream;
    int64_t m_expected = 0;  // what the stream should hold if every write found memory
    bool m_tooLong = false;
};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads the byte stream that a hex text spells. Every read checks what remains; after the first
// failure every read fails.
class Reader {
public:
    explicit Reader(const char* text)
    {
        size_t n = text ? strlen(text) : 0;
        m_ok = n % 2 == 0;
        std::string bytes;
        bytes.reserve(n / 2);
        for (size_t i = 0; m_ok && i < n; i += 2) {
            int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
            if (hi < 0 || lo < 0) m_ok = false;
            else bytes.push_back((char)(hi * 16 + lo));
        }
        m_stream.WriteBytes(bytes.data(), (int64_t)bytes.size());
        m_stream.Seek(0);
        if (m_stream.GetSize() != (int64_t)bytes.size()) m_ok = false;
    }
    size_t Remaining() const { return Ok() ? (size_t)(m_stream.GetSize() - m_stream.GetPosition()) : 0; }
    bool Ok() const { return m_ok && !m_stream.IsOverrun(); }
    bool AtEnd() const { return Ok() && Remaining() == 0; }
    uint32_t U32() { return Ok() ? (uint32_t)m_stream.ReadInteger() : 0; }
    bool Value(TaggedValue* out)
    {
        uint32_t kind = U32();
        uint32_t plain = kind & ~(VALUE_MARK_MAP | VALUE_MARK_LIST);
        if (plain == VALUE_STRING) {
            uint32_t length = U32();
            const unsigned char* text = Ok() ? m_stream.ReadInPlace(length) : nullptr;
            // Strings end at their first zero byte, so a text that holds one was never written
            // by a structure: it is damaged.
            if (!text || memchr(text, 0, length)) {
                m_ok = false;
                return false;
            }
            out->SetString((const char*)text, length);
        } else if (plain == VALUE_REAL) {
            out->SetReal(Ok() ? m_stream.ReadReal() : 0.0);
        } else {
            m_ok = false;
        }
        out->kind = kind;
        return Ok();
    }
    // A count of items of at least perItem bytes each that the rest of the text can hold.
    bool Count(size_t perItem, uint32_t* count)
    {
        *count = U32();
        if (Ok() && *count > Remaining() / perItem) m_ok = false;
        return Ok();
    }
    bool Form(uint32_t id)
    {
        if (U32() != id) m_ok = false;
        return Ok();
    }

private:
    CStream m_stream;
    bool m_ok;
};

template <class Sequence>
bool WriteSequence(uint32_t form, const Sequence& values, TaggedValue* out)
{
    Writer w;
    w.U32(form);
    w.U32((uint32_t)values.size());
    for (const TaggedValue& v : values) w.Value(v);
    return w.Finish(out);
}

// Reads into a new sequence; the caller's is replaced only when the whole text was valid.
template <class Sequence>
bool ReadSequence(uint32_t form, const char* text, Sequence* values)
{
    Reader r(text);
    uint32_t count;
    if (!r.Form(form) || !r.Count(MIN_VALUE_BYTES, &count)) return false;
    Sequence read;
    for (uint32_t i = 0; i < count; i++) {
        TaggedValue v;
        if (!r.Value(&v)) return false;
        read.push_back(std::move(v));
    }
    if (!r.AtEnd()) return false;
    *values = std::move(read);
    return true;
}

}  // namespace

bool DS_WriteString(const CDS_Stack& s, TaggedValue* out) { return WriteSequence(FORM_STACK, s.m_values, out); }
bool DS_WriteString(const CDS_Queue& q, TaggedValue* out) { return WriteSequence(FORM_QUEUE, q.m_values, out); }
bool DS_WriteString(const CDS_List& l, TaggedValue* out) { return WriteSequence(FORM_LIST, l.m_values, out); }
bool DS_ReadString(CDS_Stack& s, const char* text) { return ReadSequence(FORM_STACK, text, &s.m_values); }
bool DS_ReadString(CDS_Queue& q, const char* text) { return ReadSequence(FORM_QUEUE, text, &q.m_values); }
bool DS_ReadString(CDS_List& l, const char* text) { return ReadSequence(FORM_LIST, text, &l.m_values); }

bool DS_WriteString(const CDS_Map& m, TaggedValue* out)
{
    Writer w;
    w.U32(FORM_MAP);
    w.U32((uint32_t)m.Size());
    for (const CDS_Map::Entry& e : m.Entries()) {
        w.Value(e.key);
        w.Value(e.value);
    }
    return w.Finish(out);
}

bool DS_ReadString(CDS_Map& m, const char* text)
{
    Reader r(text);
    uint32_t count;
    if (!r.Form(FORM_MAP) || !r.Count(2 * MIN_VALUE_BYTES, &count)) return false;
    CDS_Map read;
    for (uint32_t i = 0; i < count; i++) {
        TaggedValue key, value;
        if (!r.Value(&key) || !r.Value(&value)) return false;
        if (!read.AddDistinct(key, value)) return false;  // a key twice
    }
    if (!r.AtEnd()) return false;
    m.Assign(read);
    return true;
}

bool DS_WriteString(const CDS_Priority& p, TaggedValue* out)
{
    Writer w;
    w.U32(FORM_PRIORITY);
    w.U32((uint32_t)p.Size());
    for (const CDS_Priority::Item& item : p.m_items) {
        w.Value(item.value);
        w.Value(item.priority);
    }
    return w.Finish(out);
}

bool DS_ReadString(CDS_Priority& p, const char* text)
{
    Reader r(text);
    uint32_t count;
    if (!r.Form(FORM_PRIORITY) || !r.Count(2 * MIN_VALUE_BYTES, &count)) return false;
    std::vector<CDS_Priority::Item> read;
    for (uint32_t i = 0; i < count; i++) {
        CDS_Priority::Item item;
        if (!r.Value(&item.value) || !r.Value(&item.priority)) return false;
        read.push_back(std::move(item));
    }
    if (!r.AtEnd()) return false;
    p.m_items = std::move(read);
    return true;
}

bool DS_WriteString(const CDS_Grid& g, TaggedValue* out)
{
    Writer w;
    w.U32(FORM_GRID);
    w.U32((uint32_t)g.Width());
    w.U32((uint32_t)g.Height());
    // A grid 0 wide may still be 2147483647 high: walk the cells, not the rows.
    for (int64_t i = 0; i < (int64_t)g.Width() * g.Height(); i++) w.Value(g.At((int)(i % g.Width()), (int)(i / g.Width())));
    return w.Finish(out);
}

bool DS_ReadString(CDS_Grid& g, const char* text)
{
    Reader r(text);
    if (!r.Form(FORM_GRID)) return false;
    int32_t width = (int32_t)r.U32();
    int32_t height = (int32_t)r.U32();
    if (!r.Ok() || width < 0 || height < 0 || !CDS_Grid::SizeAllowed(width, height)) return false;
    if ((uint64_t)width * (uint64_t)height > r.Remaining() / MIN_VALUE_BYTES) return false;
    CDS_Grid read(width, height);
    if (read.Width() != width || read.Height() != height) return false;  // no memory for the cells
    for (int64_t i = 0; i < (int64_t)width * height; i++)
        if (!r.Value(&read.At((int)(i % width), (int)(i / width)))) return false;
    if (!r.AtEnd()) return false;
    g.Assign(read);
    return true;
}
