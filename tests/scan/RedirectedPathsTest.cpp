// The definitions, the safety list, the exclusions, Smart Scan's known locations and the process
// list meet at the place a 32-bit program reached, whichever way each spells it.
#include "AnsiText.h"
#include "DefinitionFile.h"
#include "Definitions.h"
#include "Exclusions.h"
#include "MScanFolder.h"
#include "ManualScanState.h"
#include "ModMemoryItemsInspected.h"
#include "PlantedProcess.h"
#include "RedirectionTable.h"
#include "SafetyList.h"
#include "ScanFixture.h"
#include "ScanResults.h"
#include "TextRules.h"
#include "modGlobals.h"
#include "xfileExists.h"

#include <algorithm>

#include <windows.h>

namespace {

using TextRules::EqualsNoCase;
using TextRules::ToLower;

const bool k64BitProcess = sizeof(void*) == 8;

std::string SystemFolder() {
    wchar_t path[MAX_PATH] = {};
    GetSystemDirectoryW(path, MAX_PATH);
    return WideToUtf8(path);
}

// Files planted in the system's folders of the sandbox prefix, with the folders they need;
// removed with the object, with every folder it made. A file that was there before stays.
class PlantedSystemFiles {
  public:
    ~PlantedSystemFiles() {
        for (const std::wstring& file : files_)
            DeleteFileW(file.c_str());
        // The deepest first; a folder someone else filled meanwhile stays.
        for (auto folder = folders_.rbegin(); folder != folders_.rend(); ++folder)
            RemoveDirectoryW(folder->c_str());
    }
    void MakeFolder(const std::string& path) {
        // Only inside the sandbox's one drive.
        ASSERT_TRUE(path.size() > 3 && toupper(path[0]) == 'C' && path.substr(1, 2) == ":\\")
            << path;
        for (size_t slash = path.find('\\', 3);; slash = path.find('\\', slash + 1)) {
            const std::wstring folder = Utf8ToWide(path.substr(0, slash));
            if (CreateDirectoryW(folder.c_str(), nullptr))
                folders_.push_back(folder);
            if (slash == std::string::npos)
                break;
        }
    }
    void Plant(const std::string& path) {
        MakeFolder(path.substr(0, path.rfind('\\')));
        const std::wstring wide = Utf8ToWide(path);
        HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS)) << path;
            return;
        }
        DWORD written = 0;
        WriteFile(file, "planted", 7, &written, nullptr);
        CloseHandle(file);
        files_.push_back(wide);
    }

  private:
    std::vector<std::wstring> files_, folders_;
};

class RedirectedPaths : public ScanFixture {
  protected:
    // One definition line per spelling, the threat named after it: "row/spelling".
    static std::vector<std::string> LinesOfEverySpelling() {
        std::vector<std::string> lines;
        for (size_t r = 0; r < RedirectionRows().size(); ++r) {
            const RedirectionRow& row = RedirectionRows()[r];
            for (size_t s = 0; s < row.spellings.size(); ++s)
                lines.push_back(row.fileName + "=" + Threat(r, s) + "|" + row.spellings[s].folder);
        }
        return lines;
    }
    static std::string Threat(size_t r, size_t s) {
        return std::to_string(r) + "/" + std::to_string(s);
    }
    // Whether two spellings of a row meet: always in a 64-bit process, which translates both;
    // in a 32-bit one only when the names are the same, the system redirecting each.
    static bool Meet(const RedirectionSpelling& a, const RedirectionSpelling& b) {
        return k64BitProcess || EqualsNoCase(a.name, b.name);
    }
    RedirectedPaths() { ModMemoryItemsInspected::LastProcessNames.clear(); }
    void Load() {
        ++modGlobals::DefinitionFilesGeneration;
        modGlobals::LoadSafetyList();
        modGlobals::LoadDefinitions();
    }

    RedirectionTableVersion windows7;
};

