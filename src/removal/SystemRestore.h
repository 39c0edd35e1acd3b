// System Restore points around a removal run. The restore-point call is looked up at run time,
// so the program also runs on systems without System Restore (there the run goes on without a
// restore point).
#pragma once

#include "ProcessControl.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace SystemRestore {

using OsVersion = ProcessControl::WindowsVersion;
// Makes the program take the system for the given version (tests); nullopt: the system's own.
void SetVersionOverride(std::optional<OsVersion> version);

// Windows ME, XP and every NT version after it have System Restore; 2000 and Server 2003 do not.
bool SupportsSystemRestore();

// The record the restore-point call takes, and the status it gives back.
struct RestorePointInfo {
    uint32_t EventType = 0;     // 100 begin, 101 end
    uint32_t RestorePtType = 0; // 6: a restore (the removal run's type)
    int64_t SequenceNumber = 0;
    std::string Description; // ANSI, at most 63 characters
};
struct RestorePointStatus {
    uint32_t Status = 0;
    int64_t SequenceNumber = 0;
};
// The platform's SRSetRestorePointA; false when it failed or the system has none.
using SetRestorePointCall = std::function<bool(const RestorePointInfo&, RestorePointStatus&)>;
// Replaces the call (tests); an empty function restores the system's.
void SetRestorePointFunction(SetRestorePointCall call);

inline constexpr int kEventBeginSystemChange = 100;
inline constexpr int kEventEndSystemChange = 101;
inline constexpr int kRestoreType = 6;
// The error of a begin while a restore point is still open.
inline constexpr int kPendingRestorePointError = 100001;
inline constexpr const char* kPendingRestorePointText =
    "You must End the previous restore point first.";

// The sequence number of the open restore point; 0 = none.
inline int64_t RestorePointSequence = 0;

// Opens a restore point unless one is still open (then `error`, when given, receives
// kPendingRestorePointError). True when the system opened one.
bool BeginRestorePoint(const std::string& description, int restorePointType, int* error = nullptr);
// Closes the open restore point; the sequence is cleared whatever the result. True when the
// system closed it.
bool EndRestorePoint();

} // namespace SystemRestore
