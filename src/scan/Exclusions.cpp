#include "Exclusions.h"

#include "AnsiText.h"
#include "DefinitionFile.h"
#include "DoEvents.h"
#include "TextRules.h"
#include "X86View.h"
#include "modGlobals.h"

#include <windows.h>

#include <unordered_set>
#include <vector>

namespace modGlobals {

namespace {

// The list's entries as the places they lead to (an entry may be written as a 32-bit program
// names a place, by an earlier build or another version), in lower case; as a set for lookups
// and in order for the "contains" test, rebuilt when the list is loaded anew or changed in size.
// The items asked about are places already: what a scan found.
struct ExclusionIndex {
    size_t size = ~size_t(0);
    uint64_t generation = ~uint64_t(0);
    std::vector<std::string> entries;
    std::unordered_set<std::string> lookup;
};
ExclusionIndex exclusionIndex;

const ExclusionIndex& Entries() {
    if (exclusionIndex.size != ExclusionList.size() ||
        exclusionIndex.generation != ExclusionListGeneration) {
        exclusionIndex.entries.clear();
        exclusionIndex.lookup.clear();
        // The list's trailing "|" leaves an empty piece, which names nothing.
        for (const std::string& piece : TextRules::Split(ExclusionList, "|")) {
            if (piece.empty())
                continue;
            std::string place = piece;
            X86View::TranslatePath(place);
            exclusionIndex.entries.push_back(TextRules::ToLower(place));
            exclusionIndex.lookup.insert(exclusionIndex.entries.back());
        }
        exclusionIndex.size = ExclusionList.size();
        exclusionIndex.generation = ExclusionListGeneration;
    }
    return exclusionIndex;
}

bool Listed(const ExclusionIndex& index, const std::string& lowerItem) {
    return index.lookup.count(lowerItem) || index.lookup.count(TextRules::Trim(lowerItem));
}

} // namespace

bool AddExclusion(const std::string& item) {
    // Written as a 32-bit program names the place, as the list is read.
    const std::string trimmed = X86View::NameOfPlace(TextRules::Trim(item));
    const std::string ansi = Utf8ToAnsi(trimmed);
    if (AnsiToUtf8(ansi) != trimmed)
        return false;
    const std::string record = ansi + "\r\n\r\n";
    bool added = false;
    HANDLE file =
        CreateFileW(Utf8ToWide(DataFile(kExclusionFile)).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        added =
            WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr) &&
            written == record.size();
        CloseHandle(file);
    }
    LoadExclusions();
    return added;
}

void LoadExclusions() {
    ExclusionList.clear();
    ++ExclusionListGeneration;
    FileLineReader reader(DataFile(kExclusionFile), FileLineReader::LineEnds::CrOrCrLf);
    std::string line;
    while (reader.Next(line)) {
        if (!TextRules::Trim(line).empty())
            ExclusionList += AnsiToUtf8(line) + "|";
        ui::YieldToMessageLoop();
    }
}

bool IsExcluded(const std::string& item) {
    const ExclusionIndex& index = Entries();
    return !index.entries.empty() && Listed(index, TextRules::ToLower(item));
}

bool IsExcludedOrContains(const std::string& item) {
    const ExclusionIndex& index = Entries();
    if (index.entries.empty())
        return false;
    const std::string lowerItem = TextRules::ToLower(item);
    if (Listed(index, lowerItem))
        return true;
    for (const std::string& entry : index.entries)
        if (TextRules::Contains(lowerItem, entry))
            return true;
    return false;
}

} // namespace modGlobals
