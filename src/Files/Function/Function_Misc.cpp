#include "Function/Function_Misc.h"
#include "Base/Console.h"
#include "Code/Code_Class.h"
#include "Code/Error.h"
#include "Code/Function.h"
#include "Object/Event_Main.h"
#include "Object/Object_Class.h"
#include "Script/Script_Main.h"
#include "Support/LoadSave.h"
#include "Support/Support_DLL.h"
#include "Variable/Arguments.h"
#include "Variable/Variable_Main.h"

#include <charconv>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

bool Function_Misc_Steam = false;

namespace {

int g_executeCounter = 0;
int g_executeFileCounter = 0;

// Compiles and runs text with the caller's self and other (the steps shared by execute_string
// and execute_file); a compile error is reported with the given heading, cut to `limit` bytes.
void ExecuteText(TaggedValue* result, CInstance* self, CInstance* other, const char* text, const char* name,
                 const char* heading, size_t limit)
{
    CCode code(text, false);
    if (!code.Compile(name)) {
        std::string message = std::string(heading) + LastErrorText;
        if (message.size() > limit) message.resize(limit);
        Error_Show_Action(message.c_str(), false);
        return;
    }
    TaggedValue value;
    if (Code_Execute_ShowError(self, other, &code, &value)) *result = std::move(value);
}

int VariableId(const TaggedValue& name) { return Code_Variable_FindOrAdd(Arg_S(name)); }

// The element index of [i, j]; false (reported) when i or j is 32000 or more. A negative index
// gives -1, which the variable lists treat as out of range.
bool ElementIndex(const TaggedValue* i, const TaggedValue* j, int* index)
{
    int64_t row = i ? Arg_I(*i) : 0;
    int64_t col = Arg_I(*j);
    if (row >= ARRAY_DIMENSION || col >= ARRAY_DIMENSION) {
        Error_Show_Action("Array index >= 32000", false);
        return false;
    }
    int64_t e = row * ARRAY_DIMENSION + col;
    *index = (row < 0 || col < 0 || e < 0 || e > INT32_MAX) ? -1 : (int)e;
    return true;
}

void ReadGlobal(TaggedValue* result, const TaggedValue& name, int index)
{
    TaggedValue v;
    if (Variable_Global_Get(VariableId(name), index, &v)) *result = v;
}

void ReadLocal(TaggedValue* result, CInstance* self, const TaggedValue& name, int index)
{
    TaggedValue v;
    if (Instance_GetVariable(self, VariableId(name), index, &v)) *result = v;
}

// A kind argument of the external built-ins is a string exactly when it rounds to 1.
int Kind(const TaggedValue& a) { return Arg_I(a) == 1 ? 1 : 0; }

// Defines the function and gives its id as the result; -1 is reported.
void Define(TaggedValue* result, const TaggedValue* args, int convention, int argc, const int* kinds, int resultKind)
{
    int id = DLL_Define(Arg_S(args[0]), Arg_S(args[1]), convention, argc, kinds, resultKind);
    if (id < 0) Error_Show_Action("Error defining an external function.", false);
    result->SetReal(id);
}

// external_define1 ... external_define4: (dll, name, argtype1 ... argtypeN, restype).
template <int N>
void DefineWithKinds(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    int kinds[N];
    for (int i = 0; i < N; i++) kinds[i] = Kind(args[2 + i]);
    Define(result, args, 0, N, kinds, Kind(args[2 + N]));
}

// external_define0 and external_define5 ... external_define8: (dll, name, restype), all reals.
template <int N>
void DefineReals(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    int kinds[N > 0 ? N : 1] = {};
    Define(result, args, 0, N, kinds, Kind(args[2]));
}

// external_call0 ... external_call8: (id, arg1 ... argN).
template <int N>
void CallWith(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    DLL_Call(Arg_I(args[0]), N, args + 1, result);
}

}  // namespace

void F_event_inherited(TaggedValue*, CInstance* self, CInstance* other, int, TaggedValue*)
{
    if (self) Event_Inherited(self, other);
}

void F_event_perform(TaggedValue*, CInstance* self, CInstance* other, int, TaggedValue* args)
{
    Event_Perform_Instance(self, other, Arg_I(args[0]), Arg_I(args[1]));
}

void F_event_user(TaggedValue*, CInstance* self, CInstance* other, int, TaggedValue* args)
{
    int64_t number = (int64_t)Arg_I(args[0]) + OTHER_USER0;
    if (number <= INT_MAX) Event_Perform_Instance(self, other, EVENT_OTHER, (int)number);
}

void F_event_perform_object(TaggedValue*, CInstance* self, CInstance* other, int, TaggedValue* args)
{
    if (self) Event_Perform(self, other, Arg_I(args[0]), Arg_I(args[1]), Arg_I(args[2]));
}

