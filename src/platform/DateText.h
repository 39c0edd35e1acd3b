// Dates and times as text, in the user's locale, through the platform's own conversions, so
// stored last-scan times, schedules and journal lines read back as they were written.
#pragma once

#include <functional>
#include <string>

namespace DateText {

// The current local date and time as an OLE date, from the clock in force.
double Now();
// Replaces the clock (tests set it to fixed moments); an empty function restores the system's.
void SetClock(std::function<double()> clock);
// Replaces the user's locale for the texts (tests write and read them as a system in another
// language does); 0 restores the user's.
void SetLocale(unsigned long lcid);
// The general date format: date and time, or the date alone at midnight.
std::string ToText(double date);
// False when the text is no date.
bool FromText(const std::string& text, double& date);
// Now as text.
std::string NowText();

// The fixed US-English form ("12/1/2026 3:04:05 PM", LCID 1033, without the user's changes to
// it), whatever the user's locale: the form the definitions service writes its dates in and
// reads them back, so that they convert and compare the same on every system.
std::string ToUsEnglishText(double date);
bool FromUsEnglishText(const std::string& text, double& date);

} // namespace DateText
