#include "Base/UTF8.h"

#include <cstring>

namespace {

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

int CharSize(unsigned int c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : 3; }

}  // namespace

unsigned int UTF8_GetChar(const char** cursor)
{
    const unsigned char* p = (const unsigned char*)*cursor;
    unsigned int b = p[0];
    if (b == 0) return 0;
    // C0 and C1 could only start overlong forms (C0 80 would be a NUL inside the text).
    if (b >= 0xC2 && b < 0xE0 && IsContinuation(p[1])) {
        *cursor += 2;
        return ((b & 0x1F) << 6) | (p[1] & 0x3F);
    }
    // p[2] is read only once p[1] is known not to be the NUL.
    if (b >= 0xE0 && b < 0xF0 && IsContinuation(p[1]) && IsContinuation(p[2])) {
        *cursor += 3;
        return ((b & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
    }
    *cursor += 1;
    return b;
}

void UTF8_PutChar(char** cursor, unsigned int c)
{
    c &= 0xFFFF;
    unsigned char* p = (unsigned char*)*cursor;
    switch (CharSize(c)) {
    case 1:
        p[0] = (unsigned char)c;
        *cursor += 1;
        break;
    case 2:
        p[0] = (unsigned char)(0xC0 | (c >> 6));
        p[1] = (unsigned char)(0x80 | (c & 0x3F));
        *cursor += 2;
        break;
    default:
        p[0] = (unsigned char)(0xE0 | (c >> 12));
        p[1] = (unsigned char)(0x80 | ((c >> 6) & 0x3F));
        p[2] = (unsigned char)(0x80 | (c & 0x3F));
        *cursor += 3;
        break;
    }
}

int UTF8_Length(const char* text)
{
    if (!text) return 0;
    int n = 0;
    while (*text) {
        UTF8_GetChar(&text);
        n++;
    }
    return n;
}

int UTF8_CompareN(const char* a, const char* b, int n)
{
    if (!a) a = "";
    if (!b) b = "";
    for (int i = 0; i < n && *a && *b; i++) {
        int ca = (int)UTF8_GetChar(&a);
        int cb = (int)UTF8_GetChar(&b);
        if (ca != cb) return ca - cb;
    }
    return 0;
}

size_t UTF8_Offset(const char* text, int index)
{
    if (!text) return 0;
    const char* p = text;
    for (int i = 0; i < index && *p; i++) UTF8_GetChar(&p);
    return (size_t)(p - text);
}

bool UTF8_Valid(const char* text, size_t length)
{
    const unsigned char* p = (const unsigned char*)text;
    for (size_t i = 0; i < length;) {
        unsigned int b = p[i];
        size_t n = b < 0x80 ? 1 : b >= 0xC2 && b < 0xE0 ? 2 : b >= 0xE0 && b < 0xF0 ? 3 : b >= 0xF0 && b < 0xF5 ? 4 : 0;
        if (n == 0 || length - i < n) return false;
        for (size_t k = 1; k < n; k++)
            if (!IsContinuation(p[i + k])) return false;
        // The second byte's range rules out overlong forms, surrogates and code points past U+10FFFF.
        unsigned int second = n > 1 ? p[i + 1] : 0;
        if ((b == 0xE0 && second < 0xA0) || (b == 0xED && second > 0x9F) || (b == 0xF0 && second < 0x90) ||
            (b == 0xF4 && second > 0x8F))
            return false;
        i += n;
    }
    return true;
}
