// Repair Now and the removal run over files, folders, registry entries and cookies planted in
// the sandbox.
#include "RemovalFixture.h"

#include "AnsiText.h"
#include "BusyState.h"
#include "Clipboard.h"
#include "ClipboardLock.h"
#include "DateText.h"
#include "ModRegistryRelated.h"
#include "SettingsStore.h"
#include "clsLanguages.h"
#include "modFileRelated.h"
#include "modGlobals.h"
#include "modLorvane.h"

#include <windows.h>

#include <stdexcept>

#include <gtest/gtest.h>

using RemovalRun = RemovalFixture;

TEST_F(RemovalRun, ConfirmationAsksAsTheSystemAndTheTicksSay) {
    const std::string withoutRestore = Lang.getMessages("MSG_CONFIRM1") + "\r\n\r\n" +
                                       Lang.getMessages("MSG_CONFIRM2") + "\r\n\r\n" +
                                       modFileRelated::QuarantineFolder();
    const std::string withRestore = withoutRestore + "\r\n\r\n" + Lang.getMessages("MSG_CONFIRM3") +
                                    "\r\n\r\n" + Lang.getMessages("MSG_CONFIRM4");
    const struct {
        const char* name;
        bool ticked, automatic;
        SystemRestore::OsVersion version;
        int answer; // 0 = no box expected
        std::string prompt;
        bool runs;
    } cases[] = {
        {"nothing ticked", false, false, {2, 6, 1}, IDOK, Lang.getMessages("MSG_SELECTED"), false},
        {"nothing ticked, automatic", false, true, {2, 6, 1}, 0, "", false},
        {"declined", true, false, {2, 5, 1}, IDNO, withRestore, false},
        {"Windows 2000", true, false, {2, 5, 0}, IDYES, withoutRestore, true},
        {"Server 2003", true, false, {2, 5, 2}, IDYES, withoutRestore, true},
        {"Windows ME", true, false, {1, 4, 90}, IDYES, withRestore, true},
        {"Windows 98", true, false, {1, 4, 10}, IDYES, withoutRestore, true},
        {"automatic", true, true, {2, 10, 0}, 0, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Clear();
        form->lists.lvwFilesToBeDeleted.Clear();
        AddFile(machine.WriteFile("kept.txt", "x"), "Kept");
        if (c.ticked)
            Tick(0);
        SystemRestore::SetVersionOverride(c.version);
        modGlobals::AutoRemoveAfterScan = c.automatic;
        Store("Settings", "lblDefRemoved", "0");
        form->display.lblSoftwareFound.Caption = "1";
        ScriptedMessageBoxes boxes;
        if (c.answer)
            boxes.Expect(c.answer);
        panel.Command4_Click();
        ASSERT_EQ(boxes.Shown().size(), c.answer ? 1u : 0u);
        if (c.answer) {
            EXPECT_EQ(boxes.Shown()[0].prompt, c.prompt);
        }
        EXPECT_EQ(Stored("Settings", "lblDefRemoved"), c.runs ? "1" : "0");
        EXPECT_EQ(PathExists(machine / "kept.txt"), !c.runs);
    }
}

TEST_F(RemovalRun, RestorePointsOpenAndCloseAroundThePasses) {
    SystemRestore::SetVersionOverride(SystemRestore::OsVersion{2, 6, 1});
    std::vector<SystemRestore::RestorePointInfo> calls;
    bool beginSucceeds = true;
    SystemRestore::SetRestorePointFunction([&](const SystemRestore::RestorePointInfo& info,
                                               SystemRestore::RestorePointStatus& status) {
        calls.push_back(info);
        status.SequenceNumber = 42;
        return info.EventType == 101 || beginSucceeds;
    });
    DateText::SetClock([] { return 40000.5; }); // 6 July 2009, noon
    AddFile(machine.WriteFile("a.txt", "x"), "A");
    Tick(0);
    modGlobals::AutoRemoveAfterScan = true;
    panel.Command4_Click();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].EventType, 100u);
    EXPECT_EQ(calls[0].RestorePtType, 6u);
    EXPECT_EQ(
        calls[0].Description,
        (modLorvane::ProgramName + " Restore Point " + DateText::ToText(40000.5)).substr(0, 63));
    EXPECT_EQ(calls[1].EventType, 101u);
    EXPECT_EQ(calls[1].SequenceNumber, 42);
    EXPECT_EQ(SystemRestore::RestorePointSequence, 0);

    // A failed begin leaves no sequence, and the end call is still made.
    calls.clear();
    beginSucceeds = false;
    AddFile(machine.WriteFile("b.txt", "x"), "B");
    Tick(0);
    panel.Command4_Click();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].SequenceNumber, 0);
    EXPECT_FALSE(PathExists(machine / "b.txt"));

    // A pending restore point refuses a second begin.
    SystemRestore::RestorePointSequence = 7;
    int error = 0;
    EXPECT_FALSE(SystemRestore::BeginRestorePoint("x", 6, &error));
    EXPECT_EQ(error, SystemRestore::kPendingRestorePointError);
    EXPECT_EQ(SystemRestore::RestorePointSequence, 7);
    DateText::SetClock(nullptr);
}

