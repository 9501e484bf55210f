#include "Function/Function_Math.h"
#include "BuiltinCall.h"

#include <clocale>
#include <cmath>
#include <string>

namespace {

class StringBuiltins : public BuiltinTest {
protected:
    void Register() override { Function_Math_Init(); }
};

}  // namespace

TEST_F(StringBuiltins, StringOfReals)
{
    EXPECT_EQ(Text("string", {3.0}), "3");
    EXPECT_EQ(Text("string", {2.5}), "2.50");
    EXPECT_EQ(Text("string", {-0.004}), "-0.00");
    EXPECT_EQ(Text("string", {1e10}), "10000000000.00");
    EXPECT_EQ(Text("string", {-2147483648.0}), "-2147483648");
    EXPECT_EQ(Text("string", {-0.0}), "0");
    EXPECT_EQ(Text("string", {NAN}), "nan");
    std::string huge = Text("string", {1e300});
    EXPECT_EQ(huge.size(), 304u);
    EXPECT_EQ(huge.substr(0, 4), "1000");
    EXPECT_EQ(huge.substr(huge.size() - 3), ".00");
    EXPECT_EQ(Text("string", {S("abc")}), "abc");
}

TEST_F(StringBuiltins, StringFormat)
{
    EXPECT_EQ(Text("string_format", {3.5, 8.0, 2.0}), "  3.50");
    EXPECT_EQ(Text("string_format", {3.5, 8.9, 2.9}), "  3.50");  // truncated
    EXPECT_EQ(Text("string_format", {-3.5, 4.0, 1.0}), "-3.5");
    EXPECT_EQ(Text("string_format", {3.14159, 5.0, 0.0}), "    3");
    // A negative width pads on the right; negative decimals count as none.
    EXPECT_EQ(Text("string_format", {3.5, -3.0, 2.0}), "3.50 ");
    EXPECT_EQ(Text("string_format", {3.25, 5.0, -2.0}), "      3");
    EXPECT_EQ(Text("string_format", {S("x"), 8.0, 2.0}), "x");
    // Widths and decimals beyond any buffer are bounded.
    EXPECT_EQ(Text("string_format", {1.0, 1e9, 0.0}).size(), 4096u);
    EXPECT_EQ(Text("string_format", {1.0, -1e9, 0.0}).size(), 4096u);
    EXPECT_EQ(Text("string_format", {1e300, 10.0, 2.0}).size(), 304u);
    EXPECT_EQ(Text("string_format", {-1.7976931348623157e308, 1e6 + 100.0, 1e6}).size(), 1u + 309 + 1 + 100);
    EXPECT_EQ(Text("string_format", {1.0, 1000001.0, 1e6}), "1." + std::string(100, '0'));
    EXPECT_FALSE(Text("string_format", {1.0, NAN, NAN}).empty());
}

TEST_F(StringBuiltins, RealParsesTheLeadingNumber)
{
    EXPECT_EQ(Real("real", {S(" 12.5abc ")}), 12.5);
    EXPECT_EQ(Real("real", {S("\x01\x1F-7e2")}), -700.0);
    EXPECT_EQ(Real("real", {S("")}), 0.0);
    EXPECT_EQ(Real("real", {S("abc")}), 0.0);
    EXPECT_EQ(Real("real", {S("0x10")}), 0.0);
    EXPECT_EQ(Real("real", {4.5}), 4.5);
}

TEST_F(StringBuiltins, NumberTextIgnoresTheProcessLocale)
{
    const char* german[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "de_DE.ISO-8859-1"};
    const char* set = nullptr;
    for (const char* name : german) {
        if ((set = setlocale(LC_ALL, name))) break;
    }
    if (!set) GTEST_SKIP() << "no German locale is installed";
    double parsed = Real("real", {S(" 12.5abc ")});
    double hex = Real("real", {S("0x10")});
    std::string text = Text("string", {2.5});
    std::string formatted = Text("string_format", {3.5, 8.0, 2.0});
    setlocale(LC_ALL, "C");
    EXPECT_EQ(parsed, 12.5);
    EXPECT_EQ(hex, 0.0);
    EXPECT_EQ(text, "2.50");
    EXPECT_EQ(formatted, "  3.50");
}

