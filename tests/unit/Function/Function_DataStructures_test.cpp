#include "Function/Function_DataStructures.h"
#include "Base/Console.h"
#include "Code/Error.h"
#include "Code/Function.h"
#include "Support/DataStructures.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const char* const kNoIndex = "Data structure with index does not exist.";

std::vector<std::string> g_errors;

void RecordError(const char* text, bool fatal)
{
    EXPECT_FALSE(fatal);
    g_errors.push_back(LastErrorText);
}

TaggedValue Str(const char* text) { return TaggedValue(text); }

class DsBuiltins : public ::testing::Test {
protected:
    void SetUp() override
    {
        int id;
        if (!Function_Find("ds_set_precision", &id)) Function_DataStructures_Init();
        DS_FreeAll();
        DS_SetPrecision(0.0000001);
        g_errors.clear();
        m_savedHook = Error_Display_Hook;
        Error_Display_Hook = RecordError;
    }
    void TearDown() override
    {
        Error_Display_Hook = m_savedHook;
        DS_FreeAll();
    }
    // Calls a built-in as the script engine does: the result preset to real 0, missing arguments
    // padded with real 0 up to the registered count.
    TaggedValue Call(const char* name, std::vector<TaggedValue> args = {})
    {
        int id;
        EXPECT_TRUE(Function_Find(name, &id)) << name;
        const RFunction* f = Function_Get(id);
        if (!f) return TaggedValue();
        EXPECT_LE((int)args.size(), f->argc) << name;
        args.resize(f->argc);
        TaggedValue result;
        f->handler(&result, nullptr, nullptr, (int)args.size(), args.data());
        return result;
    }
    double Real(const char* name, std::vector<TaggedValue> args = {}) { return Call(name, std::move(args)).val; }

private:
    void (*m_savedHook)(const char*, bool) = nullptr;
};

}  // namespace

TEST_F(DsBuiltins, RegisteredInTableOrderWithTheirArgumentCounts)
{
    const std::vector<std::pair<const char*, int>> some = {
        {"ds_set_precision", 1},     {"ds_stack_create", 0},         {"ds_stack_read", 2},
        {"ds_queue_create", 0},      {"ds_queue_read", 2},           {"ds_list_create", 0},
        {"ds_list_read", 2},         {"ds_map_create", 0},           {"ds_map_read", 2},
        {"ds_priority_create", 0},   {"ds_priority_read", 2},        {"ds_grid_create", 2},
        {"ds_grid_set_grid_region", 8}, {"ds_grid_read", 2}};
    int first;
    ASSERT_TRUE(Function_Find("ds_set_precision", &first));
    int previous = -1;
    for (const auto& [name, argc] : some) {
        int id;
        ASSERT_TRUE(Function_Find(name, &id)) << name;
        EXPECT_GT(id, previous) << name;
        EXPECT_EQ(Function_Get(id)->argc, argc) << name;
        previous = id;
    }
    EXPECT_EQ(previous - first + 1, 110);
    for (int id = first; id <= previous; id++) EXPECT_EQ(std::string(Function_Get(id)->name).rfind("ds_", 0), 0u);
}

TEST_F(DsBuiltins, InvalidIndicesReportAndLeaveTheResultAtZero)
{
    EXPECT_EQ(Real("ds_list_create"), 0.0);
    EXPECT_EQ(Real("ds_list_create"), 1.0);
    Call("ds_list_destroy", {0.0});
    EXPECT_TRUE(g_errors.empty());
    for (const char* name : {"ds_list_size", "ds_list_clear", "ds_list_destroy", "ds_list_write"}) {
        TaggedValue r = Call(name, {0.0});
        EXPECT_TRUE(r.IsReal()) << name;
        EXPECT_EQ(r.val, 0.0) << name;
    }
    EXPECT_EQ(g_errors, std::vector<std::string>(4, kNoIndex));
    EXPECT_EQ(Real("ds_list_create"), 0.0);  // the freed slot comes back
    EXPECT_EQ(Real("ds_list_create"), 2.0);

    g_errors.clear();
    Call("ds_list_copy", {1.0, 7.0});
    Call("ds_grid_set_grid_region", {0.0, 0.0});
    EXPECT_EQ(Real("ds_map_add", {-1.0, Str("k"), 1.0}), 0.0);
    EXPECT_EQ(Real("ds_map_replace", {3.0, Str("k"), 1.0}), 0.0);
    EXPECT_EQ(Real("ds_grid_width", {0.0}), 0.0);
    EXPECT_EQ(Real("ds_stack_pop", {1e10}), 0.0);
    EXPECT_EQ(Real("ds_priority_find_min", {NAN}), 0.0);
    EXPECT_EQ(g_errors.size(), 7u);
}

