// Moments for the scheduler's tests, as local OLE dates. 9 December 2024 was a Monday.
#pragma once

#include <windows.h>
#include <oleauto.h>

inline double Moment(int day, int hour, int minute, int second, int month = 12, int year = 2024) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    double date = 0;
    SystemTimeToVariantTime(&time, &date);
    return date;
}