TEST_F(StringBuiltins, CharactersAndCodePoints)
{
    EXPECT_EQ(Text("chr", {228.0}), "\xC3\xA4");
    EXPECT_EQ(Text("chr", {65.9}), "A");
    EXPECT_EQ(Text("chr", {8364.0}), "\xE2\x82\xAC");
    EXPECT_EQ(Text("chr", {-1.0}), "\x7F");
    EXPECT_EQ(Text("chr", {0.0}), "");
    EXPECT_EQ(Text("chr", {NAN}), "");
    EXPECT_EQ(Text("ansi_char", {228.0}), "\xE4");
    EXPECT_EQ(Text("ansi_char", {65.5}), "B");  // rounded to even
    EXPECT_EQ(Text("ansi_char", {256.0}), "");
    EXPECT_EQ(Real("ord", {S("\xC3\xA4x")}), 228.0);
    EXPECT_EQ(Real("ord", {S("\xE2\x82\xAC")}), 8364.0);
    EXPECT_EQ(Real("ord", {S("")}), 0.0);
    EXPECT_EQ(Real("ord", {5.0}), 0.0);
    EXPECT_EQ(Real("string_length", {S("a\xC3\xA4")}), 2.0);
    EXPECT_EQ(Real("string_byte_length", {S("a\xC3\xA4")}), 3.0);
    EXPECT_EQ(Real("string_length", {S("a\xE2\x82\xAC\xC3\xA4")}), 3.0);
    EXPECT_EQ(Real("string_length", {7.0}), 0.0);
}

TEST_F(StringBuiltins, InvalidBytesStayBytes)
{
    // Bytes that are not UTF-8 are single characters and come out as they went in.
    std::string e4 = Text("ansi_char", {228.0});
    std::string text = "a" + e4 + "b\xE2\x82";  // a stray lead byte, then a sequence cut short
    EXPECT_EQ(Real("string_length", {S(text.c_str())}), 5.0);
    EXPECT_EQ(Real("ord", {S(e4.c_str())}), 228.0);
    EXPECT_EQ(Text("string_char_at", {S(text.c_str()), 2.0}), "\xE4");
    EXPECT_EQ(Text("string_char_at", {S(text.c_str()), 5.0}), "\x82");
    EXPECT_EQ(Text("string_copy", {S(text.c_str()), 2.0, 3.0}), "\xE4" "b\xE2");
    EXPECT_EQ(Text("string_delete", {S(text.c_str()), 2.0, 1.0}), "ab\xE2\x82");
    EXPECT_EQ(Text("string_insert", {S("\xC3\xA4"), S(text.c_str()), 5.0}), "a\xE4" "b\xE2\xC3\xA4\x82");
    EXPECT_EQ(Real("string_pos", {S("b"), S(text.c_str())}), 3.0);
    EXPECT_EQ(Text("string_upper", {S(text.c_str())}), "A\xE4" "B\xE2\x82");
    EXPECT_EQ(Text("string_lower", {S("\xC3\x84Z\xC0")}), "\xC3\x84z\xC0");
    EXPECT_EQ(Real("string_byte_at", {S("\xC3"), 1.0}), -61.0);
}

