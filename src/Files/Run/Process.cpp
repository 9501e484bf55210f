// Splitting a command line into the argument vector a program is started with.
#include "Run/Process.h"

#include "Base/MemoryManager.h"

#include <string>
#include <vector>

int Process_SplitArguments(const char* text, char*** out)
{
    std::vector<std::string> args;
    std::string current;
    bool inArgument = false, quoted = false;
    for (const char* p = text ? text : ""; *p; p++) {
        if (*p == '\\' && p[1] == '"') {
            current += '"';
            inArgument = true;
            p++;
        } else if (*p == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if ((*p == ' ' || *p == '\t') && !quoted) {
            if (inArgument) args.push_back(current);
            current.clear();
            inArgument = false;
        } else {
            current += *p;
            inArgument = true;
        }
    }
    if (inArgument) args.push_back(current);
    *out = (char**)MemAlloc(sizeof(char*) * (args.size() + 1));
    for (size_t i = 0; i < args.size(); i++) (*out)[i] = MemStrDup(args[i].c_str());
    (*out)[args.size()] = nullptr;
    return (int)args.size();
}

void Process_FreeArguments(char** args, int count)
{
    for (int i = 0; i < count; i++) MemFree(args[i]);
    MemFree(args);
}
