// The removal run over registry hits: exactly the value or key the scanner matched goes, with a
// backup that gives it back, and no key the system depends on goes as a whole.
#include "RemovalFixture.h"

#include "AnsiText.h"
#include "DefinitionFile.h"
#include "ModRegistryRelated.h"
#include "ProtectedRegistryKeys.h"
#include "RegistryScanner.h"
#include "ShellLaunch.h"
#include "TwinMachineKey.h"
#include "modFileRelated.h"
#include "modGlobals.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <set>

#include <gtest/gtest.h>

namespace {

const int32_t kCurrentUser = static_cast<int32_t>(0x80000001u);

using Values = std::map<std::wstring, std::wstring>;

class RegistryRemoval : public RemovalFixture {
  protected:
    RegistryRemoval()
        : key_("Software\\RegistryRemovalTest-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(GetTickCount())) {
        form->chkMakeLog.SetValue(0);
    }
    ~RegistryRemoval() override {
        modGlobals::AutoRemoveAfterScan = false;
        RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(key_).c_str());
    }

    void Put(const std::wstring& name, const std::wstring& text) const {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(key_).c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    // Every value of the test's key, by exact name.
    Values Take() const {
        Values values;
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, Utf8ToWide(key_).c_str(), 0, KEY_READ, &key) !=
            ERROR_SUCCESS)
            return values;
        wchar_t name[256], data[256];
        for (DWORD i = 0;; ++i) {
            DWORD nameLength = 256, size = sizeof data;
            if (RegEnumValueW(key, i, name, &nameLength, nullptr, nullptr,
                              reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
                break;
            values[std::wstring(name, nameLength)] = data;
        }
        RegCloseKey(key);
        return values;
    }
    // The scan of one definition line, everything it found ticked, and Repair Now, as after a
    // scheduled scan with automatic removal.
    void ScanAndRemove(const std::string& line) {
        ResetScanState();
        WriteDefinitionFile(kRegistryDefinitionFile, {line});
        RegistryScanner::ScanRegistry();
        panel.cmdSelectAll_Click();
        modGlobals::AutoRemoveAfterScan = true;
        panel.Command4_Click();
        modGlobals::AutoRemoveAfterScan = false;
    }
    std::set<std::string> Backups() const {
        std::set<std::string> names;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(
            Utf8ToWide(modFileRelated::QuarantineFolder() + "\\*.reg").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do
            names.insert(WideToUtf8(found.cFileName));
        while (FindNextFileW(search, &found));
        FindClose(search);
        return names;
    }

    std::string key_;
};

TEST_F(RegistryRemoval, ExactlyTheMatchedValueGoesAndItsBackupGivesItBack) {
    const Values planted = {
        {L"", L"default"}, {L" ", L"blank"}, {L"x ", L"trailing blank"}, {L"x", L"plain"}};
    for (const auto& [name, text] : planted)
        Put(name, text);
    ASSERT_EQ(Take(), planted);
    for (const char* name : {" ", "x ", "x"}) {
        SCOPED_TRACE("[" + std::string(name) + "]");
        const std::set<std::string> backupsBefore = Backups();
        ScanAndRemove("1^" + key_ + "^" + name + "^=Hidden Value|Adware");
        ASSERT_EQ(form->lists.lvwRegistryToBeDeleted.Count(), 0u);
        Values expected = planted;
        expected.erase(Utf8ToWide(name));
        EXPECT_EQ(Take(), expected);
        EXPECT_TRUE(FailedList().empty());

        std::vector<std::string> added;
        for (const std::string& backup : Backups())
            if (!backupsBefore.count(backup))
                added.push_back(backup);
        ASSERT_EQ(added.size(), 1u);
        ExpectedLaunches launches;
        launches.ExpectReal();
        EXPECT_EQ(ShellLaunch::RunAndWait(
                      "regedit.exe", "/s " + ShellLaunch::Quoted(QuarantineFile(added[0])), 30000)
                      .ExitCode,
                  0u);
        EXPECT_EQ(Take(), planted);
    }
}

TEST_F(RegistryRemoval, NoKeyTheSystemDependsOnGoesWhole) {
    // Each deletion is seen before it happens, and only the test's own key may go.
    std::vector<std::string> deletions;
    ModRegistryRelated::SetRegistryBackupHook(
        [&](const ModRegistryRelated::RegistryDeletion& deletion) {
            deletions.push_back(deletion.Key + " - " + deletion.Value);
            return deletion.Key == "HKEY_CURRENT_USER\\" + key_;
        });
    Put(L"", L"default");
    const ControlSetsPlanted controlSets;
    int present = 0;
    for (const ProtectedRegistryKey& key : kProtectedRegistryKeys) {
        const int32_t root = ModRegistryRelated::GetRootKey(key.rootIndex);
        present += ModRegistryRelated::RegistryKeyExists(root, key.subkey);
        AddRegistry(root, key.subkey, "", "System Key");
    }
    AddRegistry(kCurrentUser, key_, "", "Own Key");
    panel.cmdSelectAll_Click();
    modGlobals::AutoRemoveAfterScan = true;
    panel.Command4_Click();

    EXPECT_GE(present, 40);
    EXPECT_EQ(deletions,
              (std::vector<std::string>{"HKEY_CURRENT_USER\\" + key_ + " - ",
                                        "HKEY_CURRENT_USER\\" + key_ + " - All Values"}));
    EXPECT_FALSE(ModRegistryRelated::RegistryKeyExists(kCurrentUser, key_));
    // What exists of them is still there, and listed as not removed.
    EXPECT_EQ(FailedList().size(), static_cast<size_t>(present));
}

TEST_F(RegistryRemoval, AKeyDeletionTheSystemRefusesIsListedAsNotRemoved) {
    // A class directly under the root, deleted in the 32-bit view where the scan found it.
    const TwinMachineKey machine("RefusedClassTest", TwinMachineKey::Place::Classes);
    ASSERT_TRUE(machine.Put(KEY_WOW64_32KEY, "held", "", "held"));
    const quarantine_test::DeletionRefusedAt refused(L"held");
    ScanAndRemove("0^" + machine.Sub() + "^^=Refused Class|Adware");
    EXPECT_EQ(FailedList(), std::vector<std::string>{"HKEY_CLASSES_ROOT\\" + machine.Sub()});
    EXPECT_EQ(machine.Get(KEY_WOW64_32KEY, "held", ""), "held");
}

} // namespace
