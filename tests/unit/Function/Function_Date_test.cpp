// The date built-ins under fixed time zones.
#include "Function/Function_Date.h"
#include "BuiltinCall.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

class Dates : public BuiltinTest {
protected:
    void Register() override { Function_Date_Init(); }
    void SetUp() override
    {
        BuiltinTest::SetUp();
        const char* tz = getenv("TZ");
        hadZone = tz != nullptr;
        if (tz) savedZone = tz;
        Zone("UTC");
    }
    void TearDown() override
    {
        if (hadZone) setenv("TZ", savedZone.c_str(), 1);
        else unsetenv("TZ");
        tzset();
        BuiltinTest::TearDown();
    }
    static void Zone(const char* zone)
    {
        setenv("TZ", zone, 1);
        tzset();
    }
    static double Make(double y, double mo, double d, double h = 0, double mi = 0, double s = 0)
    {
        return Real("date_create_datetime", {y, mo, d, h, mi, s});
    }
    // year, month, day, hour, minute, second of a date, in local time.
    static std::vector<double> Fields(double date)
    {
        std::vector<double> out;
        for (const char* f : {"date_get_year", "date_get_month", "date_get_day", "date_get_hour", "date_get_minute",
                              "date_get_second"})
            out.push_back(Real(f, {date}));
        return out;
    }
    bool hadZone = false;
    std::string savedZone;
};

using V = std::vector<double>;
const double kFailure = (-1 + 0.5) / 86400 + 25569;

}  // namespace

TEST_F(Dates, RegistersEveryNameInOrder)
{
    const std::pair<const char*, int> names[] = {
        {"date_current_datetime", 0}, {"date_current_date", 0}, {"date_current_time", 0},
        {"date_create_datetime", 6}, {"date_create_date", 3}, {"date_create_time", 3},
        {"date_valid_datetime", 6}, {"date_valid_date", 3}, {"date_valid_time", 3},
        {"date_inc_year", 2}, {"date_inc_month", 2}, {"date_inc_week", 2}, {"date_inc_day", 2},
        {"date_inc_hour", 2}, {"date_inc_minute", 2}, {"date_inc_second", 2},
        {"date_get_year", 1}, {"date_get_month", 1}, {"date_get_week", 1}, {"date_get_day", 1},
        {"date_get_hour", 1}, {"date_get_minute", 1}, {"date_get_second", 1}, {"date_get_weekday", 1},
        {"date_get_day_of_year", 1}, {"date_get_hour_of_year", 1}, {"date_get_minute_of_year", 1},
        {"date_get_second_of_year", 1}, {"date_year_span", 2}, {"date_month_span", 2}, {"date_week_span", 2},
        {"date_day_span", 2}, {"date_hour_span", 2}, {"date_minute_span", 2}, {"date_second_span", 2},
        {"date_compare_datetime", 2}, {"date_compare_date", 2}, {"date_compare_time", 2}, {"date_date_of", 1},
        {"date_time_of", 1}, {"date_datetime_string", 1}, {"date_date_string", 1}, {"date_time_string", 1},
        {"date_days_in_month", 1}, {"date_days_in_year", 1}, {"date_leap_year", 1}, {"date_is_today", 1},
    };
    ASSERT_EQ(Function_Count(), 47);
    for (int i = 0; i < 47; i++) {
        EXPECT_STREQ(Function_Get(i)->name, names[i].first) << i;
        EXPECT_EQ(Function_Get(i)->argc, names[i].second) << names[i].first;
    }
}

