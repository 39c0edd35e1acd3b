// What the benchmark programs share: a stopwatch and whole-file reading and writing.
#pragma once

#include <windows.h>

#include <string>

class Stopwatch {
  public:
    Stopwatch() { QueryPerformanceCounter(&start_); }
    double Seconds() const {
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(now.QuadPart - start_.QuadPart) /
               static_cast<double>(frequency.QuadPart);
    }
    double Milliseconds() const { return Seconds() * 1000; }

  private:
    LARGE_INTEGER start_;
};

bool WriteWholeFile(const std::string& path, const std::string& content);
