#include "Variable/Value.h"
#include "Base/MemoryManager.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <string_view>

double MathEpsilon = 0.00001;

char* TaggedValue::NewText(const char* text, size_t length)
{
    if (length > 0x7FFFFFF0u) length = 0x7FFFFFF0u;
    TextBlock* b = (TextBlock*)MemAlloc(sizeof(TextBlock) + length + 1);
    if (!b) return nullptr;
    b->refs = 1;
    b->length = (uint32_t)length;
    b->hash = 0;
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

bool TaggedValue::Append(const char* text, size_t length)
{
    length = TextLength(text, length);
    size_t old = IsString() ? GetLength() : 0;
    if (length > VALUE_STRING_MAX || old > VALUE_STRING_MAX - length) return false;
    if (!IsString()) SetString("", 0);
    size_t total = old + length;
    if (str) {
        TextBlock* b = Block();
        size_t room = MemoryManager_GetSize(b) - sizeof(TextBlock) - 1;
        if (b->refs == 1 && room >= total) {
            memmove(str + old, text, length);
            str[total] = 0;
            b->length = (uint32_t)total;
            b->hash = 0;
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
    if (a.IsString()) return strcmp(a.GetString(), b.GetString()) == 0;
    return std::fabs(a.val - b.val) <= MathEpsilon;
}