TEST_F(Dates, CreateAndSplitInUtc)
{
    EXPECT_EQ(Make(1970, 1, 1), 25569 + 0.5 / 86400);
    double leap = Make(2012, 2, 29, 12, 34, 56);
    EXPECT_EQ(Fields(leap), (V{2012, 2, 29, 12, 34, 56}));
    EXPECT_EQ(Real("date_get_weekday", {leap}), 3);
    EXPECT_EQ(Real("date_get_day_of_year", {leap}), 60);
    EXPECT_EQ(Real("date_get_week", {leap}), 8);
    EXPECT_EQ(Real("date_get_hour_of_year", {leap}), 59 * 24 + 12);
    EXPECT_EQ(Real("date_get_minute_of_year", {leap}), (59 * 24 + 12) * 60 + 34);
    EXPECT_EQ(Real("date_get_second_of_year", {leap}), ((59 * 24 + 12) * 60 + 34) * 60 + 56);
    EXPECT_EQ(Text("date_datetime_string", {leap}), "29/02/2012 12:34:56");
    EXPECT_EQ(Text("date_date_string", {leap}), "29/02/2012");
    EXPECT_EQ(Text("date_time_string", {leap}), "12:34:56");
    double newYear = Make(2013, 1, 1);
    EXPECT_EQ(Real("date_get_day_of_year", {newYear}), 1);
    EXPECT_EQ(Real("date_get_week", {newYear}), 0);
    EXPECT_EQ(Real("date_get_day_of_year", {Make(2012, 12, 31, 23, 59, 59)}), 366);
    EXPECT_EQ(Real("date_get_second_of_year", {newYear}), 0);
    EXPECT_EQ(Real("date_create_date", {2013.0, 1.0, 1.0}), newYear);

    // One formula before and after 1970, through the years a date can hold.
    for (V f : {V{1969, 12, 31, 23, 59, 59}, V{1900, 3, 1, 6, 0, 0}, V{1066, 10, 14, 9, 30, 0}, V{1, 1, 1, 0, 0, 0},
                V{0, 2, 29, 0, 0, 0}, V{9999, 12, 31, 23, 59, 59}, V{2400, 2, 29, 1, 2, 3}})
        EXPECT_EQ(Fields(Make(f[0], f[1], f[2], f[3], f[4], f[5])), f) << f[0];
    EXPECT_NEAR(Make(1899, 12, 30), 0.5 / 86400, 1e-9);
    EXPECT_EQ(Make(1969, 12, 31, 23, 59, 59), kFailure) << "the second before 1970 is the failure date";

    // A time of day alone is that time on day 0.
    double t = Real("date_create_time", {13.0, 30.0, 15.0});
    EXPECT_EQ(Fields(t), (V{1899, 12, 30, 13, 30, 15}));
    EXPECT_NEAR(Real("date_time_of", {t}), (13.5 * 3600 + 15.5) / 86400, 1e-9);
}

TEST_F(Dates, ValidityTable)
{
    struct Row { V args; double valid; };
    const Row dates[] = {
        {{2012, 2, 29}, 1}, {{1900, 2, 29}, 0}, {{2000, 2, 29}, 1}, {{2013, 2, 29}, 0}, {{0, 1, 1}, 1},
        {{-1, 1, 1}, 0}, {{2012, 13, 1}, 0}, {{2012, 0, 1}, 0}, {{2012, 4, 31}, 0}, {{2012, 4, 30}, 1},
        {{2012, 2, 2.5}, 0}, {{NAN, 1, 1}, 0}, {{INFINITY, 1, 1}, 0}, {{1e300, 1, 1}, 0},
    };
    for (const Row& r : dates) {
        std::vector<TaggedValue> args(r.args.begin(), r.args.end());
        EXPECT_EQ(Real("date_valid_date", args), r.valid) << r.args[0] << "-" << r.args[1] << "-" << r.args[2];
    }
    const Row times[] = {{{23, 59, 59}, 1}, {{24, 0, 0}, 0}, {{0, 60, 0}, 0}, {{0, 0, -1}, 0}, {{0, 0, 0}, 1}, {{1.5, 0, 0}, 0}};
    for (const Row& r : times) {
        std::vector<TaggedValue> args(r.args.begin(), r.args.end());
        EXPECT_EQ(Real("date_valid_time", args), r.valid) << r.args[0];
    }
    EXPECT_EQ(Real("date_valid_datetime", {2012.0, 2.0, 29.0, 23.0, 59.0, 59.0}), 1);
    EXPECT_EQ(Real("date_valid_datetime", {2012.0, 2.0, 29.0, 24.0, 0.0, 0.0}), 0);
    EXPECT_EQ(Real("date_valid_date", {S("2012"), 1.0, 1.0}), 0);
    EXPECT_EQ(CallExact("date_valid_date", {2012.0, 1.0}).GetReal(), 0);
    EXPECT_EQ(CallExact("date_valid_time", {1.0, 1.0, 1.0, 1.0}).GetReal(), 0);
}