void F_external_define(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    int64_t n = argc >= 5 ? Arg_I(args[4]) : -1;
    if (argc < 5 || argc != n + 5) {
        Error_Show_Action("Wrong number of arguments to external_define()", false);
        return;
    }
    if (n > DLL_MAX_ARGUMENTS) {
        Error_Show_Action("DLL functions can have at most 16 arguments", false);
        return;
    }
    int kinds[DLL_MAX_ARGUMENTS] = {};
    for (int i = 0; i < n; i++) {
        if (n > 4 && Arg_I(args[5 + i]) != 0) {
            Error_Show_Action("DLL functions with more than 4 arguments cannot have string arguments", false);
            return;
        }
        kinds[i] = Kind(args[5 + i]);
    }
    Define(result, args, Arg_I(args[2]), (int)n, kinds, Kind(args[3]));
}

void F_external_call(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    // More values than a function can take make no call at all.
    if (argc >= 1) DLL_Call(Arg_I(args[0]), argc - 1, args + 1, result);
}

void F_external_free(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    DLL_Free(Arg_S(args[0]));
}

void F_execute_string(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (argc < 1) return;
    // At most 15 arguments follow the code.
    ArgumentSlotsScope slots(std::min(argc, ARGUMENT_SLOTS) - 1, args + 1);
    char name[32];
    snprintf(name, sizeof name, "Execute.%d", g_executeCounter++);
    ExecuteText(result, self, other, Arg_S(args[0]), name, "COMPILATION ERROR in string to be executed\n", 1023);
}

void F_execute_file(TaggedValue* result, CInstance* self, CInstance* other, int argc, TaggedValue* args)
{
    if (argc < 1) return;
    if (argc > ARGUMENT_SLOTS) argc = ARGUMENT_SLOTS;
    LoadSaveFile* f = LoadSave_FOpen(Arg_S(args[0]), "r");
    if (!f) {
        Error_Show_Action("Trying to execute non-existing file.", false);
        return;
    }
    // Read as text: each line ends with one line feed (CR LF counts as one), whether or not the
    // file had one; the text grows as needed.
    std::string text;
    std::string_view bytes((const char*)f->bytes, (size_t)f->size);
    while (!bytes.empty()) {
        size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        if (!line.empty() && line.back() == '\r' && end != std::string_view::npos) line.remove_suffix(1);
        text.append(line);
        text += '\n';
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    }
    LoadSave_FClose(f);
    ArgumentSlotsScope slots(argc - 1, args + 1);
    char name[32];
    snprintf(name, sizeof name, "ExecuteFile.%d", g_executeFileCounter++);
    ExecuteText(result, self, other, text.c_str(), name, "COMPILATION ERROR in file to be executed\n", 255);
}

void F_show_debug_message(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (args[0].IsString()) {
        Console_Debug->Output("%s\n", args[0].GetString());
        return;
    }
    // A real prints as an integer when it is one, else with two decimals.
    double v = args[0].val;
    char text[400];
    std::to_chars_result r;
    if (std::isfinite(v) && v == std::floor(v)) r = std::to_chars(text, text + sizeof text - 1, v + 0.0, std::chars_format::fixed, 0);
    else if (std::isfinite(v)) r = std::to_chars(text, text + sizeof text - 1, v, std::chars_format::fixed, 2);
    else r = std::to_chars(text, text + sizeof text - 1, v);
    *r.ptr = 0;
    Console_Debug->Output("%s\n", text);
}

void Function_ExecuteScript(int index, CInstance* self, CInstance* other, int argc, const TaggedValue* args,
                            TaggedValue* result)
{
    TaggedValue value;
    PendingScriptError.pending = false;
    Script_Execute(index, self, other, argc, &value, args);
    if (PendingScriptError.pending) {
        PendingScriptError.pending = false;
        std::string message = PendingScriptError.message;
        Error_Show_Action(message.c_str(), PendingScriptError.fatal);
    }
    *result = std::move(value);
}

void F_variable_global_exists(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    TaggedValue v;
    result->SetReal(Variable_Global_Get(VariableId(args[0]), 0, &v) ? 1.0 : 0.0);
}

void F_variable_global_get(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    ReadGlobal(result, args[0], 0);
}

void F_variable_global_array_get(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    int index;
    if (ElementIndex(nullptr, &args[1], &index)) ReadGlobal(result, args[0], index);
}

void F_variable_global_array2_get(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    int index;
    if (ElementIndex(&args[1], &args[2], &index)) ReadGlobal(result, args[0], index);
}

void F_variable_global_set(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    Variable_Global_Set(VariableId(args[0]), 0, &args[1]);
}