TEST_F(StringBuiltins, PositionsCopiesAndCharacters)
{
    EXPECT_EQ(Real("string_pos", {S("lo"), S("hello")}), 4.0);
    EXPECT_EQ(Real("string_pos", {S("b"), S("a\xC3\xA4" "b")}), 3.0);
    EXPECT_EQ(Real("string_pos", {S(""), S("abc")}), 1.0);
    EXPECT_EQ(Real("string_pos", {S(""), S("")}), 0.0);
    EXPECT_EQ(Real("string_pos", {S("x"), S("abc")}), 0.0);
    EXPECT_EQ(Real("string_pos", {S("a"), 1.0}), 0.0);
    EXPECT_EQ(Real("string_pos", {1.0, S("abc")}), 0.0);  // a substring that is not a string is missing

    EXPECT_EQ(Text("string_copy", {S("hello"), 0.0, 2.0}), "he");
    EXPECT_EQ(Text("string_copy", {S("hello"), 4.0, 10.0}), "lo");
    EXPECT_EQ(Text("string_copy", {S("hello"), 6.0, 1.0}), "");
    EXPECT_EQ(Text("string_copy", {S("hello"), 2.0, -3.0}), "");
    EXPECT_EQ(Text("string_copy", {S("hello"), -1e300, 1e9}), "hello");
    EXPECT_EQ(Text("string_copy", {S("hello"), 1.0, 1e300}), "");  // beyond 32 bits: negative
    EXPECT_EQ(Text("string_copy", {S("a\xC3\xA4\xE2\x82\xAC"), 2.0, 2.0}), "\xC3\xA4\xE2\x82\xAC");
    EXPECT_EQ(Text("string_copy", {5.0, 1.0, 1.0}), "");
    EXPECT_EQ(std::string(CallExact("string_copy", {S("hello"), 1.0}).GetString()), "");

    EXPECT_EQ(Text("string_char_at", {S("hello"), 0.0}), "h");
    EXPECT_EQ(Text("string_char_at", {S("hello"), 5.0}), "o");
    EXPECT_EQ(Text("string_char_at", {S("hello"), 6.0}), "");
    EXPECT_EQ(Text("string_char_at", {S("a\xE2\x82\xAC"), 2.0}), "\xE2\x82\xAC");
    EXPECT_EQ(Text("string_char_at", {S("hello"), S("1")}), "");

    EXPECT_EQ(Real("string_byte_at", {S("abc"), 2.0}), 98.0);
    EXPECT_EQ(Real("string_byte_at", {S("abc"), 99.0}), 99.0);  // the last byte, 'c'
    EXPECT_EQ(Real("string_byte_at", {S("abc"), -5.0}), 97.0);
    EXPECT_EQ(Real("string_byte_at", {S(""), 1.0}), 0.0);
    EXPECT_EQ(Real("string_byte_at", {1.0, 1.0}), 0.0);
}

TEST_F(StringBuiltins, SetByteAt)
{
    EXPECT_EQ(Text("string_set_byte_at", {S("abc"), 2.0, 65.0 + 256.0}), "aAc");
    EXPECT_EQ(Text("string_set_byte_at", {S("abc"), 3.0, 228.0}), "ab\xE4");
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(Text("string_set_byte_at", {S("abc"), 4.0, 65.0}), "abc");
    EXPECT_EQ(Text("string_set_byte_at", {S("abc"), 0.0, 65.0}), "abc");
    EXPECT_EQ(Text("string_set_byte_at", {S("abc"), NAN, 65.0}), "abc");
    ASSERT_EQ(Errors().size(), 3u);
    EXPECT_EQ(Errors()[0], "string_set_byte_at : index beyond end of string");
    EXPECT_FALSE(Error_FatalPending);
    // Wrong kinds: the copy comes back unchanged and nothing is reported.
    EXPECT_EQ(Text("string_set_byte_at", {S("abc"), S("1"), 65.0}), "abc");
    EXPECT_EQ(Errors().size(), 3u);
    // A zero byte ends the text: no hidden bytes stay behind it for a join or a write to see.
    TaggedValue cut = Call("string_set_byte_at", {S("abc"), 2.0, 256.0});
    EXPECT_EQ(std::string(cut.GetString()), "a");
    EXPECT_EQ(cut.GetLength(), 1u);
}

TEST_F(StringBuiltins, DeleteAndInsert)
{
    EXPECT_EQ(Text("string_delete", {S("abcdef"), 3.0, 2.0}), "abef");
    EXPECT_EQ(Text("string_delete", {S("abcdef"), 3.0, 0.0}), "abcdef");
    EXPECT_EQ(Text("string_delete", {S("abcdef"), 0.0, 2.0}), "abcdef");
    EXPECT_EQ(Text("string_delete", {S("abcdef"), 7.0, 2.0}), "abcdef");
    EXPECT_EQ(Text("string_delete", {S("abcdef"), 3.0, 1e9}), "ab");
    EXPECT_EQ(Text("string_delete", {S("a\xC3\xA4" "b\xE2\x82\xAC"), 2.0, 2.0}), "a\xE2\x82\xAC");

    EXPECT_EQ(Text("string_insert", {S("X"), S("abc"), 99.0}), "abcX");
    EXPECT_EQ(Text("string_insert", {S("X"), S("abc"), -4.0}), "Xabc");
    EXPECT_EQ(Text("string_insert", {S("X"), S("abc"), 2.0}), "aXbc");
    EXPECT_EQ(Text("string_insert", {S("\xC3\xA4"), S("a\xC3\xA4" "b"), 3.0}), "a\xC3\xA4\xC3\xA4" "b");
    EXPECT_EQ(Text("string_insert", {S(""), S("abc"), 2.0}), "abc");
    EXPECT_EQ(Text("string_insert", {1.0, S("abc"), 2.0}), "abc");
    EXPECT_EQ(Text("string_insert", {S("X"), 1.0, 2.0}), "X");
    EXPECT_TRUE(Errors().empty());
    // Strings hold at most 256 MiB, as with +: a longer result is refused with a message.
    std::string half((1u << 27) + 1, 'a');
    EXPECT_EQ(Text("string_insert", {S(half.c_str()), S(half.c_str()), 1.0}), "");
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Errors()[0], "string_insert : result too long");
}

