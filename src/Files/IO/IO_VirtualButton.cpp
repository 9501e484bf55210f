// The pool of virtual on-screen button records (added and removed by the virtual-key built-ins).
#include "IO/IO.h"

constexpr int BUTTON_RECORDS = 32;
IO_VirtualButton IO_VirtualButtons[BUTTON_RECORDS];
const int IO_VirtualButtonCount = BUTTON_RECORDS;

IO_VirtualButton* IO_VirtualButton_FindFree()
{
    for (int i = 0; i < BUTTON_RECORDS; i++) {
        if (IO_VirtualButtons[i].flags == 0) {
            IO_VirtualButtons[i].index = (uint16_t)i;
            return &IO_VirtualButtons[i];
        }
    }
    return nullptr;
}

void IO_VirtualButton_Delete(int index)
{
    if (index >= 0 && index < BUTTON_RECORDS) IO_VirtualButtons[index].flags = 0;
}
