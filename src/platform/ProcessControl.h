// The running processes: listing them, naming them, and stopping one.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ProcessControl {

// Platform ids as GetVersionEx reports them.
inline constexpr int kPlatformWindows9x = 1; // Windows 95, 98 and ME
inline constexpr int kPlatformNT = 2;

// The platform id of this system, or the one a test set.
int PlatformId();
// Makes the program take the system for the given family (tests); std::nullopt returns to the
// system's own.
void SetPlatformIdOverride(std::optional<int> platformId);
bool IsWindows9xFamily();

// The system's version as GetVersionEx reports it.
struct WindowsVersion {
    int PlatformId = 0; // kPlatformWindows9x or kPlatformNT
    int Major = 0;
    int Minor = 0;
};
// This system's version (all 0 when it cannot be read), or the one a test set.
WindowsVersion SystemVersion();
// Makes the program take the system for the given version (tests); std::nullopt returns to
// the system's own.
void SetVersionOverride(std::optional<WindowsVersion> version);

// Fills the parallel lists with the running processes and returns their number, or -1 when the
// listing failed (both lists then empty). The NT method gives base names ("explorer.exe") and
// fails on the 95/98/ME family, which lacks the process-status functions; the Toolhelp method
// gives the executable's full path. A non-empty filter keeps only names that contain it
// (case-sensitive).
int ListProcesses(std::vector<std::string>& names, std::vector<uint32_t>& ids,
                  const std::string& filter, bool ntMethod);
// The executable's base name; "System Idle Process" for id 0 and "System" for id 2; "" when the
// process cannot be opened or named; "unknown" when its module list holds no readable name.
std::string ProcessNameFromId(uint32_t processId);
// The full path of the process's executable, "" when it cannot be read. 64-bit processes, whose
// modules a 32-bit program cannot list, are asked for their image name instead.
std::string ProcessImagePath(uint32_t processId);
// The part after the last "\" of the text up to its first NUL.
std::string FileNameFromFullPath(const std::string& path);

// Terminates the process with the exit code; on the NT family with the debug privilege enabled
// for the time of the call. True when it was terminated.
bool TerminateProcessById(uint32_t processId, unsigned exitCode);
// Terminates the process with exit code 0, trying 11 times in all and waiting 1 ms after each
// failure in case it ended meanwhile. True when it was terminated or has ended. Never stops
// this program itself.
bool StopProcessById(uint32_t processId);
// Terminates the process with its own current exit code (the 95/98/ME scanner's stop); true
// when it was terminated. Never stops this program itself.
bool KillProcessById(uint32_t processId);
// Stops the first process whose name compares equal to the executable's file name (not a
// path) by the short-name rules of the NT listing, this program excepted. True when none such
// runs afterwards; on the 95/98/ME family nothing is listed, so always true. `yield`, when
// given, runs after each listed process that does not match.
bool KillProcessByName(const std::string& fileName, void (*yield)() = nullptr);

// The "Name" of each process the local WMI service lists (query "select * from
// Win32_Process"), in its order; empty when the service cannot be reached.
std::vector<std::string> QueryWmiProcessNames();

// Replaces the termination call itself, so tests can make a termination fail; an empty
// function restores the system's.
using TerminateOverride = std::function<bool(uint32_t processId, unsigned exitCode)>;
void SetTerminateOverride(TerminateOverride terminate);

} // namespace ProcessControl