TEST_F(StringBuiltins, CaseAndFilters)
{
    EXPECT_EQ(Text("string_lower", {S("AbC-9")}), "abc-9");
    EXPECT_EQ(Text("string_upper", {S("AbC-9\xC3\xA4")}), "ABC-9\xC3\xA4");
    EXPECT_EQ(Text("string_letters", {S("a1B2\xC3\xA4 z")}), "aBz");
    EXPECT_EQ(Text("string_digits", {S("a1B2\xC3\xA4 9")}), "129");
    EXPECT_EQ(Text("string_lettersdigits", {S("a1B2\xC3\xA4 _z")}), "a1B2z");
    EXPECT_EQ(Text("string_digits", {123.0}), "");
    EXPECT_EQ(Text("string_letters", {123.0}), "");
}

TEST_F(StringBuiltins, Repeat)
{
    EXPECT_EQ(Text("string_repeat", {S("ab"), 3.0}), "ababab");
    EXPECT_EQ(Text("string_repeat", {S("ab"), 0.0}), "");
    EXPECT_EQ(Text("string_repeat", {S("ab"), -2.0}), "");
    EXPECT_EQ(Text("string_repeat", {S(""), 5.0}), "");
    EXPECT_EQ(Text("string_repeat", {S("ab"), NAN}), "");
    EXPECT_TRUE(Errors().empty());
    // A size that wraps 32 bits is refused with a message instead of overrunning a buffer.
    EXPECT_EQ(Text("string_repeat", {S("abcd"), 1073741825.0}), "");
    EXPECT_EQ(Text("string_repeat", {S("ab"), 1e9}), "");
    ASSERT_EQ(Errors().size(), 2u);
    EXPECT_EQ(Errors()[0], "string_repeat : result too long");
    EXPECT_FALSE(Error_FatalPending);
}

TEST_F(StringBuiltins, ReplaceAndCount)
{
    EXPECT_EQ(Text("string_replace", {S("aXbXc"), S("X"), S("YY")}), "aYYbXc");
    EXPECT_EQ(Text("string_replace_all", {S("aXbXc"), S("X"), S("YY")}), "aYYbYYc");
    EXPECT_EQ(Text("string_replace_all", {S("aaa"), S("a"), S("aa")}), "aaaaaa");
    EXPECT_EQ(Text("string_replace_all", {S("aaaa"), S("aa"), S("b")}), "bb");
    EXPECT_EQ(Text("string_replace_all", {S("abc"), S("bc"), S("")}), "a");
    EXPECT_EQ(Text("string_replace_all", {S("abc"), S("x"), S("y")}), "abc");
    EXPECT_EQ(Text("string_replace", {S("abc"), 1.0, S("y")}), "abc");
    // string_replace_all with an empty substring replaces nothing, and the call ends.
    EXPECT_EQ(Text("string_replace_all", {S("abc"), S(""), S("y")}), "abc");
    // An empty substring is found at the start: string_replace puts the new text before the text.
    EXPECT_EQ(Text("string_replace", {S("abc"), S(""), S("y")}), "yabc");
    EXPECT_EQ(Text("string_replace", {S(""), S(""), S("y")}), "");

    std::string many(1 << 20, 'a');
    std::string wide(1024, 'b');
    EXPECT_EQ(Text("string_replace_all", {S(many.c_str()), S("a"), S(wide.c_str())}), "");
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Errors()[0], "string_replace_all : result too long");

    EXPECT_EQ(Real("string_count", {S("aa"), S("aaaa")}), 3.0);
    EXPECT_EQ(Real("string_count", {S("b"), S("abcb")}), 2.0);
    EXPECT_EQ(Real("string_count", {S(""), S("abc")}), 0.0);
    EXPECT_EQ(Real("string_count", {S("a"), S("")}), 0.0);
    EXPECT_EQ(Real("string_count", {S("a"), 1.0}), 0.0);
}
