#include "ScheduleDue.h"

#include "DateText.h"
#include "TextRules.h"

#include <cmath>

namespace {

constexpr long long kSecondsPerDay = 86400;
constexpr int kNever = 9;

// An OLE date as whole seconds since 30 December 1899. Before that day the whole part counts
// back while the fraction still counts forward from midnight.
long long ToSeconds(double date) {
    const double day = std::trunc(date);
    return static_cast<long long>(day) * kSecondsPerDay +
           std::llround(std::fabs(date - day) * kSecondsPerDay);
}

long long FloorDiv(long long value, long long divisor) {
    const long long quotient = value / divisor;
    return quotient * divisor > value ? quotient - 1 : quotient;
}

// Day 0 (30 December 1899) was a Saturday; Monday is 0 as in the "Run on:" list.
int WeekdayFromMonday(long long day) {
    return static_cast<int>(((day + 5) % 7 + 7) % 7);
}

std::optional<double> StoredDate(const std::string& text) {
    double date = 0;
    if (text == "Null" || !DateText::FromText(text, date))
        return std::nullopt;
    return date;
}

bool RunsOn(const ScanSchedule& schedule, long long day) {
    if (schedule.Day >= 0 && schedule.Day <= 6)
        return WeekdayFromMonday(day) == schedule.Day;
    if (schedule.Day == 7)
        return true;
    if (schedule.Day == 8)
        return schedule.DateDay && *schedule.DateDay == day;
    return false;
}

} // namespace

ScanSchedule ParseSchedule(const std::string& day, const std::string& time,
                           const std::string& date) {
    ScanSchedule schedule;
    // A day that is no number says nothing about when to scan.
    schedule.Day = static_cast<int>(TextRules::ToLong(day, kNever));
    if (const std::optional<double> value = StoredDate(time)) {
        const long long seconds = ToSeconds(*value);
        schedule.TimeOfDay = seconds - FloorDiv(seconds, kSecondsPerDay) * kSecondsPerDay;
    }
    if (const std::optional<double> value = StoredDate(date))
        schedule.DateDay = FloorDiv(ToSeconds(*value), kSecondsPerDay);
    return schedule;
}

bool ScheduleClock::Due(const ScanSchedule& schedule) {
    const long long nowSeconds = ToSeconds(DateText::Now());
    long long after = lastCheck_ ? *lastCheck_ : nowSeconds - 1;
    lastCheck_ = nowSeconds;
    if (after < nowSeconds - kMaxLateSeconds - 1)
        after = nowSeconds - kMaxLateSeconds - 1;
    if (!schedule.TimeOfDay || after >= nowSeconds)
        return false;
    // The window is shorter than a day, so only today's and yesterday's moments can lie in it.
    const long long today = FloorDiv(nowSeconds, kSecondsPerDay);
    for (long long day = today; day >= today - 1; --day) {
        const long long moment = day * kSecondsPerDay + *schedule.TimeOfDay;
        if (moment > after && moment <= nowSeconds && RunsOn(schedule, day) &&
            lastFired_ != moment) {
            lastFired_ = moment;
            return true;
        }
    }
    return false;
}

void ScheduleClock::StartFromNow() {
    // As if the second before had been checked; a moment that fired stays fired.
    lastCheck_ = ToSeconds(DateText::Now()) - 1;
}