TEST_F(Dates, IncrementsCarryIntoLargerFields)
{
    double jan31 = Make(2013, 1, 31, 10, 0, 0);
    EXPECT_EQ(Fields(Real("date_inc_month", {jan31, 1.0})), (V{2013, 3, 3, 10, 0, 0}));
    EXPECT_EQ(Fields(Real("date_inc_month", {Make(2012, 1, 31), 1.0})), (V{2012, 3, 2, 0, 0, 0}));
    EXPECT_EQ(Fields(Real("date_inc_month", {jan31, -13.0})), (V{2011, 12, 31, 10, 0, 0}));
    EXPECT_EQ(Fields(Real("date_inc_year", {Make(2012, 2, 29), 1.0})), (V{2013, 3, 1, 0, 0, 0}));
    EXPECT_EQ(Fields(Real("date_inc_week", {jan31, 5.0})), (V{2013, 3, 7, 10, 0, 0}));
    EXPECT_EQ(Fields(Real("date_inc_day", {jan31, -31.0})), (V{2012, 12, 31, 10, 0, 0}));
    EXPECT_EQ(Real("date_inc_day", {jan31, 0.0}), jan31);
    EXPECT_EQ(Fields(Real("date_inc_hour", {jan31, 14.0})), (V{2013, 2, 1, 0, 0, 0}));
    EXPECT_EQ(Fields(Real("date_inc_minute", {jan31, -601.0})), (V{2013, 1, 30, 23, 59, 0}));
    EXPECT_EQ(Fields(Real("date_inc_second", {jan31, 86400.5})), (V{2013, 2, 1, 10, 0, 0}));
    EXPECT_EQ(Fields(Real("date_inc_day", {Make(1969, 12, 31), 1.0})), (V{1970, 1, 1, 0, 0, 0}));

    // Spans are symmetric and divide step by step.
    double a = Make(2001, 1, 1), b = Real("date_inc_hour", {a, 365.25 * 24});
    for (auto [name, value] : {std::pair{"date_year_span", 1.0}, {"date_day_span", 365.25}, {"date_week_span", 365.25 / 7},
                               {"date_hour_span", 8766.0}, {"date_minute_span", 525960.0}, {"date_second_span", 31557600.0}}) {
        EXPECT_DOUBLE_EQ(Real(name, {a, b}), value) << name;
        EXPECT_DOUBLE_EQ(Real(name, {b, a}), value) << name;
    }
    EXPECT_DOUBLE_EQ(Real("date_month_span", {a, Real("date_inc_minute", {a, 30.4375 * 24 * 60})}), 1);

    // Comparisons of days work on the date value itself (UTC days).
    double morning = Make(2013, 5, 5, 1, 0, 0), evening = Make(2013, 5, 5, 23, 0, 0);
    EXPECT_EQ(Real("date_compare_date", {morning, evening}), 0);
    EXPECT_EQ(Real("date_compare_datetime", {morning, evening}), -1);
    EXPECT_EQ(Real("date_compare_datetime", {evening, morning}), 1);
    EXPECT_EQ(Real("date_compare_time", {evening, Make(2000, 1, 1, 2, 0, 0)}), 1);
    EXPECT_EQ(Real("date_date_of", {evening}), std::trunc(evening));
    EXPECT_EQ(Real("date_time_of", {evening}), evening - std::trunc(evening));

    EXPECT_EQ(Real("date_days_in_month", {Make(2012, 2, 3)}), 29);
    EXPECT_EQ(Real("date_days_in_month", {Make(1900, 2, 3)}), 28);
    EXPECT_EQ(Real("date_days_in_year", {Make(2000, 6, 1)}), 366);
    EXPECT_EQ(Real("date_leap_year", {Make(2100, 6, 1)}), 0);
}

TEST_F(Dates, TheCurrentTime)
{
    double before = Real("date_current_datetime");
    double date = Real("date_current_date");
    double time = Real("date_current_time");
    double after = Real("date_current_datetime");
    EXPECT_LE(before, date);
    EXPECT_LE(date, time);
    EXPECT_LE(time, after);
    EXPECT_LT(after - before, 2.0 / 86400);
    EXPECT_NEAR(before, (double)std::time(nullptr) / 86400 + 25569, 2.0 / 86400);
    EXPECT_EQ(Real("date_is_today", {before}), 1);
    EXPECT_EQ(Real("date_is_today", {before - 1}), 0);
    EXPECT_EQ(Real("date_is_today", {before + 366}), 0);
}

