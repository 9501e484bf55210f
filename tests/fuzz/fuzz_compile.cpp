// Compiles arbitrary bytes as a program and as an expression: each input either compiles or
// gives a compile error, without crashing, hanging or overflowing the stack.
#include "Code/Code_Class.h"
#include "Code/Code_Tree.h"
#include "Code/Function.h"
#include "Function/Function_Misc.h"
#include "Script/Script_Main.h"
#include "StartUp.h"
#include "Variable/Variable_Main.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        StartUp_InstallHooks();
        StartUp_Constants();
        Variable_BuiltIn_Init();
        Function_Misc_Init();
        Script_Add("scr", "return argument0;");
        return true;
    }();
    (void)ready;
    std::string text(reinterpret_cast<const char*>(data), size);
    for (bool expression : {false, true}) {
        CCode code(text.c_str(), expression);
        if (code.Compile("fuzz")) Code_List(code.GetTree());
    }
    return 0;
}
