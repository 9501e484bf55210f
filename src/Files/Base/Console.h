// The two consoles: warnings and traces go to standard error, the debug console
// (show_debug_message and the lines of unsupported built-ins) to standard output.
#pragma once
#include <cstdarg>
#include <cstdio>
#include <string>

struct tagIConsole {
    virtual ~tagIConsole() = default;
    virtual void Output(const char* format, ...) __attribute__((format(printf, 2, 3)));
    virtual void OutputV(const char* format, va_list args) = 0;
};

// A console writing to a C stream.
class TConsole : public tagIConsole {
public:
    explicit TConsole(FILE* stream) : m_stream(stream) {}
    void OutputV(const char* format, va_list args) override;
private:
    FILE* m_stream;
};

// A console that keeps what it is given (tests and the debugger's message window read it).
class TCaptureConsole : public tagIConsole {
public:
    void OutputV(const char* format, va_list args) override;
    std::string text;
};

extern tagIConsole* Console_Warnings;
extern tagIConsole* Console_Debug;

// The system message box; the program shell installs the real one, the default writes to stderr.
void ShowMessage(const char* text);
extern void (*ShowMessage_Hook)(const char* text);
