// When a scheduled scan is due. The schedule is read once from its stored texts and kept in
// memory; the clock test then compares moments, not formatted texts, so it neither depends on
// the system's language nor misses a moment at which the timers happened to be off.
#pragma once

#include <optional>
#include <string>

// The stored schedule: "Day" is the index of the "Run on:" list (0 to 6 Monday to Sunday,
// 7 daily, 8 once on the date, 9 never), "Time" and "Date" the pickers' values as text.
struct ScanSchedule {
    int Day = 7;
    // Seconds after midnight; none for "Null" or a text that is no time.
    std::optional<long long> TimeOfDay;
    // Days since 30 December 1899; none for "Null" or a text that is no date.
    std::optional<long long> DateDay;
};

// Reads the stored texts: "Day" as a number rounded to a whole number (a text that is no number
// never runs), "Time" and "Date" with the user's date conventions.
ScanSchedule ParseSchedule(const std::string& day, const std::string& time,
                           const std::string& date);

// Decides, check by check, whether a scheduled moment has come.
class ScheduleClock {
  public:
    // The longest a scan may start after its moment: the timers are off during scans,
    // removal runs and updates, and a scan is still wanted when they come back soon after.
    static constexpr long long kMaxLateSeconds = 60;

    // True when a moment of the schedule lies after the previous check (the first check sees
    // only its own second) and at or before the clock's now (DateText::Now), at most
    // kMaxLateSeconds back, and has not fired before. Every call is a check.
    bool Due(const ScanSchedule& schedule);
    // Scheduled scans switched on: the next check looks back no further than the clock's
    // present second, so a moment that passed while they were off starts nothing.
    void StartFromNow();

  private:
    std::optional<long long> lastCheck_;
    std::optional<long long> lastFired_;
};
