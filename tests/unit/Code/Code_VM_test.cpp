#include "Base/MemoryManager.h"
#include "Code/Code_Class.h"
#include "Code/Code_Constant.h"
#include "Code/Code_Gen.h"
#include "Code/Code_Interp.h"
#include "Code/Code_Opcodes.h"
#include "Code/Code_VM.h"
#include "Code/Error.h"
#include "Code/Function.h"
#include "Function/Function_DataStructures.h"
#include "Function/Function_Misc.h"
#include "Function/Function_Resource.h"
#include "Object/Instance_Class.h"
#include "Script/Script_Main.h"
#include "StartUp.h"
#include "Variable/Variable_BuiltIn.h"
#include "Variable/Variable_Main.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

std::string g_log;
void F_vm_print(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    g_log += args[0].IsString() ? std::string(args[0].GetString()) : std::to_string(args[0].val);
    g_log += "|";
}
// A long text made once and shared by every value that holds it; the length of a text.
TaggedValue g_big;
void F_vm_big(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*) { *result = g_big; }
void F_vm_len(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args) { result->SetReal((double)args[0].GetLength()); }
void F_vm_argc(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue*) { result->SetReal(argc); }
// A built-in whose text passes the bound by one byte (its pages never touched), and one that finds
// no memory and gives an empty text as a built-in without a check of its own would.
void F_vm_too_long(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*) { result->SetString(nullptr, VALUE_STRING_MAX + 1); }
void F_vm_no_memory(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    char* text = (char*)MemAlloc(((size_t)1 << 40) + 1);
    result->SetString(text ? text : "");
}
void CaptureError(const char* text, bool fatal) { g_log += std::string(fatal ? "FATAL:" : "ERROR:") + text + "|"; }

struct Outcome {
    std::string log;
    std::string result;
    bool ok;
    bool operator==(const Outcome& o) const { return log == o.log && result == o.result && ok == o.ok; }
};
std::ostream& operator<<(std::ostream& s, const Outcome& o) { return s << "{" << o.ok << " " << o.result << " " << o.log << "}"; }

class Machine : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        StartUp_Constants();
        Variable_BuiltIn_Init();
        Function_Misc_Init();
        Function_DataStructures_Init();
        Function_Add("script_execute", F_script_execute, -1);
        Function_Add("vm_print", F_vm_print, 1);
        Function_Add("vm_argc", F_vm_argc, -1);
        Function_Add("vm_big", F_vm_big, 0);
        Function_Add("vm_len", F_vm_len, 1);
        Function_Add("vm_too_long", F_vm_too_long, 0);
        Function_Add("vm_no_memory", F_vm_no_memory, 0);
    }
    void SetUp() override
    {
        Script_Clear();
        Error_Display_Hook = CaptureError;
    }
    void TearDown() override
    {
        Error_Display_Hook = nullptr;
        Error_FatalPending = false;
        Code_UseVM = true;
        Code_KeepTrees = true;
        Code_StepBudget = -1;
        Script_Clear();
        Variable_Globals.Clear();
        for (int k = 0; k < ARGUMENT_SLOTS; k++) ArgumentSlots[k].SetReal(0.0);
        argument_count = 0;
    }
    void AddScript(const char* name, const char* text) { Code_Constant_AddReal(name, Script_Add(name, text)); }

    // Runs a program on one engine with a fresh self; what it printed and reported, its result.
    Outcome RunOn(const char* text, bool machine)
    {
        Variable_Globals.Clear();
        g_log.clear();
        Error_FatalPending = false;
        Code_UseVM = machine;
        CCode code(text, false);
        EXPECT_TRUE(code.Compile("prog")) << LastErrorText;
        std::string problem;
        EXPECT_TRUE(Code_Verify(*code.GetByteCode(), &problem)) << problem << "\n" << Code_ListByteCode(*code.GetByteCode());
        CInstance self(700200, 5, 0, 0);
        TaggedValue result;
        bool ok = Code_Execute_ShowError(&self, &self, &code, &result);
        std::string r = result.IsString() ? std::string("s:") + result.GetString() : std::to_string(result.val);
        return Outcome{g_log, r, ok};
    }
    // Runs a program that must fail without an instance on both engines; what the machine reported,
    // the same as the tree's.
    std::string FailsWithoutInstance(const char* text)
    {
        std::string logs[2];
        for (bool machine : {false, true}) {
            g_log.clear();
            Code_UseVM = machine;
            CCode code(text, false);
            EXPECT_TRUE(code.Compile("prog")) << text;
            TaggedValue result;
            EXPECT_FALSE(Code_Execute_ShowError(nullptr, nullptr, &code, &result)) << text;
            logs[machine] = g_log;
        }
        EXPECT_EQ(logs[1], logs[0]) << text;
        return logs[1];
    }
    // Runs on both engines, expects the same outcome and gives the machine's.
    Outcome Both(const char* text)
    {
        Outcome tree = RunOn(text, false);
        Outcome machine = RunOn(text, true);
        EXPECT_EQ(machine, tree) << text;
        return machine;
    }
};

ByteCode Make(std::initializer_list<VMIns> code, int maxStack)
{
    ByteCode bc;
    bc.code = code;
    bc.lines.assign(bc.code.size(), 1);
    bc.constants.emplace_back(1.0);
    bc.maxStack = maxStack;
    return bc;
}

VMIns Ins(Opcode op, int a = 0, int x = 0) { VMIns i; i.op = op; i.a = a; i.x = (uint16_t)x; return i; }

}  // namespace

