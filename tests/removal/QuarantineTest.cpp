#include "QuarantineFixture.h"

#include "AnsiText.h"
#include "FromMessageLoop.h"
#include "modFileRelated.h"
#include "modGlobals.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace modFileRelated;
using quarantine_test::Tree;
using Strings = std::vector<std::string>;

namespace {

using Quarantine = QuarantineFixture;

// Holds a file open with the given sharing until it goes, as the program that uses it would.
class OpenedFile {
  public:
    OpenedFile(const std::string& path, DWORD share)
        : handle_(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, share,
                              nullptr, OPEN_EXISTING, 0, nullptr)) {
        EXPECT_NE(handle_, INVALID_HANDLE_VALUE) << path;
    }
    ~OpenedFile() { Close(); }
    // Writes at the end, or over the first bytes (`from` FILE_BEGIN).
    void Append(const std::string& bytes, DWORD from = FILE_END) {
        SetFilePointer(handle_, 0, nullptr, from);
        DWORD written = 0;
        EXPECT_TRUE(
            WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    }
    void Close() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

  private:
    HANDLE handle_;
};

std::string FileEntry(const std::string& now, const std::string& stored, const std::string& path) {
    return now + " - File: " + stored + "\r\n - Location: " + path + "\r\n\r\n\r\n";
}

TEST_F(Quarantine, TheJournalHoldsTheClocksTimeInTheFixedLayout) {
    EXPECT_EQ(Now(), "8/18/2009 10:30:25 AM");
    WriteQuarantineFileLog("C:\\Evil\\Grüße.exe", "Grüße (2).exe");
    WriteQuarantineRegLog("HKEY_CURRENT_USER\\Software\\Evil", "All Values");
    EXPECT_EQ(Journal(), "8/18/2009 10:30:25 AM - File: Gr\xFC\xDF"
                         "e (2).exe\r\n"
                         " - Location: C:\\Evil\\Gr\xFC\xDF"
                         "e.exe\r\n\r\n\r\n"
                         "8/18/2009 10:30:25 AM - Key: HKEY_CURRENT_USER\\Software\\Evil\r\n"
                         "Value: All Values\r\n\r\n\r\n");
}

TEST_F(Quarantine, SameNamesGetCopiesOfTheirOwnAndOneEntryEach) {
    const std::string first = machine.WriteFile("one\\x.exe", "first");
    const std::string second = machine.WriteFile("two\\X.exe", "second!");
    const std::string third = machine.WriteFile("three\\x.exe", "third");
    // The removal run's two passes; the second finds nothing left to do.
    for (bool firstPass : {true, false}) {
        RemovalFirstPass = firstPass;
        EXPECT_EQ(QuarantineFile(first), firstPass ? 1 : -1);
        EXPECT_EQ(QuarantineFile(second), firstPass ? 1 : -1);
    }
    EXPECT_FALSE(PathExists(first));
    EXPECT_FALSE(PathExists(second));
    EXPECT_EQ(ReadFileBytes(Stored("x.exe")), "first");
    EXPECT_EQ(ReadFileBytes(Stored("X (2).exe")), "second!");
    EXPECT_EQ(Journal(), FileEntry(Now(), "x.exe", first) + FileEntry(Now(), "X (2).exe", second));

    // A later run keeps the earlier copies.
    BeginRemovalRun();
    EXPECT_EQ(QuarantineFile(third), 1);
    EXPECT_EQ(QuarantineEntries(),
              (Strings{"QuarantineLog.txt", "X (2).exe", "x (3).exe", "x.exe"}));
    EXPECT_EQ(ReadFileBytes(Stored("x (3).exe")), "third");
}

TEST_F(Quarantine, EveryKindOfFileRemovalCopiesAndJournals) {
    struct Case {
        const char* name;
        bool (*remove)(const std::string&);
    };
    const Case cases[] = {
        {"cookie.txt", [](const std::string& p) { return QuarantineCookieFile(p); }},
        {"other.dat", [](const std::string& p) { return QuarantineAndDeleteFolder(p); }},
        {"killed.scr", [](const std::string& p) { return QuarantineAndKillFile(p, "KILLED.SCR"); }},
    };
    std::string journal;
    for (const Case& c : cases) {
        const std::string path = machine.WriteFile(c.name, c.name, FILE_ATTRIBUTE_READONLY);
        EXPECT_TRUE(c.remove(path)) << c.name;
        EXPECT_FALSE(PathExists(path)) << c.name;
        EXPECT_EQ(ReadFileBytes(Stored(c.name)), c.name);
        journal += FileEntry(Now(), c.name, path);
        // Gone, so a second pass finds nothing and writes nothing.
        RemovalFirstPass = false;
        EXPECT_FALSE(c.remove(path)) << c.name;
        RemovalFirstPass = true;
    }
    EXPECT_EQ(Journal(), journal);
}

TEST_F(Quarantine, ALockedFileIsNotDeletedAndTheNextPassCompletesItWithItsFirstCopy) {
    const std::string exe = machine.WriteFile("locked.exe", "exe");
    const std::string text = machine.WriteFile("locked.txt", "text");
    {
        // Readable, so the copies are made, but not deletable.
        OpenedFile lockedExe(exe, FILE_SHARE_READ);
        OpenedFile lockedText(text, FILE_SHARE_READ);
        EXPECT_EQ(QuarantineFile(exe), 0);
        EXPECT_FALSE(QuarantineAndDeleteFolder(text));
        EXPECT_TRUE(PathExists(exe));
        EXPECT_TRUE(PathExists(text));
        EXPECT_EQ(Journal(), "");
    }
    // The second pass: deleted now, journaled now, with the copy the first pass made.
    RemovalFirstPass = false;
    EXPECT_EQ(QuarantineFile(exe), 1);
    EXPECT_TRUE(QuarantineAndDeleteFolder(text));
    EXPECT_EQ(QuarantineEntries(), (Strings{"QuarantineLog.txt", "locked.exe", "locked.txt"}));
    EXPECT_EQ(Journal(),
              FileEntry(Now(), "locked.exe", exe) + FileEntry(Now(), "locked.txt", text));
}

TEST_F(Quarantine, AFileRewrittenToItsSizeBetweenPassesIsCopiedAgainBeforeItGoes) {
    struct Case {
        const char* item;
        const char* file; // the file held open, the item itself or a file in it
        bool (*remove)(const std::string&);
        const char* newCopy;
    };
    const Case cases[] = {
        {"same.exe", "same.exe", [](const std::string& p) { return QuarantineFile(p) == 1; },
         "same (2).exe"},
        {"same.txt", "same.txt", QuarantineAndDeleteFolder, "same (2).txt"},
        {"Same", "Same\\held.txt", QuarantineAndDeleteFolder, "Same (2)\\held.txt"},
    };
    std::string journal;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        const std::string held = machine.WriteFile(c.file, "first bytes");
        const std::string item = machine / c.item;
        OpenedFile user(held, FILE_SHARE_READ);
        RemovalFirstPass = true;
        EXPECT_FALSE(c.remove(item));
        // The program using it writes as many other bytes, and lets it go.
        user.Append("other bytes", FILE_BEGIN);
        user.Close();
        RemovalFirstPass = false;
        EXPECT_TRUE(c.remove(item));
        EXPECT_FALSE(PathExists(item));
        EXPECT_EQ(ReadFileBytes(Stored(c.newCopy)), "other bytes");
        // A folder is journaled by its copy's name.
        const std::string copy = c.newCopy;
        journal += FileEntry(Now(), copy.substr(0, copy.find('\\')), item);
    }
    EXPECT_EQ(Journal(), journal);
}

