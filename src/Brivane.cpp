// Program entry of the runner.
#include "Base/Console.h"

#include <cstdio>
#include <cstring>

static void PrintUsage()
{
    printf("usage: runner [-game FILE] [-debug] [-trace] [-ext] [-oldexec] [-noaudio] [-inawindow]\n"
           "              [-record FILE] [-playback FILE] [-steam] [-bp NAME@LINE]\n");
}

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "-help") || !strcmp(argv[i], "--help")) {
            PrintUsage();
            return 0;
        }
    }
    PrintUsage();
    return 0;
}
