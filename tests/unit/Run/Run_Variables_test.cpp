// The built-in variable table: docs/variables.md lists exactly what the runner registers, and
// each variable is what its entry says (the game's or an instance's, read-only or not, its
// elements).
#include "Code/Code_Class.h"
#include "Code/Code_Interp.h"
#include "Code/Code_VM.h"
#include "Code/Error.h"
#include "Code/Function.h"
#include "Graphics/Graphics_Transition.h"
#include "IO/IO.h"
#include "Object/Instance_Class.h"
#include "Room/Room_Class.h"
#include "Room/Room_Main.h"
#include "Run/CommandLine.h"
#include "Runner/GameFile.h"
#include "StartUp.h"
#include "Support/LoadSave.h"
#include "Support/Support_DLL.h"
#include "Variable/Variable_BuiltIn.h"
#include "Variable/Variable_Main.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <filesystem>
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
        StartUp_Variables();
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

TaggedValue Read(const char* name)
{
    TaggedValue out;
    const RVariable* v = Variable_BuiltIn_Get(Variable_BuiltIn_Find(name));
    EXPECT_TRUE(v && v->getter(nullptr, 0, &out)) << name;
    return out;
}

// What the runner runs with reaches the game: its switches, the game's id, its folders named
// without a trailing separator, and every error the reporter shows.
TEST_F(BuiltinVariables, TheRunnersStateReachesTheGame)
{
    CommandLine.debug = true;
    ExternalCallsDisabled = true;
    EXPECT_EQ(Read("debug_mode").val, 1.0);
    EXPECT_EQ(Read("secure_mode").val, 1.0);
    CommandLine.debug = false;
    ExternalCallsDisabled = false;
    EXPECT_EQ(Read("debug_mode").val, 0.0);
    EXPECT_EQ(Read("secure_mode").val, 0.0);
    Game_Header.gameId = 77;
    EXPECT_EQ(Read("game_id").val, 77.0);
    Game_Header.gameId = 0;
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "a game's folder";
    std::filesystem::create_directories(folder);
    LoadSave_SetProgramFolder((folder.string() + "/").c_str());
    EXPECT_EQ(Read("program_directory").GetString(), std::filesystem::canonical(folder).string());
    LoadSave_SetProgramFolder(nullptr);
    std::filesystem::remove(folder);
    Error_Occurred = false;
    Error_Show("a message", false);
    EXPECT_EQ(Read("error_occurred").val, 1.0);
    EXPECT_STREQ(Read("error_last").GetString(), "a message");
    Error_Occurred = false;
    Error_Last.clear();
}

// The hostile values of the sweep below, one a run: vm_hostile() gives the current one.
std::vector<TaggedValue> g_hostile;
size_t g_pick = 0;
void F_vm_hostile(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*) { *result = g_hostile[g_pick]; }
std::vector<std::string> g_errors;
void CaptureError(const char*, bool fatal) { g_errors.push_back(LastErrorText + (fatal ? " [fatal]" : "")); }

class HostileSetters : public BuiltinVariables {
protected:
    void SetUp() override
    {
        BuiltinVariables::SetUp();
        Function_Clear();
        Function_Add("vm_hostile", F_vm_hostile, 0);
        Error_Display_Hook = CaptureError;
        g_hostile = {TaggedValue((double)NAN), TaggedValue((double)INFINITY), TaggedValue(-(double)INFINITY),
                     TaggedValue(1e300), TaggedValue(-1e300), TaggedValue(4294967297.0), TaggedValue(-2147483649.0),
                     TaggedValue(2147483647.5), TaggedValue(-0.0), TaggedValue(0.49999), TaggedValue("abc"),
                     TaggedValue(""), TaggedValue(std::string(100000, 'x').c_str())};
        Room_Clear();
        Room_Add();
        Room_Add();
        Run_Room = &room;
        Run_RoomIndex = 0;
        self = room.CreateInstance(10, 20, 0);
    }
    void TearDown() override
    {
        Run_Room = nullptr;
        Room_Clear();
        Room_NewRoom = ROOM_CHANGE_NONE;
        Error_FatalPending = false;
        Error_Display_Hook = nullptr;
        Function_Clear();
    }
    // Runs the code on one engine with hostile value `pick`; what it reported.
    std::vector<std::string> Run(CCode& code, bool machine, size_t pick)
    {
        g_pick = pick;
        g_errors.clear();
        TaggedValue result;
        if (!(machine ? Code_VM_Run(self, self, &code, &result) : Code_Run(self, self, &code, &result)))
            g_errors.push_back(LastErrorText);
        Room_NewRoom = ROOM_CHANGE_NONE;
        Error_FatalPending = false;
        return g_errors;
    }
    CRoom room;
    CInstance* self = nullptr;
};

