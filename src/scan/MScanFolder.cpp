#include "MScanFolder.h"

#include "AnsiText.h"
#include "DefinitionFile.h"
#include "Definitions.h"
#include "DoEvents.h"
#include "DrivePath.h"
#include "Exclusions.h"
#include "ModMemoryItemsInspected.h"
#include "SafetyList.h"
#include "ScanProgress.h"
#include "ScanResults.h"
#include "TextRules.h"
#include "X86View.h"
#include "modGenDec.h"
#include "modGlobals.h"
#include "xfileExists.h"

#include <windows.h>

#include <cmath>
#include <map>
#include <unordered_map>
#include <vector>

using TextRules::Compare;
using TextRules::Contains;
using TextRules::Replace;

namespace MScanFolder {

namespace {

std::string WithoutOneTrailingBackslash(std::string path) {
    if (TextRules::EndsWith(path, "\\"))
        path.pop_back();
    return path;
}

// The text a slot of the file table is matched by: its name, "[drive]" as the item's drive.
std::string FileKey(const DefinitionEntryView& entry, const std::string& drive) {
    std::string name(entry.Name);
    if (Contains(name, "[drive]", Compare::Text))
        name = Replace(name, "[drive]", drive, Compare::Text);
    return TextRules::ToLower(TextRules::Trim(name));
}

// The text a slot of the folder table is matched by: its path, "[drive]" as the item's drive.
std::string FolderKey(const DefinitionEntryView& entry, const std::string& drive) {
    return WithoutOneTrailingBackslash(
        TextRules::ToLower(TextRules::Trim(Replace(entry.Path, "[drive]", drive, Compare::Text))));
}

// Finds the slots of a definition table whose key equals an item's, so a file is compared
// with the few definitions of its name instead of all of them. Candidates come in ascending
// slot order and stop before the first slot whose key is blank, which ends a search through
// the table, so the matchers see exactly the slots a search from the first slot would reach.
class DefinitionIndex {
  public:
    using KeyOf = std::string (*)(const DefinitionEntryView&, const std::string&);
    explicit DefinitionIndex(KeyOf keyOf) : keyOf_(keyOf) {}

    const std::vector<uint32_t>& Candidates(const DefinitionTable& table, const std::string& drive,
                                            const std::string& key) {
        if (table.size() != size_ || modGlobals::DefinitionTablesGeneration != generation_) {
            drives_.clear();
            size_ = table.size();
            generation_ = modGlobals::DefinitionTablesGeneration;
        }
        auto perDrive = drives_.find(drive);
        if (perDrive == drives_.end())
            perDrive = drives_.emplace(drive, Build(table, drive)).first;
        static const std::vector<uint32_t> none;
        const auto found = perDrive->second.find(key);
        return found == perDrive->second.end() ? none : found->second;
    }

  private:
    using SlotsByKey = std::unordered_map<std::string, std::vector<uint32_t>>;

    SlotsByKey Build(const DefinitionTable& table, const std::string& drive) const {
        SlotsByKey slots;
        for (uint32_t i = 0; i < table.size(); ++i) {
            std::string key = keyOf_(table[i], drive);
            if (TextRules::IsBlank(key))
                break;
            slots[std::move(key)].push_back(i);
        }
        return slots;
    }

