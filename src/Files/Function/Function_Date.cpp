// The date built-ins. A date is a real: days since 30 December 1899, 00:00 UTC, with the time of
// day as the fraction. Dates become calendar fields in local time through the C library (the
// daylight-saving flag left to it), and fields become dates the same way; one formula serves
// every date of the years 0 to 9999. Outside them (and for NaN) the field, string and span
// built-ins answer 0 or "", the increments give their date back, and a creation gives the
// failure date, the date of the second before 1970.
#include "Function/Function_Date.h"
#include "Base/Clock.h"
#include "Code/Function.h"
#include "Variable/Variable_BuiltIn.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <ctime>

namespace {

constexpr double kEpochDay = 25569.0;  // 1 January 1970
constexpr double kDay = 86400.0;
// The seconds of 0000-01-01 and of 10000-01-01 UTC, with a day to spare for any time zone.
constexpr int64_t kFirstSecond = -62167219200LL - 86400;
constexpr int64_t kLastSecond = 253402300800LL + 86400;
constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

#define DATE_BUILTIN(name) \
    void F_##name([[maybe_unused]] TaggedValue* result, CInstance*, CInstance*, [[maybe_unused]] int argc, \
                  [[maybe_unused]] TaggedValue* args)

bool IsLeap(int64_t year)
{
    return year % 4 == 0 && (year % 400 == 0 || year % 100 != 0);
}

int DaysInMonth(int64_t year, int month)
{
    return month == 2 && IsLeap(year) ? 29 : kMonthDays[month - 1];
}

double SecondsToDate(int64_t t)
{
    return ((double)t + 0.5) / kDay + kEpochDay;
}

bool DateToSeconds(double date, int64_t* t)
{
    double seconds = std::round((date - kEpochDay) * kDay - 0.5);
    if (!(seconds >= (double)kFirstSecond && seconds <= (double)kLastSecond)) return false;
    *t = (int64_t)seconds;
    return true;
}

const double kFailure = SecondsToDate(-1);

// The local calendar fields of a date of the years 0 to 9999.
bool LocalFields(double date, tm* fields)
{
    int64_t t;
    if (!DateToSeconds(date, &t)) return false;
    time_t seconds = (time_t)t;
    return localtime_r(&seconds, fields) && fields->tm_year >= -1900 && fields->tm_year <= 9999 - 1900;
}

// A whole number from a script's real, rounded to nearest; false for NaN, infinities and reals
// too large to count seconds with.
bool Whole(const TaggedValue& value, int64_t* out)
{
    double v = value.GetReal();
    if (!(std::fabs(v) <= 9007199254740992.0)) return false;
    *out = (int64_t)std::nearbyint(v);
    return true;
}

// Local fields (year in full, month 1 to 12) to a date; values out of range carry over into the
// larger fields. The failure date when the result lies outside the years 0 to 9999.
double MakeDate(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute, int64_t second)
{
    const int64_t values[] = {year - 1900, month - 1, day, hour, minute, second};
    for (int64_t v : values)
        if (v < INT_MIN || v > INT_MAX) return kFailure;
    tm fields{};
    fields.tm_year = (int)values[0];
    fields.tm_mon = (int)values[1];
    fields.tm_mday = (int)values[2];
    fields.tm_hour = (int)values[3];
    fields.tm_min = (int)values[4];
    fields.tm_sec = (int)values[5];
    fields.tm_isdst = -1;
    time_t t = mktime(&fields);  // -1 on failure, whose date is the failure date
    if (t < kFirstSecond || t > kLastSecond || fields.tm_year < -1900 || fields.tm_year > 9999 - 1900) return kFailure;
    return SecondsToDate(t);
}

// The date of fields given by scripts: the first `count` arguments, then `rest` (year first).
double MakeDate(const TaggedValue* args, int count, int64_t (&fields)[6], int first)
{
    for (int i = 0; i < count; i++)
        if (!Whole(args[i], &fields[first + i])) return kFailure;
    return MakeDate(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]);
}

// Seconds from the start of the year to the fields, counted from the month-length table.
int64_t SecondsOfYear(const tm& f, int64_t dayAdd = 0)
{
    int64_t days = 0;
    for (int m = 1; m <= f.tm_mon; m++) days += DaysInMonth(f.tm_year + 1900, m);
    return (((days + f.tm_mday + dayAdd - 1) * 24 + f.tm_hour) * 60 + f.tm_min) * 60 + f.tm_sec;
}