TEST_F(Quarantine, NothingIsDeletedWithoutAVerifiedCopy) {
    const std::string exe = machine.WriteFile("Unreadable.exe", "exe");
    const std::string dll = machine.WriteFile("Unreadable.dll", "dll");
    const std::string cookie = machine.WriteFile("unreadable@site.txt", "cookie");
    const std::string folder = machine.MakeFolder("Tree");
    machine.WriteFile("Tree\\readable.txt", "readable");
    const std::string inner = machine.WriteFile("Tree\\sub\\unreadable.txt", "unreadable");
    {
        // Opened without share-read: no copy can be made.
        OpenedFile e(exe, 0), d(dll, 0), c(cookie, 0), i(inner, 0);
        EXPECT_EQ(QuarantineFile(exe), 0);
        EXPECT_EQ(QuarantineAndKillFile(exe, "Unreadable.exe"), false);
        EXPECT_FALSE(QuarantineAndDeleteFolder(exe));
        EXPECT_FALSE(QuarantineCookieFile(cookie));
        EXPECT_FALSE(QuarantineAndDeleteFolder(folder));
    }
    for (const std::string& path : {exe, dll, cookie, inner, folder + "\\readable.txt"})
        EXPECT_TRUE(PathExists(path)) << path;
    // No partial copy stays behind, and nothing was journaled.
    EXPECT_EQ(QuarantineEntries(), Strings{});
}