// Every opcode says what it does with the argument slots (an opcode added without saying fails
// here), and a faster or dropping form says what the instruction it stands for says.
TEST(ByteCode, EveryOpcodeDecidesWhatItDoesWithTheArgumentSlots)
{
    for (int op = 0; op < OPC_COUNT; op++) {
        const OpcodeInfo& info = Code_Opcodes[op];
        ASSERT_NE(info.args, ARGS_UNDECIDED) << info.name;
        EXPECT_EQ(info.args, Code_Opcodes[Code_GenericOf(op)].args) << info.name;
        EXPECT_EQ(info.args, Code_Opcodes[Code_Dropping(op)].args) << info.name;
    }
}

TEST(ByteCodeVerifier, RejectsBrokenCode)
{
    for (int op = 0; op < OPC_COUNT; op++) ASSERT_NE(Code_Opcodes[op].name, nullptr) << "opcode " << op << " has no entry";
    std::string error;
    ByteCode good = Make({Ins(OPC_PUSH), Ins(OPC_PUSH), Ins(OPC_ADD), Ins(OPC_RETURN)}, 2);
    EXPECT_TRUE(Code_Verify(good, &error)) << error;

    ByteCode underflow = Make({Ins(OPC_PUSH), Ins(OPC_ADD), Ins(OPC_RETURN)}, 1);
    EXPECT_FALSE(Code_Verify(underflow, &error));
    EXPECT_NE(error.find("instruction 1"), std::string::npos) << error;

    // The join after an if must see one height from both ways in.
    ByteCode uneven = Make({Ins(OPC_PUSH), Ins(OPC_JUMP_IF, 2), Ins(OPC_PUSH), Ins(OPC_EXIT)}, 1);
    EXPECT_FALSE(Code_Verify(uneven, &error));
    EXPECT_NE(error.find("different stack heights"), std::string::npos) << error;

    EXPECT_FALSE(Code_Verify(Make({Ins(OPC_JUMP, 7)}, 0), &error));
    EXPECT_FALSE(Code_Verify(Make({Ins(OPC_JUMP, -1)}, 0), &error));
    EXPECT_NE(error.find("before the start"), std::string::npos) << error;
    EXPECT_FALSE(Code_Verify(Make({Ins(OPC_PUSH)}, 1), &error));  // runs off the end
    EXPECT_FALSE(Code_Verify(Make({Ins(OPC_PUSH, 5), Ins(OPC_RETURN)}, 1), &error));  // no constant 5
    EXPECT_FALSE(Code_Verify(Make({Ins(OPC_PUSH), Ins(OPC_PUSH), Ins(OPC_ADD), Ins(OPC_RETURN)}, 1), &error));
    EXPECT_NE(error.find("maxStack"), std::string::npos) << error;
    EXPECT_FALSE(Code_Verify(Make({Ins(OPC_CALL, 0, 2), Ins(OPC_RETURN)}, 1), &error));  // pops 2 of 0

    // A map read whose operands are constant 0 and (on the stack) the value pushed before it;
    // the built-in's path needs room for both on the stack.
    VMIns find = Ins(OPC_MAP_FIND_VALUE, 0, 1);
    find.y = OPERAND_CONSTANT;
    find.b = 0;
    EXPECT_TRUE(Code_Verify(Make({Ins(OPC_PUSH), find, Ins(OPC_RETURN)}, 2), &error)) << error;
    EXPECT_FALSE(Code_Verify(Make({Ins(OPC_PUSH), find, Ins(OPC_RETURN)}, 1), &error));
    VMIns far = find;
    far.b = 1 << 16;  // the operand on the stack is the first there, not the second
    EXPECT_FALSE(Code_Verify(Make({Ins(OPC_PUSH), far, Ins(OPC_RETURN)}, 2), &error));
    far = find;
    far.b = 3;  // no constant 3
    EXPECT_FALSE(Code_Verify(Make({Ins(OPC_PUSH), far, Ins(OPC_RETURN)}, 2), &error));
    far = find;
    far.y |= OPERAND_LOCAL << 4;  // a third operand, of a call that has two
    EXPECT_FALSE(Code_Verify(Make({Ins(OPC_PUSH), far, Ins(OPC_RETURN)}, 2), &error));
    far = find;
    far.x = 2;  // one operand on the stack, not two
    EXPECT_FALSE(Code_Verify(Make({Ins(OPC_PUSH), Ins(OPC_PUSH), far, Ins(OPC_RETURN)}, 3), &error));

    // A map read by a text names its key (a text constant) and a cache of the code's.
    VMIns text = Ins(OPC_MAP_FIND_LOCAL_TEXT);
    text.y = OPERAND_LOCAL | OPERAND_CONSTANT << 2;
    text.b = 1 << 16;  // local 0, constant 1
    ByteCode cached = Make({text, Ins(OPC_RETURN)}, 2);
    cached.constants.emplace_back("key");
    cached.localNames = {"m"};
    cached.localCount = 1;
    cached.mapCaches.resize(2);
    cached.code[0].c = 1 << 16;
    EXPECT_TRUE(Code_Verify(cached, &error)) << error;
    cached.code[0].c = 2 << 16;  // no cache 2
    EXPECT_FALSE(Code_Verify(cached, &error));
    cached.code[0].c = 0;
    cached.code[0].b = 0;  // the key is the real 1
    EXPECT_FALSE(Code_Verify(cached, &error));
    cached.code[0].b = 1 << 16;
    cached.code[0].y = OPERAND_LOCAL;  // the key is on the stack
    EXPECT_FALSE(Code_Verify(cached, &error));

    // A faster form must stand for its own case: a remainder by the whole constant it names
    // (never 0, which would stop the processor), += and not another operator.
    VMIns mod = Ins(OPC_MOD_INT_CONST);
    mod.y = OP_MOD;
    mod.b = 1;
    EXPECT_TRUE(Code_Verify(Make({Ins(OPC_PUSH), mod, Ins(OPC_RETURN)}, 1), &error)) << error;
    for (int divisor : {0, 2, -1}) {
        mod.b = divisor;
        EXPECT_FALSE(Code_Verify(Make({Ins(OPC_PUSH), mod, Ins(OPC_RETURN)}, 1), &error)) << divisor;
    }
    ByteCode sum = Make({Ins(OPC_PUSH), Ins(OPC_ADD_TO_LOCAL), Ins(OPC_EXIT)}, 1);
    sum.localNames = {"s"};
    sum.localCount = 1;
    sum.code[1].y = OP_ADD;
    EXPECT_TRUE(Code_Verify(sum, &error)) << error;
    sum.code[1].y = OP_SUB;
    EXPECT_FALSE(Code_Verify(sum, &error));

    // A pair relies on its second instruction following it: local 0 mod 1, jumping when == 1.
    VMIns rest = Ins(OPC_LOCAL_MOD_INT_EQ_JUMP_IF), equal = Ins(OPC_EQ_JUMP_IF);
    rest.y = OP_MOD;
    rest.c = 1;
    equal.y = OP_EQ;
    equal.c = 1;
    ByteCode pair = Make({rest, equal, Ins(OPC_EXIT)}, 1);
    pair.localNames = {"h"};
    pair.localCount = 1;
    EXPECT_TRUE(Code_Verify(pair, &error)) << error;
    pair.code[1].op = OPC_COMPARE_CONST_LT;
    pair.code[1].y = OP_LT;
    EXPECT_FALSE(Code_Verify(pair, &error));
    EXPECT_NE(error.find("pair without"), std::string::npos) << error;
    pair.code = {rest};
    EXPECT_FALSE(Code_Verify(pair, &error));

    // A pair whose second is a pair: a map read (map in local 0, the key pushed) added to local
    // 1 with the loop's step of local 2 below local 3 made too, which relies on both following.
    VMIns read = Ins(OPC_MAP_FIND_ADD_STEP_LT_LOCAL, 0, 1), sumStep = Ins(OPC_ADD_TO_LOCAL_STEP_LT_LOCAL, 1);
    read.y = OPERAND_LOCAL | OPERAND_STACK << 2;
    sumStep.y = OP_ADD;
    VMIns step = Ins(OPC_STEP_LT_LOCAL, 2, 3);
    step.y = (uint8_t)((int)OP_LT | STEP_LOCAL_LIMIT);
    step.c = -3;
    ByteCode loop = Make({Ins(OPC_PUSH), read, sumStep, step, Ins(OPC_EXIT)}, 2);
    loop.localNames = {"m", "s", "i", "n"};
    loop.localCount = 4;
    EXPECT_TRUE(Code_Verify(loop, &error)) << error;
    loop.code[2].op = OPC_ADD_TO_LOCAL;  // the read's second is not the pair it relies on
    EXPECT_FALSE(Code_Verify(loop, &error));
    EXPECT_NE(error.find("instruction 1: pair without"), std::string::npos) << error;
    loop.code[2].op = OPC_ADD_TO_LOCAL_STEP_LT_LOCAL;
    loop.code[3].op = OPC_STEP_LT;  // nor is the step the second's
    loop.code[3].y = OP_LT;
    EXPECT_FALSE(Code_Verify(loop, &error));
    EXPECT_NE(error.find("instruction 2: pair without"), std::string::npos) << error;
}

