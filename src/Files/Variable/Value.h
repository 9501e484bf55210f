// TaggedValue: the value of the scripting language, a real or a UTF-8 string.
// The string lives in a shared, reference-counted block of the memory manager, so copying a
// value never copies its text; writing a new text gives the value a block of its own.
#pragma once
#include <cstddef>
#include <cstdint>

enum : uint32_t {
    VALUE_REAL = 0,
    VALUE_STRING = 1,
};
// The longest text (in bytes) that joining strings, with + and += and the string built-ins, may
// make: a longer result is refused with an error, never cut.
constexpr size_t VALUE_STRING_MAX = (size_t)1 << 28;

// Nesting marks of values built from JSON, kept in the top bits of the kind word.
constexpr uint32_t VALUE_MARK_MAP = 0x80000000u;
constexpr uint32_t VALUE_MARK_LIST = 0x40000000u;
constexpr uint32_t VALUE_KIND_MASK = 0x00FFFFFFu;

struct TaggedValue {
    uint32_t kind = VALUE_REAL;
    char* str = nullptr;  // text of a string value; null for a real or a string without text
    double val = 0.0;

    TaggedValue() = default;
    TaggedValue(double v) : val(v) {}
    explicit TaggedValue(const char* text) { SetString(text); }
    TaggedValue(const TaggedValue& other) : kind(other.kind), str(other.str), val(other.val)
    {
        if (str) Block()->refs++;
    }
    TaggedValue(TaggedValue&& other) noexcept : kind(other.kind), str(other.str), val(other.val)
    {
        other.kind = VALUE_REAL;
        other.str = nullptr;
        other.val = 0.0;
    }
    TaggedValue& operator=(const TaggedValue& other)
    {
        // Taken first: other may be this value.
        uint32_t k = other.kind;
        char* s = other.str;
        double v = other.val;
        if (s) other.Block()->refs++;
        if (str) ReleaseText();
        kind = k;
        str = s;
        val = v;
        return *this;
    }
    TaggedValue& operator=(TaggedValue&& other) noexcept
    {
        if (this == &other) return *this;
        if (str) ReleaseText();
        kind = other.kind;
        str = other.str;
        val = other.val;
        other.kind = VALUE_REAL;
        other.str = nullptr;
        other.val = 0.0;
        return *this;
    }
    ~TaggedValue() { if (str) ReleaseText(); }

    uint32_t Kind() const { return kind & VALUE_KIND_MASK; }
    bool IsReal() const { return Kind() == VALUE_REAL; }
    bool IsString() const { return Kind() == VALUE_STRING; }

    // A real value: the double; a string value reads as 0.
    double GetReal() const { return IsReal() ? val : 0.0; }
    // The text of a string value, "" for a real or a string without text.
    const char* GetString() const { return str ? str : ""; }
    size_t GetLength() const { return str ? Block()->length : 0; }
    // A hash of the text's bytes (a real has the hash of ""), worked out once for each text.
    uint32_t TextHash() const { return str && Block()->hash ? Block()->hash : HashText(); }

    void SetReal(double v)
    {
        if (str) ReleaseText();
        kind = VALUE_REAL;
        val = v;
    }
    void SetString(const char* text);
    void SetString(const char* text, size_t length);
    // Makes the value a string and appends text; a text this value owns alone grows in place,
    // with room to spare, so that building a string piece by piece does not copy it each time.
    // False, and the value unchanged, when the text would pass VALUE_STRING_MAX bytes.
    bool Append(const char* text, size_t length);
    // Makes the value the string a followed by b; false, and the value unchanged, when the text
    // would pass VALUE_STRING_MAX bytes or memory ran out.
    bool SetJoined(const char* a, size_t la, const char* b, size_t lb);
    void Free() { SetReal(0.0); }

private:
    // The shared text block in front of the text: its owners, its length and its hash (0 while
    // not worked out).
    struct TextBlock {
        int32_t refs;
        uint32_t length;
        uint32_t hash;
    };
    TextBlock* Block() const { return (TextBlock*)str - 1; }
    static char* NewText(const char* text, size_t length);
    void ReleaseText()
    {
        if (--Block()->refs == 0) FreeText();
        str = nullptr;
    }
    void FreeText();
    uint32_t HashText() const;
};

// Equality of two values as the language compares them (reals within MathEpsilon).
bool Value_Equal(const TaggedValue& a, const TaggedValue& b);

// The process-wide epsilon within which the script engine compares reals.
extern double MathEpsilon;