// Every argument a whole real, exactly `count` of them.
bool WholeArguments(int argc, const TaggedValue* args, int count)
{
    if (argc != count) return false;
    for (int i = 0; i < count; i++) {
        double v = args[i].GetReal();
        if (!args[i].IsReal() || !std::isfinite(v) || v != std::trunc(v)) return false;
    }
    return true;
}

bool ValidDate(double year, double month, double day)
{
    return year >= 0 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth((int64_t)year, (int)month);
}

bool ValidTime(double hour, double minute, double second)
{
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

// Whole seconds between two dates; false when either lies outside the years 0 to 9999.
bool SpanSeconds(const TaggedValue* args, double* seconds)
{
    int64_t t1, t2;
    if (!DateToSeconds(args[0].GetReal(), &t1) || !DateToSeconds(args[1].GetReal(), &t2)) return false;
    *seconds = (double)(t1 > t2 ? t1 - t2 : t2 - t1);
    return true;
}

int Compare(double a, double b)
{
    return a == b ? 0 : a > b ? 1 : -1;
}

double TimeOf(double date)
{
    return date - std::trunc(date);
}

void SetField(TaggedValue* result, const TaggedValue& date, int (*field)(const tm&))
{
    tm f;
    if (LocalFields(date.GetReal(), &f)) result->SetReal(field(f));
}

void SetText(TaggedValue* result, const TaggedValue& date, const char* format)
{
    result->SetString("");
    tm f;
    char text[1024];
    if (LocalFields(date.GetReal(), &f) && strftime(text, sizeof text, format, &f) > 0) result->SetString(text);
}

// Calendar increments: the amount (rounded) times `scale` is added to one field (0 year, 1 month,
// 2 day) and carried by the conversion.
void AddToFields(TaggedValue* result, const TaggedValue* args, int field, int64_t scale)
{
    double date = args[0].GetReal();
    result->SetReal(date);
    tm f;
    if (!LocalFields(date, &f)) return;
    int64_t amount;
    int64_t fields[6] = {f.tm_year + 1900, f.tm_mon + 1, f.tm_mday, f.tm_hour, f.tm_min, f.tm_sec};
    if (!Whole(args[1], &amount) || amount > INT_MAX || amount < INT_MIN) {
        result->SetReal(kFailure);
        return;
    }
    fields[field] += amount * scale;
    result->SetReal(MakeDate(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]));
}

// Clock increments: the amount (rounded) of units of elapsed time, so a change of daylight
// saving on the way neither adds nor loses an hour.
void AddSeconds(TaggedValue* result, const TaggedValue* args, int64_t unit)
{
    double date = args[0].GetReal();
    result->SetReal(date);
    int64_t t, amount;
    if (!DateToSeconds(date, &t)) return;
    bool inRange = Whole(args[1], &amount) && amount >= (kFirstSecond - t) / unit && amount <= (kLastSecond - t) / unit;
    result->SetReal(inRange ? SecondsToDate(t + amount * unit) : kFailure);
}

double Now()
{
    int64_t microseconds = Clock_Now();
    return SecondsToDate(microseconds / 1000000 - (microseconds % 1000000 < 0));
}

DATE_BUILTIN(date_current_datetime)
{
    result->SetReal(Now());
}

DATE_BUILTIN(date_create_datetime)
{
    int64_t fields[6];
    result->SetReal(MakeDate(args, 6, fields, 0));
}

DATE_BUILTIN(date_create_date)
{
    int64_t fields[6] = {0, 0, 0, 0, 0, 0};
    result->SetReal(MakeDate(args, 3, fields, 0));
}

// A time of day alone is that time on day 0, 30 December 1899.
DATE_BUILTIN(date_create_time)
{
    int64_t fields[6] = {1899, 12, 30, 0, 0, 0};
    result->SetReal(MakeDate(args, 3, fields, 3));
}

DATE_BUILTIN(date_valid_datetime)
{
    bool valid = WholeArguments(argc, args, 6) && ValidDate(args[0].val, args[1].val, args[2].val) &&
                 ValidTime(args[3].val, args[4].val, args[5].val);
    result->SetReal(valid ? 1.0 : 0.0);
}

DATE_BUILTIN(date_valid_date)
{
    bool valid = WholeArguments(argc, args, 3) && ValidDate(args[0].val, args[1].val, args[2].val);
    result->SetReal(valid ? 1.0 : 0.0);
}

DATE_BUILTIN(date_valid_time)
{
    bool valid = WholeArguments(argc, args, 3) && ValidTime(args[0].val, args[1].val, args[2].val);
    result->SetReal(valid ? 1.0 : 0.0);
}

