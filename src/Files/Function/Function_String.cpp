// The string built-ins. Strings are NUL-terminated UTF-8; the character functions find character
// boundaries with the UTF-8 decoder and copy the bytes between them, so text that is not valid
// UTF-8 keeps its bytes; a text whose characters are all one byte (its count of characters, kept
// with the text, is its length) is indexed directly. The byte, search and replace functions work
// on bytes.
#include "Function/Function_String.h"
#include "Base/MemoryManager.h"
#include "Base/String.h"
#include "Base/UTF8.h"
#include "Code/Code_Builtins.h"
#include "Code/Error.h"
#include "Variable/Arguments.h"

#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

// The widest field string_format pads to, and the most decimals it writes.
constexpr int kMaxFormatWidth = 4096;
constexpr int kMaxFormatDecimals = 100;
// Room for any double with two decimals ("%.2f" of -1.8e308 takes 313 bytes).
constexpr size_t kRealTextSize = 320;
// Room for any field string_format makes.
constexpr size_t kFormatTextSize = kMaxFormatWidth + kRealTextSize + kMaxFormatDecimals;

// Whether the argument kinds match a pattern of 's' (string) and 'r' (real), count included.
template <size_t N>
inline bool Kinds(int argc, const TaggedValue* args, const char (&pattern)[N])
{
    if (argc != (int)N - 1) return false;
    for (size_t i = 0; i + 1 < N; i++) {
        if (pattern[i] == 's' ? !args[i].IsString() : !args[i].IsReal()) return false;
    }
    return true;
}

// A 1-based index argument as a 0-based position (an index of 0 or less gives a negative one).
int64_t Position(const TaggedValue& a)
{
    return (int64_t)Arg_I(a) - 1;
}

// The first occurrence of sub in the bytes [from, end), or null. Lengths are known, so a search
// never rescans the text before or after it.
const char* Find(const char* from, const char* end, const char* sub, size_t nsub)
{
    size_t at = std::string_view(from, (size_t)(end - from)).find(std::string_view(sub, nsub));
    return at == std::string_view::npos ? nullptr : from + at;
}

// Reports and refuses a result longer than strings may be (the bound of + too), so that a
// repeat or replacement cannot ask for an unbounded block.
bool WithinBound(uint64_t bytes, const char* message)
{
    if (bytes <= VALUE_STRING_MAX) return true;
    Error_Show_Action(message, false);
    return false;
}

// Joins up to three byte ranges into the result.
void SetJoined(TaggedValue* result, const char* a, size_t na, const char* b, size_t nb, const char* c, size_t nc)
{
    char* buffer = (char*)MemAlloc(na + nb + nc + 1);
    if (!buffer) return result->SetString("");
    memcpy(buffer, a, na);
    memcpy(buffer + na, b, nb);
    memcpy(buffer + na + nb, c, nc);
    result->SetString(buffer, na + nb + nc);
    MemFree(buffer);
}

// The bytes of the text for which keep() holds.
void SetFiltered(TaggedValue* result, const char* s, bool (*keep)(unsigned char))
{
    size_t n = strlen(s);
    char* buffer = (char*)MemAlloc(n + 1);
    if (!buffer) return result->SetString("");
    size_t k = 0;
    for (size_t i = 0; i < n; i++) {
        if (keep((unsigned char)s[i])) buffer[k++] = s[i];
    }
    result->SetString(buffer, k);
    MemFree(buffer);
}

bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsLetterOrDigit(unsigned char c) { return IsLetter(c) || IsDigit(c); }

// ASCII letters only; bytes above 127 belong to UTF-8 sequences and stay as they are.
void SetCased(TaggedValue* result, const char* s, bool upper)
{
    size_t n = strlen(s);
    result->SetString(s, n);
    if (!result->str) return;
    for (size_t i = 0; i < n; i++) {
        char c = result->str[i];
        if (upper && c >= 'a' && c <= 'z') result->str[i] = (char)(c - 32);
        if (!upper && c >= 'A' && c <= 'Z') result->str[i] = (char)(c + 32);
    }
}

