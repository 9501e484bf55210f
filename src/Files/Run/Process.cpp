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
        if (*p == '\\') {
            // Backslashes are literal unless a quote follows them: then each pair is one
            // backslash, and an odd one left over makes the quote literal.
            size_t count = 0;
            while (p[count] == '\\') count++;
            inArgument = true;
            if (p[count] != '"') {
                current.append(count, '\\');
            } else {
                current.append(count / 2, '\\');
                if (count % 2) current += '"';
                else quoted = !quoted;
                p++;
            }
            p += count - 1;
        } else if (*p == '"') {
            // Inside quotes, "" is a literal quote.
            if (quoted && p[1] == '"') {
                current += '"';
                p++;
            } else {
                quoted = !quoted;
            }
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
