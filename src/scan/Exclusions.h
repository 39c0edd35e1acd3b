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

// Appends the trimmed item, named as a 32-bit program names that place (X86View::NameOfPlace),
// and two line ends to "ENoSignature.dat", then reloads the list.
// False, with nothing added, when the ANSI file cannot hold the item exactly (it would be read
// back as another text and never match) or the file cannot be written.
bool AddExclusion(const std::string& item);
void LoadExclusions();
// True when the list holds the item (or the trimmed item), in any letter case. The item is a
// place as a scan found it; each entry counts as the place it leads to (X86View::TranslatePath).
bool IsExcluded(const std::string& item);
// True also when the item contains an excluded entry, such as a folder below an excluded one.
bool IsExcludedOrContains(const std::string& item);

} // namespace modGlobals