TEST_F(Quarantine, WithoutAQuarantineFolderNothingIsDeleted) {
    // A file stands where the quarantine folder belongs.
    data.WriteFile("quarantine", "not a folder");
    const std::string exe = machine.WriteFile("a.exe", "exe");
    const std::string dll = machine.WriteFile("a.dll", "dll");
    const std::string other = machine.WriteFile("a.txt", "txt");
    const std::string cookie = machine.WriteFile("a@site.txt", "cookie");
    const std::string folder = machine.MakeFolder("folder");
    EXPECT_FALSE(CreateQuarantineFolder());
    EXPECT_EQ(QuarantineFile(exe), 0);
    EXPECT_EQ(QuarantineAndKillFile(exe, "a.exe"), false);
    EXPECT_EQ(QuarantineAndDeleteFile(dll), 0);
    EXPECT_FALSE(QuarantineAndDeleteFolder(other));
    EXPECT_FALSE(QuarantineAndDeleteFolder(folder));
    EXPECT_FALSE(QuarantineCookieFile(cookie));
    for (const std::string& path : {exe, dll, other, cookie, folder})
        EXPECT_TRUE(PathExists(path)) << path;
    EXPECT_EQ(ReadFileBytes(data / "quarantine"), "not a folder");

    // Nor without a data folder at all.
    const std::string saved = modGlobals::DataFolder;
    modGlobals::DataFolder.clear();
    EXPECT_FALSE(CreateQuarantineFolder());
    EXPECT_FALSE(QuarantineAndDeleteFolder(other));
    EXPECT_TRUE(PathExists(other));
    modGlobals::DataFolder = saved;
}

TEST_F(Quarantine, MissingItemsAreReportedAsNotFound) {
    const std::string missing = machine / "missing";
    EXPECT_EQ(QuarantineFile(missing + ".exe"), -1);
    EXPECT_EQ(QuarantineAndDeleteFile(missing + ".dll"), -1);
    EXPECT_FALSE(QuarantineAndDeleteFolder(missing));
    EXPECT_FALSE(QuarantineAndKillFile(missing + ".exe", "missing.exe"));
    EXPECT_FALSE(QuarantineCookieFile(missing + ".txt"));
    // A name without a folder is no path at all.
    EXPECT_EQ(QuarantineFile("evil.exe"), 0);
    EXPECT_EQ(QuarantineAndDeleteFile("evil.dll"), 0);
    EXPECT_EQ(QuarantineEntries(), Strings{});
}

TEST_F(Quarantine, AFolderIsCopiedWholeRemovedWholeAndJournaled) {
    const std::string folder = machine.MakeFolder("Evil Toolbar");
    machine.WriteFile("Evil Toolbar\\bar.dll", "bar");
    machine.WriteFile("Evil Toolbar\\hidden.dat", "hidden", FILE_ATTRIBUTE_HIDDEN);
    machine.WriteFile("Evil Toolbar\\skins\\blue\\skin.ini", "skin", FILE_ATTRIBUTE_READONLY);
    machine.MakeFolder("Evil Toolbar\\empty");
    const Strings content = Tree(folder);
    const std::string sameName = machine.MakeFolder("elsewhere\\Evil Toolbar");
    machine.WriteFile("elsewhere\\Evil Toolbar\\other.txt", "other");

    EXPECT_TRUE(QuarantineAndDeleteFolder(folder + "\\"));
    EXPECT_TRUE(QuarantineAndDeleteFolder(sameName));
    EXPECT_FALSE(PathExists(folder));
    EXPECT_FALSE(PathExists(sameName));
    EXPECT_EQ(Tree(Stored("Evil Toolbar")), content);
    EXPECT_EQ(ReadFileBytes(Stored("Evil Toolbar\\skins\\blue\\skin.ini")), "skin");
    EXPECT_EQ(Tree(Stored("Evil Toolbar (2)")), Strings{"other.txt"});
    EXPECT_EQ(Journal(), FileEntry(Now(), "Evil Toolbar", folder + "\\") +
                             FileEntry(Now(), "Evil Toolbar (2)", sameName));
}

TEST_F(Quarantine, AFolderNotFullyRemovedKeepsItsCopyForTheNextPass) {
    const std::string folder = machine.MakeFolder("Partly");
    machine.WriteFile("Partly\\free.txt", "free");
    const std::string held = machine.WriteFile("Partly\\held.txt", "held");
    {
        OpenedFile locked(held, FILE_SHARE_READ);
        EXPECT_FALSE(QuarantineAndDeleteFolder(folder));
        EXPECT_EQ(Tree(folder), Strings{"held.txt"});
    }
    RemovalFirstPass = false;
    EXPECT_TRUE(QuarantineAndDeleteFolder(folder));
    EXPECT_FALSE(PathExists(folder));
    EXPECT_EQ(QuarantineEntries(),
              (Strings{"Partly\\", "Partly\\free.txt", "Partly\\held.txt", "QuarantineLog.txt"}));
    EXPECT_EQ(Journal(), FileEntry(Now(), "Partly", folder));
}

