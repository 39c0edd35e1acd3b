#include "MCookies.h"

#include "AnsiText.h"
#include "DefinitionFile.h"
#include "DoEvents.h"
#include "Exclusions.h"
#include "ManualScanState.h"
#include "ScanPercent.h"
#include "ScanProgress.h"
#include "ScanResults.h"
#include "TextRules.h"
#include "modGenDec.h"
#include "modGlobals.h"
#include "xfileExists.h"

#include <windows.h>

namespace MCookies {

namespace {

// The names of the folder's files (not its folders), in the order the file system gives.
std::vector<std::string> FileNamesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Utf8ToWide(folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(WideToUtf8(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// Every line of the blocked-cookie file followed by "|", split at "|": so the list ends with
// an empty entry, and a missing file gives no entries.
std::vector<std::string> ReadBlockedList() {
    std::string joined;
    DefinitionFileReader reader(modGlobals::DataFile(kBlockedCookiesFile));
    std::string line;
    while (reader.Next(line)) {
        joined += line + "|";
        ui::YieldToMessageLoop();
    }
    return TextRules::Split(joined, "|");
}

std::string WithoutLastDotPart(const std::string& text) {
    return text.substr(0, text.rfind('.'));
}

void ListTrackingCookie(const std::string& name, const std::string& path) {
    ScanLists().lvwCookiesToDelete.Add(path);
    AddFoundItemRow("Cookie: " + name, ItemCookie, path, "Tracking Cookie", path);
    ++modGlobals::FilesFoldersInspected;
}

} // namespace

void ScanCookies(int32_t& cookieFileCount) {
    std::string folder = modGenDec::GetSpecialFolderPath(kCookiesFolder);
    if (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    if (!TextRules::Trim(folder).empty())
        ScanCookieFolder(folder, cookieFileCount);
}

void ScanCookieFolder(const std::string& folder, int32_t& cookieFileCount) {
    using namespace modGlobals;
    if (!xfileExists::FolderExists(folder))
        return;
    const std::vector<std::string> files = FileNamesIn(folder);
    const std::vector<std::string> blocked = ReadBlockedList();
    const double lastBlockedIndex = static_cast<double>(blocked.size()) - 1;
    const std::string firstBlocked = blocked.empty() ? std::string() : blocked.front();
    const double fileCount = static_cast<double>(files.size());
    int32_t done = 0;
    for (const std::string& name : files) {
        ++done;
        ++cookieFileCount;
        if (StopScanRequested)
            return;
        const std::string path = folder + "\\" + name;
        UpdateScanProgress(ScanPhasePrefix + "\r\n" + name,
                           ClampedPercent(ProcessesInspected / fileCount), -1);
        const std::optional<std::string> domain = GetCookieDomain(path);
        const bool isBlocked = domain && IsCookieBlocked(blocked, ComparableCookieDomain(*domain));
        // The scanners share this counter; here it measures the list against the files done.
        ProcessesInspected = TextRules::RoundHalfEven(lastBlockedIndex / fileCount * done);
        UpdateScanProgress(ScanPhasePrefix + "\r\n" + firstBlocked,
                           ClampedPercent(ProcessesInspected / fileCount), -1);
        if (isBlocked) {
            if (IsExcluded(path)) {
                AddExcludedRow(path);
            } else {
                AddSpywareFoundRow("Cookie", ItemCookie, name);
                // Outside a scan (a scan stopped meanwhile) the cookie is not offered for
                // removal, and the folder's scan ends.
                if (!ManualScanRunning())
                    return;
                ListTrackingCookie(name, path);
            }
        }
        ui::YieldToMessageLoop();
    }
}

std::optional<std::string> GetCookieDomain(const std::string& cookieFile) {
    const std::string site = CookieSiteFromFileName(cookieFile);
    if (site.empty() || !xfileExists::FileExists(cookieFile))
        return std::nullopt;
    FileLineReader reader(cookieFile, FileLineReader::LineEnds::CrOrCrLf);
    std::string stored, line;
    while (reader.Next(stored)) {
        line = AnsiToUtf8(stored);
        size_t start = 0;
        while (start <= line.size()) {
            const size_t end = line.find_first_of(",\n", start);
            const std::string field =
                line.substr(start, end == std::string::npos ? std::string::npos : end - start);
            const size_t at = field.find(site);
            if (at != std::string::npos) {
                const size_t slash = field.find('/', at);
                if (slash != std::string::npos)
                    return field.substr(at, slash - at);
            }
            ui::YieldToMessageLoop();
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
    }
    return std::nullopt;
}

std::string CookieSiteFromFileName(const std::string& fileNameOrPath) {
    const std::string name = xfileExists::FileNamePart(fileNameOrPath);
    const size_t at = name.find('@');
    if (at == std::string::npos)
        return {};
    const std::string site = name.substr(at + 1);
    size_t cut = site.find('(');
    if (cut == std::string::npos)
        cut = site.find('[');
    if (cut == std::string::npos)
        cut = site.rfind('.');
    return site.substr(0, cut);
}

std::string ComparableCookieDomain(const std::string& domain) {
    std::string comparable = WithoutLastDotPart(domain);
    if (TextRules::StartsWith(comparable, "www.", TextRules::Compare::Text))
        comparable.erase(0, 4);
    return comparable;
}

bool IsCookieBlocked(const std::vector<std::string>& blockedList, const std::string& domain) {
    if (domain.empty())
        return false;
    for (const std::string& entry : blockedList) {
        if (entry.find(domain) == std::string::npos)
            continue;
        std::string pattern = WithoutLastDotPart(entry);
        const size_t star = pattern.find('*');
        if (star != std::string::npos)
            pattern.erase(star, 1);
        if (TextRules::EqualsNoCase(pattern, domain))
            return true;
    }
    return false;
}

} // namespace MCookies
