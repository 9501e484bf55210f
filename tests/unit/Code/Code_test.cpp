#include "Code/Code_Class.h"
#include "Code/Code_Constant.h"
#include "Code/Code_Interp.h"
#include "Code/Code_Tree.h"
#include "Code/Error.h"
#include "Code/Function.h"
#include "Function/Function_Misc.h"
#include "Object/Instance_Class.h"
#include "Script/Script_Main.h"
#include "StartUp.h"
#include "Variable/Variable_Main.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

std::vector<std::unique_ptr<CInstance>> g_made;
int g_nextId = 700100;
int g_lastArgc = -1;

void F_test_spawn(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    g_made.push_back(std::make_unique<CInstance>(g_nextId++, (int)args[0].val, 0, 0));
    result->SetReal(g_made.back()->id);
}
void F_test_destroy(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (CInstance* i = Instance_Find((int)args[0].val)) i->marked = true;
}
void F_test_three(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    g_lastArgc = argc;
    result->SetReal(args[0].val + args[1].val + args[2].val);
}

std::vector<std::string> g_errors;
void CaptureError(const char* text, bool) { g_errors.push_back(text); }

class Code : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        StartUp_Constants();
        Variable_BuiltIn_Init();
        Function_Misc_Init();
        Function_Add("test_spawn", F_test_spawn, 1);
        Function_Add("test_destroy", F_test_destroy, 1);
        Function_Add("test_three", F_test_three, 3);
    }
    void SetUp() override
    {
        g_errors.clear();
        Error_Display_Hook = CaptureError;
        self = std::make_unique<CInstance>(700000, 3, 0, 0);
    }
    void TearDown() override
    {
        Error_Display_Hook = nullptr;
        Error_FatalPending = false;
        g_made.clear();
        self.reset();
    }
    // Compiles and runs a program with self as self and other; the result of the run.
    TaggedValue Run(const char* text, bool expression = false)
    {
        CCode code(text, expression);
        EXPECT_TRUE(code.Compile("test")) << LastErrorText;
        TaggedValue result;
        Code_Execute_ShowError(self.get(), self.get(), &code, &result);
        return result;
    }
    std::unique_ptr<CInstance> self;
};

}  // namespace

TEST_F(Code, WithDoesNotVisitInstancesMadeInItsBody)
{
    const char* program = "n = 0; with (3) { other.n += 1; test_spawn(3); } return n";
    EXPECT_EQ(Run(program).val, 1.0);
    EXPECT_EQ(g_made.size(), 1u);
    EXPECT_EQ(Run(program).val, 2.0);
    EXPECT_EQ(g_made.size(), 3u);
    EXPECT_TRUE(g_errors.empty());
}

TEST_F(Code, DestroyedInstanceIsNotVisited)
{
    CInstance second(700050, 3, 0, 0);
    ArgumentSlots[1].SetReal(second.id);
    TaggedValue r = Run("n = 0; with (3) { other.n += 1; test_destroy(argument1); } return n");
    EXPECT_EQ(r.val, 1.0);
    ArgumentSlots[1].SetReal(0);
    EXPECT_TRUE(g_errors.empty());
}

TEST_F(Code, ExpressionsFoldAndEvaluate)
{
    CCode folded("1 + 2 * 3 - (8 div 3)", true);
    ASSERT_TRUE(folded.Compile("fold"));
    ASSERT_EQ(folded.GetTree()->root->kind, N_CONST);
    EXPECT_EQ(folded.GetTree()->root->value.val, 5.0);
    // Errors of constants are kept for the run, where they are reported with the line.
    CCode divides("\n1 / 0", true);
    ASSERT_TRUE(divides.Compile("div"));
    EXPECT_EQ(divides.GetTree()->root->kind, N_BINARY);
    TaggedValue r;
    EXPECT_FALSE(Code_Execute_ErrorResult(self.get(), self.get(), &divides, &r));
    EXPECT_STREQ(r.GetString(), "ERROR");
    EXPECT_EQ(LastErrorText, "In div, line 2: Division by zero.");
    EXPECT_TRUE(g_errors.empty());

    self->variables->Set(Code_Variable_FindOrAdd("x"), 0, TaggedValue(4.0));
    EXPECT_EQ(Run("x * x + test_three(1, 2, 3)", true).val, 22.0);
    EXPECT_EQ(g_lastArgc, 3);
    CCode trailing("1 + 2 3", true);
    EXPECT_FALSE(trailing.Compile("trail"));
    EXPECT_EQ(LastErrorText, "In trail, line 1, position 7: End of code expected.");
}

TEST_F(Code, RunTimeErrorsNameLineAndRestoreContext)
{
    Error_Context.line = 77;
    Run("a = 1;\n\nb = a + c;");
    ASSERT_EQ(g_errors.size(), 1u);
    EXPECT_NE(g_errors[0].find("In test, line 3: Unknown variable c"), std::string::npos);
    EXPECT_NE(g_errors[0].find("ERROR in"), std::string::npos);
    EXPECT_EQ(Error_Context.line, 77);
    EXPECT_FALSE(Error_FatalPending);
    Error_Context.line = 0;
}