// A remainder whose result is a map's key joins the read that is itself joined with a sum and a
// step: each of the three relies on the one after it.
TEST(ByteCodeVerifier, ChecksEachInstructionOfAJoinedRemainderAndRead)
{
    std::string error;
    VMIns mod = Ins(OPC_MOD_MAP_FIND_ADD_STEP_LT_LOCAL), read = Ins(OPC_MAP_FIND_ADD_STEP_LT_LOCAL, 0, 1);
    mod.y = OP_MOD;
    mod.b = 1;
    read.y = OPERAND_LOCAL | OPERAND_STACK << 2;
    VMIns sumStep = Ins(OPC_ADD_TO_LOCAL_STEP_LT_LOCAL, 1);
    sumStep.y = OP_ADD;
    VMIns step = Ins(OPC_STEP_LT_LOCAL, 2, 3);
    step.y = (uint8_t)((int)OP_LT | STEP_LOCAL_LIMIT);
    step.c = -4;
    ByteCode loop = Make({Ins(OPC_PUSH), mod, read, sumStep, step, Ins(OPC_EXIT)}, 2);
    loop.localNames = {"m", "s", "i", "n"};
    loop.localCount = 4;
    EXPECT_TRUE(Code_Verify(loop, &error)) << error;
    loop.code[1].b = 0;  // a remainder by 0
    EXPECT_FALSE(Code_Verify(loop, &error));
    EXPECT_NE(error.find("instruction 1: faster form"), std::string::npos) << error;
    loop.code[1].b = 1;
    loop.code[2].op = OPC_MAP_FIND_LOCAL_STACK;  // the read is not the pair the remainder relies on
    EXPECT_FALSE(Code_Verify(loop, &error));
    EXPECT_NE(error.find("instruction 1: pair without"), std::string::npos) << error;
    loop.code[1].op = OPC_MOD_MAP_FIND;  // which a remainder and a plain read make
    EXPECT_TRUE(Code_Verify(loop, &error)) << error;
}

