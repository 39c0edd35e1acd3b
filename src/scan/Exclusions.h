// The exclusion list: items the user chose to keep. Later scans still find them but list them
// only as "EXCLUDED" and never offer them for removal.
#pragma once

#include <cstdint>
#include <string>

namespace modGlobals {

// Every non-blank line of "ENoSignature.dat", each followed by "|".
inline std::string ExclusionList;
// Changes whenever the list is filled anew, so the lookup built from it is rebuilt.
inline uint64_t ExclusionListGeneration = 0;

inline constexpr const char* kExclusionFile = "ENoSignature.dat";

// Appends the trimmed item and two line ends to "ENoSignature.dat", then reloads the list.
void AddExclusion(const std::string& item);
void LoadExclusions();
// True when the list holds the item (or the trimmed item), in any letter case.
bool IsExcluded(const std::string& item);
// True also when the item contains an excluded entry, such as a folder below an excluded one.
bool IsExcludedOrContains(const std::string& item);

} // namespace modGlobals
