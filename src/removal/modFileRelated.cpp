#include "modFileRelated.h"

#include "AnsiText.h"
#include "DateText.h"
#include "DoEvents.h"
#include "DrivePath.h"
#include "FolderCopy.h"
#include "ModRegistryRelated.h"
#include "NumberedName.h"
#include "ProcessControl.h"
#include "QuarantineJournal.h"
#include "RegBackup.h"
#include "RemovalGuard.h"
#include "TextRules.h"
#include "modGlobals.h"
#include "modRegsvr32.h"
#include "xfileExists.h"

#include <windows.h>

#include <map>
#include <set>
#include <vector>

namespace modFileRelated {

namespace {

constexpr int kRemovalRounds = 8;
// A stopped program's file stays locked until the process has ended.
constexpr DWORD kProcessEndWaitMs = 5000;

struct RunMemory {
    bool open = false;
    // The copy each item got in this run, by its normalized path in lower case.
    std::map<std::string, std::string> copies;
    // The copies whose removal the journal holds, by their names in lower case.
    std::set<std::string> journaled;
};

RunMemory& Run() {
    static RunMemory run;
    return run;
}

bool JournalingRegistry() {
    return RemovalFirstPass || Run().open;
}

std::string ItemKey(const std::string& path) {
    return TextRules::ToLower(RemovalGuard::NormalizedPath(path));
}

// An item as the guard and the run's memory name it, worked out once per item: making its path
// long asks the file system.
struct GuardedItem {
    std::string path;
    std::string key; // normalized, in lower case
    bool mayRemove;
    explicit GuardedItem(const std::string& itemPath) : path(itemPath) {
        const std::string normalized = RemovalGuard::NormalizedPath(path);
        key = TextRules::ToLower(normalized);
        mayRemove = RemovalGuard::MayRemoveNormalized(normalized);
    }
};

std::string WithoutTrailingSeparators(std::string path) {
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

// True when a listing of `path` gives a file (not a folder) called `name`, in any case.
bool Listed(const std::string& path, const std::string& name) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Utf8ToWide(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           TextRules::EqualsNoCase(WideToUtf8(found.cFileName), name);
}

// Makes sure the quarantine holds a verified copy of the item, and gives its name there: the
// copy this run already made while it still holds everything, else a new copy under a name
// no entry of the quarantine has (the journal's name is never taken).
bool EnsureCopy(const GuardedItem& item, std::string& storedName) {
    if (!CreateQuarantineFolder())
        return false;
    const std::string& path = item.path;
    const std::string folder = QuarantineFolder();
    std::map<std::string, std::string>& copies = Run().copies;
    if (const auto made = copies.find(item.key);
        made != copies.end() && FolderCopy::CopyHolds(path, folder + "\\" + made->second)) {
        storedName = made->second;
        return true;
    }
    const unsigned long attributes = FolderCopy::Attributes(path);
    const bool link = FolderCopy::IsLink(path, attributes);
    const bool isFolder = !link && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    std::string name = xfileExists::FileNamePart(path);
    if (link)
        name += FolderCopy::kLinkRecordEnding;
    for (int number = 1; number < kMaxNameNumber; ++number) {
        const std::string candidate = NumberedName(name, number, !isFolder);
        const std::string target = folder + "\\" + candidate;
        if (TextRules::EqualsNoCase(candidate, QuarantineJournal::kFileName) ||
            FolderCopy::Attributes(target) != INVALID_FILE_ATTRIBUTES)
            continue;
        if (!FolderCopy::CopyItem(path, target))
            return false;
        copies[item.key] = candidate;
        storedName = candidate;
        return true;
    }
    return false;
}

// Journals the removal that a copy holds, once per run: a folder removed in part over several
// rounds or passes is written when its first part went.
void JournalRemovalOnce(const std::string& path, const std::string& storedName) {
    if (Run().journaled.insert(TextRules::ToLower(storedName)).second)
        WriteQuarantineFileLog(path, storedName);
}

// Stops every process whose image is the file at `path` and waits for it to end. False when
// one of them could not be stopped (this program is never stopped).
bool StopProcessesOf(const GuardedItem& item) {
    // The Toolhelp listing names each process by its image path (ProcessImagePath), on the
    // 95/98/ME family as well.
    std::vector<std::string> images;
    std::vector<uint32_t> ids;
    ProcessControl::ListProcesses(images, ids, "", false);
    bool allStopped = true;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (ItemKey(images[i]) != item.key)
            continue;
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, ids[i]);
        if (ids[i] == GetCurrentProcessId() || !ProcessControl::StopProcessById(ids[i]))
            allStopped = false;
        else if (process)
            WaitForSingleObject(process, kProcessEndWaitMs);
        if (process)
            CloseHandle(process);
    }
    return allStopped;
}

// QuarantineAndKillFile for an item the guard has answered for.
bool KillFile(const GuardedItem& item, const std::string& name) {
    if (!item.mayRemove)
        return false;
    bool removed = false;
    for (int round = 0; round < kRemovalRounds && !removed && Listed(item.path, name); ++round) {
        std::string storedName;
        if (EnsureCopy(item, storedName) && FolderCopy::RemoveFile(item.path)) {
            WriteQuarantineFileLog(item.path, storedName);
            removed = true;
        }
        ui::YieldToMessageLoop();
    }
    return removed;
}

} // namespace

