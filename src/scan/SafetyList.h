// The safety list: known-legitimate files, programs, libraries, registry locations and folders
// that are never reported, and whose definitions are never loaded.
#pragma once

#include "PackedTextList.h"

#include <cstdint>
#include <string_view>

namespace modGlobals {

// One entry per line of "Safety.dat", and an empty one at the end.
inline PackedTextList SafetyList;
// Changes whenever the list is filled anew, so the lookup built from it is rebuilt.
inline uint64_t SafetyListGeneration = 0;

// Rebuilds the list from "Safety.dat"; a Stop ends the reading early. Always true.
bool LoadSafetyList();
// True when the list covers the item (a file or folder path, or a registry location). Drive
// letters do not matter: every drive counts as C on both sides.
bool IsSafeItem(std::string_view item);

} // namespace modGlobals
