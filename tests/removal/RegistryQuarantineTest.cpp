#include "QuarantineFixture.h"

#include "AnsiText.h"
#include "ModRegistryRelated.h"
#include "ShellLaunch.h"
#include "TwinMachineKey.h"
#include "modFileRelated.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace ModRegistryRelated;
using Bytes = std::vector<unsigned char>;

namespace {

const int32_t kClassesRoot = static_cast<int32_t>(0x80000000u);
const int32_t kCurrentUser = static_cast<int32_t>(0x80000001u);
const int32_t kLocalMachine = static_cast<int32_t>(0x80000002u);

Bytes Wide(const std::wstring& text) {
    const auto* start = reinterpret_cast<const unsigned char*>(text.c_str());
    return {start, start + (text.size() + 1) * sizeof(wchar_t)};
}

// Every key below a key, by path relative to it, with every value's type and bytes.
using Snapshot = std::map<std::wstring, std::map<std::wstring, std::pair<DWORD, Bytes>>>;

void TakeSnapshot(HKEY key, const std::wstring& path, Snapshot& snapshot) {
    auto& values = snapshot[path];
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = 256, type = 0, size = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            break;
        Bytes data(size);
        nameLength = 256;
        RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data.data(), &size);
        values[std::wstring(name, nameLength)] = {type, data};
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        const std::wstring child(name, nameLength);
        HKEY open = nullptr;
        if (RegOpenKeyExW(key, child.c_str(), 0, KEY_READ, &open) == ERROR_SUCCESS) {
            TakeSnapshot(open, path + L"\\" + child, snapshot);
            RegCloseKey(open);
        }
    }
}

Snapshot TakeKey(HKEY root, const std::string& subkey, REGSAM view = 0) {
    Snapshot snapshot;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, Utf8ToWide(subkey).c_str(), 0, KEY_READ | view, &key) ==
        ERROR_SUCCESS) {
        TakeSnapshot(key, L"", snapshot);
        RegCloseKey(key);
    }
    return snapshot;
}

// A key of the test's own under HKEY_CURRENT_USER, removed with everything below it at the end.
class RegistryQuarantine : public QuarantineFixture {
  protected:
    RegistryQuarantine()
        : subkey_("Software\\TidewaterQuarantineTest-" + std::to_string(GetCurrentProcessId()) +
                  "-" + std::to_string(GetTickCount())) {
        RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(subkey_).c_str());
    }
    ~RegistryQuarantine() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(subkey_).c_str());
    }

    std::string Sub(const std::string& relative) const { return subkey_ + "\\" + relative; }
    std::string Key(const std::string& relative) const {
        return "HKEY_CURRENT_USER\\" + Sub(relative);
    }
    // How a backup's file name starts for a key of the test: its text without separators.
    std::string Flat(const std::string& relative) const {
        std::string key = Key(relative);
        key.erase(std::remove(key.begin(), key.end(), '\\'), key.end());
        return key;
    }
    void Put(const std::string& relative, const std::wstring& name, DWORD type,
             const Bytes& data) const {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(Sub(relative)).c_str(), 0, nullptr,
                                  0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
        RegCloseKey(key);
    }
    Snapshot Take() const { return TakeKey(HKEY_CURRENT_USER, subkey_); }
    // The platform's own registry editor imports the backup, as a user restoring it would.
    void Import(const std::string& backup) const {
        wchar_t windows[MAX_PATH] = {};
        GetWindowsDirectoryW(windows, MAX_PATH);
        ShellLaunch::Request request;
        request.File = WideToUtf8(windows) + "\\regedit.exe";
        request.Parameters = "/s " + ShellLaunch::Quoted(Stored(backup));
        request.Wait = true;
        request.TimeoutMs = 60000;
        const ShellLaunch::Result result = ShellLaunch::LaunchForReal(request);
        EXPECT_TRUE(result.Started && !result.TimedOut) << backup;
    }
    void ImportBackups() const {
        for (const std::string& backup : Backups())
            Import(backup);
    }
    std::vector<std::string> Backups() const {
        std::vector<std::string> backups;
        for (const std::string& entry : QuarantineEntries())
            if (entry.size() > 4 && entry.substr(entry.size() - 4) == ".reg")
                backups.push_back(entry);
        return backups;
    }

  private:
    std::string subkey_;
};

std::string RegistryEntry(const std::string& key, const std::string& value) {
    return QuarantineFixture::Now() + " - Key: " + key + "\r\nValue: " + value + "\r\n\r\n\r\n";
}