void F_variable_global_array_set(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int index;
    if (ElementIndex(nullptr, &args[1], &index)) Variable_Global_Set(VariableId(args[0]), index, &args[2]);
}

void F_variable_global_array2_set(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    int index;
    if (ElementIndex(&args[1], &args[2], &index)) Variable_Global_Set(VariableId(args[0]), index, &args[3]);
}

void F_variable_local_exists(TaggedValue* result, CInstance* self, CInstance*, int, TaggedValue* args)
{
    TaggedValue v;
    result->SetReal(Instance_GetVariable(self, VariableId(args[0]), 0, &v) ? 1.0 : 0.0);
}

void F_variable_local_get(TaggedValue* result, CInstance* self, CInstance*, int, TaggedValue* args)
{
    ReadLocal(result, self, args[0], 0);
}

void F_variable_local_array_get(TaggedValue* result, CInstance* self, CInstance*, int, TaggedValue* args)
{
    int index;
    if (ElementIndex(nullptr, &args[1], &index)) ReadLocal(result, self, args[0], index);
}

void F_variable_local_array2_get(TaggedValue* result, CInstance* self, CInstance*, int, TaggedValue* args)
{
    int index;
    if (ElementIndex(&args[1], &args[2], &index)) ReadLocal(result, self, args[0], index);
}

void F_variable_local_set(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    Instance_SetVariable(self, VariableId(args[0]), 0, &args[1]);
}

void F_variable_local_array_set(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    int index;
    if (ElementIndex(nullptr, &args[1], &index)) Instance_SetVariable(self, VariableId(args[0]), index, &args[2]);
}

void F_variable_local_array2_set(TaggedValue*, CInstance* self, CInstance*, int, TaggedValue* args)
{
    int index;
    if (ElementIndex(&args[1], &args[2], &index)) Instance_SetVariable(self, VariableId(args[0]), index, &args[3]);
}

namespace {

using Entry = FunctionEntry;
#define ENTRY FUNCTION_ENTRY

const Entry kEvents[] = {
    ENTRY(event_inherited, 0),
    ENTRY(event_perform, 2),
    ENTRY(event_user, 1),
    ENTRY(event_perform_object, 3),
};

// Left out under "-steam".
const Entry kExternal[] = {
    ENTRY(external_define, -1),
    ENTRY(external_call, -1),
    ENTRY(external_free, 1),
    {"external_define0", DefineReals<0>, 3},
    {"external_call0", CallWith<0>, 1},
    {"external_define1", DefineWithKinds<1>, 4},
    {"external_call1", CallWith<1>, 2},
    {"external_define2", DefineWithKinds<2>, 5},
    {"external_call2", CallWith<2>, 3},
    {"external_define3", DefineWithKinds<3>, 6},
    {"external_call3", CallWith<3>, 4},
    {"external_define4", DefineWithKinds<4>, 7},
    {"external_call4", CallWith<4>, 5},
    {"external_define5", DefineReals<5>, 3},
    {"external_call5", CallWith<5>, 6},
    {"external_define6", DefineReals<6>, 3},
    {"external_call6", CallWith<6>, 7},
    {"external_define7", DefineReals<7>, 3},
    {"external_call7", CallWith<7>, 8},
    {"external_define8", DefineReals<8>, 3},
    {"external_call8", CallWith<8>, 9},
    ENTRY(execute_string, -1),
    ENTRY(execute_file, -1),
};

const Entry kRest[] = {
    ENTRY(window_handle, 0),
    ENTRY(show_debug_message, 1),
    ENTRY(set_program_priority, 1),
    ENTRY(set_application_title, 1),
    ENTRY(variable_global_exists, 1),
    ENTRY(variable_global_get, 1),
    ENTRY(variable_global_array_get, 2),
    ENTRY(variable_global_array2_get, 3),
    ENTRY(variable_global_set, 2),
    ENTRY(variable_global_array_set, 3),
    ENTRY(variable_global_array2_set, 4),
    ENTRY(variable_local_exists, 1),
    ENTRY(variable_local_get, 1),
    ENTRY(variable_local_array_get, 2),
    ENTRY(variable_local_array2_get, 3),
    ENTRY(variable_local_set, 2),
    ENTRY(variable_local_array_set, 3),
    ENTRY(variable_local_array2_set, 4),
    ENTRY(clipboard_has_text, 0),
    ENTRY(clipboard_set_text, 1),
    ENTRY(clipboard_get_text, 0),
};

}  // namespace

void Function_Misc_Init()
{
    Function_AddTable(kEvents);
    if (!Function_Misc_Steam) Function_AddTable(kExternal);
    Function_AddTable(kRest);
}
