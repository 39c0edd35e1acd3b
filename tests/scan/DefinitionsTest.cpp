#include "Definitions.h"
#include "DefinitionFile.h"
#include "SafetyList.h"
#include "ScanFixture.h"
#include "ScanMessages.h"
#include "ScanProgress.h"
#include "modGenDec.h"
#include "modGlobals.h"
#include "xfileExists.h"

#include <windows.h>
#include <shlobj.h>

using modGlobals::FileDefinitionTable;
using modGlobals::FolderDefinitionTable;

namespace {

std::string WindowsFolderLower() {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    std::string folder;
    for (const wchar_t* c = windows; *c; ++c)
        folder += static_cast<char>(*c >= L'A' && *c <= L'Z' ? *c - L'A' + L'a' : *c);
    return folder;
}

class Definitions : public ScanFixture {};

TEST_F(Definitions, FieldRulesAndCarryOver) {
    WriteDefinitionFile(kFileDefinitionFile, {
                                                 "first.exe=Threat One",
                                                 "  Second.DLL  =  Threat Two|[windir]|TYPE",
                                                 "third.exe=Threat Three",
                                                 "fourth.exe|c:\\\\x\\\\|Adware",
                                                 "fifth.exe=Five|[drive]Program Files\\Five",
                                             });
    modGlobals::LoadDefinitions();
    ASSERT_EQ(FileDefinitionTable.size(), 5u);
    const std::string windows = WindowsFolderLower() + "\\";

    EXPECT_EQ(FileDefinitionTable[0].Name, "first.exe");
    EXPECT_EQ(FileDefinitionTable[0].ThreatName, "Threat One");
    EXPECT_EQ(FileDefinitionTable[0].Path, "");
    EXPECT_EQ(FileDefinitionTable[0].Type, "");

    EXPECT_EQ(FileDefinitionTable[1].Name, "second.dll");
    EXPECT_EQ(FileDefinitionTable[1].ThreatName, "  Threat Two");
    EXPECT_EQ(FileDefinitionTable[1].Path, windows);
    EXPECT_EQ(FileDefinitionTable[1].Type, "Spyware");

    // No "|": empty path, the type carries over.
    EXPECT_EQ(FileDefinitionTable[2].Path, "");
    EXPECT_EQ(FileDefinitionTable[2].Type, "Spyware");
    // No "=": the threat name carries over; doubled backslashes collapse, one trailing "\".
    EXPECT_EQ(FileDefinitionTable[3].Name, "fourth.exe");
    EXPECT_EQ(FileDefinitionTable[3].ThreatName, "Threat Three");
    EXPECT_EQ(FileDefinitionTable[3].Path, "c:\\x\\");
    EXPECT_EQ(FileDefinitionTable[3].Type, "Adware");
    // "[drive]" stays for match time.
    EXPECT_EQ(FileDefinitionTable[4].Path, "[drive]program files\\five\\");
}

TEST_F(Definitions, FolderTableKeepsTypesAsWrittenAndNoTrailingBackslash) {
    WriteDefinitionFile(kFileDefinitionFile, {"a.exe=A|c:\\a|Hijacker"});
    WriteDefinitionFile(kDirectoryDefinitionFile,
                        {"Bad=Bad Folder|[windir]Bad\\", "Other=Other|[windir]|TYPE"});
    modGlobals::LoadDefinitions();
    ASSERT_EQ(FolderDefinitionTable.size(), 2u);
    EXPECT_EQ(FolderDefinitionTable[0].Name, "bad");
    EXPECT_EQ(FolderDefinitionTable[0].Path, WindowsFolderLower() + "\\bad");
    // The folder definitions continue the file definitions' type.
    EXPECT_EQ(FolderDefinitionTable[0].Type, "Hijacker");
    EXPECT_EQ(FolderDefinitionTable[1].Path, WindowsFolderLower());
    EXPECT_EQ(FolderDefinitionTable[1].Type, "TYPE");
}

TEST_F(Definitions, LinesThatCannotMatchAreNotStored) {
    WriteDefinitionFile(kFileDefinitionFile, {"=No Name|c:\\x", "", "good.exe=Good"});
    WriteDefinitionFile(kDirectoryDefinitionFile, {"nopath=No Path", "ok=Ok|c:\\ok"});
    modGlobals::LoadDefinitions();
    ASSERT_EQ(FileDefinitionTable.size(), 1u);
    EXPECT_EQ(FileDefinitionTable[0].Name, "good.exe");
    ASSERT_EQ(FolderDefinitionTable.size(), 1u);
    EXPECT_EQ(FolderDefinitionTable[0].Name, "ok");
}

TEST_F(Definitions, SafeItemsAreNotLoaded) {
    WriteDefinitionFile(kSafetyFile,
                        {"SFILE|good.exe=x|c:\\apps\\good.exe", "SDIR|tools=x|c:\\tools"});
    WriteDefinitionFile(kFileDefinitionFile, {"good.exe=G|c:\\apps", "bad.exe=B|c:\\apps"});
    WriteDefinitionFile(kDirectoryDefinitionFile, {"tools=T|c:\\tools", "evil=E|c:\\evil"});
    modGlobals::LoadSafetyList();
    modGlobals::LoadDefinitions();
    ASSERT_EQ(FileDefinitionTable.size(), 1u);
    EXPECT_EQ(FileDefinitionTable[0].Name, "bad.exe");
    ASSERT_EQ(FolderDefinitionTable.size(), 1u);
    EXPECT_EQ(FolderDefinitionTable[0].Name, "evil");

    // A list of thousands, as a user's is: every entry still keeps its definition out, and
    // no other definition is taken for one of them.
    constexpr int kEntries = 6000;
    std::vector<std::string> safety, files;
    for (int i = 0; i < 2 * kEntries; ++i) {
        const std::string name = "f" + std::to_string(i) + ".dll";
        if (i % 2 == 0)
            safety.push_back("SFILE|" + name + "=x|c:\\apps\\" + name);
        files.push_back(name + "=F|c:\\apps");
    }
    WriteDefinitionFile(kSafetyFile, safety);
    WriteDefinitionFile(kFileDefinitionFile, files);
    modGlobals::LoadSafetyList();
    modGlobals::LoadDefinitions();
    ASSERT_EQ(FileDefinitionTable.size(), static_cast<size_t>(kEntries));
    for (size_t i = 0; i < FileDefinitionTable.size(); ++i)
        EXPECT_EQ(FileDefinitionTable[i].Name, "f" + std::to_string(2 * i + 1) + ".dll");
}

TEST_F(Definitions, AMissingSpecialFolderSkipsTheLine) {
    const MissingSpecialFolder missing(CSIDL_COMMON_ALTSTARTUP);
    WriteDefinitionFile(kFileDefinitionFile, {"run.exe=R|[comstar]", "run.exe=R2|[windir]"});
    modGlobals::LoadDefinitions();
    ASSERT_EQ(FileDefinitionTable.size(), 1u);
    EXPECT_EQ(FileDefinitionTable[0].ThreatName, "R2");
}

TEST_F(Definitions, TablesStopAtTheirSlotCount) {
    std::vector<std::string> lines;
    for (size_t i = 0; i <= kDefinitionSlots; ++i)
        lines.push_back("f" + std::to_string(i) + "=T");
    WriteDefinitionFile(kFileDefinitionFile, lines);
    modGlobals::LoadDefinitions();
    ASSERT_EQ(FileDefinitionTable.size(), kDefinitionSlots);
    EXPECT_EQ(FileDefinitionTable.back().Name, "f" + std::to_string(kDefinitionSlots - 1));
}

TEST_F(Definitions, KeptUntilTheFilesChangeOrAStopCutTheLoadShort) {
    WriteDefinitionFile(kFileDefinitionFile, {"a.exe=A"});
    modGlobals::LoadDefinitions();
    ASSERT_EQ(FileDefinitionTable.size(), 1u);
    FileDefinitionTable = {{"a.exe", "", "", "kept"}};
    modGlobals::LoadDefinitions();
    EXPECT_EQ(FileDefinitionTable[0].ThreatName, "kept");

    // An update replaced the file: the next scan sees the new definitions.
    WriteDefinitionFile(kFileDefinitionFile, {"a.exe=A", "b.exe=B"});
    modGlobals::LoadDefinitions();
    EXPECT_EQ(FileDefinitionTable.size(), 2u);

    // A Stop during the load leaves the tables incomplete; the next load reads them again.
    modGlobals::StopScanRequested = true;
    WriteDefinitionFile(kDirectoryDefinitionFile, {"d=D|c:\\d"});
    modGlobals::LoadDefinitions();
    EXPECT_TRUE(FileDefinitionTable.empty());
    modGlobals::StopScanRequested = false;
    modGlobals::LoadDefinitions();
    EXPECT_EQ(FileDefinitionTable.size(), 2u);
    EXPECT_EQ(FolderDefinitionTable.size(), 1u);
    EXPECT_TRUE(ScanDisplay().cmdPause.Enabled);
    EXPECT_TRUE(ScanDisplay().cmdStop.Enabled);
    EXPECT_EQ(ScanDisplay().lblStatus.Caption, "Loading definitions, please wait...");
}

TEST_F(Definitions, EachLoadHoldsOnlyItsOwnEntries) {
    // A larger set, a smaller one, then a larger one again: a table filled anew shows nothing
    // of an earlier set, whatever memory it kept from it. The lines are written as loaded.
    const auto line = [](const DefinitionEntry& entry) {
        return entry.Name + "=" + entry.ThreatName + "|" + entry.Path + "|" + entry.Type;
    };
    for (const size_t count : {3u, 1u, 2u}) {
        std::vector<std::string> files, folders;
        for (size_t i = 0; i < count; ++i) {
            const std::string n = std::to_string(count) + "-" + std::to_string(i);
            files.push_back("f" + n + ".exe=File " + n + "|c:\\f" + n + "\\|Kind " + n);
            folders.push_back("d" + n + "=Folder " + n + "|c:\\d" + n + "|Sort " + n);
        }
        WriteDefinitionFile(kFileDefinitionFile, files);
        WriteDefinitionFile(kDirectoryDefinitionFile, folders);
        modGlobals::LoadDefinitions();
        ASSERT_EQ(FileDefinitionTable.size(), count);
        ASSERT_EQ(FolderDefinitionTable.size(), count);
        for (size_t i = 0; i < count; ++i) {
            EXPECT_EQ(line(FileDefinitionTable.Entry(i)), files[i]);
            EXPECT_EQ(line(FolderDefinitionTable.Entry(i)), folders[i]);
        }
    }
}

TEST(DefinitionMemory, AFileOfAnySizeReservesWhatCanBeHad) {
    // A corrupt file can claim any size; the room made for its lines stays within bounds.
    PackedTextList list;
    EXPECT_NO_THROW(list.ReserveForFile(uint64_t(1) << 44, 4, SIZE_MAX));
    list.push_back("kept");
    EXPECT_EQ(list[0], "kept");
}

TEST_F(Definitions, DefinitionsAppearingAfterAScanWithoutThemAreLoaded) {
    modGlobals::LoadDefinitions();
    EXPECT_TRUE(FileDefinitionTable.empty());
    WriteDefinitionFile(kFileDefinitionFile, {"late.exe=Late"});
    modGlobals::LoadDefinitions();
    EXPECT_EQ(FileDefinitionTable.size(), 1u);
}

TEST_F(Definitions, CountsEveryLineOfEachFile) {
    std::vector<std::string> ten(10, "x=y"), five(5, "");
    WriteDefinitionFile(kFileDefinitionFile, ten);
    WriteDefinitionFile(kDirectoryDefinitionFile, five);
    EXPECT_EQ(modGlobals::CountDefinitions(), 15);
    EXPECT_EQ(modGlobals::FileDefinitionCount, 15);
    EXPECT_EQ(modGlobals::CookieDefinitionCount, 0);
    EXPECT_EQ(modGlobals::RegistryDefinitionCount, 0);
    EXPECT_EQ(modGlobals::ExeDefinitionCount, 0);

    WriteDefinitionFile(kBlockedCookiesFile, {"*ads*", "tracker"});
    WriteDefinitionFile(kExeDefinitionFile, {"a=b"}, false);
    WriteDefinitionFile(kRegistryDefinitionFile, {"2^Software\\Bad^=Bad", "a", "b"});
    WriteDefinitionFile(kSafetyFile, {"SFILE|x=y|c:\\x"});
    EXPECT_EQ(modGlobals::CountDefinitions(), 21);
    EXPECT_EQ(modGlobals::CookieDefinitionCount, 2);
    EXPECT_EQ(modGlobals::ExeDefinitionCount, 1);
    EXPECT_EQ(modGlobals::RegistryDefinitionCount, 3);
}

TEST_F(Definitions, AMissingFileResetsAllOfThem) {
    SetScanMessageLookup([](const std::string& id) { return "text of " + id; });
    for (const char* name : {kFileDefinitionFile, kDirectoryDefinitionFile, kRegistryDefinitionFile,
                             kBlockedCookiesFile, kExeDefinitionFile, kSafetyFile, kDateFile})
        WriteDefinitionFile(name, {"x"});
    EXPECT_TRUE(modGlobals::CheckDefinitionFiles());

    DeleteFileA((data / kExeDefinitionFile).c_str());
    EXPECT_FALSE(modGlobals::CheckDefinitionFiles());
    SetScanMessageLookup(nullptr);
    EXPECT_EQ(ScanDisplay().lblDefVersion.Caption, "text of MSG_MISSINGFILES");
    for (const char* name : {kFileDefinitionFile, kDirectoryDefinitionFile, kRegistryDefinitionFile,
                             kBlockedCookiesFile, kDateFile})
        EXPECT_FALSE(xfileExists::FileExists(data / name)) << name;
    EXPECT_TRUE(xfileExists::FileExists(data / kSafetyFile));
}

} // namespace