// Every writable variable given NaN, infinities, values past the integers, texts and a long text,
// as a whole, as an element and past its elements, on both engines: nothing crashes (the sanitizer
// build watches), every value reaches the setter's own checks, and what the game keeps stays valid.
TEST_F(HostileSetters, EverySetterTakesHostileValuesOnBothEngines)
{
    int runs = 0;
    for (int id = 0; id < Variable_BuiltIn_Count(); id++) {
        const RVariable& v = *Variable_BuiltIn_Get(id);
        if (!v.canSet) continue;
        std::string name = v.name;
        CCode code((name + " = vm_hostile(); " + name + "[1] = vm_hostile(); " + name + "[40] = vm_hostile(); " + name +
                    " += vm_hostile();")
                       .c_str(),
                   false);
        ASSERT_TRUE(code.Compile(name.c_str())) << LastErrorText;
        for (bool machine : {true, false})
            for (size_t pick = 0; pick < g_hostile.size(); pick++) {
                Run(code, machine, pick);
                runs++;
                self->Compute_BoundingBox();
                EXPECT_TRUE(self->direction >= 0 && self->direction < 360) << name;
                EXPECT_TRUE(self->path_position >= 0 && self->path_position <= 1) << name;
                EXPECT_GE(GR_Transition_Get_Steps(), 1) << name;
                EXPECT_LE(strlen(IO_GetTypedText()), (size_t)IO_TYPED_MAX * IO_CHAR_BYTES) << name;
                EXPECT_LE(strlen(IO_GetLastChar()), (size_t)IO_CHAR_BYTES) << name;
            }
    }
    EXPECT_GT(runs, 2000);
    // Every variable still reads, whatever was written.
    for (int id = 0; id < Variable_BuiltIn_Count(); id++) {
        TaggedValue out;
        Variable_BuiltIn_Get(id)->getter(self, 0, &out);
    }
}

// Values past the integers convert to -2147483648 as the built-in arguments do, so the setters'
// checks see them: no room, sprite or key is picked by wrapping or by reading NaN as 0.
TEST_F(HostileSetters, ValuesPastTheIntegersMeetTheSettersChecks)
{
    CCode room("room = vm_hostile();", false), sprite("sprite_index = vm_hostile(); alarm[2] = vm_hostile();", false);
    ASSERT_TRUE(room.Compile("room") && sprite.Compile("sprite"));
    for (bool machine : {true, false}) {
        for (size_t pick : {0, 5, 6}) {  // NaN, 4294967297, -2147483649
            std::vector<std::string> errors = Run(room, machine, pick);
            ASSERT_FALSE(errors.empty()) << pick;
            EXPECT_EQ(errors[0], "Unexisting room number: -2147483648 [fatal]") << machine << " " << pick;
            Run(sprite, machine, pick);
            EXPECT_EQ(self->sprite_index, INT_MIN) << machine << " " << pick;
            EXPECT_EQ(self->alarm[2], INT_MIN) << machine << " " << pick;
        }
        Run(sprite, machine, 7);  // 2147483647.5: ties to even, out of range
        EXPECT_EQ(self->sprite_index, INT_MIN);
        Run(sprite, machine, 9);  // 0.49999 rounds to the first sprite
        EXPECT_EQ(self->sprite_index, 0);
    }
}

}  // namespace