DATE_BUILTIN(date_inc_year) { AddToFields(result, args, 0, 1); }
DATE_BUILTIN(date_inc_month) { AddToFields(result, args, 1, 1); }
DATE_BUILTIN(date_inc_week) { AddToFields(result, args, 2, 7); }
DATE_BUILTIN(date_inc_day) { AddToFields(result, args, 2, 1); }
DATE_BUILTIN(date_inc_hour) { AddSeconds(result, args, 3600); }
DATE_BUILTIN(date_inc_minute) { AddSeconds(result, args, 60); }
DATE_BUILTIN(date_inc_second) { AddSeconds(result, args, 1); }

// The fields of a date, read by the date_get_ built-ins and, of the current date, by the current_
// variables.
int Year(const tm& f) { return f.tm_year + 1900; }
int Month(const tm& f) { return f.tm_mon + 1; }
int Day(const tm& f) { return f.tm_mday; }
int Hour(const tm& f) { return f.tm_hour; }
int Minute(const tm& f) { return f.tm_min; }
int Second(const tm& f) { return f.tm_sec; }
int Weekday(const tm& f) { return f.tm_wday; }

DATE_BUILTIN(date_get_year) { SetField(result, args[0], Year); }
DATE_BUILTIN(date_get_month) { SetField(result, args[0], Month); }
DATE_BUILTIN(date_get_week) { SetField(result, args[0], [](const tm& f) { return f.tm_yday / 7; }); }
DATE_BUILTIN(date_get_day) { SetField(result, args[0], Day); }
DATE_BUILTIN(date_get_hour) { SetField(result, args[0], Hour); }
DATE_BUILTIN(date_get_minute) { SetField(result, args[0], Minute); }
DATE_BUILTIN(date_get_second) { SetField(result, args[0], Second); }
DATE_BUILTIN(date_get_weekday) { SetField(result, args[0], Weekday); }
DATE_BUILTIN(date_get_day_of_year) { SetField(result, args[0], [](const tm& f) { return (int)(SecondsOfYear(f, 1) / 86400); }); }
DATE_BUILTIN(date_get_hour_of_year) { SetField(result, args[0], [](const tm& f) { return (int)(SecondsOfYear(f) / 3600); }); }
DATE_BUILTIN(date_get_minute_of_year) { SetField(result, args[0], [](const tm& f) { return (int)(SecondsOfYear(f) / 60); }); }
DATE_BUILTIN(date_get_second_of_year) { SetField(result, args[0], [](const tm& f) { return (int)SecondsOfYear(f); }); }

// Spans divide step by step: by 60, 60 and 24, then by the days of the unit.
void SetSpan(TaggedValue* result, const TaggedValue* args, int steps, double days = 1.0)
{
    double seconds;
    if (!SpanSeconds(args, &seconds)) return;
    const double divisors[] = {60.0, 60.0, 24.0};
    for (int i = 0; i < steps; i++) seconds /= divisors[i];
    if (steps == 3) seconds /= days;
    result->SetReal(seconds);
}

DATE_BUILTIN(date_year_span) { SetSpan(result, args, 3, 365.25); }
DATE_BUILTIN(date_month_span) { SetSpan(result, args, 3, 30.4375); }
DATE_BUILTIN(date_week_span) { SetSpan(result, args, 3, 7.0); }
DATE_BUILTIN(date_day_span) { SetSpan(result, args, 3); }
DATE_BUILTIN(date_hour_span) { SetSpan(result, args, 2); }
DATE_BUILTIN(date_minute_span) { SetSpan(result, args, 1); }
DATE_BUILTIN(date_second_span) { SetSpan(result, args, 0); }

DATE_BUILTIN(date_compare_datetime) { result->SetReal(Compare(args[0].GetReal(), args[1].GetReal())); }
DATE_BUILTIN(date_compare_date) { result->SetReal(Compare(std::trunc(args[0].GetReal()), std::trunc(args[1].GetReal()))); }
DATE_BUILTIN(date_compare_time) { result->SetReal(Compare(TimeOf(args[0].GetReal()), TimeOf(args[1].GetReal()))); }
DATE_BUILTIN(date_date_of) { result->SetReal(std::trunc(args[0].GetReal())); }
DATE_BUILTIN(date_time_of) { result->SetReal(TimeOf(args[0].GetReal())); }

DATE_BUILTIN(date_datetime_string) { SetText(result, args[0], "%d/%m/%Y %H:%M:%S"); }
DATE_BUILTIN(date_date_string) { SetText(result, args[0], "%d/%m/%Y"); }
DATE_BUILTIN(date_time_string) { SetText(result, args[0], "%H:%M:%S"); }

