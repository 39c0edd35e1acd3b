#include "Exclusions.h"

#include "AnsiText.h"
#include "DefinitionFile.h"
#include "DoEvents.h"
#include "TextRules.h"
#include "modGlobals.h"

#include <windows.h>

#include <vector>

namespace modGlobals {

namespace {

// The pieces of the list that name an item (the list's trailing "|" leaves an empty one).
std::vector<std::string> Entries() {
    std::vector<std::string> entries;
    for (std::string& piece : TextRules::Split(ExclusionList, "|"))
        if (!piece.empty())
            entries.push_back(std::move(piece));
    return entries;
}

bool Matches(const std::string& entry, const std::string& item) {
    return TextRules::EqualsNoCase(entry, item) ||
           TextRules::EqualsNoCase(entry, TextRules::Trim(item));
}

} // namespace

void AddExclusion(const std::string& item) {
    const std::string record = Utf8ToAnsi(TextRules::Trim(item)) + "\r\n\r\n";
    HANDLE file =
        CreateFileW(Utf8ToWide(DataFile(kExclusionFile)).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
        CloseHandle(file);
    }
    LoadExclusions();
}

void LoadExclusions() {
    ExclusionList.clear();
    FileLineReader reader(DataFile(kExclusionFile), FileLineReader::LineEnds::CrOrCrLf);
    std::string line;
    while (reader.Next(line)) {
        if (!TextRules::Trim(line).empty())
            ExclusionList += AnsiToUtf8(line) + "|";
        ui::YieldToMessageLoop();
    }
}

bool IsExcluded(const std::string& item) {
    for (const std::string& entry : Entries())
        if (Matches(entry, item))
            return true;
    return false;
}

bool IsExcludedOrContains(const std::string& item) {
    for (const std::string& entry : Entries())
        if (Matches(entry, item) ||
            TextRules::Contains(TextRules::ToLower(item), TextRules::ToLower(entry)))
            return true;
    return false;
}

} // namespace modGlobals
