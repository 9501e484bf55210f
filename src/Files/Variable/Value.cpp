#include "Variable/Value.h"
#include "Base/MemoryManager.h"
#include "Base/UTF8.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <string_view>

double MathEpsilon = 0.00001;

char* TaggedValue::NewText(const char* text, size_t length)
{
    if (length > 0x7FFFFFF0u) length = 0x7FFFFFF0u;
    // Rounded up as the allocator rounds anyway: a few bytes joined on later fit in place.
    TextBlock* b = (TextBlock*)MemAlloc((sizeof(TextBlock) + length + 1 + 15) & ~(size_t)15);
    if (!b) return nullptr;
    b->refs = 1;
    b->length = (uint32_t)length;
    b->hash = 0;
    b->chars = 0;
    char* s = (char*)(b + 1);
    if (text) memcpy(s, text, length);
    s[length] = 0;
    return s;
}

void TaggedValue::FreeText()
{
    MemFree(Block());
}

uint32_t TaggedValue::HashText() const
{
    uint32_t h = (uint32_t)std::hash<std::string_view>()(std::string_view(GetString(), GetLength()));
    if (h == 0) h = 1;  // 0 marks a hash not yet worked out
    if (str) Block()->hash = h;
    return h;
}

uint32_t TaggedValue::CountChars() const
{
    if (!str) return 0;
    // Bytes below 0x80 are characters of their own: a text of only those needs no decoding.
    const unsigned char* p = (const unsigned char*)str;
    size_t length = GetLength(), k = 0;
    while (k < length && p[k] < 0x80) k++;
    uint32_t n = k == length ? (uint32_t)length : (uint32_t)k + (uint32_t)UTF8_Length(str + k);
    Block()->chars = n + 1;
    return n;
}

void TaggedValue::SetByte(unsigned char byte)
{
    // The texts of one byte, shared by every value that holds one: their owners never count
    // down to 0, so they are never freed, and no owner writes into them (Append grows only a
    // text it owns alone).
    struct Shared {
        TextBlock block;
        char text[2];
    };
    static Shared* const shared = [] {
        static Shared table[256];
        for (int k = 0; k < 256; k++) table[k] = Shared{{1 << 30, k ? 1u : 0u, 0, k ? 2u : 1u}, {(char)k, 0}};
        return table;
    }();
    if (str) ReleaseText();
    kind = VALUE_STRING;
    str = shared[byte].text;
    shared[byte].block.refs++;
    val = 0.0;
}

void TaggedValue::SetString(const char* text)
{
    SetString(text, text ? strlen(text) : 0);
}

// A text ends at its first zero byte, as every reader of a C string sees it.
static size_t TextLength(const char* text, size_t length)
{
    const void* zero = text ? memchr(text, 0, length) : nullptr;
    return zero ? (size_t)((const char*)zero - text) : length;
}

void TaggedValue::SetString(const char* text, size_t length)
{
    length = TextLength(text, length);
    // The new text may be part of the old one: make it before releasing.
    char* s = NewText(text, length);
    if (str) ReleaseText();
    kind = VALUE_STRING;
    str = s;
    val = 0.0;
}

bool TaggedValue::HasRoomFor(size_t length) const
{
    if (!str || Block()->refs != 1) return false;
    size_t old = GetLength();
    return length <= VALUE_STRING_MAX - old && MemoryManager_GetSize(Block()) - sizeof(TextBlock) - 1 >= old + length;
}

bool TaggedValue::PrependInPlace(const char* text, size_t length)
{
    length = TextLength(text, length);
    if (!IsString() || !HasRoomFor(length)) return false;
    size_t old = GetLength();
    memmove(str + length, str, old + 1);
    memcpy(str, text, length);
    TextBlock* b = Block();
    b->length = (uint32_t)(old + length);
    b->hash = 0;
    b->chars = 0;
    return true;
}

bool TaggedValue::Append(const char* text, size_t length)
{
    length = TextLength(text, length);
    size_t old = IsString() ? GetLength() : 0;
    if (length > VALUE_STRING_MAX || old > VALUE_STRING_MAX - length) return false;
    if (!IsString()) SetString("", 0);
    size_t total = old + length;
    if (str) {
        TextBlock* b = Block();
        if (b->refs == 1 && MemoryManager_GetSize(b) - sizeof(TextBlock) - 1 >= total) {
            memmove(str + old, text, length);
            str[total] = 0;
            b->length = (uint32_t)total;
            b->hash = 0;
            b->chars = 0;
            return true;
        }
    }
    // Room for more: a text joined once is usually joined again.
    size_t capacity = total < 2 * old ? 2 * old : total;
    if (capacity < 32) capacity = 32;
    if (capacity > VALUE_STRING_MAX) capacity = VALUE_STRING_MAX;
    TextBlock* b = (TextBlock*)MemAlloc(sizeof(TextBlock) + capacity + 1);
    if (!b) return false;
    b->refs = 1;
    b->length = (uint32_t)total;
    b->hash = 0;
    b->chars = 0;
    char* s = (char*)(b + 1);
    if (old) memcpy(s, str, old);
    memcpy(s + old, text, length);
    s[total] = 0;
    if (str) ReleaseText();
    str = s;
    return true;
}

bool TaggedValue::SetJoined(const char* a, size_t la, const char* b, size_t lb)
{
    if (la > VALUE_STRING_MAX || lb > VALUE_STRING_MAX - la) return false;
    // Either part may be this value's own text: the new one is made before the old is released.
    char* s = NewText(nullptr, la + lb);
    if (!s) return false;
    memcpy(s, a, la);
    memcpy(s + la, b, lb);
    if (str) ReleaseText();
    kind = VALUE_STRING;
    str = s;
    val = 0.0;
    return true;
}

bool Value_Equal(const TaggedValue& a, const TaggedValue& b)
{
    if (a.IsString() != b.IsString()) return false;
    if (a.IsString()) return Value_SameText(a, b);
    return std::fabs(a.val - b.val) <= MathEpsilon;
}