    KeyOf keyOf_;
    size_t size_ = 0;
    uint64_t generation_ = ~uint64_t(0);
    std::map<std::string, SlotsByKey> drives_;
};

DefinitionIndex fileIndex(FileKey);
DefinitionIndex folderIndex(FolderKey);

// The system folder as a 32-bit program names it and the place that name leads to (one folder
// in a 32-bit process), in lower case, ending in "\".
const std::vector<std::string>& SystemFoldersLower() {
    static const std::vector<std::string> folders = [] {
        std::vector<std::string> found;
        std::string named = modGenDec::GetSystemDir();
        if (named.empty())
            return found;
        std::string reached = named;
        X86View::TranslatePath(reached);
        found.push_back(TextRules::ToLower(named));
        if (!TextRules::EqualsNoCase(reached, named))
            found.push_back(TextRules::ToLower(reached));
        return found;
    }();
    return folders;
}

bool IsMicrosoftFile(const std::string& path) {
    return TextRules::EqualsNoCase(
        TextRules::Trim(ModMemoryItemsInspected::GetFileCompanyName(path)),
        "Microsoft Corporation");
}

// The depth and path-likeness rules shared by both matchers, for a definition whose name
// (file) or path (folder) already equals the item's.
bool PathRulesMatch(const std::string& folder, const std::string& definitionPath) {
    const int depth = PathDepth(folder);
    if (depth <= 1)
        return PathDepth(definitionPath) == 1;
    const int count = PathMatchCount(folder, definitionPath);
    if (count <= 1)
        return false;
    // Below four levels the share of equal pieces counts, rounded; deeper, two equal pieces do.
    const double ratio =
        depth <= 3 ? TextRules::RoundHalfEven(static_cast<double>(count) / depth) : 1;
    if (ratio < 0.5)
        return false;
    for (const std::string& systemDir : SystemFoldersLower())
        if (Contains(folder, systemDir, Compare::Text))
            return Contains(definitionPath, systemDir, Compare::Text);
    return true;
}

// Files in the Windows and system folders are reported only by definitions that name them.
bool SystemFolderGuardsPass(const std::string& path, const std::string& definitionPath) {
    for (const char* word : {"system32", "system", "windows"})
        if (Contains(path, word, Compare::Text) && !Contains(definitionPath, word, Compare::Text))
            return false;
    return true;
}

// A path as the file system resolves it, for comparing: without a "\\?\" prefix, with "." and
// ".." resolved, in lower case and without a trailing "\".
std::string ComparablePath(std::string path) {
    if (TextRules::StartsWith(path, "\\\\?\\"))
        path.erase(0, 4);
    const std::wstring wide = Utf8ToWide(path);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size > 0) {
        std::wstring full(size, L'\0');
        const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
        if (length > 0 && length < size)
            path = WideToUtf8(full.substr(0, length));
    }
    return WithoutOneTrailingBackslash(TextRules::ToLower(path));
}

struct FolderEntry {
    std::string name;
    DWORD attributes;
};

// The folder's entries as a directory listing of normal files and folders gives them: hidden
// and system entries are left out, "." and ".." are kept.
std::vector<FolderEntry> ListFolder(const std::string& path) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Utf8ToWide(path + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
            continue;
        entries.push_back({WideToUtf8(found.cFileName), found.dwFileAttributes});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return entries;
}

// The whole part of part / whole x 100, kept within 0..100 (0 when there is no whole).
int Percent(int64_t part, int64_t whole) {
    if (whole <= 0)
        return 0;
    const double percent = std::floor(static_cast<double>(part) / static_cast<double>(whole) * 100);
    return percent < 0 ? 0 : (percent > 100 ? 100 : static_cast<int>(percent));
}

void ShowDefinitionStepProgress(const std::string& name) {
    using namespace modGlobals;
    const int overall = Percent(int64_t(FilesFoldersInspected) + RegistryDefinitionCount +
                                    CookieDefinitionCount + ExeDefinitionCount,
                                DefinitionCount);
    const int step = Percent(FilesFoldersInspected, FileDefinitionCount);
    UpdateScanProgress(ScanPhasePrefix + "\r\n" + name, step, overall);
}

// The place a definition line names: "[drive]" is the system drive, and the place is the one a
// 32-bit program reached through the line's location and name (a folder's: its location alone).
// Empty when the line names no location, or one whose special folder this system lacks.
std::string KnownPlace(const DefinitionLine& fields, const std::string& drive, bool folders) {
    if (fields.path.empty())
        return {};
    std::string place = Replace(fields.path, "[drive]", drive);
    if (!X86View::TranslatePath(place, folders ? std::string_view() : fields.name))
        return {};
    return place;
}

// Smart Scan's test of the places the file or folder definitions name.
void ScanKnownLocations(const char* definitionFile, bool folders) {
    using namespace modGlobals;
    const std::string drive = modGenDec::GetSystemDriveRoot();
    const std::string definitions = DataFile(definitionFile);
    if (!xfileExists::FileExists(definitions))
        return;
    DefinitionFileReader reader(definitions);
    DefinitionLineParser parser;
    std::string line;
    while (!StopScanRequested && reader.Next(line)) {
        const DefinitionLine fields = parser.Parse(line, false);
        const std::string item = KnownPlace(fields, drive, folders);
        ++FilesFoldersInspected;
        ShowDefinitionStepProgress(fields.name);
        if (StopScanRequested)
            break;
        // A location without a drive letter names no place to look: a bare name would be
        // looked up in whatever the current folder happens to be, and other forms can lead off
        // the machine's drives. The quarantine holds the copies of removed items, no threats.
        const bool exists =
            DrivePath::HasDriveLetter(item) && !IsInQuarantine(item) &&
            (folders ? xfileExists::FolderExists(item) : xfileExists::FileExists(item));
        if (exists && !IsSafeItem(item)) {
            if (folders ? IsExcludedOrContains(item) : IsExcluded(item)) {
                AddExcludedRow(item);
            } else if (folders) {
                std::string threatName = fields.threatName;
                for (const char* breakChar : {"\r\n", "\r", "\n", "\t"})
                    threatName = Replace(threatName, breakChar, "");
                ReportFileSystemHit(item, threatName, fields.type, ItemFolder, ItemFolder,
                                    threatName);
            } else if (!IsMicrosoftFile(item)) {
                ReportFileSystemHit(item, fields.threatName, fields.type, ItemFile, ItemFile,
                                    fields.threatName);
            }
        }
        ui::YieldToMessageLoop();
    }
}

} // namespace

