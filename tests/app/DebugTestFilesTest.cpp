#include <windows.h>

#include "AnsiText.h"
#include "AppPath.h"
#include "DebugTestFiles.h"
#include "ScriptedMessageBoxes.h"
#include "TempFolder.h"
#include "TextRules.h"
#include "xfileExists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace DebugTestFiles;

const char kHeading[] = "The following files were still on the hard drive:\r\n\r\n";
const char kPlanted[] = "TEST FILE\r\n";

std::optional<std::string> FileBytes(const std::string& path) {
    std::ifstream file(Utf8ToWide(path).c_str(), std::ios::binary);
    if (!file)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void PutFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(Utf8ToWide(path).c_str(), std::ios::binary) << bytes;
}

std::string LastPart(const std::string& path) {
    return path.substr(path.rfind('\\') + 1);
}

bool IsFolderEntry(const std::string& path) {
    return LastPart(path).find('.') == std::string::npos;
}

// The folders CreateFolderPath makes for a path, outermost first.
std::vector<std::string> FolderChain(const std::string& path) {
    std::vector<std::string> chain;
    const std::vector<std::string> parts = TextRules::Split(path, "\\");
    std::string folder = parts.at(0);
    for (size_t i = 1; i < parts.size(); ++i)
        if (parts[i].find('.') == std::string::npos)
            chain.push_back(folder += "\\" + parts[i]);
    return chain;
}

TEST(DebugTestFiles, TheListHoldsNinetyOneThreatPathsOfTheKnownComposition) {
    TestFileList.assign(3, "C:\\stale.exe");
    LoadTestFileList();
    ASSERT_EQ(TestFileList.size(), 101u);
    EXPECT_EQ(TestFileList[0], "C:\\WINDOWS\\System32\\atmtd.dll");
    EXPECT_EQ(TestFileList[90], "c:\\WINDOWS\\System32\\senssrv.dll");
    for (size_t i = 91; i < 101; ++i)
        EXPECT_EQ(TestFileList[i], "") << i;

    int windowsFiles = 0, systemFiles = 0, rootFiles = 0, profileFiles = 0, programFolders = 0;
    int underscored = 0;
    for (size_t i = 0; i <= 90; ++i) {
        const std::string& path = TestFileList[i];
        SCOPED_TRACE(path);
        ASSERT_TRUE(path.rfind("C:\\", 0) == 0 || path.rfind("c:\\", 0) == 0);
        const std::string folder = TextRules::ToLower(path.substr(0, path.rfind('\\')));
        if (IsFolderEntry(path)) {
            // A program folder, followed by files inside it.
            EXPECT_EQ(folder, "c:\\program files");
            ++programFolders;
            ASSERT_LT(i, 90u);
            EXPECT_EQ(TestFileList[i + 1].rfind(path + "\\", 0), 0u);
            continue;
        }
        const std::string extension = TextRules::ToLower(path.substr(path.rfind('.')));
        if (extension == ".dll_")
            ++underscored;
        else
            EXPECT_TRUE(extension == ".exe" || extension == ".dll" || extension == ".ocx" ||
                        extension == ".sys");
        windowsFiles += folder == "c:\\windows";
        systemFiles += folder == "c:\\windows\\system32";
        rootFiles += folder == "c:";
        profileFiles += folder.find("\\application data\\") != std::string::npos;
    }
    EXPECT_EQ(programFolders, 7);
    EXPECT_EQ(profileFiles, 2);
    EXPECT_EQ(underscored, 1);
    EXPECT_GT(windowsFiles, 0);
    EXPECT_GT(systemFiles, 0);
    EXPECT_GT(rootFiles, 0);
}