TEST_F(RedirectedPaths, TheLoadersKeepEachSpellingAsThePlaceItReached) {
    WriteDefinitionFile(kFileDefinitionFile, LinesOfEverySpelling());
    WriteDefinitionFile(kExeDefinitionFile, LinesOfEverySpelling());
    Load();
    ModMemoryItemsInspected::ScanRunningProcessesNT();
    size_t line = 0;
    for (const RedirectionRow& row : RedirectionRows()) {
        for (const RedirectionSpelling& spelling : row.spellings) {
            const std::string reached = ReachedPath(row, spelling);
            ASSERT_LT(line, modGlobals::FileDefinitionTable.size());
            const DefinitionEntry entry = modGlobals::FileDefinitionTable.Entry(line++);
            EXPECT_EQ(entry.Path + entry.Name, ToLower(reached)) << spelling.folder;
            EXPECT_NE(ModMemoryItemsInspected::ExeDefinitionList.find(
                          "|" + TextRules::ToUpper(reached) + "|"),
                      std::string::npos)
                << spelling.folder;
        }
    }
}

TEST_F(RedirectedPaths, ASafetyLineOrAnExclusionInAnySpellingCoversEveryOtherOfItsPlace) {
    WriteDefinitionFile(kFileDefinitionFile, LinesOfEverySpelling());
    const std::vector<RedirectionRow>& rows = RedirectionRows();
    for (size_t r = 0; r < rows.size(); ++r) {
        for (const RedirectionSpelling& safe : rows[r].spellings) {
            const std::string spelled = SpelledPath(rows[r], safe);
            WriteDefinitionFile(kSafetyFile, {"SFILE|" + rows[r].fileName + "=x|" + spelled});
            modGlobals::ExclusionList = spelled + "|";
            Load();
            std::vector<std::string> loaded;
            for (size_t slot = 0; slot < modGlobals::FileDefinitionTable.size(); ++slot)
                loaded.emplace_back(modGlobals::FileDefinitionTable[slot].ThreatName);
            for (size_t other = 0; other < rows.size(); ++other) {
                for (size_t s = 0; s < rows[other].spellings.size(); ++s) {
                    const RedirectionSpelling& spelling = rows[other].spellings[s];
                    const bool covered = other == r && Meet(safe, spelling);
                    const bool kept =
                        std::find(loaded.begin(), loaded.end(), Threat(other, s)) != loaded.end();
                    EXPECT_EQ(kept, !covered) << spelled << " and " << spelling.folder;
                    EXPECT_EQ(modGlobals::IsExcluded(ReachedPath(rows[other], spelling)), covered)
                        << spelled << " and " << spelling.folder;
                }
            }
        }
    }
}

TEST_F(RedirectedPaths, AnExclusionTheProgramWritesCoversThePlaceItWasGiven) {
    for (const RedirectionRow& row : RedirectionRows())
        ASSERT_TRUE(modGlobals::AddExclusion(row.place));
    for (const RedirectionRow& row : RedirectionRows())
        EXPECT_TRUE(modGlobals::IsExcluded(row.place)) << row.place;
}