TEST_F(RemovalRun, RemovesEveryTickedKindAndKeepsTheRest) {
    const std::string file = machine.WriteFile("evil.txt", "evil");
    const std::string folder = machine.MakeFolder("EvilFolder");
    machine.WriteFile("EvilFolder\\inside.dat", "inside");
    const std::string keptFile = machine.WriteFile("kept.txt", "kept");
    const std::string cookie = machine.WriteFile("user@evil[1].txt", "cookie");
    const std::string key = "Software\\RemovalRunTest" + std::to_string(GetCurrentProcessId());
    HKEY handle;
    RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &handle, nullptr);
    const DWORD one = 1;
    RegSetValueExW(handle, L"Evil", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegCloseKey(handle);

    AddFile(file, "Evil File");
    AddFile(folder, "Evil Folder", ItemFolder);
    AddFile(keptFile, "Kept File");
    AddCookie(cookie);
    AddRegistry(static_cast<int32_t>(reinterpret_cast<intptr_t>(HKEY_CURRENT_USER)), key, "Evil",
                "Evil Value");
    for (size_t row : {0u, 1u, 3u, 4u})
        Tick(row);
    form->display.lbltracesFound.Caption = "3";
    form->display.lblSoftwareFound.Caption = "2";
    form->display.lblRemovePicSoftwareFound.Caption = "not a number";
    Store("Settings", "lblDefRemoved", "10");
    modGlobals::AutoRemoveAfterScan = true;
    panel.Command4_Click();

    EXPECT_FALSE(PathExists(file));
    EXPECT_FALSE(PathExists(folder));
    EXPECT_FALSE(PathExists(cookie));
    EXPECT_TRUE(PathExists(keptFile));
    EXPECT_FALSE(ModRegistryRelated::RegistryValueExists(
        static_cast<int32_t>(reinterpret_cast<intptr_t>(HKEY_CURRENT_USER)), key, "Evil"));
    EXPECT_EQ(ReadFileBytes(QuarantineFile("evil.txt")), "evil");
    EXPECT_EQ(ReadFileBytes(QuarantineFile("EvilFolder\\inside.dat")), "inside");
    EXPECT_EQ(ReadFileBytes(QuarantineFile("user@evil[1].txt")), "cookie");
    EXPECT_TRUE(FailedList().empty());
    EXPECT_FALSE(failed.Visible());
    // Only the unticked row is left; the cookie list is not pruned by the run.
    ASSERT_EQ(form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 1u);
    EXPECT_EQ(form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Item(0).Text, "Kept File");
    EXPECT_EQ(form->lists.lvwFilesToBeDeleted.Count(), 1u);
    EXPECT_EQ(form->lists.lvwRegistryToBeDeleted.Count(), 0u);
    EXPECT_EQ(form->lists.lvwCookiesToDelete.Count(), 1u);
    EXPECT_EQ(Stored("Settings", "lblDefRemoved"), "15");
    EXPECT_EQ(form->lblDeletingPercentageCompleted.Caption,
              "100% " + Lang.getMessages("MSG_COMPLETE"));
    EXPECT_FALSE(form->pgbDeleteSpywaresFound.Visible);
    EXPECT_TRUE(form->lblRemove.Enabled);
    EXPECT_FALSE(BusyState::IsBusy());
    RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(key).c_str());
}