// Replaces the first (or every) occurrence of sub in s, searching only text not yet replaced.
void Replace(TaggedValue* result, int argc, TaggedValue* args, bool all)
{
    const char* s = Arg_S(args[0]);
    const char* sub = Arg_S(args[1]);
    const char* with = Arg_S(args[2]);
    size_t ns = strlen(s), nsub = strlen(sub), nwith = strlen(with);
    // A missing substring replaces nothing. An empty one is found at the start of a text that is
    // not empty, like every search's: string_replace puts the new text before it, while
    // string_replace_all, which would find it there for ever, leaves the text as it is.
    if (!args[1].IsString() || (nsub == 0 && (all || ns == 0))) return result->SetString(s, ns);
    const char* end = s + ns;
    uint64_t matches = 0;
    for (const char* p = Find(s, end, sub, nsub); p; p = Find(p + nsub, end, sub, nsub)) {
        matches++;
        if (!all) break;
    }
    uint64_t size = ns - matches * nsub + matches * nwith;
    if (!WithinBound(size, all ? "string_replace_all : result too long" : "string_replace : result too long")) {
        return result->SetString("");
    }
    char* buffer = (char*)MemAlloc(size + 1);
    if (!buffer) return result->SetString("");
    char* out = buffer;
    const char* rest = s;
    for (uint64_t m = 0; m < matches; m++) {
        const char* at = Find(rest, end, sub, nsub);
        memcpy(out, rest, (size_t)(at - rest));
        out += at - rest;
        memcpy(out, with, nwith);
        out += nwith;
        rest = at + nsub;
    }
    memcpy(out, rest, ns - (size_t)(rest - s));
    result->SetString(buffer, size);
    MemFree(buffer);
}

}  // namespace

void F_real(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    if (args[0].IsReal()) return result->SetReal(args[0].val);
    char* trimmed = nullptr;
    TrimAssign(&trimmed, Arg_S(args[0]));
    result->SetReal(String_ToReal(trimmed, nullptr));
    MemFree(trimmed);
}

std::string String_TwoDecimals(double r)
{
    char buffer[kRealTextSize];
    String_FromReal(buffer, sizeof buffer, "%.2f", r);
    return buffer;
}

std::string String_OfReal(double r)
{
    int whole = RealToInt(r);
    return (double)whole == r ? std::to_string(whole) : String_TwoDecimals(r);
}

void F_string(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    if (!args[0].IsReal()) return result->SetString(Arg_S(args[0]));
    const std::string text = String_OfReal(args[0].val);
    result->SetString(text.data(), text.size());
}

void F_string_format(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    if (!args[0].IsReal()) return result->SetString(Arg_S(args[0]));
    // "%W.Df" with W = total - decimals (a negative width pads on the right), both bounded.
    int64_t total = Arg_T(args[1]), decimals = Arg_T(args[2]);
    int64_t width = total - decimals;
    if (width > kMaxFormatWidth) width = kMaxFormatWidth;
    if (width < -kMaxFormatWidth) width = -kMaxFormatWidth;
    if (decimals < 0) decimals = 0;
    if (decimals > kMaxFormatDecimals) decimals = kMaxFormatDecimals;
    char format[32];
    snprintf(format, sizeof format, "%%%d.%df", (int)width, (int)decimals);
    char buffer[kFormatTextSize];
    String_FromReal(buffer, sizeof buffer, format, args[0].val);
    result->SetString(buffer);
}

void F_chr(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    int x = Arg_T(args[0]);
    char buffer[4];
    char* p = buffer;
    UTF8_PutChar(&p, x <= 127 ? (unsigned int)(x & 127) : (unsigned int)x);
    *p = 0;
    result->SetString(buffer);
}

void F_ansi_char(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetByte((unsigned char)(Arg_I(args[0]) & 255));
}

void F_ord(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    const char* s = Arg_S(args[0]);
    result->SetReal((double)UTF8_GetChar(&s));
}

void F_string_length(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal((double)args[0].TextChars());
}

void F_string_byte_length(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal((double)strlen(Arg_S(args[0])));
}

void F_string_pos(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    // A substring or text that is not a string is missing: nothing is found.
    if (!args[0].IsString() || !args[1].IsString()) return result->SetReal(0.0);
    const char* sub = Arg_S(args[0]);
    const char* s = Arg_S(args[1]);
    int at = *s ? Pos(sub, s) : 0;
    if (at == 0) return result->SetReal(0.0);
    int index = 1;
    for (const char* p = s; p < s + at - 1; index++) UTF8_GetChar(&p);
    result->SetReal((double)index);
}

void F_string_copy(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    if (!Kinds(argc, args, "srr")) return result->SetString("");
    const char* s = Arg_S(args[0]);
    int64_t length = args[0].TextChars();
    int64_t start = Position(args[1]);
    if (start < 0) start = 0;
    int64_t count = Arg_I(args[2]);
    if (count < 0) count = 0;
    if (start >= length) return result->SetString("");
    if (start + count > length) count = length - start;
    if (length == (int64_t)args[0].GetLength()) return result->SetString(s + start, (size_t)count);
    size_t from = UTF8_Offset(s, (int)start);
    size_t bytes = UTF8_Offset(s + from, (int)count);
    result->SetString(s + from, bytes);
}

