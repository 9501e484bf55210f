// The current INI file and the run's registry: named strings kept in memory until the program
// ends. The registry of other roots (the _ext names) holds nothing on this system.
#include "Base/Console.h"
#include "Base/String.h"
#include "Code/Error.h"
#include "Function/Function_File_Internal.h"
#include "Support/IniFile.h"
#include "Variable/Arguments.h"

#include <string>
#include <unordered_map>

namespace {

IniFile* g_ini = nullptr;
std::unordered_map<std::string, std::string> g_registry;

const char* kUndefined = "Trying to read from undefined INI file";

// The current file, or null after reporting that none is open.
IniFile* Current(const char* error = kUndefined)
{
    if (!g_ini) Error_Show_Action(error, false);
    return g_ini;
}

// The file is flushed as it goes.
void CloseCurrent()
{
    delete g_ini;
    g_ini = nullptr;
}

void Write(IniFile* ini, const char* section, const char* key, const char* value)
{
    if (!ini->WriteString(section, key, value))
        Console_Warnings->Output("The INI key [%s] %s cannot be stored in %s\n", section, key, ini->fileName);
}

// Reals are written as "%f" writes them in the C locale.
std::string RealText(double value)
{
    char text[512];  // room for "%f" of any real
    String_FromReal(text, sizeof text, "%f", value);
    return text;
}

void SetBool(TaggedValue* result, bool value)
{
    result->SetReal(value ? 1.0 : 0.0);
}

}  // namespace

void File_Ini_Free()
{
    CloseCurrent();
    g_registry.clear();
}

void F_ini_open(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    CloseCurrent();
    g_ini = new IniFile(Arg_S(args[0]));
}

void F_ini_close(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*)
{
    CloseCurrent();
}

void F_ini_read_string(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    result->SetString("");
    IniFile* ini = Current();
    if (!ini) return;
    if (argc != 3 || !args[0].IsString() || !args[1].IsString() || !args[2].IsString()) {
        Error_Show_Action("ini_read_string wrong type of arguments", false);
        return;
    }
    IniKey* key = ini->FindKey(Arg_S(args[0]), Arg_S(args[1]));
    result->SetString(key ? key->value : Arg_S(args[2]));
}

void F_ini_read_real(TaggedValue* result, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    IniFile* ini = Current();
    if (!ini) return;
    if (argc != 3 || !args[0].IsString() || !args[1].IsString()) {
        Error_Show_Action("ini_read_real wrong type of arguments", false);
        return;
    }
    IniKey* key = ini->FindKey(Arg_S(args[0]), Arg_S(args[1]));
    if (key) result->SetReal(String_ToReal(key->value, nullptr));
    else if (args[2].IsReal()) result->SetReal(args[2].GetReal());
    else result->SetReal(String_ToReal(Arg_S(args[2]), nullptr));
}

void F_ini_write_string(TaggedValue*, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    IniFile* ini = Current();
    if (!ini) return;
    if (argc != 3 || !args[0].IsString() || !args[1].IsString() || !args[2].IsString()) {
        Error_Show_Action("Wrong argument types for ini_write_string", false);
        return;
    }
    Write(ini, Arg_S(args[0]), Arg_S(args[1]), Arg_S(args[2]));
}

void F_ini_write_real(TaggedValue*, CInstance*, CInstance*, int argc, TaggedValue* args)
{
    IniFile* ini = Current();
    if (!ini) return;
    if (argc != 3 || !args[0].IsString() || !args[1].IsString() || !args[2].IsReal()) {
        Error_Show_Action("Wrong argument types for ini_write_real", false);
        return;
    }
    Write(ini, Arg_S(args[0]), Arg_S(args[1]), RealText(args[2].GetReal()).c_str());
}

void F_ini_key_exists(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (IniFile* ini = Current()) SetBool(result, ini->FindKey(Arg_S(args[0]), Arg_S(args[1])) != nullptr);
}

void F_ini_section_exists(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (IniFile* ini = Current()) SetBool(result, ini->FindSection(Arg_S(args[0])) != nullptr);
}

void F_ini_key_delete(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (IniFile* ini = Current("Trying to change undefined INI file")) ini->DeleteKey(Arg_S(args[0]), Arg_S(args[1]));
}

void F_ini_section_delete(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    if (IniFile* ini = Current("Trying to change undefined INI file")) ini->DeleteSection(Arg_S(args[0]));
}

void F_registry_write_string(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    g_registry[Arg_S(args[0])] = args[1].IsString() ? Arg_S(args[1]) : "";
}

void F_registry_write_real(TaggedValue*, CInstance*, CInstance*, int, TaggedValue* args)
{
    g_registry[Arg_S(args[0])] = RealText(args[1].GetReal());
}

void F_registry_read_string(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    auto found = g_registry.find(Arg_S(args[0]));
    result->SetString(found != g_registry.end() ? found->second.c_str() : "");
}

void F_registry_read_real(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    auto found = g_registry.find(Arg_S(args[0]));
    if (found != g_registry.end()) result->SetReal(String_ToReal(found->second.c_str(), nullptr));
}

void F_registry_exists(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    SetBool(result, g_registry.count(Arg_S(args[0])) != 0);
}

void F_registry_write_string_ext(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) {}

void F_registry_write_real_ext(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) {}

void F_registry_read_string_ext(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    result->SetString("");
}

void F_registry_read_real_ext(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) {}

void F_registry_exists_ext(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) {}

void F_registry_set_root(TaggedValue*, CInstance*, CInstance*, int, TaggedValue*) {}
