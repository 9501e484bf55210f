// json_decode and json_encode with the data-structure built-ins that read what they make.
#include "BuiltinCall.h"
#include "Function/Function_DataStructures.h"
#include "Function/Function_Http.h"
#include "Function/Function_Math.h"
#include "Support/DataStructures.h"

#include <clocale>
#include <string>

namespace {

class JsonBuiltins : public BuiltinTest {
protected:
    void Register() override
    {
        Function_Math_Init();
        Function_Http_Init();
        Function_DataStructures_Init();
    }
    void SetUp() override
    {
        BuiltinTest::SetUp();
        DS_FreeAll();
    }
    void TearDown() override
    {
        DS_FreeAll();
        BuiltinTest::TearDown();
    }
    static int Decode(const TaggedValue& v) { return (int)Real("json_decode", {v}); }
    static TaggedValue Find(int map, const char* key) { return Call("ds_map_find_value", {(double)map, S(key)}); }
    static std::string FindText(int map, const char* key) { return Find(map, key).GetString(); }
    static std::string Encode(int map) { return Text("json_encode", {(double)map}); }
};

TEST_F(JsonBuiltins, WhatIsNotAnObjectBecomesTheDefaultString)
{
    EXPECT_EQ(FindText(Decode(3.0), "default"), "3.00");
    EXPECT_EQ(FindText(Decode(-0.125), "default"), "-0.12");
    EXPECT_EQ(FindText(Decode(S("hello")), "default"), "hello");
    EXPECT_EQ(FindText(Decode(S("[1, 2]")), "default"), "[1, 2]");
    EXPECT_EQ(FindText(Decode(S("")), "default"), "");
    // An object that does not parse is wrapped too; a text that breaks the wrapping is refused.
    EXPECT_EQ(FindText(Decode(S("{not json}")), "default"), "{not json}");
    EXPECT_EQ(Decode(S("{\"a\": }")), -1);
    EXPECT_EQ(Decode(S("say \"hi\"")), -1);
    EXPECT_EQ(Call("ds_map_size", {(double)Decode(S("  {\"a\": 1}\n "))}).GetReal(), 1);
}

TEST_F(JsonBuiltins, MembersBecomeValuesAndNestedStructuresGetMarks)
{
    int m = Decode(S("{\"n\": 2.5, \"i\": -7, \"t\": true, \"f\": false, \"s\": \"x\\u00e9\", \"gone\": null,"
                     " \"o\": {\"k\": \"v\"}, \"l\": [1, null, \"two\", [3]]}"));
    ASSERT_GE(m, 0);
    EXPECT_EQ(Call("ds_map_size", {(double)m}).GetReal(), 7);
    EXPECT_EQ(Call("ds_map_exists", {(double)m, S("gone")}).GetReal(), 0);
    EXPECT_EQ(Find(m, "n").GetReal(), 2.5);
    EXPECT_EQ(Find(m, "i").GetReal(), -7);
    EXPECT_EQ(Find(m, "t").GetReal(), 1);
    EXPECT_EQ(Find(m, "f").GetReal(), 0);
    EXPECT_EQ(FindText(m, "s"), "x\xc3\xa9");
    // ds_map_find_value gives nested indexes as plain reals; nested maps took slots before m.
    TaggedValue o = Find(m, "o");
    EXPECT_EQ(o.kind, (uint32_t)VALUE_REAL);
    EXPECT_LT(o.GetReal(), m);
    EXPECT_EQ(FindText((int)o.GetReal(), "k"), "v");
    int l = (int)Find(m, "l").GetReal();
    EXPECT_EQ(Call("ds_list_size", {(double)l}).GetReal(), 4);
    EXPECT_EQ(Call("ds_list_find_value", {(double)l, 1.0}).GetReal(), 0);  // null in a list
    EXPECT_EQ(std::string(Call("ds_list_find_value", {(double)l, 2.0}).GetString()), "two");
    // Read from a list, a nested structure keeps its mark: neither real nor string.
    TaggedValue inner = Call("ds_list_find_value", {(double)l, 3.0});
    EXPECT_EQ(inner.kind, VALUE_MARK_LIST);
    EXPECT_EQ(Real("is_real", {inner}), 0);
    EXPECT_EQ(Real("is_string", {inner}), 0);
    EXPECT_EQ(Real("is_real", {Find(m, "o")}), 1);
}

TEST_F(JsonBuiltins, EncodingFollowsTheMarksAndRoundTrips)
{
    const char* text = "{ \"name\": \"a\\/b \\\"q\\\"\", \"score\": 12.5, \"items\": [ 1.0, \"x\", { \"deep\": [ ] } ], \"pos\": { \"x\": -3.0 } }";
    int m = Decode(S(text));
    EXPECT_EQ(Encode(m), text);
    EXPECT_EQ(Encode(Decode(S(Encode(m).c_str()))), text);
    // Keys that are reals print as their integer part; a mark that names nothing is null.
    int n = (int)Real("ds_map_create");
    Call("ds_map_add", {(double)n, 12.7, S("twelve")});
    Call("ds_map_add", {(double)n, -3.9, 1.0});
    // ds_map_find_value drops the mark: the copy is a number.
    TaggedValue items = Call("ds_map_find_value", {(double)m, S("items")});
    Call("ds_map_add", {(double)n, S("list"), items});
    TaggedValue dangling(99.0);
    dangling.kind = VALUE_MARK_MAP;
    Call("ds_map_add", {(double)n, S("gone"), dangling});
    EXPECT_EQ(Encode(n), "{ \"12\": \"twelve\", \"-3\": 1.0, \"list\": " + std::to_string((int)items.GetReal()) +
                             ".0, \"gone\": null }");
}

TEST_F(JsonBuiltins, StructuresThatHoldThemselvesStillEncode)
{
    int m = Decode(S("{\"child\": {\"v\": 1}}"));
    int child = (int)Find(m, "child").GetReal();
    TaggedValue self((double)m);
    self.kind = VALUE_MARK_MAP;
    Call("ds_map_add", {(double)m, S("self"), self});
    Call("ds_map_add", {(double)child, S("parent"), self});
    EXPECT_EQ(Encode(m), "{ \"child\": { \"v\": 1.0, \"parent\": null }, \"self\": null }");
    // A chain deeper than 64 ends in null instead of exhausting the stack.
    int list = (int)Real("ds_list_create");
    TaggedValue link((double)list);
    link.kind = VALUE_MARK_LIST;
    for (int i = 0; i < 1000; i++) {
        int next = (int)Real("ds_list_create");
        Call("ds_list_add", {(double)next, link});
        link = TaggedValue((double)next);
        link.kind = VALUE_MARK_LIST;
    }
    int top = (int)Real("ds_map_create");
    Call("ds_map_add", {(double)top, S("chain"), link});
    std::string deep = Encode(top);
    EXPECT_NE(deep.find("[ null ]"), std::string::npos);
    EXPECT_EQ(std::count(deep.begin(), deep.end(), '['), 64);
}

// 32 levels at most, the innermost value counting as one.
TEST_F(JsonBuiltins, NestingDeeperThan32IsRefused)
{
    auto nested = [](int depth) {
        std::string text;
        for (int i = 0; i < depth; i++) text += "{\"a\":";
        text += "1";
        for (int i = 0; i < depth; i++) text += "}";
        return text;
    };
    EXPECT_GE(Decode(S(nested(31).c_str())), 0);
    EXPECT_EQ(Decode(S(nested(32).c_str())), -1);
    EXPECT_EQ(Decode(S(nested(100000).c_str())), -1);
}

TEST_F(JsonBuiltins, NumbersIgnoreTheLocale)
{
    const char* old = setlocale(LC_ALL, nullptr);
    std::string saved = old ? old : "C";
    if (!setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 is not installed (scripts/setup installs it)";
    int m = Decode(S("{\"x\": 1.5}"));
    std::string encoded = Encode(m);
    std::string wrapped = FindText(Decode(2.25), "default");
    setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(Find(m, "x").GetReal(), 1.5);
    EXPECT_EQ(encoded, "{ \"x\": 1.5 }");
    EXPECT_EQ(wrapped, "2.25");
}

TEST_F(JsonBuiltins, InvalidIndexesEncodeAsEmptyText)
{
    EXPECT_EQ(Encode(-1), "");
    EXPECT_EQ(Encode(5), "");
    int m = Decode(S("{\"a\": 1}"));
    EXPECT_EQ(Text("json_encode", {m + 0.9}), "{ \"a\": 1.0 }");  // truncated, not rounded
    EXPECT_TRUE(Errors().empty());
}

}  // namespace
