// When a stored schedule is due: each row stores a schedule as the Apply button writes it,
// then checks the clock at a series of moments, as the 10 ms timer does.
#include "ScheduleDue.h"
#include "DateText.h"
#include "TestMoments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Check {
    double now;
    bool due;
    bool switchedOn = false; // scheduled scans switched on just before this check
};

struct DueCase {
    const char* name;
    std::string day, time, date;
    std::vector<Check> checks;
    unsigned long locale = 0;
};

std::string Text(double date) {
    return DateText::ToText(date);
}

// The stored texts are written in the locale in force when the row's schedule is made.
std::vector<DueCase> Cases() {
    const std::string two = Text(Moment(9, 14, 0, 0)); // the time picker keeps its date too
    std::vector<DueCase> cases;
    for (int day = 0; day <= 6; ++day) {
        cases.push_back({"weekday fires on its own day",
                         std::to_string(day),
                         two,
                         "Null",
                         {{Moment(9 + day, 13, 59, 59), false},
                          {Moment(9 + day, 14, 0, 0), true},
                          {Moment(9 + day, 14, 0, 1), false}}});
        cases.push_back(
            {"weekday is silent the day after",
             std::to_string(day),
             two,
             "Null",
             {{Moment(10 + day, 13, 59, 59), false}, {Moment(10 + day, 14, 0, 0), false}}});
    }
    cases.push_back({"daily fires every day",
                     "7",
                     two,
                     "Null",
                     {{Moment(11, 14, 0, 0), true},
                      {Moment(12, 14, 0, 0), true},
                      {Moment(14, 14, 0, 0), true}}});
    cases.push_back({"date fires on its date",
                     "8",
                     two,
                     Text(Moment(12, 0, 0, 0)),
                     {{Moment(11, 14, 0, 0), false},
                      {Moment(12, 13, 59, 59), false},
                      {Moment(12, 14, 0, 0), true},
                      {Moment(12, 14, 0, 1), false}}});
    cases.push_back({"date in another month is silent",
                     "8",
                     two,
                     Text(Moment(12, 0, 0, 0, 11)),
                     {{Moment(12, 14, 0, 0), false}}});
    cases.push_back(
        {"date without a date is silent", "8", two, "Null", {{Moment(12, 14, 0, 0), false}}});
    cases.push_back({"never", "9", two, "Null", {{Moment(9, 14, 0, 0), false}}});
    cases.push_back({"a day past the list", "10", two, "Null", {{Moment(9, 14, 0, 0), false}}});
    cases.push_back({"a day that is no number never fires",
                     "often",
                     two,
                     "Null",
                     {{Moment(10, 14, 0, 0), false}}});
    cases.push_back({"a day is rounded", "0.4", two, "Null", {{Moment(9, 14, 0, 0), true}}});
    cases.push_back({"no time never fires",
                     "7",
                     "Null",
                     "Null",
                     {{Moment(9, 0, 0, 0), false}, {Moment(9, 14, 0, 0), false}}});
    cases.push_back({"a time that is no time never fires",
                     "7",
                     "25:99 o'clock",
                     "Null",
                     {{Moment(9, 14, 0, 0), false}}});
    cases.push_back({"no second fire in the same second",
                     "7",
                     two,
                     "Null",
                     {{Moment(9, 14, 0, 0), true},
                      {Moment(9, 14, 0, 0), false},
                      {Moment(9, 14, 0, 0) + 0.4 / 86400, false}}});
    cases.push_back({"a gap across the moment fires once",
                     "7",
                     two,
                     "Null",
                     {{Moment(9, 13, 59, 30), false},
                      {Moment(9, 14, 0, 20), true},
                      {Moment(9, 14, 0, 21), false}}});
    cases.push_back({"a minute late still fires",
                     "7",
                     two,
                     "Null",
                     {{Moment(9, 13, 58, 0), false}, {Moment(9, 14, 1, 0), true}}});
    cases.push_back({"more than a minute late is missed",
                     "7",
                     two,
                     "Null",
                     {{Moment(9, 13, 58, 0), false},
                      {Moment(9, 14, 1, 1), false},
                      {Moment(9, 14, 2, 0), false}}});
    cases.push_back({"the first check sees its own second only",
                     "7",
                     two,
                     "Null",
                     {{Moment(9, 14, 0, 1), false}}});
    cases.push_back({"a gap across midnight fires for the day it began",
                     "6",
                     Text(Moment(9, 23, 59, 50)),
                     "Null",
                     {{Moment(15, 23, 59, 40), false}, {Moment(16, 0, 0, 5), true}}});
    cases.push_back({"a clock set back does not repeat the moment",
                     "7",
                     two,
                     "Null",
                     {{Moment(9, 14, 0, 0), true},
                      {Moment(9, 13, 0, 0), false},
                      {Moment(9, 14, 0, 0), false},
                      {Moment(10, 14, 0, 0), true}}});
    cases.push_back({"switched back on after a missed moment starts nothing for it",
                     "7",
                     two,
                     "Null",
                     {{Moment(9, 13, 59, 0), false},
                      {Moment(9, 14, 0, 30), false, true},
                      {Moment(9, 14, 0, 31), false},
                      {Moment(10, 14, 0, 0), true}}});
    cases.push_back({"switched on in the moment's own second fires",
                     "7",
                     two,
                     "Null",
                     {{Moment(9, 13, 59, 0), false}, {Moment(9, 14, 0, 0), true, true}}});
    cases.push_back({"switched on before the moment fires at it",
                     "7",
                     two,
                     "Null",
                     {{Moment(9, 13, 0, 0), false},
                      {Moment(9, 13, 59, 50), false, true},
                      {Moment(9, 14, 0, 10), true}}});
    cases.push_back({"switched on again in the second it fired starts no second scan",
                     "7",
                     two,
                     "Null",
                     {{Moment(9, 13, 59, 59), false},
                      {Moment(9, 14, 0, 0), true},
                      {Moment(9, 14, 0, 0), false, true}}});
    return cases;
}

} // namespace