TEST_F(DsBuiltins, StackQueueAndPriorityResults)
{
    double s = Real("ds_stack_create");
    EXPECT_EQ(Real("ds_stack_pop", {s}), 0.0);  // empty: real 0, no message
    EXPECT_EQ(Real("ds_stack_top", {s}), 0.0);
    Call("ds_stack_push", {s, Str("bottom")});
    Call("ds_stack_push", {s, 2.5});
    EXPECT_EQ(Real("ds_stack_top", {s}), 2.5);
    EXPECT_EQ(Real("ds_stack_pop", {s}), 2.5);
    EXPECT_STREQ(Call("ds_stack_pop", {s}).GetString(), "bottom");
    EXPECT_EQ(Real("ds_stack_empty", {s}), 1.0);

    double q = Real("ds_queue_create");
    for (double v : {1.0, 2.0, 3.0}) Call("ds_queue_enqueue", {q, v});
    EXPECT_EQ(Real("ds_queue_head", {q}), 1.0);
    EXPECT_EQ(Real("ds_queue_tail", {q}), 3.0);
    EXPECT_EQ(Real("ds_queue_dequeue", {q}), 1.0);
    EXPECT_EQ(Real("ds_queue_size", {q}), 2.0);
    double q2 = Real("ds_queue_create");
    Call("ds_queue_copy", {q2, q});
    Call("ds_queue_copy", {q2, q2});  // onto itself: unchanged
    EXPECT_EQ(Real("ds_queue_size", {q2}), 2.0);

    double p = Real("ds_priority_create");
    EXPECT_EQ(Real("ds_priority_delete_max", {p}), 0.0);
    Call("ds_priority_add", {p, Str("a"), 3.0});
    Call("ds_priority_add", {p, Str("b"), 3.0});
    Call("ds_priority_add", {p, Str("c"), 1.0});
    EXPECT_STREQ(Call("ds_priority_find_max", {p}).GetString(), "a");
    EXPECT_STREQ(Call("ds_priority_delete_min", {p}).GetString(), "c");
    Call("ds_priority_change_priority", {p, Str("b"), 4.0});
    EXPECT_EQ(Real("ds_priority_find_priority", {p, Str("b")}), 4.0);
    EXPECT_STREQ(Call("ds_priority_delete_max", {p}).GetString(), "b");
    EXPECT_TRUE(g_errors.empty());
}

TEST_F(DsBuiltins, ListIndicesPositionsAndMarks)
{
    double l0 = Real("ds_list_create"), l1 = Real("ds_list_create");
    Call("ds_list_add", {l0, Str("in zero")});
    Call("ds_list_add", {l1, Str("in one")});
    // find_index truncates the list index, every other list built-in rounds it.
    EXPECT_EQ(Real("ds_list_find_index", {0.6, Str("in zero")}), 0.0);
    EXPECT_STREQ(Call("ds_list_find_value", {0.6, 0.0}).GetString(), "in one");
    EXPECT_EQ(Real("ds_list_find_index", {l1, Str("absent")}), -1.0);

    for (double pos : {-1.0, 1.0, 6.0}) {
        Call("ds_list_replace", {l1, pos, Str("x")});
        Call("ds_list_delete", {l1, pos});
        EXPECT_EQ(Real("ds_list_find_value", {l1, pos}), 0.0);
    }
    Call("ds_list_insert", {l1, 6.0, Str("x")});
    Call("ds_list_insert", {l1, -1.0, Str("x")});
    EXPECT_EQ(Real("ds_list_size", {l1}), 1.0);
    Call("ds_list_insert", {l1, 1.0, 5.0});
    Call("ds_list_insert", {l1, 0.0, 9.0});
    Call("ds_list_sort", {l1, 0.5});
    EXPECT_EQ(Real("ds_list_find_value", {l1, 0.0}), 5.0);
    EXPECT_EQ(Real("ds_list_find_value", {l1, 1.0}), 9.0);

    // A nested list kept in a list keeps its mark; a map hands it out as a plain real.
    TaggedValue marked(1.0);
    marked.kind |= VALUE_MARK_LIST;
    Call("ds_list_add", {l0, marked});
    EXPECT_EQ(Call("ds_list_find_value", {l0, 1.0}).kind, VALUE_MARK_LIST);
    double m = Real("ds_map_create");
    Call("ds_map_add", {m, Str("child"), marked});
    TaggedValue plain = Call("ds_map_find_value", {m, Str("child")});
    EXPECT_EQ(plain.kind, VALUE_REAL);
    EXPECT_EQ(plain.val, 1.0);

    // Read: nothing happens for a real, a damaged text is refused with a warning.
    std::string text = Call("ds_list_write", {l0}).GetString();
    tagIConsole* saved = Console_Warnings;
    TCaptureConsole capture;
    Console_Warnings = &capture;
    Call("ds_list_read", {l1, 12.0});
    Call("ds_list_read", {l1, Str("3001")});
    Console_Warnings = saved;
    EXPECT_EQ(Real("ds_list_size", {l1}), 3.0);
    EXPECT_NE(capture.text.find("ds_list_read"), std::string::npos);
    Call("ds_list_read", {l1, Str(text.c_str())});
    EXPECT_STREQ(Call("ds_list_find_value", {l1, 0.0}).GetString(), "in zero");
    EXPECT_TRUE(g_errors.empty());
}