// The machine joins a map read summed at the end of a loop's body with the sum and the step, which
// are joined themselves, and with a sum elsewhere, and a remainder that is the key with all
// three; all read as the tree reads them.
TEST_F(Machine, MapReadsSummedInLoopsJoinWithTheSumAndStep)
{
    const char* text =
        "var m, i, s, n; m = ds_map_create(); n = 5; s = 0;"
        "for (i = 0; i < n; i += 1) ds_map_add(m, i * 7, i + 0.25);"
        "for (i = 0; i < n; i += 1) s += ds_map_find_value(m, i * 7);"
        "for (i = 0; i < 6; i += 1) { s += ds_map_find_value(m, i * 7); s *= 2; }"
        "for (i = 0; i < n; i += 1) s += ds_map_find_value(m, (i * 14) mod 21);"
        "vm_print(s)";
    CCode code(text, false);
    ASSERT_TRUE(code.Compile("sums")) << LastErrorText;
    const ByteCode& bc = *code.GetByteCode();
    std::string listing = Code_ListByteCode(bc);
    EXPECT_NE(listing.find("map_find_add_step_lt_local"), std::string::npos) << listing;
    EXPECT_NE(listing.find("map_find_add_to_local"), std::string::npos) << listing;
    EXPECT_NE(listing.find("mod_map_find_add_step_lt_local"), std::string::npos) << listing;
    Outcome o = Both(text);
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(o.log, "861.250000|");
}

// A script's frame holds the argument slots its code names, or all of them when an instruction
// may let a built-in, code run through one or argument[i] see them.
TEST_F(Machine, ScriptsGetTheArgumentSlotsTheirCodeCanReach)
{
    const struct {
        const char* text;
        int slots;
    } cases[] = {
        {"return 1", 0},
        {"return argument2 + argument0", 3},
        {"argument4 = 1; if (argument1 < 2) return argument1 * 3", 5},
        {"return argument[1]", ARGUMENT_SLOTS},
        {"return vm_len(argument0)", ARGUMENT_SLOTS},
        {"vm_print(1)", ARGUMENT_SLOTS},
        {"return execute_string('return argument3')", ARGUMENT_SLOTS},
        {"x = self.argument0", 1},
        {"x = other.argument0", ARGUMENT_SLOTS},
    };
    for (const auto& c : cases) {
        CCode code(c.text, false);
        ASSERT_TRUE(code.Compile("slots")) << c.text << ": " << LastErrorText;
        ASSERT_NE(code.GetByteCode(), nullptr) << c.text;
        EXPECT_EQ(code.GetByteCode()->argSlots, c.slots) << c.text << "\n" << Code_ListByteCode(*code.GetByteCode());
    }
}

TEST_F(Machine, GeneratedCodeOfEveryStatementVerifiesAndAgrees)
{
    AddScript("vm_add", "return argument0 + argument1");
    ASSERT_TRUE(Script_Prepare());
    Outcome o = Both(
        "var i, s, t; s = 0;"
        "for (i = 0; i < 10; i += 1) { if (i mod 3 == 0) continue; s += i; if (s > 20) break; }"
        "vm_print(s); vm_print(i);"
        "while (i > 0) i -= 4; do i += 3 until (i >= 5); repeat (3.6) t[i] = i; vm_print(i);"
        "repeat (5) { s -= 1; if (s < 18) break; } vm_print(s);"
        "switch (s) { case 17: vm_print('a'); case 18: vm_print('b'); break; default: vm_print('c'); }"
        "switch ('x') { default: vm_print('d'); case 'y': vm_print('e'); }"
        "with (self) { w = 1; continue; w = 2; }"
        "vm_print(w); vm_print(vm_add(vm_add(1, 2), 3)); vm_print(vm_argc(1, 2, 3, 4));"
        "vm_print(1 && 0 || 2 > 1); vm_print('a' + 'b' + 'c'); vm_print(t[5]);"
        "return -(7 div 2) + 7 mod -3 + (5 & 3) + (1 << 4); vm_print('never');");
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(o.log, "27.000000|8.000000|6.000000|22.000000|c|d|e|1.000000|6.000000|4.000000|"
                     "1.000000|abc|0.000000|");
    EXPECT_EQ(o.result, "15.000000");
}

// Map calls by a text through their caches: the code made verifies, and a map that changed
// between two runs of one call (a key deleted, the map destroyed and its index taken by another)
// reads as the tree reads it.
TEST_F(Machine, MapCallsByTextVerifyAndAgree)
{
    Outcome o = Both(
        "var m, i; m = ds_map_create(); ds_map_add(m, 'k', 1);"
        "for (i = 0; i < 4; i += 1) {"
        "  ds_map_replace(m, 'k', ds_map_find_value(m, 'k') + 1); vm_print(ds_map_find_value(m, 'k') * 10 + ds_map_size(m));"
        "  if (i == 1) ds_map_delete(m, 'k');"
        "  if (i == 2) { ds_map_destroy(m); ds_map_add(ds_map_create(), 'k', 10); } }");
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(o.log, "21.000000|31.000000|11.000000|111.000000|");
}

