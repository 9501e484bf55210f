// The command-line switches of the runner.
#pragma once

constexpr int COMMANDLINE_MAX_BREAKPOINTS = 10;

struct CommandLineBreakpoint {
    char* script;  // the code's name before '@'
    int line;
};

struct CommandLineOptions {
    char* gameFile;        // -game FILE (null: "data.win" beside the program)
    bool debug;            // -debug
    bool trace;            // -trace
    bool noAudio;          // -noaudio: the audio system stays silent
    bool inAWindow;        // -inawindow
    char* recordFile;      // -record FILE
    char* playbackFile;    // -playback FILE
    bool steam;            // -steam: external-code and execute built-ins are not registered
    int breakpointCount;   // -bp NAME@LINE, at most COMMANDLINE_MAX_BREAKPOINTS
    CommandLineBreakpoint breakpoints[COMMANDLINE_MAX_BREAKPOINTS];
};

extern CommandLineOptions CommandLine;

// Resets the options and reads argv[1..argc-1]. Unknown switches are reported and ignored; a
// switch without its argument or a malformed breakpoint is an error (false, with a message).
bool CommandLine_Parse(int argc, const char* const* argv);
// Frees the strings the parser kept and restores the defaults.
void CommandLine_Reset();
