#include "Exclusions.h"

#include "AnsiText.h"
#include "DoEvents.h"
#include "TextRules.h"
#include "modGlobals.h"

#include <windows.h>

#include <vector>

namespace modGlobals {

namespace {

// The exclusion file is a few hundred lines at most; anything far beyond is not ours.
constexpr DWORD kMaxExclusionFileBytes = 16 * 1024 * 1024;

bool ReadWholeFile(const std::string& path, std::string& content) {
    HANDLE file =
        CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const DWORD size = GetFileSize(file, nullptr);
    bool ok = size != INVALID_FILE_SIZE && size <= kMaxExclusionFileBytes;
    if (ok) {
        content.resize(size);
        DWORD read = 0;
        ok = ReadFile(file, content.data(), size, &read, nullptr) && read == size;
    }
    CloseHandle(file);
    return ok;
}

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
    std::string content;
    if (!ReadWholeFile(DataFile(kExclusionFile), content))
        return;
    TextRules::LineReader reader(content);
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
