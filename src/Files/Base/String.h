// Engine strings: joining, trimming, searching, the "#" line-break rule, numbers in the C locale,
// and the string list that splits one owned buffer into lines.
#pragma once
#include <cstddef>

// Joins the non-null, non-empty parts into a new memory-manager string and frees `old` (which may
// be null, and which a part may point into). Never returns null (an empty result is "").
char* String_Concat(char* old, const char* p1, const char* p2 = nullptr, const char* p3 = nullptr,
                    const char* p4 = nullptr, const char* p5 = nullptr, const char* p6 = nullptr,
                    const char* p7 = nullptr, const char* p8 = nullptr, const char* p9 = nullptr,
                    const char* p10 = nullptr);

// Frees *slot and stores a new copy of `source` without leading and trailing bytes below 33
// (a null source stores null). `source` may be the string in the slot.
void TrimAssign(char** slot, const char* source);

// 1-based byte position of the first occurrence of needle in haystack; 0 when absent or when
// either is null; an empty needle is found at 1.
int Pos(const char* needle, const char* haystack);

// Rewrites UTF-8 text in place: "#" becomes CR (13) and "\#" becomes "#". Returns the number of
// characters (not bytes) left.
int Text_HashToNewline(char* text);

// Parses a decimal real in the C locale whatever the process locale: optional white space and
// sign, digits with an optional fraction and exponent. Hexadecimal, "inf" and "nan" are not
// numbers here. Returns 0 with *end == text when nothing was read. `end` may be null.
double String_ToReal(const char* text, const char** end);

// Formats one real with a printf format (e.g. "%.2f") in the C locale; returns what snprintf does.
int String_FromReal(char* out, size_t size, const char* format, double value);

struct TStringListNode {
    TStringListNode* next;
    char* text;  // points into the list's buffer
};

// A list of strings that all point into one buffer the list owns.
class TStringList {
public:
    TStringList() = default;
    ~TStringList() { Clear(); }
    TStringList(const TStringList&) = delete;
    TStringList& operator=(const TStringList&) = delete;

    // Replaces the content with a copy of `text` cut into lines at LF, CR LF or CR.
    void SetText(const char* text);
    // Frees the nodes and the buffer.
    void Clear();

    TStringListNode* head = nullptr;
    TStringListNode* tail = nullptr;
    int count = 0;
    char* buffer = nullptr;

private:
    void Append(char* text);
};