TEST(ScheduleDue, TheClockMeetsTheStoredSchedule) {
    for (const DueCase& row : Cases()) {
        const ScanSchedule schedule = ParseSchedule(row.day, row.time, row.date);
        ScheduleClock clock;
        for (size_t i = 0; i < row.checks.size(); ++i) {
            const double now = row.checks[i].now;
            DateText::SetClock([now] { return now; });
            if (row.checks[i].switchedOn)
                clock.StartFromNow();
            EXPECT_EQ(clock.Due(schedule), row.checks[i].due)
                << row.name << " (day " << row.day << "), check " << i;
        }
    }
    DateText::SetClock(nullptr);
}

// On a German system the weekday is "Montag" and the stored texts read "09.12.2024 14:00:00":
// a Monday schedule still fires on Mondays.
TEST(ScheduleDue, WeekdaysFireWhateverTheSystemsLanguage) {
    DateText::SetLocale(MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT));
    const std::string time = DateText::ToText(Moment(9, 14, 0, 0));
    const std::string date = DateText::ToText(Moment(12, 0, 0, 0));
    EXPECT_NE(time.find("12.2024 14:00:00"), std::string::npos) << time;
    const ScanSchedule monday = ParseSchedule("0", time, "Null");
    const ScanSchedule once = ParseSchedule("8", time, date);
    DateText::SetLocale(0);

    ScheduleClock mondayClock, onceClock;
    for (const double now : {Moment(9, 14, 0, 0), Moment(16, 14, 0, 0)}) {
        DateText::SetClock([now] { return now; });
        EXPECT_TRUE(mondayClock.Due(monday));
    }
    DateText::SetClock([] { return Moment(12, 14, 0, 0); });
    EXPECT_TRUE(onceClock.Due(once));
    DateText::SetClock(nullptr);
}
