// Running other programs and the game's folder (docs/programs.md says what a game may start).
#pragma once

// Starts program (a name without "/" is looked up on the PATH) with the arguments (split by
// Process_SplitArguments) in directory (null or "" for the current one), without a shell. The
// program inherits standard input, output and error and no other descriptor. With wait it returns
// when the program has ended, handling messages (Timer_PumpHook) every 50 ms. False when the
// program cannot be started.
bool Execute_Program(const char* program, const char* arguments, const char* directory, bool wait);
// Opens a file (or a URL) with the desktop's program for it (xdg-open; a name beginning with '-'
// is passed as a file, never as an option); an executable file is started with the parameters
// instead.
bool Execute_Shell(const char* file, const char* parameters, const char* directory);
// Opens a web address with the desktop's browser (xdg-open), without a shell and never as a local
// file or program, whatever files the current folder holds. False when it cannot be started.
bool Execute_OpenAddress(const char* address);
// Opens a web address (http, https, ftp, mailto) or a document (a file or folder relative to the
// current folder, or a file: address) with the desktop's program for it (xdg-open), and never
// starts a program itself: a regular file with an execute bit, or an address of another scheme
// (whose handler may be any program), is refused. False when refused or xdg-open cannot start.
bool Execute_OpenWebpage(const char* name);

// The game data file's folder (the program folder of the folder mapping), ending in '/'; the
// current directory until it is set.
const char* GetGameDirectory();
// Splits a command line into arguments as programs on Windows split theirs: spaces and tabs
// separate, double quotes group ("" inside them is a quote), backslashes are literal except
// before a quote, where 2n of them give n and a grouping quote and 2n+1 give n and a quote.
int Process_SplitArguments(const char* text, char*** out);
void Process_FreeArguments(char** args, int count);
