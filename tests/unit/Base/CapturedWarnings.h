// Warnings kept in `text` for the life of the object (a test fixture's member), then sent where
// they went before.
#pragma once
#include "Base/Console.h"

class TCapturedWarnings : public TCaptureConsole {
public:
    TCapturedWarnings() : m_saved(Console_Warnings) { Console_Warnings = this; }
    ~TCapturedWarnings() override { Console_Warnings = m_saved; }
    TCapturedWarnings(const TCapturedWarnings&) = delete;
    TCapturedWarnings& operator=(const TCapturedWarnings&) = delete;

private:
    tagIConsole* m_saved;
};
