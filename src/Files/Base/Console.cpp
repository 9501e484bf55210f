#include "Base/Console.h"

#include <cstdio>

void tagIConsole::Output(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    OutputV(format, args);
    va_end(args);
}

void TConsole::OutputV(const char* format, va_list args)
{
    vfprintf(m_stream, format, args);
    fflush(m_stream);
}

void TCaptureConsole::OutputV(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n <= 0) return;
    size_t at = text.size();
    text.resize(at + (size_t)n + 1);
    vsnprintf(&text[at], (size_t)n + 1, format, args);
    text.resize(at + (size_t)n);
}

namespace {
TConsole g_warnings(stderr);
TConsole g_debug(stdout);
}

tagIConsole* Console_Warnings = &g_warnings;
tagIConsole* Console_Debug = &g_debug;

void (*ShowMessage_Hook)(const char* text) = nullptr;

void ShowMessage(const char* text)
{
    if (ShowMessage_Hook) ShowMessage_Hook(text ? text : "");
    else fprintf(stderr, "%s\n", text ? text : "");
}
