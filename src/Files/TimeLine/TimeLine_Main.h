// The time-line table.
#pragma once
#include "TimeLine/TimeLine_Class.h"

struct GameFileReader;

bool TimeLine_Exists(int index);
const char* TimeLine_GetName(int index);  // "<undefined>" when missing
CTimeLine* TimeLine_Get(int index);        // null when missing
int TimeLine_Count();
int TimeLine_Add();                        // a new empty time line named "__newtimeline" plus its index
bool TimeLine_Delete(int index);
void TimeLine_Clear();
// Compiles every moment of every time line; false (LastErrorText set) at the first failure.
bool TimeLine_Prepare();
// Reads the TMLN chunk (see docs/gamefile.md); false on a damaged record.
bool TimeLine_Load(GameFileReader chunk);