TEST_F(Machine, RunTimeErrorsMatchTheTreeInterpreter)
{
    AddScript("vm_bad", "\n\nreturn argument0 + 'x'");
    AddScript("vm_outer", "return vm_bad(argument0)");
    ASSERT_TRUE(Script_Prepare());
    const char* programs[] = {
        "x = 1;\nvm_print(x);\ny = x / 0",
        "vm_print(vm_outer(1))",
        "q = 'a'; if (q) x = 1",
        "repeat ('3') x = 1",
        "with ('x') y = 1",
        "var u;\nu += 1",
        "z[-1] = 0",
        "z[40000] = 0",
        "z['a'] = 0",
        "k = 'a'; k -= 1",
        "v = 1; v = v < 'b'",
        "n = (100005).n",
        "m = noone.m",
        "1 + 'a'",
        "argument_count = 3",
        "t = 0 || 'a'",
        "for (i = 0; i < 'z'; i += 1) {}",
        "var j; j = 0; while (j < 3) j += 'x'",
        // The faster forms leave these to the instruction they stand for.
        "var i, n; n = 3; for (i = 0; i < n; i += 1) {\nif (i == 1) i = 'a'; }",
        "var i, n; n = 2; for (i = 0; i < n; i += 1) {\nn = 'b'; }",
        "var s, t; s = 'a'; t = 1;\ns = (s) * t",
        "var s;\ns += 1",
        "var s; s = 'a';\ns = s mod 3",
        "var s; s = 'a';\ns = (s) mod 3",
        "var a, b; a = 5; b = 0;\na = (a) div b",
        "var a; a = 5;\na = a / 0",
        "var s; s = 'a';\ns = (s) | 1",
    };
    for (const char* p : programs) {
        if (std::string(p) == "argument_count = 3" || std::string(p) == "1 + 'a'") continue;  // compile errors
        Outcome o = Both(p);
        EXPECT_FALSE(o.ok) << p;
        EXPECT_NE(o.log.find("ERROR:"), std::string::npos) << p;
    }
    // An element past those stored reads 0 with a report, and the run goes on, on both engines.
    Outcome o = Both("var a; a[1] = 2;\nvm_print(a[3]); b[4] = 1; vm_print(b[0, 9] + b[1, 0] + 1)");
    EXPECT_TRUE(o.ok);
    std::string report = "ERROR:ERROR in\naction number 1\nof <unknown event>\nfor object <undefined>:\n\n\nIn prog, line 2: "
                         "Array index out of bounds: ";
    EXPECT_EQ(o.log, report + "a[3]|0.000000|" + report + "b[0, 9]|" + report + "b[1, 0]|1.000000|");
    // A script's error names the scripts it passed through and the line.
    o = Both("vm_print(vm_outer(1))");
    EXPECT_NE(o.log.find("In script vm_outer:\nIn script vm_bad:\nIn vm_bad, line 3: Wrong type of arguments to +."),
              std::string::npos) << o.log;
}

// + and += join strings up to 268435456 bytes; a longer result is an error of the code, never a
// cut text, on every path of both engines.
TEST_F(Machine, JoinedStringsStopAtTheirBound)
{
    const std::string error = "ERROR:ERROR in\naction number 1\nof <unknown event>\nfor object <undefined>:\n\n\n"
                              "In prog, line 1: Result of + too long: strings hold at most 268435456 bytes.|";
    // The first reaches the bound exactly; the others pass it by one byte on the other paths.
    const char* programs[] = {
        "s = vm_big(); s += 'a'; vm_print(vm_len(s)); s += 'b'; vm_print('not reached')",
        "vm_print(268435456); var l; l = vm_big(); l += 'ab'; vm_print('not reached')",
        "vm_print(268435456); argument0 = vm_big(); argument0 += 'ab'",
        "vm_print(268435456); s = vm_big(); t = s + 'bc'; vm_print('not reached')",
        "vm_print(268435456); s = vm_big(); t = 'bc' + s",
    };
    std::string text(268435455, 'x');
    g_big.SetString(text.data(), text.size());
    text.clear();
    text.shrink_to_fit();
    for (const char* p : programs) {
        Outcome o = Both(p);
        EXPECT_FALSE(o.ok) << p;
        EXPECT_EQ(o.log, "268435456.000000|" + error) << p;
        for (int k = 0; k < ARGUMENT_SLOTS; k++) ArgumentSlots[k].SetReal(0.0);
    }
    g_big.Free();
}

// Every built-in keeps the one bound of strings, and one whose allocation failed reports it: the
// call checks, whatever the built-in, on both engines; the code goes on.
TEST_F(Machine, BuiltinResultsKeepTheBoundAndReportMemory)
{
    const std::string head = "ERROR:ERROR in\naction number 1\nof <unknown event>\nfor object <undefined>:\n\n\n";
    Outcome o = Both("s = vm_too_long(); vm_print(vm_len(s)); t = vm_no_memory(); vm_print(vm_len(t)); "
                     "vm_print(vm_len(vm_too_long() + 'a'))");
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(o.log, head + "vm_too_long : result too long|0.000000|" + head + "Out of memory.|0.000000|" + head +
                         "vm_too_long : result too long|1.000000|");
}

TEST_F(Machine, LocalsStartFreshInEveryRun)
{
    AddScript("vm_locals", "var v, w; if (argument0) { v = 9; v[2] = 7; w = 'left'; return 0; } v[1] = 1; return v[0] + v[1]");
    ASSERT_TRUE(Script_Prepare());
    // The second call reuses the first call's locals: nothing of them may show through.
    Outcome o = Both("vm_locals(1); return vm_locals(0)");
    EXPECT_EQ(o.result, "1.000000");
    o = Both("vm_locals(1); return vm_locals(0) + vm_locals(1) + vm_locals(0)");
    EXPECT_EQ(o.result, "2.000000");
    EXPECT_EQ(Both("vm_locals(1); var a; a[1] = 3; return a[0] + a[1]").result, "3.000000");
}