TEST_F(RemovalRun, WhatSurvivesIsListedOnceAndStaysUnticked) {
    const std::string locked = machine.WriteFile("locked.txt", "locked");
    const std::string gone = machine.WriteFile("gone.txt", "gone");
    const std::string hiddenLocked =
        machine.WriteFile("hidden.txt", "hidden", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    // Held open without delete sharing, as a running program holds its files.
    HANDLE holds[2];
    int h = 0;
    for (const std::string& path : {locked, hiddenLocked})
        holds[h++] = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    AddFile(locked, "Locked");
    AddFile(gone, "Gone");
    AddFile(hiddenLocked, "Hidden");
    panel.cmdSelectAll_Click();
    modGlobals::AutoRemoveAfterScan = true;
    panel.Command4_Click();
    for (HANDLE hold : holds)
        CloseHandle(hold);

    EXPECT_EQ(FailedList(), (std::vector<std::string>{locked, hiddenLocked}));
    EXPECT_EQ(panel.FailureCount(), 2);
    EXPECT_TRUE(failed.Visible());
    EXPECT_FALSE(PathExists(gone));
    const ui::ListView& results = form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    ASSERT_EQ(results.Count(), 2u);
    EXPECT_EQ(results.Item(0).Text, "Locked");
    EXPECT_EQ(results.Item(1).Text, "Hidden");
    EXPECT_EQ(Ticks(results), "00");
    EXPECT_EQ(Ticks(form->lists.lvwFilesToBeDeleted), "00");
    // "Copy List" puts every listed path on the clipboard, one a line.
    ClipboardLock lock;
    failed.Command2_Click();
    EXPECT_EQ(ui::GetClipboardText(), locked + "\r\n" + hiddenLocked + "\r\n");
    failed.Command1_Click();
    EXPECT_FALSE(failed.Visible());
}

TEST_F(RemovalRun, APartialRemovalIsJournaledAndListedAsFailed) {
    const std::string folder = machine.MakeFolder("Partly");
    machine.WriteFile("Partly\\free.txt", "free");
    const std::string held = machine.WriteFile("Partly\\held.txt", "held");
    HANDLE hold = CreateFileW(Utf8ToWide(held).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    const std::string key = "Software\\RemovalRunTest" + std::to_string(GetCurrentProcessId());
    const int32_t user = static_cast<int32_t>(reinterpret_cast<intptr_t>(HKEY_CURRENT_USER));
    ModRegistryRelated::SetRegistryValue(user, key + "\\a", "Gone", "gone");
    ModRegistryRelated::SetRegistryValue(user, key + "\\z", "Held", "held");
    AddFile(folder, "Partly", ItemFolder);
    AddRegistry(user, key, "", "Partly Key");
    panel.cmdSelectAll_Click();
    modGlobals::AutoRemoveAfterScan = true;
    {
        const quarantine_test::DeletionRefusedAt refused(L"z");
        panel.Command4_Click();
    }
    CloseHandle(hold);

    EXPECT_EQ(quarantine_test::Tree(folder), std::vector<std::string>{"held.txt"});
    EXPECT_FALSE(ModRegistryRelated::RegistryKeyExists(user, key + "\\a"));
    EXPECT_EQ(FailedList(), (std::vector<std::string>{folder, "HKEY_CURRENT_USER\\" + key}));
    const std::string journal = ReadFileBytes(QuarantineFile("QuarantineLog.txt"));
    EXPECT_NE(journal.find(" - File: Partly\r\n - Location: " + folder + "\r\n"),
              std::string::npos);
    EXPECT_NE(journal.find(" - Key: HKEY_CURRENT_USER\\" + key + "\r\nValue: All Values\r\n"),
              std::string::npos);
    EXPECT_EQ(ReadFileBytes(QuarantineFile("Partly\\free.txt")), "free");
    RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(key).c_str());
}

TEST_F(RemovalRun, WithoutAQuarantineNothingIsRemovedAndEveryTickedItemIsListed) {
    // A file where the quarantine folder should be: the folder cannot be made.
    data.WriteFile("quarantine", "in the way");
    const std::string file = machine.WriteFile("evil.txt", "evil");
    const std::string folder = machine.MakeFolder("EvilFolder");
    const std::string cookie = machine.WriteFile("user@evil[1].txt", "cookie");
    const std::string key = "Software\\RemovalRunTest" + std::to_string(GetCurrentProcessId());
    HKEY handle;
    RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &handle, nullptr);
    RegCloseKey(handle);
    AddFile(file, "Evil File");
    AddFile(folder, "Evil Folder", ItemFolder);
    AddCookie(cookie);
    AddRegistry(static_cast<int32_t>(reinterpret_cast<intptr_t>(HKEY_CURRENT_USER)), key, "",
                "Evil Key");
    panel.cmdSelectAll_Click();
    modGlobals::AutoRemoveAfterScan = true;
    panel.Command4_Click();
    EXPECT_TRUE(PathExists(file));
    EXPECT_TRUE(PathExists(folder));
    EXPECT_TRUE(PathExists(cookie));
    EXPECT_TRUE(ModRegistryRelated::RegistryKeyExists(
        static_cast<int32_t>(reinterpret_cast<intptr_t>(HKEY_CURRENT_USER)), key));
    // A registry entry is listed by the location its results row shows.
    EXPECT_EQ(FailedList(),
              (std::vector<std::string>{file, folder, "HKEY_CURRENT_USER\\" + key, cookie}));
    EXPECT_EQ(form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 4u);
    RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(key).c_str());
}

TEST_F(RemovalRun, AFailingStepLeavesNeitherTheBusyStateNorTheShieldsBehind) {
    Store("OptionAndSettings", "optMemorySheildOn", "True");
    AddFile(machine.WriteFile("a.txt", "x"), "A");
    Tick(0);
    form->Links.SendProcessData = [] { throw std::runtime_error("network"); };
    form->chkSendData.SetValue(1);
    modGlobals::AutoRemoveAfterScan = true;
    panel.Command4_Click();
    EXPECT_FALSE(BusyState::IsBusy());
    EXPECT_TRUE(form->tmrMemoryInspected.Enabled);
    EXPECT_TRUE(form->lblRemove.Enabled);
}