void F_string_char_at(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    if (!Kinds(argc, args, "sr")) return result->SetString("");
    if (Code_Fast_StringCharAt(args[0], args[1], result)) return;
    const char* s = Arg_S(args[0]);
    int64_t i = Position(args[1]);
    if (i < 0) i = 0;
    if (i >= args[0].TextChars()) return result->SetString("");
    size_t from = UTF8_Offset(s, (int)i);
    result->SetString(s + from, UTF8_Offset(s + from, 1));
}

void F_string_byte_at(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetReal(0.0);
    if (!Kinds(argc, args, "sr")) return;
    const char* s = Arg_S(args[0]);
    int64_t length = (int64_t)strlen(s);
    if (length == 0) return;
    int64_t i = Position(args[1]);
    if (i < 0) i = 0;
    if (i > length - 1) i = length - 1;
    result->SetReal((double)(signed char)s[i]);
}

void F_string_set_byte_at(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    const char* s = Arg_S(args[0]);
    size_t length = strlen(s);
    result->SetString(s, length);
    if (!Kinds(argc, args, "srr") || !result->str) return;
    int64_t i = Position(args[1]);
    if (i < 0 || i >= (int64_t)length) {
        Error_Show_Action("string_set_byte_at : index beyond end of string", false);
        return;
    }
    char byte = (char)(Arg_T(args[2]) & 0xFF);
    // A zero byte ends the text; bytes kept behind it would reappear in joins and writes.
    if (byte == 0) result->SetString(s, (size_t)i);
    else result->str[i] = byte;
}

void F_string_delete(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    const char* s = Arg_S(args[0]);
    int64_t length = UTF8_Length(s);
    int64_t p = Position(args[1]);
    int64_t count = Arg_I(args[2]);
    if (p < 0 || p >= length || count <= 0) return result->SetString(s);
    int64_t end = p + (length - p < count ? length - p : count);
    size_t from = UTF8_Offset(s, (int)p);
    size_t to = from + UTF8_Offset(s + from, (int)(end - p));
    SetJoined(result, s, from, s + to, strlen(s + to), "", 0);
}

void F_string_insert(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    const char* sub = Arg_S(args[0]);
    const char* s = Arg_S(args[1]);
    if (!*sub) return result->SetString(s);
    int64_t length = UTF8_Length(s);
    int64_t p = Position(args[2]);
    if (p < 0) p = 0;
    if (p > length) p = length;
    size_t at = UTF8_Offset(s, (int)p), nsub = strlen(sub), rest = strlen(s + at);
    if (!WithinBound((uint64_t)at + nsub + rest, "string_insert : result too long")) return result->SetString("");
    SetJoined(result, s, at, sub, nsub, s + at, rest);
}

void F_string_lower(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    SetCased(result, Arg_S(args[0]), false);
}

void F_string_upper(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    SetCased(result, Arg_S(args[0]), true);
}

void F_string_repeat(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    const char* s = Arg_S(args[0]);
    uint64_t n = strlen(s);
    int count = Arg_I(args[1]);
    if (n == 0 || count <= 0) return result->SetString("");
    uint64_t size = n * (uint64_t)count;
    if (!WithinBound(size, "string_repeat : result too long")) return result->SetString("");
    char* buffer = (char*)MemAlloc(size + 1);
    if (!buffer) return result->SetString("");
    for (int i = 0; i < count; i++) memcpy(buffer + i * n, s, n);
    result->SetString(buffer, size);
    MemFree(buffer);
}

void F_string_letters(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    SetFiltered(result, Arg_S(args[0]), IsLetter);
}

void F_string_digits(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    if (!Kinds(argc, args, "s")) return result->SetString("");
    SetFiltered(result, Arg_S(args[0]), IsDigit);
}

void F_string_lettersdigits(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    SetFiltered(result, Arg_S(args[0]), IsLetterOrDigit);
}

void F_string_replace(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    Replace(result, argc, args, false);
}

void F_string_replace_all(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    Replace(result, argc, args, true);
}

void F_string_count(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    const char* sub = Arg_S(args[0]);
    const char* s = Arg_S(args[1]);
    double count = 0.0;
    size_t nsub = strlen(sub);
    const char* end = s + strlen(s);
    if (nsub && *s) {
        for (const char* p = Find(s, end, sub, nsub); p; p = Find(p + 1, end, sub, nsub)) count++;
    }
    result->SetReal(count);
}