TEST_F(RegistryQuarantine, ImportingTheBackupsGivesBackExactlyWhatWasDeleted) {
    Bytes blob;
    for (int i = 0; i < 100; ++i)
        blob.push_back(static_cast<unsigned char>(255 - i));
    Put("values", L"Path", REG_SZ, Wide(L"C:\\evil\\\"bar\".dll"));
    Put("values", L"Quote \"name\" \\", REG_SZ, Wide(L"x"));
    Put("values", L"Count", REG_DWORD, {0x2a, 0, 0, 0x80});
    Put("values", L"Expand", REG_EXPAND_SZ, Wide(L"%windir%\\evil.exe"));
    Put("values", L"Multi", REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0});
    Put("values", L"Blob", REG_BINARY, blob);
    Put("values", L"Wide", REG_SZ, Wide(L"\u4e2d\u6587"));
    Put("values", L"Lines", REG_SZ, Wide(L"one\r\ntwo"));
    Put("values", L"Big", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8});
    Put("values", L"Kept", REG_SZ, Wide(L"stays"));
    Put("tree", L"", REG_SZ, Wide(L"tree default"));
    Put("tree", L"Top", REG_DWORD, {1, 0, 0, 0});
    Put("tree\\child", L"", REG_EXPAND_SZ, Wide(L"%child%"));
    Put("tree\\child\\grandchild", L"Deep", REG_BINARY, {0xde, 0xad});
    Put("tree\\empty", L"", REG_NONE, {});
    RegDeleteValueW(HKEY_CURRENT_USER, Utf8ToWide(Sub("tree\\empty")).c_str());
    const Snapshot before = Take();

    for (const char* name :
         {"Path", "Quote \"name\" \\", "Count", "Expand", "Multi", "Blob", "Wide", "Lines", "Big"})
        EXPECT_TRUE(DeleteRegistryValue(kCurrentUser, Sub("values"), name)) << name;
    // The removal run's whole-key row: the default value first, then the key.
    EXPECT_TRUE(DeleteRegistryValue(kCurrentUser, Sub("tree"), ""));
    EXPECT_TRUE(DeleteRegistryKey(kCurrentUser, Sub("tree")));
    Snapshot removed = Take();
    EXPECT_EQ(removed.size(), 2u);
    EXPECT_EQ(removed[L"\\values"].size(), 1u);
    EXPECT_EQ(Backups().size(), 11u);

    ImportBackups();
    EXPECT_EQ(Take(), before);
}

TEST_F(RegistryQuarantine, AKeyOfThe32BitViewGoesBackWhereItWas) {
    // On 64-bit Windows the key lives in the view's own "Wow6432Node", where the system's own
    // (64-bit) registry editor must put it back, leaving the 64-bit view's twin alone. A class
    // directly under the root is deleted in the view as well as one further down.
    struct Place {
        TwinMachineKey::Place place;
        int32_t root;
        const char* realParent; // where the 32-bit view keeps its keys, as the editor names it
    };
    const Place places[] = {
        {TwinMachineKey::Place::Software, kLocalMachine,
         "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\"},
        {TwinMachineKey::Place::Classes, kClassesRoot, "HKEY_CLASSES_ROOT\\Wow6432Node\\"},
    };
    for (const Place& place : places) {
        const TwinMachineKey machine("MachineQuarantineTest", place.place);
        SCOPED_TRACE(machine.Sub());
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            const std::string text = view == KEY_WOW64_32KEY ? "32-bit" : "64-bit";
            ASSERT_TRUE(machine.Put(view, "", "Toolbar", text + " toolbar"));
            ASSERT_TRUE(machine.Put(view, "", "Kept", text + " kept"));
            ASSERT_TRUE(machine.Put(view, "", "", text + " default"));
            ASSERT_TRUE(machine.Put(view, "child", "Deep", text + " deep"));
        }
        const Snapshot before32 = TakeKey(machine.Root(), machine.Sub(), KEY_WOW64_32KEY);
        const Snapshot before64 = TakeKey(machine.Root(), machine.Sub(), KEY_WOW64_64KEY);
        ASSERT_EQ(before32.size(), 2u);

        EXPECT_TRUE(DeleteRegistryValue(place.root, machine.Sub(), "Toolbar"));
        EXPECT_TRUE(DeleteRegistryValue(place.root, machine.Sub(), ""));
        EXPECT_TRUE(DeleteRegistryKey(place.root, machine.Sub()));
        EXPECT_FALSE(machine.Exists(KEY_WOW64_32KEY, ""));
        EXPECT_EQ(TakeKey(machine.Root(), machine.Sub(), KEY_WOW64_64KEY), before64);
        const std::vector<std::string> backups = Backups();
        ASSERT_EQ(backups.size(), 3u);
        for (const std::string& backup : backups) {
            const std::string bytes = ReadFileBytes(Stored(backup));
            const std::string text = WideToUtf8(std::wstring(
                reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t)));
            const std::string name = machine.Sub().substr(machine.Sub().rfind('\\') + 1);
            EXPECT_NE(text.find("[" + std::string(place.realParent) + name + "]"),
                      std::string::npos)
                << text;
        }

        ImportBackups();
        EXPECT_EQ(TakeKey(machine.Root(), machine.Sub(), KEY_WOW64_32KEY), before32);
        EXPECT_EQ(TakeKey(machine.Root(), machine.Sub(), KEY_WOW64_64KEY), before64);
        for (const std::string& backup : backups)
            DeleteFileW(Utf8ToWide(Stored(backup)).c_str());
    }
}

