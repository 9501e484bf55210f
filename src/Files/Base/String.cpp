#include "Base/String.h"
#include "Base/MemoryManager.h"

#include <cctype>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>

char* String_Concat(char* old, const char* p1, const char* p2, const char* p3, const char* p4,
                    const char* p5, const char* p6, const char* p7, const char* p8, const char* p9,
                    const char* p10)
{
    const char* parts[10] = {p1, p2, p3, p4, p5, p6, p7, p8, p9, p10};
    size_t lengths[10];
    size_t total = 0;
    for (int i = 0; i < 10; i++) {
        lengths[i] = parts[i] ? strlen(parts[i]) : 0;
        total += lengths[i];
    }
    // A new block, so that parts pointing into the old string stay readable while copying.
    char* result = (char*)MemAlloc(total + 1);
    if (!result) return old;
    char* out = result;
    for (int i = 0; i < 10; i++) {
        if (lengths[i] == 0) continue;
        memcpy(out, parts[i], lengths[i]);
        out += lengths[i];
    }
    *out = 0;
    MemFree(old);
    return result;
}

void TrimAssign(char** slot, const char* source)
{
    char* copy = nullptr;
    if (source) {
        const unsigned char* start = (const unsigned char*)source;
        while (*start && *start < 33) start++;
        const unsigned char* end = start + strlen((const char*)start);
        while (end > start && end[-1] < 33) end--;
        size_t n = (size_t)(end - start);
        copy = (char*)MemAlloc(n + 1);
        if (copy) {
            memcpy(copy, start, n);
            copy[n] = 0;
        }
    }
    MemFree(*slot);
    *slot = copy;
}

int Pos(const char* needle, const char* haystack)
{
    if (!needle || !haystack) return 0;
    const char* found = strstr(haystack, needle);
    return found ? (int)(found - haystack) + 1 : 0;
}

int Text_HashToNewline(char* text)
{
    if (!text) return 0;
    int characters = 0;
    char* out = text;
    for (const char* in = text; *in; in++) {
        char c = *in;
        if (c == '\\' && in[1] == '#') {
            c = '#';
            in++;
        } else if (c == '#') {
            c = 13;
        }
        *out++ = c;
        if (((unsigned char)c & 0xC0) != 0x80) characters++;  // continuation bytes are not characters
    }
    *out = 0;
    return characters;
}

namespace {

locale_t CLocale()
{
    static locale_t c = newlocale(LC_ALL_MASK, "C", (locale_t)0);
    return c;
}

}  // namespace

double String_ToReal(const char* text, const char** end)
{
    if (end) *end = text;
    if (!text) return 0.0;
    const char* p = text;
    while (isspace((unsigned char)*p)) p++;
    if (*p == '+' || *p == '-') p++;
    bool digit = isdigit((unsigned char)*p) || (*p == '.' && isdigit((unsigned char)p[1]));
    if (!digit) return 0.0;
    char* stop = nullptr;
    double value;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        // Only the "0" belongs to a decimal number.
        value = 0.0;
        stop = (char*)p + 1;
    } else {
        value = strtod_l(text, &stop, CLocale());
    }
    if (end) *end = stop;
    return value;
}

int String_FromReal(char* out, size_t size, const char* format, double value)
{
    locale_t previous = uselocale(CLocale());
    int n = snprintf(out, size, format, value);
    uselocale(previous);
    return n;
}

void TStringList::Append(char* text)
{
    TStringListNode* node = new TStringListNode{nullptr, text};
    if (tail) tail->next = node; else head = node;
    tail = node;
    count++;
}

void TStringList::SetText(const char* text)
{
    Clear();
    if (!text) return;
    buffer = MemStrDup(text);
    if (!buffer) return;
    char* line = buffer;
    for (char* p = buffer;; p++) {
        if (*p == 0) {
            if (*line) Append(line);  // no empty line after a final line break
            break;
        }
        if (*p == '\r' || *p == '\n') {
            bool crlf = (*p == '\r' && p[1] == '\n');
            *p = 0;
            Append(line);
            if (crlf) p++;
            line = p + 1;
        }
    }
}

void TStringList::Clear()
{
    while (head) {
        TStringListNode* next = head->next;
        delete head;
        head = next;
    }
    tail = nullptr;
    count = 0;
    MemFree(buffer);
    buffer = nullptr;
}