TEST_F(Machine, ScriptCallsSaveAndRestoreArgumentSlots)
{
    AddScript("vm_inner", "vm_print(argument0); vm_print(argument1); vm_print(argument_count); argument0 = 'changed'; return argument[0]");
    AddScript("vm_caller", "var r; r = vm_inner('in'); vm_print(argument0); vm_print(argument2); vm_print(argument_count); return r");
    ASSERT_TRUE(Script_Prepare());
    Outcome o = Both("argument0 = 'top'; vm_print(vm_caller('a', 'b', 'c')); vm_print(argument0); vm_print(script_execute(vm_inner, 9))");
    EXPECT_EQ(o.log, "in|0.000000|1.000000|a|c|3.000000|changed|top|9.000000|0.000000|1.000000|changed|");
    EXPECT_STREQ(ArgumentSlots[0].GetString(), "top");
    // The caller's slots come back exactly, a negative zero included.
    o = Both("argument5 = -0; vm_caller(1); vm_print(argument5)");
    EXPECT_EQ(o.log.substr(o.log.size() - 10), "-0.000000|");
}

TEST_F(Machine, ArgumentsReadWithTheirUseAgreeWithTheTree)
{
    AddScript("vm_less", "if (argument0 < 2) return 'less';\nreturn argument0 - 1");
    AddScript("vm_same", "if (argument1 == 'abc') return 1;\nreturn argument1 + 'x'");
    AddScript("vm_mix", "var t; t = 2;\nreturn t * argument0 + argument1");
    ASSERT_TRUE(Script_Prepare());
    Outcome o = Both("vm_print(vm_less(1)); vm_print(vm_less(5)); vm_print(vm_same(0, 'abc')); vm_print(vm_same(0, 'q')); "
                     "vm_print(vm_mix(3, 4)); vm_print(vm_mix(1))");
    EXPECT_EQ(o.log, "less|4.000000|1.000000|qx|10.000000|2.000000|");
    // Wrong types stop the script at the line of the use.
    EXPECT_NE(Both("vm_less('a')").log.find("In vm_less, line 1: "), std::string::npos);
    EXPECT_NE(Both("vm_same(0, 2)").log.find("In vm_same, line 2: "), std::string::npos);
    EXPECT_NE(Both("vm_mix('a', 1)").log.find("In vm_mix, line 2: "), std::string::npos);
    EXPECT_NE(Both("vm_mix(1, 'b')").log.find("In vm_mix, line 2: "), std::string::npos);
    // A return of an argument, a local or a constant pushes it itself, with the errors of its read.
    AddScript("vm_back", "var t, u; if (argument0 == 1) return argument1;\nif (argument0 == 2) { u = 'u'; return u; }\nif (argument0 == 3) return 'c';\nreturn t;");
    ASSERT_TRUE(Script_Prepare());
    EXPECT_EQ(Both("vm_print(vm_back(1, 'a')); vm_print(vm_back(1)); vm_print(vm_back(2)); vm_print(vm_back(3))").log, "a|0.000000|u|c|");
    EXPECT_NE(Both("vm_back(4)").log.find("In vm_back, line 4: Unknown variable t"), std::string::npos);
    // Without an instance, reading an argument is an error, also when the read is joined with its use.
    for (const char* text : {"return argument0 < 2", "if (argument0 < 2) return 1", "return argument0 - 1", "return 1 + argument0", "argument0 = 1", "return argument0"}) {
        std::string log = FailsWithoutInstance(text);
        EXPECT_NE(log.find("argument0"), std::string::npos) << log;
    }
    // Inside with there is an instance, and after it again none.
    CInstance inst(700220, 11, 0, 0);
    std::string logs[2];
    for (bool machine : {false, true}) {
        g_log.clear();
        Code_UseVM = machine;
        CCode code("with (11) { vm_print(argument0 - 1); break; } with (11) vm_print(1 + argument0); vm_print(argument0 < 1)", false);
        ASSERT_TRUE(code.Compile("prog"));
        TaggedValue result;
        EXPECT_FALSE(Code_Execute_ShowError(nullptr, nullptr, &code, &result));
        logs[machine] = g_log;
    }
    EXPECT_EQ(logs[1], logs[0]);
    EXPECT_EQ(logs[1].substr(0, 18), "-1.000000|1.000000");
    EXPECT_NE(logs[1].find("(variable argument0)"), std::string::npos) << logs[1];
}

TEST_F(Machine, DeepRecursionEndsWithTheStackOverflowError)
{
    AddScript("vm_forever", "return vm_forever(argument0 + 1)");
    ASSERT_TRUE(Script_Prepare());
    // Reported once, fatal, naming only the code it stopped in; nothing after it runs.
    for (bool engine : {true, false}) {
        Outcome o = RunOn("x = 1; vm_forever(0); vm_print('after')", engine);
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.log, "FATAL:FATAL ERROR in\naction number 1\nof <unknown event>\nfor object <undefined>:\n\n\n"
                         "In vm_forever, line 1: Stack overflow: the code recurses too deeply.|")
            << engine;
    }
    // The slots and the machine's stack are whole again: the next run works.
    EXPECT_EQ(argument_count, 0);
    EXPECT_EQ(Both("return 2 + 3").result, "5.000000");
}

