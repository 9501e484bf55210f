#include "Option/Option_Main.h"
#include "Variable/Variable_Main.h"

uint32_t Option_Flags = OPTION_SHOW_CURSOR;
uint8_t Option_ShowCursor = 1;
bool Option_NewAudio = false;

void Option_Reset()
{
    Option_Flags = OPTION_SHOW_CURSOR;
    Option_ShowCursor = 1;
    Option_NewAudio = false;
    Variable_UnsetReadsZero = false;
}
