// zuzrun: compiles a ZUZ file as a program and runs it as the create event of one instance, on
// the stack machine (with -oldexec on the tree interpreter).
//   zuzrun [-oldexec] [-list] [-script NAME=FILE]... FILE
// -list prints the byte code (with -oldexec the tree) before the run.
// show_debug_message writes to standard output; errors go to standard error. Exit status: 0 when
// the run ends, 1 for a bad command line or an unreadable file, 2 for a compile error, 3 for a
// fatal run-time error.
#include "Code/Code_Class.h"
#include "Code/Code_Constant.h"
#include "Code/Code_Opcodes.h"
#include "Code/Code_Tree.h"
#include "Code/Error.h"
#include "Code/Function.h"
#include "Function/Function_Init.h"
#include "Object/Instance_Class.h"
#include "Script/Script_Main.h"
#include "StartUp.h"
#include "Variable/Variable_Main.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool ReadFile(const char* path, std::string* text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    *text = s.str();
    return true;
}

int Usage()
{
    fprintf(stderr, "usage: zuzrun [-oldexec] [-list] [-script NAME=FILE]... FILE\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* file = nullptr;
    bool list = false;
    std::vector<std::pair<std::string, std::string>> scripts;
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "-oldexec")) {
            Code_UseVM = false;
        } else if (!strcmp(argv[i], "-list")) {
            list = true;
        } else if (!strcmp(argv[i], "-script") && i + 1 < argc) {
            const char* spec = argv[++i];
            const char* eq = strchr(spec, '=');
            if (!eq || eq == spec) return Usage();
            scripts.emplace_back(std::string(spec, (size_t)(eq - spec)), eq + 1);
        } else if (argv[i][0] == '-' || file) {
            return Usage();
        } else {
            file = argv[i];
        }
    }
    if (!file) return Usage();

    StartUp_InstallHooks();
    StartUp_Constants();
    Variable_BuiltIn_Init();
    Function_Init();

    for (const auto& [name, path] : scripts) {
        std::string text;
        if (!ReadFile(path.c_str(), &text)) {
            fprintf(stderr, "zuzrun: cannot read %s\n", path.c_str());
            return 1;
        }
        Code_Constant_AddReal(name.c_str(), Script_Add(name.c_str(), text.c_str()));
    }
    if (!Script_Prepare()) {
        fprintf(stderr, "%s\n", LastErrorText.c_str());
        return 2;
    }

    std::string text;
    if (!ReadFile(file, &text)) {
        fprintf(stderr, "zuzrun: cannot read %s\n", file);
        return 1;
    }
    const char* base = strrchr(file, '/');
    CCode code(text.c_str(), false);
    if (!code.Compile(base ? base + 1 : file)) {
        fprintf(stderr, "%s\n", LastErrorText.c_str());
        return 2;
    }
    if (list) {
        if (Code_UseVM) fputs(Code_ListByteCode(*code.GetByteCode()).c_str(), stdout);
        else fputs(Code_List(code.GetTree()).c_str(), stdout);
    }

    CInstance* self = new CInstance(INSTANCE_ID_FIRST, 0, 0.0f, 0.0f);
    Error_Context.objectName = "object0";
    Error_Context.eventName = "Create Event";
    TaggedValue result;
    Code_Execute_ShowError(self, self, &code, &result);
    fflush(stdout);
    int status = Error_FatalPending ? 3 : 0;
    delete self;
    Script_Clear();
    return status;
}