// Code made of actions: an error names the action it happened in, on both engines, wherever the
// action begins (inside a block another action opened, after an action without statements).
TEST_F(Code, ErrorsNameTheirAction)
{
    CodeActions actions;
    actions.Append("a = 1;\r\nif (a == 1) {\n");
    actions.Append("b = a / step;\n");
    actions.Append("");
    actions.Append("c = a + missing;\n}\n");
    EXPECT_EQ(actions.firstLines, (std::vector<int>{1, 4, 6, 7}));
    // An event of a game file may join any number of entries: each action's line is counted as it
    // is appended, not by reading the text so far again.
    CodeActions many;
    for (int i = 0; i < 100000; i++) many.Append("a = 1;\n");
    ASSERT_EQ(many.firstLines.size(), 100000u);
    EXPECT_EQ(many.firstLines.back(), 1 + 2 * 99999);
    for (bool vm : {true, false}) {
        Code_UseVM = vm;
        for (double step : {0.0, 1.0}) {
            g_errors.clear();
            Error_Context = ErrorContext();
            ArgumentSlots[0].SetReal(step);
            CodeActions run = actions;
            size_t at = run.text.find("step");
            run.text.replace(at, 4, "argument0");
            CCode code(run);
            ASSERT_TRUE(code.Compile("acts")) << LastErrorText;
            TaggedValue result;
            Code_Execute_ShowError(self.get(), self.get(), &code, &result);
            ASSERT_EQ(g_errors.size(), 1u) << vm;
            const char* wanted = step == 0 ? "action number 2\n" : "action number 4\n";
            EXPECT_NE(g_errors[0].find(wanted), std::string::npos) << g_errors[0] << (vm ? " (machine)" : " (tree)");
            EXPECT_NE(g_errors[0].find(step == 0 ? "line 4: Division by zero" : "line 7: Unknown variable missing"),
                      std::string::npos)
                << g_errors[0];
        }
    }
    Code_UseVM = true;
    ArgumentSlots[0].SetReal(0);
    Error_Context = ErrorContext();
    // Code of one action needs no marks.
    CodeActions one;
    one.Append("x = 1;\ny = 2;");
    CCode plain(one);
    ASSERT_TRUE(plain.Compile("one"));
    for (const Node& n : plain.GetTree()->nodes) EXPECT_NE(n.kind, N_ACTION);
}

TEST_F(Code, ScriptsRestoreArgumentsAndReportErrors)
{
    Script_Clear();
    int sum = Script_Add("test_sum", "argument0 = 'x'; return argument1 + argument_count");
    int bad = Script_Add("test_bad", "\nreturn nope");
    ASSERT_TRUE(Script_Prepare());
    int id;
    ASSERT_TRUE(Function_Find("test_sum", &id));
    EXPECT_EQ(id, sum + FUNCTION_SCRIPT_BASE);
    ArgumentSlots[0].SetString("keep");
    argument_count = 9;
    TaggedValue args[2] = {TaggedValue(1.0), TaggedValue(10.0)};
    TaggedValue r;
    EXPECT_TRUE(Script_Execute(sum, self.get(), self.get(), 2, &r, args));
    EXPECT_EQ(r.val, 12.0);
    EXPECT_STREQ(ArgumentSlots[0].GetString(), "keep");
    EXPECT_EQ(argument_count, 9);
    EXPECT_FALSE(Script_Execute(bad, self.get(), self.get(), 0, &r, args));
    EXPECT_TRUE(PendingScriptError.pending);
    EXPECT_EQ(PendingScriptError.message, "In script test_bad:\nIn test_bad, line 2: Unknown variable nope");
    PendingScriptError.pending = false;
    EXPECT_FALSE(Script_Execute(99, self.get(), self.get(), 0, &r, args));
    EXPECT_FALSE(PendingScriptError.pending);
    EXPECT_STREQ(Script_GetName(99), "<undefined>");
    ArgumentSlots[0].SetReal(0);
    argument_count = 0;
    Script_Clear();
}

TEST(Functions, ScriptsComeBeforeExtensionsAndBuiltIns)
{
    Function_Add("test_shadowed", F_test_three, 3);
    int id;
    ASSERT_TRUE(Function_Find("test_shadowed", &id));
    EXPECT_LT(id, FUNCTION_SCRIPT_BASE);
    Code_Extension_FindHook = [](const char* name, int* index) {
        *index = 4;
        return std::string(name) == "test_shadowed";
    };
    ASSERT_TRUE(Function_Find("test_shadowed", &id));
    EXPECT_EQ(id, FUNCTION_EXTENSION_BASE + 4);
    int s = Script_Add("test_shadowed", "");
    ASSERT_TRUE(Function_Find("test_shadowed", &id));
    EXPECT_EQ(id, FUNCTION_SCRIPT_BASE + s);
    Code_Extension_FindHook = nullptr;
    Script_Clear();
    EXPECT_FALSE(Function_Find("test_no_such_function", &id));
    EXPECT_EQ(id, -1);
}