TEST_F(RedirectedPaths, SmartScanLooksAtThePlaceEachSpellingReached) {
    PlantedSystemFiles planted;
    for (const RedirectionRow& row : RedirectionRows())
        for (const RedirectionSpelling& spelling : row.spellings)
            planted.Plant(ReachedPath(row, spelling));
    std::vector<std::string> lines = LinesOfEverySpelling();
    // The system's own hosts file, which the redirection leaves where it is; and a file only in
    // the system's own System32, where a 32-bit program's "System32" never led.
    const std::string hosts = SystemFolder() + "\\drivers\\etc\\hosts";
    const RedirectionRow& native = RedirectionRows()[1];
    ASSERT_TRUE(EqualsNoCase(native.place, SystemFolder() + "\\" + native.fileName));
    lines.push_back("hosts=Hosts|[system]drivers\\etc");
    lines.push_back(native.fileName + "=Not There|[windir]\\system32");
    WriteDefinitionFile(kFileDefinitionFile, lines);
    MScanFolder::ScanFileDefinitions();

    std::vector<std::string> expected;
    for (const RedirectionRow& row : RedirectionRows())
        for (const RedirectionSpelling& spelling : row.spellings) {
            const std::string reached = ReachedPath(row, spelling);
            // A file the prefix held before and planting left alone may be the system's own.
            if (!ModMemoryItemsInspected::IsExemptCompany(
                    ModMemoryItemsInspected::GetFileCompanyName(reached), true))
                expected.push_back(ToLower(reached));
        }
    expected.push_back(ToLower(hosts));
    const ui::ListView& found = ScanLists().lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    ASSERT_EQ(found.Count(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(ToLower(found.Item(i).SubItem(1)), expected[i]) << found.Item(i).Text;
}

TEST_F(RedirectedPaths, AProgramInAnExemptFolderIsJudgedByItsOwnFile) {
    const std::string folder = SystemFolder() + "\\spool\\drivers\\x64\\3";
    PlantedSystemFiles planted;
    planted.MakeFolder(folder);
    PlantedProcess maker(UniqueProcessName("MAKER.EXE"), PlantedProcess::Image::MicrosoftCompany,
                         folder);
    PlantedProcess threat(UniqueProcessName("X.EXE"), PlantedProcess::Image::NoVersion, folder);
    WriteDefinitionFile(
        kExeDefinitionFile,
        {xfileExists::FileNamePart(maker.Path()) + "=T|[system]spool\\drivers\\x64\\3",
         xfileExists::FileNamePart(threat.Path()) + "=T|[system]spool\\drivers\\x64\\3"});
    std::vector<uint32_t> alerted;
    SetManualScanTest([] { return false; });
    ModMemoryItemsInspected::SetProcessAlertWindow(
        [&](const ModMemoryItemsInspected::RunningProcessAlert& alert) {
            alerted.push_back(alert.processId);
            ModMemoryItemsInspected::AlertAnswered = true;
        });
    ModMemoryItemsInspected::ScanRunningProcessesNT();
    SetManualScanTest(nullptr);
    ModMemoryItemsInspected::SetProcessAlertWindow(nullptr);
    // The maker's own version block was read, not that of a file elsewhere.
    EXPECT_EQ(alerted, std::vector<uint32_t>{threat.Id()});
    const std::string place =
        TextRules::ToUpper(folder + "\\" + xfileExists::FileNamePart(threat.Path()));
    EXPECT_NE(ModMemoryItemsInspected::ExeDefinitionList.find("|" + place + "|"),
              std::string::npos);
}

TEST_F(RedirectedPaths, AChosenSystemFolderIsScannedWhereA32BitProgramLooked) {
    const std::string sub = "\\tw" + std::to_string(GetCurrentProcessId()) + "-chosen\\";
    const std::string named = SystemFolder() + sub;
    const RedirectionRow& system = RedirectionRows()[0];
    const std::string x86 = system.place.substr(0, system.place.rfind('\\')) + sub;
    PlantedSystemFiles planted;
    planted.Plant(x86 + "evil.dll");
    planted.Plant(named + "evil.dll");
    planted.Plant(named + "lonely.dll");
    WriteDefinitionFile(kFileDefinitionFile,
                        {"evil.dll=Evil|[system]" + sub, "lonely.dll=Lonely|[system]" + sub});
    Load();
    const ui::ListView& found = ScanLists().lvwPicRemoveListOfSpywareFoundAndToBeRemoved;

    // The user's folder leads where it led a 32-bit program, and what is found there is listed
    // by its own name, which the removal acts on. (In a 32-bit process the system shows the x86
    // folder's files under the name chosen.)
    MScanFolder::ScanFolderFiles(named);
    ASSERT_EQ(found.Count(), k64BitProcess ? 1u : 2u);
    EXPECT_TRUE(EqualsNoCase(found.Item(0).SubItem(1), (k64BitProcess ? x86 : named) + "evil.dll"));
    // A file only the system's own folder holds was out of that program's sight.
    MScanFolder::ScanFolderExecutables(named + "lonely.dll");
    EXPECT_EQ(found.Count(), k64BitProcess ? 1u : 3u);
    // A walk of the system's own folder (a full scan's) finds its own files, which no
    // definition of the 32-bit program's System32 names.
    MScanFolder::ScanFolder(named);
    EXPECT_EQ(found.Count(), k64BitProcess ? 1u : 5u);
}

} // namespace
