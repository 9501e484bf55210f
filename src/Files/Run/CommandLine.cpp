// Parsing of the runner's switches.
#include "Run/CommandLine.h"

#include "Base/Console.h"
#include "Base/MemoryManager.h"
#include "Code/Code_Class.h"
#include "Support/Support_DLL.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

CommandLineOptions CommandLine = {nullptr, false, false, false, false, nullptr, nullptr, false, 0, {}};

namespace {

struct FlagSwitch {
    const char* name;
    bool* flag;
    bool value;
};

void Replace(char** slot, const char* text)
{
    MemFree(*slot);
    *slot = MemStrDup(text);
}

// NAME@LINE with a non-empty name and a line from 1 up.
bool AddBreakpoint(const char* text)
{
    const char* at = strrchr(text, '@');
    if (!at || at == text || !isdigit((unsigned char)at[1])) return false;
    errno = 0;
    char* end;
    long line = strtol(at + 1, &end, 10);
    if (*end || errno || line < 1 || line > 0x7FFFFFFF) return false;
    if (CommandLine.breakpointCount == COMMANDLINE_MAX_BREAKPOINTS) {
        Console_Warnings->Output("-bp %s ignored: at most %d breakpoints\n", text, COMMANDLINE_MAX_BREAKPOINTS);
        return true;
    }
    CommandLineBreakpoint& bp = CommandLine.breakpoints[CommandLine.breakpointCount++];
    bp.script = (char*)MemAlloc((size_t)(at - text) + 1);
    memcpy(bp.script, text, (size_t)(at - text));
    bp.script[at - text] = 0;
    bp.line = (int)line;
    return true;
}

}  // namespace

void CommandLine_Reset()
{
    MemFree(CommandLine.gameFile);
    MemFree(CommandLine.recordFile);
    MemFree(CommandLine.playbackFile);
    for (int i = 0; i < CommandLine.breakpointCount; i++) MemFree(CommandLine.breakpoints[i].script);
    CommandLine = CommandLineOptions{nullptr, false, false, false, false, nullptr, nullptr, false, 0, {}};
    ExternalCallsDisabled = false;
    Code_UseVM = true;
}

bool CommandLine_Parse(int argc, const char* const* argv)
{
    CommandLine_Reset();
    const FlagSwitch flags[] = {
        {"-debug", &CommandLine.debug, true},   {"-trace", &CommandLine.trace, true},
        {"-ext", &ExternalCallsDisabled, true}, {"-oldexec", &Code_UseVM, false},
        {"-noaudio", &CommandLine.noAudio, true}, {"-inawindow", &CommandLine.inAWindow, true},
        {"-steam", &CommandLine.steam, true},
    };
    struct {
        const char* name;
        char** slot;
    } files[] = {{"-game", &CommandLine.gameFile}, {"-record", &CommandLine.recordFile}, {"-playback", &CommandLine.playbackFile}};

    for (int i = 1; i < argc; i++) {
        const char* arg = argv[i] ? argv[i] : "";
        bool known = false;
        for (const FlagSwitch& f : flags)
            if (!strcmp(arg, f.name)) *f.flag = f.value, known = true;
        bool takesValue = !strcmp(arg, "-bp");
        for (auto& f : files) takesValue = takesValue || !strcmp(arg, f.name);
        if (takesValue) {
            known = true;
            if (i + 1 >= argc || !argv[i + 1] || !*argv[i + 1]) {
                Console_Warnings->Output("The switch %s needs an argument\n", arg);
                return false;
            }
            const char* value = argv[++i];
            for (auto& f : files)
                if (!strcmp(arg, f.name)) Replace(f.slot, value);
            if (!strcmp(arg, "-bp") && !AddBreakpoint(value)) {
                Console_Warnings->Output("The switch -bp needs NAME@LINE, not \"%s\"\n", value);
                return false;
            }
        }
        if (!known) Console_Warnings->Output("Unknown switch \"%s\" ignored\n", arg);
    }
    if (CommandLine.recordFile && CommandLine.playbackFile) {
        Console_Warnings->Output("-record and -playback cannot be used together\n");
        return false;
    }
    return true;
}
