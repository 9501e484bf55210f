// Runs every program that compiles on both engines, the stack machine and the tree interpreter,
// with a step budget, and stops at the first difference in what they print, the errors they
// report, their result or the variables they leave.
#include "Code/Code_Class.h"
#include "Code/Code_Constant.h"
#include "Code/Code_Interp.h"
#include "Code/Code_Opcodes.h"
#include "Code/Error.h"
#include "Code/Function.h"
#include "Function/Function_DataStructures.h"
#include "Function/Function_Misc.h"
#include "Function/Function_Resource.h"
#include "Function/Function_String.h"
#include "Object/Instance_Class.h"
#include "Script/Script_Main.h"
#include "StartUp.h"
#include "Support/DataStructures.h"
#include "Variable/Variable_Main.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <string>

namespace {

std::string g_log;  // what the run printed and reported, in order

void CapturePrint(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    char text[64];
    if (args[0].IsString()) g_log += std::string("print \"") + args[0].GetString() + "\"\n";
    else {
        snprintf(text, sizeof text, "print %.17g\n", args[0].val);
        g_log += text;
    }
}

void CaptureError(const char* text, bool fatal)
{
    g_log += std::string(fatal ? "fatal " : "error ") + text + "\n";
}

std::string Show(const TaggedValue& v)
{
    char text[64];
    if (v.IsString()) return std::string("\"") + v.GetString() + "\"";
    snprintf(text, sizeof text, "%.17g", v.val);
    return text;
}

std::string Dump(const CVariableList& list)
{
    std::map<int, std::string> sorted;
    for (const auto& [id, v] : list.Items()) {
        std::string text = Show(v.value);
        for (size_t i = 0; i < v.rows.size(); i++)
            for (size_t j = 0; j < v.rows[i].size(); j++)
                if (i || j) text += " [" + std::to_string(i) + "," + std::to_string(j) + "]=" + Show(v.rows[i][j]);
        sorted[id] = text;
    }
    std::string out;
    for (const auto& [id, text] : sorted) out += std::string(Code_Variable_GetName(id)) + "=" + text + "\n";
    return out;
}

// One run on one engine from a clean state: the log, the result and the variables left.
std::string RunOn(CCode& code, bool machine)
{
    Variable_Globals.Clear();
    DS_FreeAll();  // both engines number their structures from 0
    DS_SetPrecision(0.0000001);  // the precision a game starts with, which a run may change
    for (int k = 0; k < ARGUMENT_SLOTS; k++) ArgumentSlots[k].SetReal(0.0);
    argument_count = 0;
    Error_FatalPending = false;
    g_log.clear();
    Code_UseVM = machine;
    Code_StepBudget = 3000;
    CInstance self(INSTANCE_ID_FIRST, 0, 0.0f, 0.0f);
    TaggedValue result;
    Code_Execute_ShowError(&self, &self, &code, &result);
    Code_StepBudget = -1;
    // The names of code run by execute_string count up from run to run.
    std::string log = std::regex_replace(g_log, std::regex("Execute(File)?\\.[0-9]+"), "Execute.N");
    return log + "result " + Show(result) + "\nself\n" + Dump(*self.variables) + "global\n" + Dump(Variable_Globals);
}

// Runs that ran out of steps or of stack end at different points on the two engines.
bool Comparable(const std::string& log)
{
    return log.find(CODE_STEP_LIMIT_MESSAGE) == std::string::npos &&
           log.find("Stack overflow") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        StartUp_InstallHooks();
        Function_Add("show_debug_message", CapturePrint, 1);
        StartUp_Constants();
        Variable_BuiltIn_Init();
        // Without the external-function built-ins: no library named by an input is loaded, and
        // their ids, which count up from run to run, would tell the two engines apart.
        Function_Misc_Steam = true;
        Function_Misc_Init();
        Function_Misc_Steam = false;
        Function_DataStructures_Init();
        Function_Add("execute_string", F_execute_string, -1);
        Function_Add("execute_file", F_execute_file, -1);
        Function_Add("script_execute", F_script_execute, -1);
        // The machine makes string_char_at's common case itself; chr makes wider characters.
        Function_Add("string_char_at", F_string_char_at, 2);
        Function_Add("chr", F_chr, 1);
        Code_Constant_AddReal("scr_sum", Script_Add("scr_sum", "return argument0 + argument1 * argument_count"));
        Code_Constant_AddReal("scr_down", Script_Add("scr_down", "if (argument0 <= 0) return 'end'; argument0 -= 1; return scr_down(argument0);"));
        Code_Constant_AddReal("scr_with", Script_Add("scr_with", "with (all) { n = argument0; break; } exit;"));
        // Names only slots 0 to 2 and runs no built-in: its calls fill the slots left over with 0.
        Code_Constant_AddReal("scr_pick", Script_Add("scr_pick", "if (argument2 > 0) return argument2 * scr_sum(argument0, argument1); return argument1 - 1;"));
        // Operators between two arguments read by name, the second slot above the first, and
        // between a local (set, or not when argument2 is 0) and an argument.
        Code_Constant_AddReal("scr_mix", Script_Add("scr_mix", "var t; if (argument2) t = argument2; return argument0 * argument3 - argument3 mod argument0 + (argument1 | argument0) + t / argument1;"));
        // A frame with work at its end: an indexed local, argument_count, a return inside a walk.
        Code_Constant_AddReal("scr_walk", Script_Add("scr_walk", "var a; a[argument0] = argument1; with (self) { if (argument1) return a[argument0] + argument_count; } return a[1];"));
        Script_Prepare();
        Error_Display_Hook = CaptureError;
        return true;
    }();
    (void)ready;
    if (size > 4096) return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    // Joining texts in a loop can double a text each step, and a grid can take hundreds of
    // megabytes: the budget does not bound memory. A loop that sums only numbers is run.
    auto has = [&text](const char* part) { return text.find(part) != std::string::npos; };
    bool loops = has("while") || has("for") || has("repeat") || has("do") || has("with") || has("execute");
    bool texts = has("\"") || has("'") || has("string") || has("chr") || has("write") || has("json") ||
                 has("clipboard");
    if (loops && ((has("+") && texts) || has("grid"))) return 0;
    CCode code(text.c_str(), false);
    if (!code.Compile("fuzz")) return 0;
    std::string problem;
    if (!Code_Verify(*code.GetByteCode(), &problem)) {
        fprintf(stderr, "byte code fails verification: %s\n%s", problem.c_str(), Code_ListByteCode(*code.GetByteCode()).c_str());
        abort();
    }
    std::string machine = RunOn(code, true);
    std::string tree = RunOn(code, false);
    DS_FreeAll();  // the last input's structures would otherwise outlive their slot tables at exit
    Code_UseVM = true;
    if (Comparable(machine) && Comparable(tree) && machine != tree) {
        fprintf(stderr, "engines differ on:\n%s\n--- machine ---\n%s--- tree ---\n%s", text.c_str(), machine.c_str(), tree.c_str());
        abort();
    }
    return 0;
}