TEST_F(RegistryQuarantine, EachRemovalIsJournaledOnceAfterItHappened) {
    Put("values", L"Toolbar", REG_SZ, Wide(L"bar"));
    Put("values", L"Later", REG_SZ, Wide(L"later"));
    Put("tree", L"", REG_SZ, Wide(L"default"));
    EXPECT_TRUE(DeleteRegistryValue(kCurrentUser, Sub("values"), "Toolbar"));
    EXPECT_TRUE(DeleteRegistryValue(kCurrentUser, Sub("tree"), ""));
    EXPECT_TRUE(DeleteRegistryKey(kCurrentUser, Sub("tree")));
    // What is not there is neither removed nor journaled, in either pass.
    EXPECT_FALSE(DeleteRegistryValue(kCurrentUser, Sub("values"), "Toolbar"));
    EXPECT_FALSE(DeleteRegistryKey(kCurrentUser, Sub("tree")));
    // An item first removed in the second pass is journaled then.
    modFileRelated::RemovalFirstPass = false;
    EXPECT_TRUE(DeleteRegistryValue(kCurrentUser, Sub("values"), "Later"));
    EXPECT_EQ(Journal(), RegistryEntry(Key("values"), "Toolbar") +
                             RegistryEntry(Key("tree"), "All Values") +
                             RegistryEntry(Key("values"), "Later"));
    EXPECT_EQ(Backups(), (std::vector<std::string>{
                             Flat("tree") + " - (Default).reg", Flat("tree") + " - All Values.reg",
                             Flat("values") + " - Later.reg", Flat("values") + " - Toolbar.reg"}));
}

TEST_F(RegistryQuarantine, ABackupThatCannotBeWrittenKeepsTheData) {
    Put("values", L"Toolbar", REG_SZ, Wide(L"bar"));
    Put("tree", L"", REG_SZ, Wide(L"default"));
    data.WriteFile("quarantine", "a file where the folder belongs");
    EXPECT_FALSE(DeleteRegistryValue(kCurrentUser, Sub("values"), "Toolbar"));
    EXPECT_FALSE(DeleteRegistryValue(kCurrentUser, Sub("tree"), ""));
    EXPECT_FALSE(DeleteRegistryKey(kCurrentUser, Sub("tree")));
    EXPECT_TRUE(RegistryValueExists(kCurrentUser, Sub("values"), "Toolbar"));
    EXPECT_TRUE(RegistryValueExists(kCurrentUser, Sub("tree"), ""));
}

TEST_F(RegistryQuarantine, AKeyRemovedInPartIsBackedUpWholeAndJournaled) {
    Put("tree", L"Top", REG_SZ, Wide(L"top"));
    Put("tree\\a", L"Gone", REG_SZ, Wide(L"gone"));
    Put("tree\\z", L"Held", REG_SZ, Wide(L"held"));
    Put("other", L"Kept", REG_SZ, Wide(L"kept"));
    {
        const quarantine_test::DeletionRefusedAt refused(L"z");
        EXPECT_FALSE(DeleteRegistryKey(kCurrentUser, Sub("tree")));
        EXPECT_FALSE(RegistryKeyExists(kCurrentUser, Sub("tree\\a")));
        EXPECT_TRUE(RegistryValueExists(kCurrentUser, Sub("tree\\z"), "Held"));
        // A refusal that removed nothing is no removal.
        EXPECT_FALSE(DeleteRegistryKey(kCurrentUser, Sub("other")));
    }
    EXPECT_EQ(Journal(), RegistryEntry(Key("tree"), "All Values"));
    EXPECT_EQ(Backups(), (std::vector<std::string>{Flat("other") + " - All Values.reg",
                                                   Flat("tree") + " - All Values.reg"}));
    // The backup gives back what went.
    Import(Flat("tree") + " - All Values.reg");
    EXPECT_TRUE(RegistryValueExists(kCurrentUser, Sub("tree\\a"), "Gone"));
}

TEST_F(RegistryQuarantine, DeletionsOutsideARemovalRunLeaveNoTrace) {
    // The options page removing the program's own run-at-start-up value, for instance.
    Put("values", L"Program", REG_SZ, Wide(L"C:\\Program\\program.exe"));
    modFileRelated::RemovalFirstPass = false;
    modFileRelated::EndRemovalRun();
    EXPECT_TRUE(DeleteRegistryValue(kCurrentUser, Sub("values"), "Program"));
    EXPECT_FALSE(RegistryValueExists(kCurrentUser, Sub("values"), "Program"));
    EXPECT_EQ(QuarantineEntries(), std::vector<std::string>{});
}

} // namespace
