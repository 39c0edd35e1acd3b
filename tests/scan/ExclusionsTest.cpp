#include <windows.h>

#include "AnsiText.h"
#include "Exclusions.h"
#include "ScanFixture.h"
#include "modGlobals.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Reads the raw bytes of a file; false when it cannot be opened.
bool ReadBytes(const std::string& path, std::string& content) {
    HANDLE file =
        CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    content.clear();
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        content.append(buffer, read);
    CloseHandle(file);
    return true;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesW(Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

class ExclusionsTest : public ScanFixture {
  protected:
    std::string ExclusionFile() const { return data / "ENoSignature.dat"; }

    std::string FileBytes() const {
        std::string content;
        EXPECT_TRUE(ReadBytes(ExclusionFile(), content)) << ExclusionFile();
        return content;
    }

    void Load(const std::string& content) {
        WritePlainFile("ENoSignature.dat", content);
        modGlobals::LoadExclusions();
    }
};

TEST_F(ExclusionsTest, AddExclusionCreatesThePlainFileWithTheTrimmedItemAndTwoLineEnds) {
    ASSERT_FALSE(FileExists(ExclusionFile()));

    EXPECT_TRUE(modGlobals::AddExclusion("  C:\\Bad Folder\\x.exe  "));

    EXPECT_EQ(FileBytes(), "C:\\Bad Folder\\x.exe\r\n\r\n");
    // Reloaded at once; the blank line after the item is no entry.
    EXPECT_EQ(modGlobals::ExclusionList, "C:\\Bad Folder\\x.exe|");
    EXPECT_TRUE(modGlobals::IsExcluded("c:\\bad folder\\X.EXE"));
}

TEST_F(ExclusionsTest, AddExclusionAppendsToWhatTheFileHolds) {
    modGlobals::AddExclusion("first.exe");
    modGlobals::AddExclusion("C:\\Second");
    EXPECT_EQ(FileBytes(), "first.exe\r\n\r\nC:\\Second\r\n\r\n");
    EXPECT_EQ(modGlobals::ExclusionList, "first.exe|C:\\Second|");

    // A file written earlier (without a final line end) is kept as it is.
    WritePlainFile("ENoSignature.dat", "old entry");
    modGlobals::AddExclusion("new entry");
    EXPECT_EQ(FileBytes(), "old entrynew entry\r\n\r\n");
}

TEST_F(ExclusionsTest, AddExclusionWritesAnsiTextAndReadsItBack) {
    EXPECT_TRUE(modGlobals::AddExclusion("C:\\Ärger\\tool.exe"));

    const std::string bytes = FileBytes();
    EXPECT_EQ(bytes, Utf8ToAnsi("C:\\Ärger\\tool.exe") + "\r\n\r\n");
    if (GetACP() == 1252) {
        EXPECT_EQ(bytes, "C:\\\xC4rger\\tool.exe\r\n\r\n");
    }
    // The list holds the program's own (UTF-8) text again.
    EXPECT_EQ(modGlobals::ExclusionList, "C:\\Ärger\\tool.exe|");
    EXPECT_TRUE(modGlobals::IsExcluded("c:\\ärger\\TOOL.exe"));
}

TEST_F(ExclusionsTest, AnItemTheAnsiFileCannotHoldIsNotAdded) {
    EXPECT_TRUE(modGlobals::AddExclusion("C:\\kept.exe"));
    const std::string before = FileBytes();
    // Greek, Japanese and an emoji: no single ANSI code page holds all of them, and an item
    // stored as "?" would never match again.
    for (const std::string item :
         {"  C:\\Ωmega\\tool.exe", "C:\\日本\\x.exe", "C:\\Games\\😀.exe"}) {
        EXPECT_FALSE(modGlobals::AddExclusion(item)) << item;
        EXPECT_EQ(FileBytes(), before) << item;
        EXPECT_EQ(modGlobals::ExclusionList, "C:\\kept.exe|") << item;
        EXPECT_FALSE(modGlobals::IsExcluded(item)) << item;
    }
}

TEST_F(ExclusionsTest, LoadKeepsEveryNonBlankLineAsReadEachFollowedByABar) {
    Load("a\r\nb\r\n");
    EXPECT_EQ(modGlobals::ExclusionList, "a|b|");

    // Blank lines and lines of spaces are skipped; other lines keep their spaces.
    Load("\r\n   \r\n  spaced  \r\n\r\nlast");
    EXPECT_EQ(modGlobals::ExclusionList, "  spaced  |last|");

    // A lone CR ends a line too; a lone LF does not.
    Load("one\rtwo\r\nthree\nfour\r");
    EXPECT_EQ(modGlobals::ExclusionList, "one|two|three\nfour|");
}

TEST_F(ExclusionsTest, LoadConvertsAnsiLinesToTheProgramsText) {
    Load(Utf8ToAnsi("Ärger.exe") + "\r\n");
    EXPECT_EQ(modGlobals::ExclusionList, "Ärger.exe|");
}

TEST_F(ExclusionsTest, LoadReplacesThePreviousListAndAMissingFileGivesAnEmptyOne) {
    modGlobals::ExclusionList = "stale|";
    modGlobals::LoadExclusions();
    EXPECT_EQ(modGlobals::ExclusionList, "");
    EXPECT_FALSE(modGlobals::IsExcluded("stale"));

    Load("fresh\r\n");
    Load("other\r\n");
    EXPECT_EQ(modGlobals::ExclusionList, "other|");
}

TEST_F(ExclusionsTest, LoadOfAnEmptyFileGivesAnEmptyList) {
    Load("");
    EXPECT_EQ(modGlobals::ExclusionList, "");
    Load("\r\n\r\n  \r\n");
    EXPECT_EQ(modGlobals::ExclusionList, "");
}

TEST_F(ExclusionsTest, IsExcludedMatchesAWholeEntryInAnyCase) {
    Load(Utf8ToAnsi("C:\\Program Files\\Keep\\keep.exe\r\nÄrger\r\n"));

    EXPECT_TRUE(modGlobals::IsExcluded("C:\\Program Files\\Keep\\keep.exe"));
    EXPECT_TRUE(modGlobals::IsExcluded("c:\\PROGRAM FILES\\keep\\KEEP.EXE"));
    EXPECT_TRUE(modGlobals::IsExcluded("ärger"));
    EXPECT_TRUE(modGlobals::IsExcluded("ÄRGER"));
    // The item is also compared trimmed.
    EXPECT_TRUE(modGlobals::IsExcluded("   ärger  "));

    // Parts, longer texts and other items are not excluded.
    EXPECT_FALSE(modGlobals::IsExcluded("keep.exe"));
    EXPECT_FALSE(modGlobals::IsExcluded("C:\\Program Files\\Keep"));
    EXPECT_FALSE(modGlobals::IsExcluded("C:\\Program Files\\Keep\\keep.exe.bak"));
    EXPECT_FALSE(modGlobals::IsExcluded("Ärger2"));
    EXPECT_FALSE(modGlobals::IsExcluded("arger"));
}

TEST_F(ExclusionsTest, AnEntryKeptWithSpacesMatchesOnlyTheSameSpacedItem) {
    Load("  spaced  \r\n");
    EXPECT_TRUE(modGlobals::IsExcluded("  SPACED  "));
    EXPECT_FALSE(modGlobals::IsExcluded("spaced"));
}

TEST_F(ExclusionsTest, ABlankItemIsNeverExcluded) {
    // The list ends with "|", which leaves an empty piece that must not match.
    Load("entry\r\n");
    ASSERT_EQ(modGlobals::ExclusionList, "entry|");
    EXPECT_FALSE(modGlobals::IsExcluded(""));
    EXPECT_FALSE(modGlobals::IsExcluded("   "));
    EXPECT_FALSE(modGlobals::IsExcludedOrContains(""));
    EXPECT_FALSE(modGlobals::IsExcludedOrContains("   "));

    Load("");
    EXPECT_FALSE(modGlobals::IsExcluded(""));
    EXPECT_FALSE(modGlobals::IsExcludedOrContains(""));
    EXPECT_FALSE(modGlobals::IsExcludedOrContains("C:\\anything"));
}

TEST_F(ExclusionsTest, IsExcludedOrContainsAlsoCoversItemsBelowAnExcludedFolder) {
    Load(Utf8ToAnsi("C:\\Bad Folder\r\nÄrger\r\n"));

    EXPECT_TRUE(modGlobals::IsExcludedOrContains("C:\\Bad Folder"));
    EXPECT_TRUE(modGlobals::IsExcludedOrContains("  c:\\bad folder "));
    EXPECT_TRUE(modGlobals::IsExcludedOrContains("C:\\Bad Folder\\Sub\\file.dll"));
    EXPECT_TRUE(modGlobals::IsExcludedOrContains("c:\\BAD FOLDER\\sub"));
    EXPECT_TRUE(modGlobals::IsExcludedOrContains("C:\\Users\\ärger\\x.exe"));

    EXPECT_FALSE(modGlobals::IsExcludedOrContains("C:\\Good Folder\\file.dll"));
    EXPECT_FALSE(modGlobals::IsExcludedOrContains("C:\\Bad"));
    EXPECT_FALSE(modGlobals::IsExcludedOrContains("Arger"));
    // IsExcluded itself does not look inside the item.
    EXPECT_FALSE(modGlobals::IsExcluded("C:\\Bad Folder\\Sub\\file.dll"));
}
