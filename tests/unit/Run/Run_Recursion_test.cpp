// Recursion that goes too deep, by every road code can take back into itself, on both engines:
// one fatal report naming the code it stopped in, and nothing after it runs.
#include "Code/Code_Class.h"
#include "Code/Code_Constant.h"
#include "Function/Function_Misc.h"
#include "Function/Function_Resource.h"
#include "StartUp.h"
#include "Script/Script_Main.h"
#include "Variable/Variable_BuiltIn.h"
#include "Variable/Variable_Main.h"
#include "../Room/World.h"

#include <string>

namespace {

class DeepRecursion : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        Variable_BuiltIn_Init();
        StartUp_Variables();
        int id;
        if (!Function_Find("script_execute", &id)) Function_Add("script_execute", F_script_execute, -1);
        if (!Function_Find("event_user", &id)) Function_Misc_Init();
        Script_Clear();
        AddScript("rec_direct", "return rec_direct(argument0 + 1);");
        AddScript("rec_exec", "return script_execute(rec_exec, argument0 + 1);");
        AddScript("rec_with", "with (all) rec_with(); global.after = 1;");
        ASSERT_TRUE(Script_Prepare()) << LastErrorText;
        object = Object();
        CObject* o = Object_Find(object);
        o->AddEvent(EVENT_OTHER, 10, "event_user(0); global.after = 1;");
        o->AddEvent(EVENT_CREATE, 0, "instance_create(0, 0, object_index); global.after = 1;");
        ASSERT_NO_FATAL_FAILURE(Start());
    }
    void TearDown() override
    {
        Code_UseVM = true;
        Room_NewRoom = ROOM_CHANGE_NONE;
        Script_Clear();
        Variable_Globals.Clear();
        WorldTest::TearDown();
    }
    void AddScript(const char* name, const char* text) { Code_Constant_AddReal(name, Script_Add(name, text)); }

    int object = -1;
};

TEST_F(DeepRecursion, EveryRoadEndsTheGameWithOneReport)
{
    struct Road {
        const char* code;
        const char* stoppedIn;
    };
    const Road roads[] = {
        {"rec_direct(0);", "In rec_direct, line 1: "},
        {"script_execute(rec_exec, 0);", "In rec_exec, line 1: "},
        {"rec_with();", "In rec_with, line 1: "},
        {"event_user(0);", ", Other Event, line 1: "},
        {"instance_create(0, 0, object_index);", ", Create Event, line 1: "},
    };
    int after = Code_Variable_FindOrAdd("after");
    for (bool machine : {true, false}) {
        for (const Road& road : roads) {
            SCOPED_TRACE(std::string(road.code) + (machine ? " (machine)" : " (tree)"));
            Code_UseVM = machine;
            Errors().clear();
            Error_FatalPending = false;
            Room_NewRoom = ROOM_CHANGE_NONE;
            Variable_Globals.Clear();
            CCode code((std::string(road.code) + " global.after = 1;").c_str(), false);
            ASSERT_TRUE(code.Compile("entry")) << LastErrorText;
            TaggedValue result;
            EXPECT_FALSE(Code_Execute_ShowError(Put(object, 0, 0), nullptr, &code, &result));
            ASSERT_EQ(Errors().size(), 1u);
            const std::string& report = Errors()[0];
            EXPECT_EQ(report.rfind("FATAL ERROR in\naction number 1\n", 0), 0u) << report;
            EXPECT_NE(report.find(std::string(road.stoppedIn) + "Stack overflow: the code recurses too deeply."),
                      std::string::npos) << report;
            EXPECT_EQ(report.find("In script"), std::string::npos) << report;
            EXPECT_TRUE(Error_FatalPending);
            EXPECT_TRUE(Room_ChangePending());
            TaggedValue v;
            EXPECT_FALSE(Variable_Global_Get(after, 0, &v));
            // The game ends with the frame.
            Run_Frame();
            EXPECT_FALSE(Run_Running);
            ASSERT_NO_FATAL_FAILURE(Start());
        }
    }
}

}  // namespace
