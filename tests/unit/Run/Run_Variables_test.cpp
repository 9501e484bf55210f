// The built-in variable table: docs/variables.md lists exactly what the runner registers, and
// each variable is what its entry says (the game's or an instance's, read-only or not, its
// elements).
#include "Object/Instance_Class.h"
#include "Room/Room_Class.h"
#include "Room/Room_Main.h"
#include "Run/Run_Variables.h"
#include "Variable/Variable_BuiltIn.h"
#include "Variable/Variable_Main.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct DocRow {
    std::string scope, access, elements;
};

std::string Trim(const std::string& s)
{
    size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

// The rows of the table: | `name` | game or instance | read-only or writable | elements | reads |
std::map<std::string, DocRow> ReadTable(std::vector<std::string>* duplicates)
{
    std::ifstream in(std::string(TESTS_DIR) + "/../docs/variables.md");
    EXPECT_TRUE(in.good());
    std::map<std::string, DocRow> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("| `", 0) != 0) continue;
        std::vector<std::string> cells;
        std::stringstream s(line.substr(1));
        for (std::string cell; std::getline(s, cell, '|');) cells.push_back(Trim(cell));
        if (cells.size() < 5) {
            ADD_FAILURE() << "a row of fewer than five cells: " << line;
            continue;
        }
        std::string name = cells[0].substr(1, cells[0].size() - 2);
        if (rows.count(name)) duplicates->push_back(name);
        rows[name] = {cells[1], cells[2], cells[3]};
    }
    return rows;
}

DocRow Registered(const RVariable& v)
{
    DocRow r;
    r.scope = v.shape.instance ? "instance" : "game";
    r.access = v.canSet ? "writable" : "read-only";
    if (v.shape.elements == BUILTIN_ANY_INDEX) r.elements = "any";
    else if (v.shape.elements > 0) r.elements = "0.." + std::to_string(v.shape.elements - 1);
    return r;
}

class BuiltinVariables : public ::testing::Test {
protected:
    void SetUp() override
    {
        Variable_BuiltIn_Init();
        Run_Variables_Init();
    }
};

TEST_F(BuiltinVariables, TheDocumentListsEveryRegisteredVariableAsItIs)
{
    std::vector<std::string> duplicates;
    std::map<std::string, DocRow> rows = ReadTable(&duplicates);
    EXPECT_TRUE(duplicates.empty()) << duplicates.front();
    std::string missing;
    for (int id = 0; id < Variable_BuiltIn_Count(); id++) {
        const RVariable& v = *Variable_BuiltIn_Get(id);
        DocRow r = Registered(v);
        auto it = rows.find(v.name);
        if (it == rows.end()) {
            missing += std::string("| `") + v.name + "` | " + r.scope + " | " + r.access + " | " + r.elements + " | |\n";
            continue;
        }
        EXPECT_EQ(it->second.scope, r.scope) << v.name;
        EXPECT_EQ(it->second.access, r.access) << v.name;
        EXPECT_EQ(it->second.elements, r.elements) << v.name;
        rows.erase(it);
    }
    EXPECT_EQ(missing, "") << "registered but not in docs/variables.md";
    for (const auto& row : rows) ADD_FAILURE() << "in docs/variables.md but not registered: " << row.first;
    EXPECT_GE(Variable_BuiltIn_Count(), 180);
}

// A variable of the game reads the same whoever asks, an instance or none; a variable of an
// instance needs one.
TEST_F(BuiltinVariables, GameVariablesNeedNoInstanceAndInstanceVariablesDo)
{
    CRoom room;
    Run_Room = &room;
    CInstance a(INSTANCE_ID_FIRST + 1, 0, 10, 20), b(INSTANCE_ID_FIRST + 2, 0, 30, 40);
    for (int id = 0; id < Variable_BuiltIn_Count(); id++) {
        const RVariable& v = *Variable_BuiltIn_Get(id);
        TaggedValue none, first, second;
        bool read = v.getter(nullptr, 0, &none);
        if (v.shape.instance) {
            EXPECT_FALSE(read) << v.name;
            continue;
        }
        EXPECT_TRUE(read) << v.name;
        ASSERT_TRUE(v.getter(&a, 0, &first)) << v.name;
        ASSERT_TRUE(v.getter(&b, 0, &second)) << v.name;
        EXPECT_EQ(first.kind, none.kind) << v.name;
        EXPECT_EQ(first.kind, second.kind) << v.name;
        if (std::string(v.name).rfind("current_", 0) == 0) continue;  // the clock moves between the reads
        if (first.IsString()) {
            EXPECT_STREQ(first.GetString(), none.GetString()) << v.name;
            EXPECT_STREQ(first.GetString(), second.GetString()) << v.name;
        } else {
            EXPECT_EQ(first.val, none.val) << v.name;
            EXPECT_EQ(first.val, second.val) << v.name;
        }
    }
    Run_Room = nullptr;
}

}  // namespace
