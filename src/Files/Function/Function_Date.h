// The date built-ins, registered with the miscellaneous family after its last name.
#pragma once

void Function_Date_Init();