TEST_F(Machine, StepBudgetEndsEndlessLoopsOnBothEngines)
{
    for (bool machine : {true, false}) {
        Code_StepBudget = 1000;
        Outcome o = RunOn("while (true) { x = 1; }", machine);
        EXPECT_FALSE(o.ok);
        EXPECT_NE(o.log.find("FATAL:"), std::string::npos);
        EXPECT_NE(o.log.find("Step limit reached."), std::string::npos) << machine;
        Code_StepBudget = 1000;
        EXPECT_TRUE(RunOn("var i; for (i = 0; i < 10; i += 1) {}", machine).ok);
        // A loop that only sums elements (which the machine may run in one instruction) counts
        // each turn as well.
        Code_StepBudget = 1000;
        o = RunOn("var a, i, s; a[1999] = 1; s = 0; for (i = 0; i < 2000; i += 1) s += a[i]; vm_print(s)", machine);
        EXPECT_NE(o.log.find("Step limit reached."), std::string::npos) << machine << o.log;
        Code_StepBudget = 1000;
        o = RunOn("var i, s; items[999] = 1; s = 0; for (i = 0; i < 2000; i += 1) s += items[i]; vm_print(s)", machine);
        EXPECT_NE(o.log.find("Step limit reached."), std::string::npos) << machine << o.log;
        // With enough steps the loop ends with its sum, its jumps back spent from the budget.
        Code_StepBudget = 5000;
        o = RunOn("var a, i, s; a[1999] = 1; a[5] = 2; s = 0; for (i = 0; i < 2000; i += 1) s += a[i]; return s", machine);
        EXPECT_TRUE(o.ok) << machine << o.log;
        EXPECT_EQ(o.result, "3.000000") << machine;
        EXPECT_LE(Code_StepBudget, 5000 - 1999) << machine;
    }
    Code_StepBudget = -1;
}

// A pair's second may begin a pair itself: s += a[i] ending a loop's body is a chain of three,
// which needs all three in place.
TEST(ByteCodeVerifier, ChainsNeedEveryInstruction)
{
    CCode code("var a, i, s; a[2] = 1; s = 0; for (i = 0; i < 3; i += 1) s += a[i]; return s", false);
    ASSERT_TRUE(code.Compile("chain")) << LastErrorText;
    ByteCode bc = *code.GetByteCode();
    std::string error;
    size_t at = 0;
    while (at + 2 < bc.code.size() && bc.code[at].op != OPC_ELEMENT_ADD_STEP_LT) at++;
    ASSERT_LT(at + 2, bc.code.size()) << Code_ListByteCode(bc);
    EXPECT_EQ(bc.code[at + 1].op, OPC_ADD_TO_LOCAL_STEP_LT) << Code_ListByteCode(bc);
    EXPECT_EQ(bc.code[at + 2].op, OPC_STEP_LT) << Code_ListByteCode(bc);
    EXPECT_TRUE(Code_Verify(bc, &error)) << error;
    bc.code[at + 1].op = OPC_ADD_TO_LOCAL;  // the third no longer part of the chain
    EXPECT_FALSE(Code_Verify(bc, &error));
    EXPECT_NE(error.find("pair without"), std::string::npos) << error;
}

TEST_F(Machine, ExtensionFunctionsGoThroughTheHook)
{
    Code_Extension_FindHook = [](const char* name, int* index) {
        *index = 7;
        return std::string(name) == "vm_ext";
    };
    CCode code("return vm_ext(2, 'b')", false);
    ASSERT_TRUE(code.Compile("ext"));
    CInstance self(700201, 5, 0, 0);
    TaggedValue r;
    EXPECT_FALSE(Code_VM_Run(&self, &self, &code, &r));
    EXPECT_EQ(LastErrorText, "In ext, line 1: Extension functions are not available.");
    Code_Extension_CallDLLHook = [](int index, int argc, TaggedValue* args, TaggedValue* result) {
        if (args[0].val < 0) {
            LastErrorText = "In extension function vm_ext: \nbad";
            return false;
        }
        result->SetReal(index * 100 + argc * 10 + args[0].val);
        return true;
    };
    EXPECT_TRUE(Code_VM_Run(&self, &self, &code, &r));
    EXPECT_EQ(r.val, 722.0);
    CCode failing("vm_ext(-1, 0)", false);
    ASSERT_TRUE(failing.Compile("ext2"));
    EXPECT_FALSE(Code_VM_Run(&self, &self, &failing, &r));
    EXPECT_EQ(LastErrorText, "In extension function vm_ext: \nbad");
    Code_Extension_CallDLLHook = nullptr;
    Code_Extension_FindHook = nullptr;
}

TEST_F(Machine, JoiningInPlaceLeavesSharedTextsAlone)
{
    Outcome o = Both(
        "var s, t, i; s = 'ab'; t = s; s += 'c'; vm_print(t); vm_print(s);"
        "u = 'x'; w = u; u += u; vm_print(w); vm_print(u);"
        "for (i = 0; i < 200; i += 1) s += 'z'; t = s; s += '!'; vm_print(t == s);"
        "argument3 = 'p'; argument4 = argument3; argument3 += 'q'; vm_print(argument4 + argument3);"
        "a[2] = 'm'; b = a[2]; a[2] += 'n'; vm_print(b + a[2]);");
    EXPECT_EQ(o.log, "ab|abc|x|xx|0.000000|ppq|mmn|");
}

