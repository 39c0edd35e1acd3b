// State shared by the scanners, the scan driver and the windows that show a scan.
#pragma once

#include <cstdint>
#include <string>

namespace modGlobals {

// The expansion of "[appdata]AntiSpywareDAT", without a trailing "\": the definition files,
// the exclusion list and the quarantine live here. Set once at start-up.
inline std::string DataFolder;

// Set by Stop, cleared when a scan starts; every scan loop polls it.
inline bool StopScanRequested = false;
// Set by the scheduler just before a scheduled scan that is to remove what it finds without
// asking, and cleared after it.
inline bool AutoRemoveAfterScan = false;
// The current scan phase's message and ": ", put before the scanners' status lines.
inline std::string ScanPhasePrefix;

// Scan counters, zeroed at every scan start.
inline int32_t ProcessesInspected = 0;
inline int32_t RegistryItemsInspected = 0;
inline int32_t FilesFoldersInspected = 0;
inline int32_t ItemsFound = 0;

// Definition line counts, set by CountDefinitions; the scanners scale their progress by them.
inline int32_t DefinitionCount = 0;
inline int32_t CookieDefinitionCount = 0;
inline int32_t FileDefinitionCount = 0; // file and folder definition lines together
inline int32_t RegistryDefinitionCount = 0;
inline int32_t ExeDefinitionCount = 0;

// DataFolder & "\" & name.
std::string DataFile(const std::string& name);

} // namespace modGlobals
