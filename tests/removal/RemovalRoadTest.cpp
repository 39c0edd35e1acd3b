// The whole road: a Smart Scan over planted threats, Select All, Repair Now, and then every
// removed item brought back from its quarantine copy and its ".reg" backup.
#include "RemovalFixture.h"

#include "AnsiText.h"
#include "DefinitionFile.h"
#include "Definitions.h"
#include "ModRegistryRelated.h"
#include "PlantedCookie.h"
#include "ShellLaunch.h"
#include "TextRules.h"
#include "modFileRelated.h"
#include "modGlobals.h"

#include <windows.h>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

void SetValue(const std::wstring& key, const wchar_t* name, DWORD type, const void* data,
              size_t size) {
    HKEY handle;
    RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                    nullptr);
    RegSetValueExW(handle, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
    RegCloseKey(handle);
}

// Every value below the key, as "subkey|name|type|bytes in hex", sorted.
std::vector<std::string> Snapshot(const std::wstring& key) {
    std::vector<std::string> values;
    HKEY handle;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return values;
    wchar_t name[256];
    BYTE data[1024];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = 256, type = 0, size = sizeof data;
        if (RegEnumValueW(handle, i, name, &nameLength, nullptr, &type, data, &size) !=
            ERROR_SUCCESS)
            break;
        std::string line = WideToUtf8(name) + "|" + std::to_string(type) + "|";
        for (DWORD b = 0; b < size; ++b) {
            char hex[3];
            snprintf(hex, sizeof hex, "%02x", data[b]);
            line += hex;
        }
        values.push_back(line);
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = 256;
        if (RegEnumKeyExW(handle, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        for (const std::string& below : Snapshot(key + L"\\" + name))
            values.push_back(WideToUtf8(name) + "\\" + below);
    }
    RegCloseKey(handle);
    std::sort(values.begin(), values.end());
    return values;
}

std::vector<std::string> FilesIn(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Utf8ToWide(folder + "\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(WideToUtf8(found.cFileName));
    while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

class RemovalRoad : public RemovalFixture {
  protected:
    RemovalRoad()
        : tag_("tw" + std::to_string(GetCurrentProcessId())),
          key_(L"Software\\RemovalRoad-" + Utf8ToWide(tag_)) {
        form->chkMakeLog.SetValue(0);
        machine.WriteFile("one\\Evil" + tag_ + ".exe", "first evil");
        machine.WriteFile("two\\Evil" + tag_ + ".exe", "second evil, longer");
        machine.WriteFile("Bad" + tag_ + "\\inside.txt", "inside");
        const std::wstring text = L"C:\\Program Files\\\"quoted\" \xe9t\xe9";
        SetValue(key_ + L"\\Run", L"Toolbar", REG_SZ, text.c_str(), (text.size() + 1) * 2);
        const DWORD number = 0xfeedbeef;
        SetValue(key_ + L"\\Tree", L"Count", REG_DWORD, &number, sizeof number);
        const std::wstring expand = L"%SystemRoot%\\bad.dll";
        SetValue(key_ + L"\\Tree", L"Path", REG_EXPAND_SZ, expand.c_str(), (expand.size() + 1) * 2);
        const wchar_t multi[] = L"one\0two\0";
        SetValue(key_ + L"\\Tree\\Deeper", L"List", REG_MULTI_SZ, multi, sizeof multi);
        const BYTE binary[] = {0, 1, 2, 0xfe, 0xff};
        SetValue(key_ + L"\\Tree\\Deeper", L"Blob", REG_BINARY, binary, sizeof binary);
        const std::wstring byDefault = L"default text";
        SetValue(key_ + L"\\Tree", L"", REG_SZ, byDefault.c_str(), (byDefault.size() + 1) * 2);
        before_ = Snapshot(key_);
        EXPECT_EQ(before_.size(), 6u);

        const std::string key = WideToUtf8(key_);
        WriteDefinitionFile(
            kFileDefinitionFile,
            {"Evil" + tag_ + ".exe=Evil Threat|" + machine.Path() + "\\one|Adware",
             "Evil" + tag_ + ".exe=Evil Threat|" + machine.Path() + "\\two|Adware"});
        WriteDefinitionFile(
            kDirectoryDefinitionFile,
            {"Bad" + tag_ + "=Bad Folder|" + machine.Path() + "\\Bad" + tag_ + "|Spyware"});
        WriteDefinitionFile(kRegistryDefinitionFile,
                            {"1^" + key + "\\Run^Toolbar^=Toolbar.X|Adware",
                             "1^" + key + "\\Tree^^=Tree.Y|Adware"});
        WriteDefinitionFile(kExeDefinitionFile, {});
        WriteDefinitionFile(kBlockedCookiesFile, {"*" + cookie_.Site() + ".biz"});
        modGlobals::DefinitionCount = modGlobals::CountDefinitions();
        Store("OptionAndSettings", "chkSweepMemory", "0");
    }
    ~RemovalRoad() override { RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str()); }

    std::string tag_;
    std::wstring key_;
    std::vector<std::string> before_;
    const PlantedCookie cookie_;
};

TEST_F(RemovalRoad, ScannedThreatsAreRemovedAndComeBackFromTheQuarantine) {
    ASSERT_TRUE(cookie_.Written());
    const std::string cookieContent = ReadFileBytes(cookie_.Path());
    form->optScan[0].SetValue(true);
    form->cmdScanNow_Click();
    ASSERT_EQ(form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 6u);

    panel.cmdSelectAll_Click();
    {
        ScriptedMessageBoxes boxes;
        boxes.Expect(IDYES);
        form->Command4.Click();
    }
    EXPECT_TRUE(FailedList().empty());
    EXPECT_EQ(form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 0u);
    EXPECT_FALSE(PathExists(machine / ("one\\Evil" + tag_ + ".exe")));
    EXPECT_FALSE(PathExists(machine / ("two\\Evil" + tag_ + ".exe")));
    EXPECT_FALSE(PathExists(machine / ("Bad" + tag_)));
    EXPECT_FALSE(PathExists(cookie_.Path()));
    EXPECT_TRUE(Snapshot(key_ + L"\\Run").empty());
    EXPECT_TRUE(Snapshot(key_ + L"\\Tree").empty());

    // Two files of one name: two copies, each journaled under the name it was stored as.
    const std::string quarantine = modFileRelated::QuarantineFolder();
    const std::vector<std::string> copies = FilesIn(quarantine, "Evil" + tag_ + "*.exe");
    ASSERT_EQ(copies.size(), 2u);
    const std::string journal = AnsiToUtf8(ReadFileBytes(quarantine + "\\QuarantineLog.txt"));
    for (const char* folder : {"one", "two"})
        EXPECT_NE(journal.find(" - Location: " + machine.Path() + "\\" + folder + "\\Evil" + tag_ +
                               ".exe\r\n\r\n\r\n"),
                  std::string::npos)
            << folder;
    for (const std::string& copy : copies)
        EXPECT_NE(journal.find(" - File: " + copy + "\r\n"), std::string::npos) << copy;
    EXPECT_NE(journal.find("Value: All Values\r\n\r\n\r\n"), std::string::npos);
    EXPECT_NE(journal.find("Value: Toolbar\r\n\r\n\r\n"), std::string::npos);

    // Back again: each copy to where the journal says it came from, each backup imported by
    // the registry editor.
    for (const std::string& copy : copies) {
        const size_t stored = journal.find(" - File: " + copy + "\r\n");
        const size_t location = journal.find(" - Location: ", stored) + 13;
        const std::string original =
            journal.substr(location, journal.find("\r\n", location) - location);
        EXPECT_TRUE(CopyFileW(Utf8ToWide(quarantine + "\\" + copy).c_str(),
                              Utf8ToWide(original).c_str(), TRUE));
    }
    EXPECT_EQ(ReadFileBytes(machine / ("one\\Evil" + tag_ + ".exe")), "first evil");
    EXPECT_EQ(ReadFileBytes(machine / ("two\\Evil" + tag_ + ".exe")), "second evil, longer");
    EXPECT_EQ(ReadFileBytes(quarantine + "\\Bad" + tag_ + "\\inside.txt"), "inside");
    EXPECT_EQ(ReadFileBytes(quarantine + "\\" + cookie_.FileName()), cookieContent);
    const std::vector<std::string> backups = FilesIn(quarantine, "*.reg");
    ASSERT_GE(backups.size(), 2u);
    ExpectedLaunches launches;
    for (size_t i = 0; i < backups.size(); ++i)
        launches.ExpectReal();
    for (const std::string& backup : backups)
        EXPECT_EQ(ShellLaunch::RunAndWait(
                      "regedit.exe", "/s " + ShellLaunch::Quoted(quarantine + "\\" + backup), 30000)
                      .ExitCode,
                  0u)
            << backup;
    EXPECT_EQ(Snapshot(key_), before_);
}
