#include "Base/UTF8.h"

#include <gtest/gtest.h>
#include <string>

TEST(UTF8, DecodesOneToThreeBytes)
{
    const char* text = "a\xC3\xA4\xE2\x82\xAC";  // a, a-umlaut, euro sign
    const char* p = text;
    EXPECT_EQ(UTF8_GetChar(&p), 0x61u);
    EXPECT_EQ(UTF8_GetChar(&p), 0xE4u);
    EXPECT_EQ(p - text, 3);
    EXPECT_EQ(UTF8_GetChar(&p), 0x20ACu);
    EXPECT_EQ(p - text, 6);
    EXPECT_EQ(UTF8_GetChar(&p), 0u);
    EXPECT_EQ(p - text, 6);  // the NUL is not stepped over
    EXPECT_EQ(UTF8_Length(text), 3);
    EXPECT_EQ(UTF8_Length(nullptr), 0);
}

TEST(UTF8, InvalidBytesAreSingleCharacters)
{
    struct Case { const char* text; unsigned int first; int bytes; };
    const Case cases[] = {
        {"\xE4", 0xE4, 1},            // a lone lead byte before the NUL
        {"\xE2\x82", 0xE2, 1},        // a three-byte sequence cut short by the NUL
        {"\xC3", 0xC3, 1},            // a two-byte sequence cut short by the NUL
        {"\xA4x", 0xA4, 1},           // a stray continuation byte
        {"\xC3x", 0xC3, 1},           // a lead byte followed by ASCII
        {"\xC0\x80", 0xC0, 1},        // an overlong NUL is no NUL
        {"\xF0\x9F\x98\x80", 0xF0, 1},  // four-byte sequences are beyond the 16-bit range
    };
    for (const Case& c : cases) {
        const char* p = c.text;
        EXPECT_EQ(UTF8_GetChar(&p), c.first) << c.text;
        EXPECT_EQ(p - c.text, c.bytes) << c.text;
    }
    EXPECT_EQ(UTF8_Length("\xE2\x82"), 2);
    EXPECT_EQ(UTF8_Length("\xF0\x9F\x98\x80"), 4);
}

TEST(UTF8, EncodesAndRoundTrips)
{
    const unsigned int points[] = {0x41, 0x7F, 0x80, 0xE4, 0x7FF, 0x800, 0x20AC, 0xFFFF};
    const int sizes[] = {1, 1, 2, 2, 2, 3, 3, 3};
    for (int i = 0; i < 8; i++) {
        char buffer[4] = {};
        char* w = buffer;
        UTF8_PutChar(&w, points[i]);
        EXPECT_EQ(w - buffer, sizes[i]) << points[i];
        const char* r = buffer;
        EXPECT_EQ(UTF8_GetChar(&r), points[i]);
        EXPECT_EQ(r, w);
    }
    char buffer[4] = {};
    char* w = buffer;
    UTF8_PutChar(&w, 0x120AC);  // bits above 16 are dropped
    EXPECT_STREQ(buffer, "\xE2\x82\xAC");
}

TEST(UTF8, CompareAndOffset)
{
    EXPECT_EQ(UTF8_CompareN("\xC3\xA4xyz", "\xC3\xA4xq", 2), 0);
    EXPECT_GT(UTF8_CompareN("\xC3\xA4xyz", "\xC3\xA4xq", 4), 0);
    EXPECT_EQ(UTF8_CompareN("ab", "b", 1), 'a' - 'b');
    EXPECT_EQ(UTF8_CompareN("\xE2\x82\xAC", "a", 1), 0x20AC - 'a');
    EXPECT_EQ(UTF8_CompareN("abc", "ab", 5), 0);  // one text ends first without a difference
    EXPECT_EQ(UTF8_CompareN(nullptr, "a", 1), 0);
    EXPECT_EQ(UTF8_Offset("a\xC3\xA4\xE2\x82\xAC", 2), 3u);
    EXPECT_EQ(UTF8_Offset("a\xC3\xA4", 9), 3u);
}

// The check files are held to: every well-formed sequence of 1 to 4 bytes passes, and each kind
// of malformed one fails wherever it stands.
TEST(UTF8, ValidIsWellFormedUtf8)
{
    auto valid = [](const std::string& s) { return UTF8_Valid(s.data(), s.size()); };
    EXPECT_TRUE(valid(""));
    EXPECT_TRUE(valid("plain ascii"));
    EXPECT_TRUE(valid("\xC3\xA4 \xE2\x82\xAC \xF0\x9F\x98\x80 \xEF\xBF\xBF \xF4\x8F\xBF\xBF"));
    EXPECT_TRUE(valid(std::string("a\0b", 3)));  // U+0000 is a character like any other
    const char* malformed[] = {
        "\x80",             // a continuation byte alone
        "\xC3",             // a sequence cut short
        "\xC3(",            // a start byte without its continuation
        "\xC0\xAF",         // overlong forms
        "\xE0\x9F\xBF",
        "\xF0\x8F\xBF\xBF",
        "\xED\xA0\x80",     // a surrogate half
        "\xF4\x90\x80\x80", // past U+10FFFF
        "\xF5\x80\x80\x80",
        "\xFF",
    };
    for (const char* bad : malformed) {
        EXPECT_FALSE(valid(bad)) << bad;
        EXPECT_FALSE(valid(std::string("ok ") + bad + " ok")) << bad;
    }
}
