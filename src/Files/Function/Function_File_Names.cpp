// File names, running programs, the command line and the environment.
#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Function/Function_FileM.h"
#include "Function/Function_File_Internal.h"
#include "Run/Process.h"
#include "Support/File.h"
#include "Variable/Arguments.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The result becomes the new string (freed here); null gives "".
void Give(TaggedValue* result, char* text)
{
    result->SetString(text ? text : "");
    MemFree(text);
}

// The folder part of a name without the separator that ends it.
char* FolderOf(const char* name)
{
    char* folder = File_ExtractPath(name);
    size_t n = strlen(folder);
    if (n > 0) folder[n - 1] = 0;
    return folder;
}

// A program or file the game ships: the file of that name in the program folder, else the name
// as given (a program on the PATH, a full path, an address).
std::string Shipped(const char* name)
{
    char path[LOADSAVE_PATH_SIZE];
    if (LoadSave_BundleFileExists(name) && LoadSave_BundlePath(path, sizeof path, name)) return path;
    return name;
}

void CannotExecute(TaggedValue* result, const char* name)
{
    Console_Warnings->Output("Cannot execute %s\n", name);
    result->SetReal(-1.0);
}

}  // namespace

void F_filename_name(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    Give(result, File_ExtractName(Arg_S(args[0])));
}

void F_filename_path(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    Give(result, FolderOf(Arg_S(args[0])));
}

void F_filename_dir(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    char* folder = FolderOf(Arg_S(args[0]));
    size_t n = strlen(folder);
    if (n > 0 && IsSeparator(folder[n - 1])) folder[n - 1] = 0;
    Give(result, folder);
}

void F_filename_drive(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    Give(result, File_ExtractDrive(Arg_S(args[0])));
}

void F_filename_ext(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    Give(result, File_ExtractExt(Arg_S(args[0])));
}

// The extension of the name part (after the last separator) is replaced by ext as given; a name
// without one gets ext, after a "." unless ext begins with one.
void F_filename_change_ext(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetString("");
    if (!args[0].IsString() || !args[1].IsString()) return;
    std::string name = Arg_S(args[0]);
    const char* ext = Arg_S(args[1]);
    size_t start = 0;
    for (size_t i = 0; i < name.size(); i++)
        if (IsSeparator(name[i])) start = i + 1;
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot >= start) name.resize(dot);
    else if (*ext != '.') name += '.';
    result->SetString((name + ext).c_str());
}

// Started without a shell in the runner's current folder; waits when argument 3 is at least 0.5.
void F_execute_program(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    const char* program = Arg_S(args[0]);
    char* folder = File_CurrentDirectory();
    bool started = Execute_Program(Shipped(program).c_str(), Arg_S(args[1]), folder, args[2].GetReal() >= 0.5);
    MemFree(folder);
    if (!started) CannotExecute(result, program);
}

void F_execute_shell(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    const char* file = Arg_S(args[0]);
    char* folder = File_CurrentDirectory();
    bool started = Execute_Shell(Shipped(file).c_str(), Arg_S(args[1]), folder);
    MemFree(folder);
    if (!started) CannotExecute(result, file);
}

void F_parameter_count(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue*)
{
    std::vector<std::string> line;
    result->SetReal(FileM_CommandLine(line) ? (double)line.size() : 0.0);
}

// 1 is the program itself.
void F_parameter_string(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    result->SetString("");
    std::vector<std::string> line;
    int n = Arg_I(args[0]);
    if (FileM_CommandLine(line) && n >= 1 && (size_t)n <= line.size()) result->SetString(line[(size_t)n - 1].c_str());
}

void F_environment_get_variable(TaggedValue* result, CInstance*, CInstance*, int, TaggedValue* args)
{
    const char* value = getenv(Arg_S(args[0]));
    result->SetString(value ? value : "");
}