TEST_F(DsBuiltins, MapResultsAndIteration)
{
    double m = Real("ds_map_create");
    EXPECT_EQ(Real("ds_map_add", {m, Str("a"), 1.0}), 1.0);
    EXPECT_EQ(Real("ds_map_add", {m, Str("a"), 2.0}), 0.0);
    EXPECT_EQ(Real("ds_map_replace", {m, Str("b"), 3.0}), 0.0);  // absent: added
    EXPECT_EQ(Real("ds_map_replace", {m, Str("a"), 4.0}), 1.0);
    EXPECT_EQ(Real("ds_map_add", {m, 7.0, Str("seven")}), 1.0);
    EXPECT_EQ(Real("ds_map_find_value", {m, Str("a")}), 4.0);
    EXPECT_EQ(Real("ds_map_find_value", {m, Str("zz")}), 0.0);
    EXPECT_EQ(Real("ds_map_exists", {m, 7.0}), 1.0);

    std::vector<std::string> seen;
    TaggedValue key = Call("ds_map_find_first", {m});
    for (int guard = 0; guard < 10 && !(key.IsReal() && key.val == 0.0); guard++) {
        seen.push_back(key.IsString() ? key.GetString() : "7");
        key = Call("ds_map_find_next", {m, key});
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "7"}));
    EXPECT_EQ(Real("ds_map_find_last", {m}), 7.0);
    EXPECT_STREQ(Call("ds_map_find_previous", {m, 7.0}).GetString(), "b");
    Call("ds_map_delete", {m, Str("b")});
    EXPECT_STREQ(Call("ds_map_find_previous", {m, 7.0}).GetString(), "a");

    double copy = Real("ds_map_create");
    Call("ds_map_copy", {copy, m});
    Call("ds_map_copy", {m, m});
    Call("ds_map_clear", {m});
    EXPECT_EQ(Real("ds_map_size", {copy}), 2.0);
    EXPECT_EQ(Real("ds_map_find_first", {m}), 0.0);
    std::string text = Call("ds_map_write", {copy}).GetString();
    Call("ds_map_read", {m, Str(text.c_str())});
    EXPECT_STREQ(Call("ds_map_find_value", {m, 7.0}).GetString(), "seven");
    EXPECT_TRUE(g_errors.empty());
}