// The daylight-saving flag is the C library's: summer times keep their hour.
TEST_F(Dates, SummerTimeInLondon)
{
    Zone("Europe/London");
    double summer = Make(2023, 7, 1, 12, 0, 0);
    EXPECT_EQ(Fields(summer), (V{2023, 7, 1, 12, 0, 0}));
    Zone("UTC");
    EXPECT_EQ(Fields(summer), (V{2023, 7, 1, 11, 0, 0})) << "the value is UTC";
    Zone("Europe/London");
    EXPECT_EQ(Fields(Make(2023, 1, 15, 12, 0, 0)), (V{2023, 1, 15, 12, 0, 0}));
    EXPECT_EQ(Text("date_datetime_string", {summer}), "01/07/2023 12:00:00");

    // Calendar steps keep the clock time across a change; clock steps count elapsed time.
    double before = Make(2023, 3, 25, 12, 0, 0);
    double next = Real("date_inc_day", {before, 1.0});
    EXPECT_EQ(Fields(next), (V{2023, 3, 26, 12, 0, 0}));
    EXPECT_DOUBLE_EQ(Real("date_hour_span", {before, next}), 23);
    EXPECT_EQ(Fields(Real("date_inc_month", {Make(2023, 1, 10, 9, 0, 0), 6.0})), (V{2023, 7, 10, 9, 0, 0}));
    EXPECT_EQ(Fields(Real("date_inc_hour", {Make(2023, 3, 26, 0, 30, 0), 1.0})), (V{2023, 3, 26, 2, 30, 0}));
    double late = Make(2023, 10, 29, 0, 30, 0);
    for (int i = 0; i < 4; i++) late = Real("date_inc_hour", {late, 1.0});
    EXPECT_EQ(Fields(late), (V{2023, 10, 29, 3, 30, 0})) << "the repeated hour comes twice";
    EXPECT_EQ(Real("date_get_hour_of_year", {summer}), (181 * 24 + 12));
    EXPECT_EQ(Real("date_is_today", {Real("date_current_datetime")}), 1);
}

TEST_F(Dates, HostileDatesAreHarmless)
{
    for (double bad : {(double)NAN, (double)INFINITY, (double)-INFINITY, 1e300, -1e300, 1e9, -1e9}) {
        for (const char* field : {"date_get_year", "date_get_second_of_year", "date_days_in_month", "date_leap_year",
                                  "date_is_today", "date_year_span", "date_second_span"})
            EXPECT_EQ(Real(field, {bad, 40000.0}), 0) << field << " " << bad;
        EXPECT_EQ(Text("date_datetime_string", {bad}), "");
        double same = Real("date_inc_day", {bad, 1.0});
        EXPECT_TRUE(same == bad || (std::isnan(bad) && std::isnan(same))) << bad;
        EXPECT_EQ(Make(bad, 1, 1), kFailure) << bad;
        if (!(std::fabs(bad) < 1e100)) {
            EXPECT_EQ(Make(2000, 1, 1, 0, 0, bad), kFailure) << bad;
        }
    }
    double d = Make(2000, 1, 1);
    EXPECT_EQ(Real("date_inc_year", {d, 1e9}), kFailure);
    EXPECT_EQ(Real("date_inc_week", {d, 2147483647.0}), kFailure);
    EXPECT_EQ(Real("date_inc_second", {d, (double)NAN}), kFailure);
    EXPECT_EQ(Real("date_inc_month", {d, -2147483648.0}), kFailure);
    EXPECT_EQ(Make(10000, 1, 1), kFailure);
    EXPECT_EQ(Make(2000, 2147483647.0, 1), kFailure);
    EXPECT_EQ(Real("date_get_year", {Make(9999, 12, 31, 23, 59, 59) + 1}), 0);

    const TaggedValue patterns[] = {TaggedValue((double)NAN), TaggedValue(1e300), TaggedValue(-1e300), TaggedValue(-1.0),
                                    S("2012"), TaggedValue(2147483647.0)};
    for (const TaggedValue& p : patterns)
        for (int id = 0; id < Function_Count(); id++) {
            const RFunction* f = Function_Get(id);
            Call(f->name, std::vector<TaggedValue>((size_t)f->argc, p));
        }
    EXPECT_TRUE(Errors().empty());
}