TEST(DebugTestFiles, FolderPathsSkipTheDottedPartsAndNeedADrive) {
    TempFolder temp;
    // A dotted folder of the temporary folder itself would be skipped too.
    ASSERT_EQ(temp.Path().find('.'), std::string::npos);
    CreateFolderPath(temp / "one\\two\\file.exe");
    EXPECT_TRUE(xfileExists::FolderExists(temp / "one\\two"));
    EXPECT_FALSE(xfileExists::FolderExists(temp / "one\\two\\file.exe"));

    // The dotted part is left out and the parts after it go on from the folder before.
    CreateFolderPath(temp / "a.b\\c\\f.sys");
    EXPECT_FALSE(xfileExists::FolderExists(temp / "a.b"));
    EXPECT_TRUE(xfileExists::FolderExists(temp / "c"));

    MakeFolder(temp / "one"); // it exists: no error
    EXPECT_TRUE(xfileExists::FolderExists(temp / "one\\two"));
    MakeFolder("tidewater-no-drive");
    EXPECT_FALSE(xfileExists::FolderExists("tidewater-no-drive"));
    RemoveDirectoryW(L"tidewater-no-drive");
}

TEST(DebugTestFiles, GeneratingTwiceLeavesOneLinePerFileAndStopsAtTheFirstEmptySlot) {
    TempFolder temp;
    const std::string kept = temp.WriteFile("kept.sys", "keep");
    TestFileList = {temp / "Prog",     temp / "Prog\\x.exe", temp / "sub\\deeper\\y.dll", kept, "",
                    temp / "after.exe"};
    GenerateTestFiles();
    GenerateTestFiles();
    EXPECT_TRUE(xfileExists::FolderExists(temp / "Prog"));
    EXPECT_EQ(FileBytes(temp / "Prog\\x.exe"), kPlanted);
    EXPECT_EQ(FileBytes(temp / "sub\\deeper\\y.dll"), kPlanted);
    EXPECT_EQ(FileBytes(kept), "keep");
    EXPECT_FALSE(xfileExists::FileExists(temp / "after.exe"));
    EXPECT_FALSE(xfileExists::FolderExists(temp / "after.exe"));
}

// Everything the real list planted, and "lstdefs.txt", back as they were: also after a failure
// and after an earlier run that ended half-way.
class PlantedTestFiles {
  public:
    PlantedTestFiles() : lstdefs_(AppPath::Path() + "\\lstdefs.txt"), saved_(FileBytes(lstdefs_)) {
        LoadTestFileList();
        for (const std::string& path : TestFileList)
            if (!path.empty()) {
                paths_.push_back(path);
                for (const std::string& folder : FolderChain(path))
                    chain_.push_back(folder);
            }
        RemovePlanted();
        for (const std::string& folder : chain_)
            if (xfileExists::FolderExists(folder))
                existing_.push_back(folder);
    }
    ~PlantedTestFiles() {
        RemovePlanted();
        if (saved_)
            PutFileBytes(lstdefs_, *saved_);
        else
            DeleteFileW(Utf8ToWide(lstdefs_).c_str());
    }
    PlantedTestFiles(const PlantedTestFiles&) = delete;
    PlantedTestFiles& operator=(const PlantedTestFiles&) = delete;

    // Only files holding exactly the planted line go, and only folders left empty.
    void RemovePlanted() const {
        for (const std::string& path : paths_)
            if (FileBytes(path) == kPlanted)
                DeleteFileW(Utf8ToWide(path).c_str());
        for (auto folder = chain_.rbegin(); folder != chain_.rend(); ++folder)
            RemoveDirectoryW(Utf8ToWide(*folder).c_str());
    }
    // Every folder of the chains that was not there before the test.
    std::vector<std::string> NewFolders() const {
        std::vector<std::string> added;
        for (const std::string& folder : chain_)
            if (xfileExists::FolderExists(folder) &&
                std::find(existing_.begin(), existing_.end(), folder) == existing_.end())
                added.push_back(folder);
        return added;
    }
    const std::string& Lstdefs() const { return lstdefs_; }
    std::string AppendedLines() const {
        const std::string now = FileBytes(lstdefs_).value_or("");
        return now.substr(saved_.value_or("").size());
    }