TEST_F(DsBuiltins, GridBuiltins)
{
    double g = Real("ds_grid_create", {10.0, 10.0});
    Call("ds_grid_set_region", {g, 5.0, 5.0, -3.0, 2.0, 1.0});
    EXPECT_EQ(Real("ds_grid_get_sum", {g, 0.0, 0.0, 9.0, 9.0}), 24.0);
    EXPECT_EQ(Real("ds_grid_get_mean", {g, 0.0, 2.0, 5.0, 5.0}), 1.0);
    Call("ds_grid_add", {g, 9.0, 9.0, 5.0});
    Call("ds_grid_multiply", {g, 9.0, 9.0, 3.0});
    EXPECT_EQ(Real("ds_grid_get", {g, 9.0, 9.0}), 15.0);
    EXPECT_EQ(Real("ds_grid_value_x", {g, 0.0, 0.0, 9.0, 9.0, 15.0}), 9.0);
    EXPECT_EQ(Real("ds_grid_value_exists", {g, 0.0, 0.0, 8.0, 8.0, 15.0}), 0.0);
    EXPECT_EQ(Real("ds_grid_value_y", {g, 0.0, 0.0, 8.0, 8.0, 15.0}), 0.0);
    EXPECT_EQ(Real("ds_grid_value_disk_y", {g, 9.0, 9.0, 0.0, 15.0}), 9.0);

    tagIConsole* saved = Console_Debug;
    TCaptureConsole capture;
    Console_Debug = &capture;
    EXPECT_EQ(Real("ds_grid_get", {g, 10.0, 0.0}), 0.0);
    Call("ds_grid_set", {g, 0.0, -1.0, 5.0});
    Console_Debug = saved;
    EXPECT_EQ(capture.text, "Grid 0, index out of bounds reading [10,0] - size is [10,10]\n"
                            "Grid 0, index out of bounds writing [0,-1] - size is [10,10]\n");

    double strings = Real("ds_grid_create", {3.0, 3.0});
    Call("ds_grid_clear", {strings, Str("s")});
    EXPECT_EQ(Real("ds_grid_get_disk_max", {strings, 1.0, 1.0, 2.0}), -100000000.0);
    Call("ds_grid_add_disk", {strings, 0.0, 0.0, 0.5, Str("t")});
    EXPECT_STREQ(Call("ds_grid_get", {strings, 0.0, 0.0}).GetString(), "st");
    EXPECT_EQ(Real("ds_grid_value_disk_exists", {strings, 2.0, 2.0, 3.0, Str("st")}), 1.0);

    // A grid region copied onto an overlapping place in the same grid.
    Call("ds_grid_resize", {g, 4.0, 1.0});
    for (double x : {0.0, 1.0, 2.0, 3.0}) Call("ds_grid_set", {g, x, 0.0, x + 1});
    Call("ds_grid_set_grid_region", {g, g, 1.0, 0.0, 3.0, 0.0, 0.0, 0.0});
    std::vector<double> row;
    for (double x : {0.0, 1.0, 2.0, 3.0}) row.push_back(Real("ds_grid_get", {g, x, 0.0}));
    EXPECT_EQ(row, (std::vector<double>{2, 3, 4, 4}));
    EXPECT_TRUE(g_errors.empty());

    // Absurd sizes fail cleanly.
    EXPECT_EQ(Real("ds_grid_create", {1e9, 1e9}), -1.0);
    Call("ds_grid_resize", {g, 100000.0, 100000.0});
    EXPECT_EQ(Real("ds_grid_width", {g}), 4.0);
    EXPECT_EQ(g_errors.size(), 2u);
    double none = Real("ds_grid_create", {-4.0, 3.0});
    EXPECT_EQ(Real("ds_grid_width", {none}), 0.0);
    EXPECT_EQ(Real("ds_grid_height", {none}), 3.0);
}

TEST_F(DsBuiltins, EveryReaderRefusesDamagedTextsAndKeepsItsContent)
{
    // Each kind with the built-in that stores a value and whether it takes a second one.
    struct Kind { const char* prefix; const char* add; bool pair; };
    const Kind kinds[] = {{"ds_stack", "ds_stack_push", false},   {"ds_queue", "ds_queue_enqueue", false},
                          {"ds_list", "ds_list_add", false},      {"ds_map", "ds_map_add", true},
                          {"ds_priority", "ds_priority_add", true}};
    tagIConsole* saved = Console_Warnings;
    TCaptureConsole capture;
    Console_Warnings = &capture;
    std::vector<std::string> texts;
    for (const Kind& k : kinds) {
        std::string p = k.prefix;
        double index = Real((p + "_create").c_str());
        if (k.pair) Call(k.add, {index, Str("\xE2\x9C\x93"), 1e300});
        else Call(k.add, {index, Str("\xE2\x9C\x93")});
        std::string valid = Call((p + "_write").c_str(), {index}).GetString();
        texts.push_back(valid);
        const std::string hostile[] = {"", "1", "XY", valid.substr(0, valid.size() - 2), valid + "00",
                                       valid.substr(0, 8) + "FFFFFFFF" + valid.substr(16)};
        for (const std::string& bad : hostile) {
            capture.text.clear();
            Call((p + "_read").c_str(), {index, Str(bad.c_str())});
            EXPECT_NE(capture.text.find(p + "_read"), std::string::npos) << p << " " << bad;
            EXPECT_EQ(Call((p + "_write").c_str(), {index}).GetString(), valid) << p << " " << bad;
        }
    }
    double g = Real("ds_grid_create", {2.0, 1.0});
    std::string grid = Call("ds_grid_write", {g}).GetString();
    for (const std::string& other : texts) Call("ds_grid_read", {g, Str(other.c_str())});
    Call("ds_grid_read", {g, 5.0});
    Console_Warnings = saved;
    EXPECT_EQ(Call("ds_grid_write", {g}).GetString(), grid);
    EXPECT_TRUE(g_errors.empty());
}
