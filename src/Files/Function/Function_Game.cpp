#include "Function/Function_Game.h"

#include "Function/Function_Game_Internal.h"

void Function_Game_Init()
{
    Function_Game_Motion_Add();
    Function_Game_Instance_Add();
    Function_Game_Room_Add();
}