TEST(Constants, NamesAreCheckedAndValuesRegistered)
{
    StartUp_Constants();
    double v;
    ASSERT_TRUE(Code_Constant_Find("vk_f12", &v));
    EXPECT_EQ(v, 123.0);
    ASSERT_TRUE(Code_Constant_Find("ev_user15", &v));
    EXPECT_EQ(v, 25.0);
    ASSERT_TRUE(Code_Constant_Find("ev_joystick2_button8", &v));
    EXPECT_EQ(v, 43.0);
    ASSERT_TRUE(Code_Constant_Find("ef_snow", &v));
    EXPECT_EQ(v, 11.0);
    ASSERT_TRUE(Code_Constant_Find("phy_joint_frequency", &v));
    EXPECT_EQ(v, 18.0);
    EXPECT_TRUE(Code_Constant_AddName("my_constant"));
    ASSERT_TRUE(Code_Constant_Find("my_constant", &v));
    EXPECT_EQ(v, 0.0);
    g_errors.clear();
    Error_Display_Hook = CaptureError;
    EXPECT_FALSE(Code_Constant_AddName("1bad"));
    EXPECT_FALSE(Code_Constant_AddName("bad name"));
    Error_Display_Hook = nullptr;
    ASSERT_EQ(g_errors.size(), 2u);
    EXPECT_EQ(g_errors[0], "Constant name 1bad  is not valid.");
    EXPECT_FALSE(Code_Constant_Find("1bad", &v));
}

TEST(CodeList, ShowsResolvedNodesWithLines)
{
    StartUp_Constants();
    Variable_BuiltIn_Init();
    CCode code("var i;\nfor (i = 0; i < 3; i += 1)\n  total = argument0 + c_red", false);
    ASSERT_TRUE(code.Compile("listing"));
    std::string text = Code_List(code.GetTree());
    EXPECT_NE(text.find("   2   for\n"), std::string::npos) << text;
    EXPECT_NE(text.find("local i"), std::string::npos) << text;
    EXPECT_NE(text.find("   3     assign =\n   3       self total\n"), std::string::npos) << text;
    EXPECT_NE(text.find("builtin argument0"), std::string::npos) << text;
    EXPECT_NE(text.find("const 255"), std::string::npos) << text;
}

TEST_F(Code, DottedAccessReadsFirstAndWritesAll)
{
    CInstance second(700060, 3, 0, 0);
    CInstance elsewhere(700061, 4, 0, 0);
    int v = Code_Variable_FindOrAdd("v");
    self->variables->Set(v, 0, TaggedValue(1.0));
    second.variables->Set(v, 0, TaggedValue(2.0));
    EXPECT_EQ(Run("return (3).v").val, 1.0);
    EXPECT_EQ(Run("return (700060).v").val, 2.0);
    Run("(3).v += 10");
    TaggedValue r;
    EXPECT_TRUE(Instance_GetVariable(&second, v, 0, &r));
    EXPECT_EQ(r.val, 12.0);
    EXPECT_TRUE(Instance_GetVariable(self.get(), v, 0, &r));
    EXPECT_EQ(r.val, 11.0);
    EXPECT_FALSE(Instance_GetVariable(&elsewhere, v, 0, &r));
    Run("all.w = 'x'");
    EXPECT_TRUE(Instance_GetVariable(&elsewhere, Code_Variable_FindOrAdd("w"), 0, &r));
    EXPECT_STREQ(r.GetString(), "x");
    // A destroyed instance is no target; the error names the target and the variable.
    second.marked = true;
    Run("(700060).v = 1");
    ASSERT_EQ(g_errors.size(), 1u);
    EXPECT_NE(g_errors[0].find("No instance found for target 700060 (variable v)."), std::string::npos);
    // Inside with, other is the instance that ran the with.
    EXPECT_EQ(Run("with (4) other.v = 99; return v").val, 99.0);
}

TEST(FunctionMisc, SteamLeavesOutTheExecuteBuiltIns)
{
    Function_Clear();
    Function_Misc_Steam = true;
    Function_Misc_Init();
    Function_Misc_Steam = false;
    int id;
    EXPECT_FALSE(Function_Find("execute_string", &id));
    EXPECT_FALSE(Function_Find("execute_file", &id));
    EXPECT_TRUE(Function_Find("show_debug_message", &id));
    CCode code("execute_string('x = 1')", false);
    EXPECT_FALSE(code.Compile("steam"));
    EXPECT_EQ(LastErrorText, "In steam, line 1, position 1: Unknown function or script: execute_string");
    Function_Clear();
}
