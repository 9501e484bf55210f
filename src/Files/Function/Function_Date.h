// The date built-ins, registered with the miscellaneous family after its last name.
#pragma once

void Function_Date_Init();
// The read-only current_year, current_month, current_day, current_weekday, current_hour,
// current_minute and current_second: the fields of the current date (the clock
// date_current_datetime reads), in local time.
void Function_Date_Variables_Init();
