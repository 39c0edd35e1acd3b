// The file and folder matchers and the safety and exclusion lookups as plain searches from the
// first slot or entry, kept beside the tests so the indexed ones can be compared with them.
#pragma once

#include <string>

namespace LinearMatcher {

// How often each way out of a matched definition was taken, so a comparison can show that its
// data reached every one of them.
struct Tally {
    int reported = 0;  // a hit was reported
    int safe = 0;      // the safety list covered the item
    int excluded = 0;  // the exclusion list held the item
    int microsoft = 0; // the file names the system's maker
    int guarded = 0;   // a Windows or system folder guard sent the search on
};
Tally& Outcomes();

// Walks every slot of the file table from the first, as the scan did before the index.
void CheckFileDefinitions(const std::string& item);
// Walks every slot of the folder table from the first.
void CheckFolderDefinitions(const std::string& item);

// Compares the item with every entry of the safety list.
bool IsSafeItem(const std::string& item);
// Compares the item with every piece of the exclusion list.
bool IsExcluded(const std::string& item);
bool IsExcludedOrContains(const std::string& item);

} // namespace LinearMatcher
