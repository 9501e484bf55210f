// What the multiplayer layer asks of its network transport (the platform half, Linux/).
#pragma once
#include "Variable/Value.h"

// Reads or writes a shared slot across the session; false (0) when the network did not do it.
bool DPlay_Network_SharedRead(int index, TaggedValue* out);
int DPlay_Network_SharedWrite(int index, const TaggedValue& value, bool guaranteed);