bool IsInQuarantine(const std::string& path) {
    if (modGlobals::DataFolder.empty())
        return false;
    const std::string quarantine = ComparablePath(modGlobals::DataFolder + "\\quarantine");
    const std::string item = ComparablePath(path);
    return item == quarantine || TextRules::StartsWith(item, quarantine + "\\");
}

// Indexing and similar bits do not count, and a linked folder is never entered, so a link back
// up the tree cannot make the walk endless.
bool IsWalkedFolder(unsigned long attributes) {
    constexpr DWORD kClassic = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                               FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY |
                               FILE_ATTRIBUTE_ARCHIVE;
    return (attributes & kClassic) == FILE_ATTRIBUTE_DIRECTORY &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

int PathDepth(const std::string& path) {
    int depth = 0;
    for (char c : path)
        if (c == '\\')
            ++depth;
    return depth;
}

int PathMatchCount(const std::string& a, const std::string& b) {
    auto withoutDrive = [](const std::string& path) {
        const size_t colon = path.find(':');
        return colon == std::string::npos ? path : path.substr(std::min(colon + 2, path.size()));
    };
    const std::vector<std::string> x = TextRules::Split(withoutDrive(a), "\\");
    const std::vector<std::string> y = TextRules::Split(withoutDrive(b), "\\");
    if (x.empty() || y.empty())
        return 0;
    const size_t n = std::min(x.size(), y.size()) - 1;
    int count = 0;
    for (size_t i = 0; i <= n; ++i) {
        const std::string& p = x[x.size() - 1 - i];
        if (!p.empty() && p == y[y.size() - 1 - i])
            ++count;
    }
    return count;
}

std::string LastPathPart(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ParentPath(const std::string& path) {
    return path.substr(0, path.size() - LastPathPart(path).size());
}

std::string FirstPathPart(const std::string& path) {
    return path.substr(0, path.find('\\'));
}

void CheckFileDefinitions(const std::string& item) {
    if (!DrivePath::HasDriveLetter(item))
        return;
    const std::string folder = TextRules::ToLower(ParentPath(item));
    const std::string name = TextRules::ToLower(TextRules::Trim(LastPathPart(item)));
    const std::string drive = TextRules::ToLower(FirstPathPart(item));
    const bool longExe = TextRules::CharacterCount(name) > 16 && Contains(name, ".exe");

    const DefinitionTable& table = modGlobals::FileDefinitionTable;
    for (uint32_t slot : fileIndex.Candidates(table, drive, name)) {
        const DefinitionEntry entry = table.Entry(slot);
        if (!longExe && !PathRulesMatch(folder, entry.Path))
            continue;

        const std::string path = folder + name;
        if (IsInQuarantine(path) || modGlobals::IsSafeItem(path))
            return;
        if (modGlobals::IsExcluded(path)) {
            AddExcludedRow(path);
            return;
        }
        if (IsMicrosoftFile(path))
            return;
        if (!SystemFolderGuardsPass(path, entry.Path))
            continue;
        ReportFileSystemHit(path, entry.ThreatName, entry.Type, ItemFile, ItemFile,
                            entry.ThreatName);
        return;
    }
}

void CheckFolderDefinitions(const std::string& item) {
    if (!DrivePath::HasDriveLetter(item))
        return;
    const std::string parent =
        TextRules::ToLower(TextRules::Trim(WithoutOneTrailingBackslash(ParentPath(item))));
    const std::string leaf = LastPathPart(item);
    const std::string drive = TextRules::ToLower(FirstPathPart(item));

    const DefinitionTable& table = modGlobals::FolderDefinitionTable;
    for (uint32_t slot : folderIndex.Candidates(table, drive, parent)) {
        const DefinitionEntry entry = table.Entry(slot);
        if (!PathRulesMatch(parent, entry.Path))
            continue;

        const std::string path = parent + leaf;
        if (IsInQuarantine(item) || modGlobals::IsSafeItem(path))
            return;
        if (modGlobals::IsExcluded(path)) {
            AddExcludedRow(parent + "\\" + leaf);
            return;
        }
        if (IsMicrosoftFile(path))
            return;
        if (!SystemFolderGuardsPass(path, entry.Path))
            continue;
        ReportFileSystemHit(path, entry.ThreatName, entry.Type, ItemFile, ItemFolder,
                            entry.ThreatName + " Directory");
        return;
    }
}

void ScanFolder(const std::string& path) {
    using modGlobals::StopScanRequested;
    if (!DrivePath::HasDriveLetter(path) || IsInQuarantine(path))
        return;
    const std::vector<FolderEntry> entries = ListFolder(path);
    std::vector<std::string> subFolders;
    for (const FolderEntry& entry : entries) {
        const bool folder = IsWalkedFolder(entry.attributes);
        if (!folder || (entry.name != "." && entry.name != "..")) {
            if (folder) {
                CheckFolderDefinitions(path + entry.name + "\\");
                subFolders.push_back(entry.name);
            } else {
                CheckFileDefinitions(path + entry.name);
            }
            ++modGlobals::FilesFoldersInspected;
            UpdateScanProgress("Scanning: " + path + "\r\n" + entry.name, 0, 0);
        }
        // A Stop pressed while the message loop runs ends the walk before the next entry.
        ui::YieldToMessageLoop();
        if (StopScanRequested)
            return;
    }
    for (const std::string& subFolder : subFolders) {
        if (StopScanRequested)
            return;
        ScanFolder(path + subFolder + "\\");
    }
}

void ScanDrive(const std::string& root) {
    if (!DrivePath::HasDriveLetter(root))
        return;
    const std::wstring wideRoot = Utf8ToWide(root);
    if (!GetVolumeInformationW(wideRoot.c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0))
        return;
    ULARGE_INTEGER available = {}, total = {};
    ui::ProgressBar& bar = ScanDisplay().pbgMain;
    if (GetDiskFreeSpaceExW(wideRoot.c_str(), &available, &total, nullptr))
        bar.SetMax(static_cast<double>(total.QuadPart - available.QuadPart));
    bar.SetValue(0);
    ScanFolder(root);
    bar.SetValue(bar.Max());
}

// The user names the folder or file as a 32-bit program's user did: the scan looks where that
// program looked (X86View::TranslatePath), and lists what it finds by the place's own name.
void ScanFolderFiles(const std::string& chosen) {
    std::string folder = chosen;
    X86View::TranslatePath(folder);
    if (!DrivePath::HasDriveLetter(folder))
        return;
    ui::ProgressBar& bar = ScanDisplay().pbgMain;
    bar.SetMax(100);
    bar.SetValue(0);
    CheckFolderDefinitions(folder);
    ++modGlobals::FilesFoldersInspected;
    UpdateScanProgress("Scanning: " + folder, -1, -1);
    ScanFolder(folder);
    bar.SetValue(bar.Max());
}

void ScanFolderExecutables(const std::string& chosen) {
    std::string file = chosen;
    X86View::TranslatePath(file);
    if (!DrivePath::HasDriveLetter(file))
        return;
    ui::ProgressBar& bar = ScanDisplay().pbgMain;
    bar.SetMax(1);
    bar.SetValue(0);
    // Led elsewhere, the name may find nothing there: nothing is then checked.
    if (file == chosen || xfileExists::FileExists(file))
        CheckFileDefinitions(file);
    ++modGlobals::FilesFoldersInspected;
    UpdateScanProgressNow("Scanning: " + file, -1, -1);
    bar.SetValue(bar.Max());
}

void ScanFileDefinitions() {
    ScanKnownLocations(kFileDefinitionFile, false);
}

void ScanDirectoryDefinitions() {
    ScanKnownLocations(kDirectoryDefinitionFile, true);
}

void ListDrives() {
    wchar_t roots[512] = {};
    const DWORD length = GetLogicalDriveStringsW(511, roots);
    if (length == 0 || length > 511)
        return;
    for (const wchar_t* root = roots; *root; root += wcslen(root) + 1) {
        const UINT type = GetDriveTypeW(root);
        bool listed = type == DRIVE_REMOVABLE || type == DRIVE_REMOTE || type == DRIVE_CDROM;
        if (type == DRIVE_FIXED)
            listed = GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0);
        if (listed)
            ScanLists().lvwHardDrives.Add(WideToUtf8(std::wstring(root, 1)));
        ui::YieldToMessageLoop();
    }
}

} // namespace MScanFolder