std::string QuarantineFolder() {
    return modGlobals::DataFolder + "\\quarantine";
}

bool CreateQuarantineFolder() {
    const std::string folder = QuarantineFolder();
    // Without a data folder the name would be relative to whatever drive is current.
    if (!DrivePath::HasDriveLetter(folder))
        return false;
    CreateDirectoryW(Utf8ToWide(folder).c_str(), nullptr);
    return xfileExists::FolderExists(folder);
}

void BeginRemovalRun() {
    RemovalGuard::KeepFolderNames(true);
    Run().copies.clear();
    Run().journaled.clear();
    Run().open = true;
}

void EndRemovalRun() {
    RemovalGuard::KeepFolderNames(false);
    Run().open = false;
}

bool MayRemove(const std::string& path) {
    return RemovalGuard::MayRemove(path);
}

int QuarantineFile(const std::string& path) {
    const size_t slash = path.rfind('\\');
    if (slash == std::string::npos)
        return 0;
    const GuardedItem item(path);
    if (!item.mayRemove)
        return 0;
    const std::string name = path.substr(slash + 1);
    if (!Listed(path, name))
        return -1;
    if (!StopProcessesOf(item))
        return 2;
    return KillFile(item, name) ? 1 : 0;
}

int QuarantineAndDeleteFile(const std::string& path) {
    const size_t slash = path.rfind('\\');
    if (slash == std::string::npos)
        return 0;
    const GuardedItem item(path);
    if (!item.mayRemove)
        return 0;
    if (!Listed(path, path.substr(slash + 1)))
        return -1;
    // Copied first: a library that cannot be removed is not unregistered either.
    std::string storedName;
    if (!EnsureCopy(item, storedName))
        return 0;
    modRegsvr32::RegisterServer(path, false);
    if (!FolderCopy::RemoveFile(path))
        return 0;
    WriteQuarantineFileLog(path, storedName);
    return 1;
}

bool QuarantineAndDeleteFolder(const std::string& path) {
    const std::string itemPath = WithoutTrailingSeparators(path);
    if (itemPath.find('\\') == std::string::npos)
        return false;
    // Whether the item is there is asked first: the second pass finds most items gone, and the
    // guard asks the file system about the path.
    const unsigned long attributes = FolderCopy::Attributes(itemPath);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    const GuardedItem item(itemPath);
    const bool isFolder = attributes & FILE_ATTRIBUTE_DIRECTORY;
    if (!item.mayRemove || (!isFolder && !Listed(itemPath, xfileExists::FileNamePart(itemPath))))
        return false;
    bool removed = false;
    for (int round = 0; round < kRemovalRounds && !removed; ++round) {
        // Copied and verified before every round: what a program changed or added since the
        // round before is held before it goes.
        std::string storedName;
        if (!EnsureCopy(item, storedName))
            break;
        bool removedAny = false;
        removed = FolderCopy::RemoveTree(itemPath, removedAny);
        // A name the guard kept could lead into the folder that went, or to one made in its place.
        if (isFolder && removedAny)
            RemovalGuard::ForgetFolderNames();
        // A part that went has its copy: it is journaled, even when the rest stays.
        if (removedAny)
            JournalRemovalOnce(path, storedName);
        ui::YieldToMessageLoop();
    }
    return removed;
}

bool QuarantineAndKillFile(const std::string& path, const std::string& name) {
    return KillFile(GuardedItem(path), name);
}

bool QuarantineCookieFile(const std::string& path) {
    if (path.find('\\') == std::string::npos)
        return false;
    const GuardedItem item(path);
    std::string storedName;
    if (!item.mayRemove || !Listed(path, xfileExists::FileNamePart(path)) ||
        !EnsureCopy(item, storedName) || !FolderCopy::RemoveFile(path))
        return false;
    WriteQuarantineFileLog(path, storedName);
    return true;
}

void WriteQuarantineFileLog(const std::string& path, const std::string& storedName) {
    if (CreateQuarantineFolder())
        QuarantineJournal::Append(QuarantineFolder(), QuarantineJournal::FileEntry(
                                                          DateText::NowText(), storedName, path));
}

void WriteQuarantineRegLog(const std::string& key, const std::string& value) {
    if (CreateQuarantineFolder())
        QuarantineJournal::Append(
            QuarantineFolder(), QuarantineJournal::RegistryEntry(DateText::NowText(), key, value));
}

void ConnectRegistryJournal() {
    using ModRegistryRelated::RegistryDeletion;
    ModRegistryRelated::SetRegistryBackupHook([](const RegistryDeletion& deletion) {
        return !JournalingRegistry() ||
               (CreateQuarantineFolder() && RegBackup::WriteBackup(QuarantineFolder(), deletion));
    });
    ModRegistryRelated::SetRegistryDeletionSink([](const RegistryDeletion& deletion) {
        if (JournalingRegistry())
            WriteQuarantineRegLog(deletion.Key, deletion.Value);
    });
}

} // namespace modFileRelated