  private:
    std::string lstdefs_;
    std::optional<std::string> saved_;
    std::vector<std::string> paths_, chain_, existing_;
};

// One test only plants the real list and writes "lstdefs.txt": parallel test processes share
// both.
TEST(DebugTestFiles, RemainingFilesAreShownTypedAndAppendedToLstdefs) {
    PlantedTestFiles planted;
    ScriptedMessageBoxes boxes;

    // Which files count, and their types.
    TempFolder temp;
    ASSERT_EQ(temp.Path().find('.'), std::string::npos);
    const std::string present[] = {"ipod.raw.exe", "x.DLL",     "y.sys",
                                   "z.ocx",        "w.Dll.exe", "v.dll_"};
    const char* const types[] = {"EXE", "DLL", "FILE", "FILE", "DLL", "DLL"};
    TestFileList.clear();
    for (const std::string& name : present)
        TestFileList.push_back(temp.WriteFile(name, "x"));
    TestFileList.push_back(temp.MakeFolder("folder.exe")); // a folder never counts
    TestFileList.push_back(temp / "missing.exe");
    TestFileList.push_back("");
    TestFileList.push_back(temp.WriteFile("after.exe", "x"));
    std::string report, lines;
    for (size_t i = 0; i < std::size(present); ++i) {
        report += temp / present[i] + "\r\n";
        lines += "NAME|" + temp / present[i] + "|" + types[i] + "|NAME|TYPE\r\n";
    }
    boxes.Expect(IDOK);
    ShowRemainingTestFiles();
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].prompt, kHeading + report);
    EXPECT_EQ(boxes.Shown()[0].style, static_cast<unsigned>(MB_OK));
    EXPECT_EQ(planted.AppendedLines(), lines + "\r\n");

    // The real list, planted twice: one line in each file, each program folder a folder.
    LoadTestFileList();
    GenerateTestFiles();
    GenerateTestFiles();
    report.clear();
    size_t files = 0;
    for (const std::string& path : TestFileList) {
        if (path.empty())
            break;
        SCOPED_TRACE(path);
        if (IsFolderEntry(path)) {
            EXPECT_TRUE(xfileExists::FolderExists(path));
            continue;
        }
        EXPECT_EQ(FileBytes(path), kPlanted);
        report += path + "\r\n";
        ++files;
    }
    EXPECT_EQ(files, 84u);
    const std::string before = planted.AppendedLines();
    boxes.Expect(IDOK);
    ShowRemainingTestFiles();
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[1].prompt, kHeading + report);
    const std::string appended = planted.AppendedLines().substr(before.size());
    EXPECT_EQ(TextRules::SplitLines(appended).size(), 85u);
    EXPECT_EQ(appended.rfind("NAME|C:\\WINDOWS\\System32\\atmtd.dll|DLL|NAME|TYPE\r\n", 0), 0u);
    EXPECT_NE(appended.find("\r\nNAME|c:\\WINDOWS\\System32\\ipod.raw.exe|EXE|NAME|TYPE\r\n"),
              std::string::npos);
    EXPECT_NE(appended.find("\r\nNAME|c:\\WINDOWS\\System32\\kbdwtch.sys|FILE|NAME|TYPE\r\n"),
              std::string::npos);

    // After a removal of every planted file: the heading alone, and one line break appended.
    planted.RemovePlanted();
    EXPECT_TRUE(planted.NewFolders().empty());
    const std::string beforeEmpty = planted.AppendedLines();
    boxes.Expect(IDOK);
    ShowRemainingTestFiles();
    ASSERT_EQ(boxes.Shown().size(), 3u);
    EXPECT_EQ(boxes.Shown()[2].prompt, kHeading);
    EXPECT_EQ(planted.AppendedLines(), beforeEmpty + "\r\n");
}

} // namespace
