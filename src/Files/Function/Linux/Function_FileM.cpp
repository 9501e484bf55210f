// The POSIX half of the file built-ins.
#include "Function/Function_FileM.h"

#include <cstdio>

bool FileM_CommandLine(std::vector<std::string>& args)
{
    args.clear();
    FILE* f = fopen("/proc/self/cmdline", "rbe");
    if (!f) return false;
    std::string arg;
    int c;
    while ((c = fgetc(f)) != EOF) {
        if (c) {
            arg += (char)c;
        } else {
            args.push_back(arg);
            arg.clear();
        }
    }
    if (!arg.empty()) args.push_back(arg);
    fclose(f);
    return !args.empty();
}
