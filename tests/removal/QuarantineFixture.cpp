#include "QuarantineFixture.h"

#include "AnsiText.h"
#include "DateText.h"
#include "FolderCopy.h"
#include "ModRegistryRelated.h"
#include "modFileRelated.h"

#include <windows.h>

#include <algorithm>

namespace {

constexpr double kFixedNow = 40043.4377893519; // 18 August 2009, 10:30:25

} // namespace

QuarantineFixture::QuarantineFixture() {
    DateText::SetClock([] { return kFixedNow; });
    modFileRelated::ConnectRegistryJournal();
    modFileRelated::BeginRemovalRun();
    modFileRelated::RemovalFirstPass = true;
}

QuarantineFixture::~QuarantineFixture() {
    modFileRelated::RemovalFirstPass = false;
    modFileRelated::EndRemovalRun();
    ModRegistryRelated::SetRegistryBackupHook(nullptr);
    ModRegistryRelated::SetRegistryDeletionSink(nullptr);
    FolderCopy::SetReparseTagReader(nullptr);
    DateText::SetClock(nullptr);
}

std::string QuarantineFixture::Stored(const std::string& name) {
    return modFileRelated::QuarantineFolder() + "\\" + name;
}

std::string QuarantineFixture::Journal() {
    const std::string bytes = ReadFileBytes(Stored("QuarantineLog.txt"));
    return bytes == "<missing>" ? std::string() : bytes;
}

std::vector<std::string> QuarantineFixture::QuarantineEntries() {
    return quarantine_test::Tree(modFileRelated::QuarantineFolder());
}

const std::string& QuarantineFixture::Now() {
    static const std::string text = DateText::ToText(kFixedNow);
    return text;
}

namespace quarantine_test {

std::vector<std::string> Tree(const std::string& folder) {
    std::vector<std::string> entries;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Utf8ToWide(folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        const std::string name = WideToUtf8(found.cFileName);
        if (name == "." || name == "..")
            continue;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            entries.push_back(name);
            continue;
        }
        entries.push_back(name + "\\");
        for (const std::string& inner : Tree(folder + "\\" + name))
            entries.push_back(name + "\\" + inner);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(entries.begin(), entries.end());
    return entries;
}

DeletionRefusedAt::DeletionRefusedAt(std::wstring refused) {
    ModRegistryRelated::SetKeyTreeDeleter(
        [refused = std::move(refused)](HKEY root, const std::wstring& subkey) -> long {
            HKEY key = nullptr;
            if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &key) !=
                ERROR_SUCCESS)
                return ERROR_FILE_NOT_FOUND;
            wchar_t name[256];
            DWORD index = 0, length = 256;
            while (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) ==
                   ERROR_SUCCESS) {
                if (name == refused)
                    ++index;
                else
                    RegDeleteTreeW(key, name);
                length = 256;
            }
            RegCloseKey(key);
            return ERROR_ACCESS_DENIED;
        });
}

DeletionRefusedAt::~DeletionRefusedAt() {
    ModRegistryRelated::SetKeyTreeDeleter(nullptr);
}

} // namespace quarantine_test