DATE_BUILTIN(date_days_in_month) { SetField(result, args[0], [](const tm& f) { return DaysInMonth(f.tm_year + 1900, f.tm_mon + 1); }); }
DATE_BUILTIN(date_days_in_year) { SetField(result, args[0], [](const tm& f) { return IsLeap(f.tm_year + 1900) ? 366 : 365; }); }
DATE_BUILTIN(date_leap_year) { SetField(result, args[0], [](const tm& f) { return IsLeap(f.tm_year + 1900) ? 1 : 0; }); }

DATE_BUILTIN(date_is_today)
{
    tm f, today;
    bool same = LocalFields(args[0].GetReal(), &f) && LocalFields(Now(), &today) && f.tm_year == today.tm_year &&
                f.tm_mon == today.tm_mon && f.tm_yday == today.tm_yday;
    result->SetReal(same ? 1.0 : 0.0);
}

// current_year and the like: a field of the current date, as date_get_ gives it of that date.
template <int (*Field)(const tm&)>
bool GetCurrent(CInstance*, int, TaggedValue* out)
{
    out->SetReal(0.0);
    SetField(out, TaggedValue(Now()), Field);
    return true;
}

#undef DATE_BUILTIN

#define ENTRY FUNCTION_ENTRY

// The current time is the same value for all three names.
const FunctionEntry kDates[] = {
    ENTRY(date_current_datetime, 0),
    {"date_current_date", F_date_current_datetime, 0},
    {"date_current_time", F_date_current_datetime, 0},
    ENTRY(date_create_datetime, 6),
    ENTRY(date_create_date, 3),
    ENTRY(date_create_time, 3),
    ENTRY(date_valid_datetime, 6),
    ENTRY(date_valid_date, 3),
    ENTRY(date_valid_time, 3),
    ENTRY(date_inc_year, 2),
    ENTRY(date_inc_month, 2),
    ENTRY(date_inc_week, 2),
    ENTRY(date_inc_day, 2),
    ENTRY(date_inc_hour, 2),
    ENTRY(date_inc_minute, 2),
    ENTRY(date_inc_second, 2),
    ENTRY(date_get_year, 1),
    ENTRY(date_get_month, 1),
    ENTRY(date_get_week, 1),
    ENTRY(date_get_day, 1),
    ENTRY(date_get_hour, 1),
    ENTRY(date_get_minute, 1),
    ENTRY(date_get_second, 1),
    ENTRY(date_get_weekday, 1),
    ENTRY(date_get_day_of_year, 1),
    ENTRY(date_get_hour_of_year, 1),
    ENTRY(date_get_minute_of_year, 1),
    ENTRY(date_get_second_of_year, 1),
    ENTRY(date_year_span, 2),
    ENTRY(date_month_span, 2),
    ENTRY(date_week_span, 2),
    ENTRY(date_day_span, 2),
    ENTRY(date_hour_span, 2),
    ENTRY(date_minute_span, 2),
    ENTRY(date_second_span, 2),
    ENTRY(date_compare_datetime, 2),
    ENTRY(date_compare_date, 2),
    ENTRY(date_compare_time, 2),
    ENTRY(date_date_of, 1),
    ENTRY(date_time_of, 1),
    ENTRY(date_datetime_string, 1),
    ENTRY(date_date_string, 1),
    ENTRY(date_time_string, 1),
    ENTRY(date_days_in_month, 1),
    ENTRY(date_days_in_year, 1),
    ENTRY(date_leap_year, 1),
    ENTRY(date_is_today, 1),
};

#undef ENTRY

}  // namespace

void Function_Date_Init()
{
    tzset();
    Function_AddTable(kDates);
}

void Function_Date_Variables_Init()
{
    Variable_BuiltIn_Add("current_year", GetCurrent<Year>, nullptr, false);
    Variable_BuiltIn_Add("current_month", GetCurrent<Month>, nullptr, false);
    Variable_BuiltIn_Add("current_day", GetCurrent<Day>, nullptr, false);
    Variable_BuiltIn_Add("current_weekday", GetCurrent<Weekday>, nullptr, false);
    Variable_BuiltIn_Add("current_hour", GetCurrent<Hour>, nullptr, false);
    Variable_BuiltIn_Add("current_minute", GetCurrent<Minute>, nullptr, false);
    Variable_BuiltIn_Add("current_second", GetCurrent<Second>, nullptr, false);
}