TEST_F(Quarantine, AFolderChangedBetweenRoundsIsCopiedAgainBeforeItGoes) {
    const std::string folder = machine.MakeFolder("Changing");
    const std::string free = machine.WriteFile("Changing\\free.txt", "free");
    const std::string held = machine.WriteFile("Changing\\held.txt", "old");
    OpenedFile user(held, FILE_SHARE_READ);
    // The program using the file writes to it once the first round has failed on it, and lets
    // it go.
    const FromMessageLoop change(
        [&] {
            user.Append(" and new");
            user.Close();
            machine.WriteFile("Changing\\added.txt", "added");
        },
        [&] { return !PathExists(free); });
    // The timer falls due, and the removal's first yield lets the message loop run.
    Sleep(60);
    EXPECT_TRUE(QuarantineAndDeleteFolder(folder));
    EXPECT_TRUE(change.Done());
    EXPECT_FALSE(PathExists(folder));
    EXPECT_EQ(
        QuarantineEntries(),
        (Strings{"Changing (2)\\", "Changing (2)\\added.txt", "Changing (2)\\held.txt",
                 "Changing\\", "Changing\\free.txt", "Changing\\held.txt", "QuarantineLog.txt"}));
    EXPECT_EQ(ReadFileBytes(Stored("Changing (2)\\held.txt")), "old and new");
    EXPECT_EQ(ReadFileBytes(Stored("Changing\\held.txt")), "old");
    // Each copy that holds something removed is journaled.
    EXPECT_EQ(Journal(),
              FileEntry(Now(), "Changing", folder) + FileEntry(Now(), "Changing (2)", folder));
}

TEST_F(Quarantine, AFolderRemovedInPartIsJournaledOnce) {
    const std::string folder = machine.MakeFolder("Partly");
    machine.WriteFile("Partly\\free.txt", "free");
    const std::string held = machine.WriteFile("Partly\\held.txt", "held");
    OpenedFile locked(held, FILE_SHARE_READ);
    for (bool firstPass : {true, false}) {
        RemovalFirstPass = firstPass;
        EXPECT_FALSE(QuarantineAndDeleteFolder(folder));
    }
    EXPECT_EQ(Tree(folder), Strings{"held.txt"});
    EXPECT_EQ(Tree(Stored("Partly")), (Strings{"free.txt", "held.txt"}));
    EXPECT_EQ(Journal(), FileEntry(Now(), "Partly", folder));
}

TEST_F(Quarantine, ACopyNeverTakesTheJournalsName) {
    const std::string impostor = machine.WriteFile("QuarantineLog.txt", "impostor");
    EXPECT_TRUE(QuarantineAndDeleteFolder(impostor));
    EXPECT_EQ(ReadFileBytes(Stored("QuarantineLog (2).txt")), "impostor");
    EXPECT_EQ(Journal(), FileEntry(Now(), "QuarantineLog (2).txt", impostor));
}

TEST_F(Quarantine, TheGuardKeepsTheProceduresAwayFromProtectedPlaces) {
    ASSERT_TRUE(CreateQuarantineFolder());
    const std::string kept = data.WriteFile("quarantine\\kept.exe", "kept");
    const std::string definitions = data.WriteFile("Definitions.dat", "defs");
    const std::string unix = "\\\\?\\unix\\nonexistent-tidewater\\evil.exe";
    EXPECT_FALSE(MayRemove(kept));
    EXPECT_EQ(QuarantineFile(kept), 0);
    EXPECT_FALSE(QuarantineAndKillFile(kept, "kept.exe"));
    EXPECT_EQ(QuarantineAndDeleteFile(data / "quarantine\\kept.dll"), 0);
    EXPECT_FALSE(QuarantineAndDeleteFolder(modFileRelated::QuarantineFolder()));
    EXPECT_FALSE(QuarantineAndDeleteFolder(data.Path()));
    EXPECT_FALSE(QuarantineAndDeleteFolder(definitions));
    EXPECT_FALSE(QuarantineCookieFile(definitions));
    EXPECT_EQ(QuarantineFile(unix), 0);
    EXPECT_FALSE(QuarantineAndDeleteFolder("\\\\?\\unix\\nonexistent-tidewater"));
    EXPECT_EQ(ReadFileBytes(kept), "kept");
    EXPECT_EQ(ReadFileBytes(definitions), "defs");
    EXPECT_EQ(QuarantineEntries(), Strings{"kept.exe"});
}

} // namespace