TEST_F(Machine, CachedVariablesFollowTheInstanceAndItsList)
{
    CInstance a(700210, 9, 0, 0), b(700211, 9, 0, 0);
    int v = Code_Variable_FindOrAdd("vm_v");
    a.variables->Set(v, 0, TaggedValue(1.0));
    b.variables->Set(v, 0, TaggedValue(2.0));
    CCode code("return vm_v", false);
    ASSERT_TRUE(code.Compile("cache"));
    TaggedValue r;
    for (int round = 0; round < 2; round++) {
        ASSERT_TRUE(Code_VM_Run(&a, &a, &code, &r));
        EXPECT_EQ(r.val, 1.0);
        ASSERT_TRUE(Code_VM_Run(&b, &b, &code, &r));
        EXPECT_EQ(r.val, 2.0);
    }
    // A removed variable is gone even for the cache of the code that read it.
    a.variables->Remove(v);
    EXPECT_FALSE(Code_VM_Run(&a, &a, &code, &r));
    EXPECT_EQ(LastErrorText, "In cache, line 1: Unknown variable vm_v");
    a.variables->Set(v, 0, TaggedValue(3.0));
    ASSERT_TRUE(Code_VM_Run(&a, &a, &code, &r));
    EXPECT_EQ(r.val, 3.0);
    // with walks over both instances, the code's cache switching between their lists.
    Outcome o = Both("with (9) vm_w = vm_v * 2; with (9) vm_print(vm_w + vm_v)");
    EXPECT_EQ(o.log, "9.000000|6.000000|");
}

TEST_F(Machine, InstanceFieldsReadInPlaceAgreeWithTheirGetters)
{
    StartUp_Variables();
    // Fields of every kind, setters that change other fields, indexed and dotted reads; a
    // compound assignment reads through the same path.
    Outcome o = Both("x = 3.5; vm_print(x); hspeed = 3; vspeed = -4; vm_print(speed); vm_print(direction); "
                     "vm_print(x[2]); vm_print(x[1, 2]); visible = false; vm_print(visible + 1); "
                     "sprite_index = 2.6; vm_print(sprite_index); vm_print(id); vm_print(self.x + other.x); "
                     "x += 1; vm_print(x); vm_print(alarm[1]); vm_print(argument_count)");
    EXPECT_EQ(o.log, "3.500000|5.000000|53.130104|3.500000|3.500000|1.000000|3.000000|700200.000000|7.000000|"
                     "4.500000|-1.000000|0.000000|");
    // A bad index fails as it does through the getter.
    for (const char* text : {"vm_print(x['a'])", "vm_print(x[-1])", "vm_print(alarm[40])", "vm_print(argument_count[1])"})
        EXPECT_NE(Both(text).log.find("ERROR:"), std::string::npos) << text;
    // with reads the fields of the instance it visits, and self's again after it.
    CInstance a(700230, 12, 10, 20), b(700231, 12, 30, 40);
    EXPECT_EQ(Both("x = 1; with (12) vm_print(x + other.x); vm_print(x); with (700231) vm_print(y)").log,
              "11.000000|31.000000|1.000000|40.000000|");
    // Without an instance, every read is the same error on both engines.
    for (const char* text : {"vm_print(x)", "vm_print(hspeed + 1)", "vm_print(x[1])", "vm_print(alarm[0])", "x += 1"}) {
        std::string log = FailsWithoutInstance(text);
        EXPECT_NE(log.find("No instance found for target -1"), std::string::npos) << log;
    }
    // A field registered again with a getter of its own is read through that getter.
    Variable_BuiltIn_Add("image_alpha", [](CInstance*, int, TaggedValue* out) { out->SetReal(42.0); return true; }, nullptr, false);
    EXPECT_EQ(Both("vm_print(image_alpha)").log, "42.000000|");
    StartUp_Variables();
    EXPECT_EQ(Both("vm_print(image_alpha)").log, "1.000000|");
}

TEST_F(Machine, BuiltInWritesAgreeWithTheTree)
{
    StartUp_Variables();
    // Plain and compound writes to fields of every kind, through setters that change other
    // fields (speed and direction follow hspeed).
    Outcome o = Both("x = 2; x += 3; y -= 1.5; vm_print(x + y); hspeed = 3; hspeed *= -2; vm_print(speed); "
                     "vm_print(direction); visible += 1; vm_print(visible); image_index = 1; image_index += 0.25; "
                     "vm_print(image_index); direction -= 90; vm_print(hspeed * hspeed < 0.0001); x |= 8; vm_print(x)");
    EXPECT_EQ(o.log, "3.500000|6.000000|180.000000|1.000000|1.250000|1.000000|13.000000|");
    // Combinations the machine does not make in place fail, and a text or an index is taken, as
    // the tree's do.
    for (const char* text : {"x += 'a'", "x /= 0", "x = 'a'; vm_print(x)", "x[2] += 1; vm_print(x)"})
        Both(text);
    EXPECT_NE(Both("x /= 0").log.find("ERROR"), std::string::npos);
    for (const char* text : {"x = 1", "x += 1", "visible *= 2"}) {
        std::string log = FailsWithoutInstance(text);
        EXPECT_NE(log.find("No instance found for target -1"), std::string::npos) << log;
    }
}

TEST_F(Machine, CodeWithoutItsTreeRunsOnTheMachineAndScriptsToo)
{
    Code_KeepTrees = false;
    AddScript("vm_twice", "return argument0 * 2");
    ASSERT_TRUE(Script_Prepare());
    CCode code("vm_print(vm_twice(4)); return 'done'", false);
    ASSERT_TRUE(code.Compile("treeless"));
    EXPECT_TRUE(code.IsCompiled());
    EXPECT_EQ(code.GetTree(), nullptr);
    CInstance self(700300, 5, 0, 0);
    TaggedValue result;
    g_log.clear();
    Code_UseVM = true;
    EXPECT_TRUE(Code_Execute_ShowError(&self, &self, &code, &result));
    EXPECT_EQ(g_log, "8.000000|");
    EXPECT_STREQ(result.GetString(), "done");
    // The tree interpreter has nothing to walk: an error, not a crash.
    EXPECT_FALSE(Code_Run(&self, &self, &code, &result));
    EXPECT_EQ(LastErrorText, "The code is not compiled.");
}
