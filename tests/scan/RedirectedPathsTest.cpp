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
#include "ProcessControl.h"
#include "SafetyList.h"
#include "ScanFixture.h"
#include "ScanResults.h"
#include "TextRules.h"
#include "modGlobals.h"
#include "xfileExists.h"

#include <algorithm>
#include <utility>

#include <windows.h>
#include <shlobj.h>

namespace {

using TextRules::EqualsNoCase;
using TextRules::ToLower;

const bool k64BitProcess = sizeof(void*) == 8;

std::string SystemFolder() {
    wchar_t path[MAX_PATH] = {};
    GetSystemDirectoryW(path, MAX_PATH);
    return WideToUtf8(path);
}

std::string Folder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE) ? WideToUtf8(path) : "";
}

// Where a 32-bit program's paths led on 64-bit Windows, written from the system's documented
// file-system redirection, not from the program: each row is one place, with the ways a
// definition, a safety line, an exclusion or a user may spell its folder (macros, "\\", any
// letter case).
struct RedirectionRow {
    std::string fileName; // the file the row's place holds, made unique to the test process
    std::vector<std::string> spellings;
    std::string place; // the file's full path as a 64-bit process finds it
};

// The rows' folders filled in as this system names them; a 32-bit program is given the x86
// program-files folders as its own.
std::string Filled(std::string text) {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::pair<std::string, std::string> folders[] = {
        {"{windows}", WideToUtf8(windows)},
        {"{system}", SystemFolder()},
        {"{x86}", Folder(CSIDL_SYSTEMX86)},
        {"{progfiles}", Folder(k64BitProcess ? CSIDL_PROGRAM_FILESX86 : CSIDL_PROGRAM_FILES)},
        {"{common}",
         Folder(k64BitProcess ? CSIDL_PROGRAM_FILES_COMMONX86 : CSIDL_PROGRAM_FILES_COMMON)},
    };
    for (const auto& [token, folder] : folders)
        for (size_t at = text.find(token); at != std::string::npos; at = text.find(token, at))
            text.replace(at, token.size(), folder);
    return text;
}

// The folder as a 32-bit program keeps it: its macros expanded as that program's calls answer
// them, with no doubled or trailing "\\".
std::string NameKept(const std::string& folder) {
    std::string name = folder;
    for (const auto& [macro, named] : {std::pair{"[windir]", "{windows}\\"},
                                       {"[system]", "{system}\\"},
                                       {"[progfil]", "{progfiles}\\"},
                                       {"[comprogfil]", "{common}\\"}})
        if (TextRules::StartsWith(name, macro, TextRules::Compare::Text))
            name.replace(0, std::string_view(macro).size(), named);
    name = Filled(name);
    for (size_t at = name.find("\\\\"); at != std::string::npos; at = name.find("\\\\", at))
        name.erase(at, 1);
    while (name.back() == '\\')
        name.pop_back();
    return name;
}

// The system's documented rules: %windir%\System32 leads a 32-bit program to %windir%\SysWOW64,
// but for catroot, catroot2, drivers\etc, logfiles, spool and (from Windows 7 on) driverstore;
// %windir%\lastgood\System32 to %windir%\lastgood\SysWOW64; %windir%\regedit.exe to
// %windir%\SysWOW64\regedit.exe; %windir%\Sysnative to the system's own System32.
// The rows as written: the file's name ("" for "regedit.exe", which the redirection names itself),
// the spellings, and the folder of the place.
// clang-format off
const RedirectionRow kRows[] = {
    {"system", {"[system]", "[system]\\", "[windir]System32", "[WINDIR]\\SYSTEM32",
                "{windows}\\System32\\", "[windir]SysWOW64"}, "{x86}"},
    {"native", {"[windir]Sysnative", "[windir]\\Sysnative\\", "{windows}\\sysnative"}, "{system}"},
    {"bracket", {"[windir]Sysnative\\name[1]",
                 "{windows}\\Sysnative\\\\name[1]"}, "{system}\\name[1]"},
    {"catroot", {"[system]catroot", "[windir]\\System32\\CatRoot",
                 "[windir]Sysnative\\catroot"}, "{system}\\catroot"},
    {"catroot2", {"[system]catroot2", "[windir]system32\\\\catroot2"}, "{system}\\catroot2"},
    {"catroot3", {"[system]catroot3", "[windir]\\system32\\catroot3"}, "{x86}\\catroot3"},
    {"etc", {"[system]drivers\\etc", "[system]\\Drivers\\ETC\\",
             "[windir]Sysnative\\drivers\\etc"}, "{system}\\drivers\\etc"},
    {"drivers", {"[system]drivers", "[windir]\\system32\\drivers"}, "{x86}\\drivers"},
    {"logfiles", {"[system]LogFiles", "{windows}\\System32\\logfiles"}, "{system}\\LogFiles"},
    {"spool", {"[system]spool\\drivers", "[system]\\spool\\\\drivers",
               "[windir]Sysnative\\spool\\drivers"}, "{system}\\spool\\drivers"},
    {"driverstore", {"[system]DriverStore",
                     "[windir]\\system32\\driverstore"}, "{system}\\DriverStore"},
    {"", {"[windir]", "[windir]\\", "{windows}", "[windir]SysWOW64"}, "{x86}"},
    {"lastgood", {"[windir]lastgood\\system32", "[windir]\\LastGood\\System32\\",
                  "[windir]lastgood\\SysWOW64"}, "{windows}\\lastgood\\SysWOW64"},
    {"windows", {"[windir]", "[windir]\\", "{windows}"}, "{windows}"},
    {"progfiles", {"[progfil]Tidewater Row",
                   "[progfil]\\Tidewater Row\\"}, "{progfiles}\\Tidewater Row"},
    {"common", {"[comprogfil]Tidewater Row",
                "[comprogfil]\\Tidewater Row"}, "{common}\\Tidewater Row"},
};
// clang-format on

// The rows, filled in; the driver store's holds from Windows 7 on, which the fixture plays.
const std::vector<RedirectionRow>& RedirectionRows() {
    static const std::vector<RedirectionRow> rows = [] {
        std::vector<RedirectionRow> filled(std::begin(kRows), std::end(kRows));
        const std::string unique = "tw" + std::to_string(GetCurrentProcessId()) + "-";
        for (RedirectionRow& row : filled) {
            row.fileName = row.fileName.empty() ? "regedit.exe" : unique + row.fileName + ".dll";
            for (std::string& spelling : row.spellings)
                spelling = Filled(spelling);
            row.place = Filled(row.place);
            while (row.place.back() == '\\')
                row.place.pop_back();
            row.place += "\\" + row.fileName;
        }
        return filled;
    }();
    return rows;
}

// The spelling joined to the row's file name with one "\\" written between.
std::string SpelledPath(const RedirectionRow& row, const std::string& spelling) {
    const bool separated = !spelling.empty() && spelling.back() == '\\';
    return spelling + (separated ? "" : "\\") + row.fileName;
}

// Where this process reaches the file through the spelling: the row's place in a 64-bit
// process; in a 32-bit one the folder as it keeps it, which the system redirects itself.
std::string ReachedPath(const RedirectionRow& row, const std::string& spelling) {
    return k64BitProcess ? row.place : NameKept(spelling) + "\\" + row.fileName;
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
                lines.push_back(row.fileName + "=" + Threat(r, s) + "|" + row.spellings[s]);
        }
        return lines;
    }
    static std::string Threat(size_t r, size_t s) {
        return std::to_string(r) + "/" + std::to_string(s);
    }
    // Whether two spellings of a row meet: always in a 64-bit process, which translates both;
    // in a 32-bit one only when the folders are kept the same, the system redirecting each.
    static bool Meet(const std::string& a, const std::string& b) {
        return k64BitProcess || EqualsNoCase(NameKept(a), NameKept(b));
    }
    RedirectedPaths() {
        ModMemoryItemsInspected::LastProcessNames.clear();
        ProcessControl::SetVersionOverride(ProcessControl::WindowsVersion{2, 6, 1});
    }
    ~RedirectedPaths() override { ProcessControl::SetVersionOverride(std::nullopt); }
    void Load() {
        ++modGlobals::DefinitionFilesGeneration;
        modGlobals::LoadSafetyList();
        modGlobals::LoadDefinitions();
    }
};

TEST_F(RedirectedPaths, ASafetyLineOrAnExclusionInAnySpellingCoversEveryOtherOfItsPlace) {
    WriteDefinitionFile(kFileDefinitionFile, LinesOfEverySpelling());
    const std::vector<RedirectionRow>& rows = RedirectionRows();
    for (size_t r = 0; r < rows.size(); ++r) {
        for (const std::string& safe : rows[r].spellings) {
            const std::string spelled = SpelledPath(rows[r], safe);
            WriteDefinitionFile(kSafetyFile, {"SFILE|" + rows[r].fileName + "=x|" + spelled});
            modGlobals::ExclusionList = spelled + "|";
            Load();
            std::vector<std::string> loaded;
            for (size_t slot = 0; slot < modGlobals::FileDefinitionTable.size(); ++slot)
                loaded.emplace_back(modGlobals::FileDefinitionTable[slot].ThreatName);
            for (size_t other = 0; other < rows.size(); ++other) {
                for (size_t s = 0; s < rows[other].spellings.size(); ++s) {
                    const std::string& spelling = rows[other].spellings[s];
                    const bool covered = other == r && Meet(safe, spelling);
                    const bool kept =
                        std::find(loaded.begin(), loaded.end(), Threat(other, s)) != loaded.end();
                    EXPECT_EQ(kept, !covered) << spelled << " and " << spelling;
                    EXPECT_EQ(modGlobals::IsExcluded(ReachedPath(rows[other], spelling)), covered)
                        << spelled << " and " << spelling;
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

TEST_F(RedirectedPaths, TheLoadersAndSmartScanTakeEachSpellingToThePlaceItReached) {
    PlantedSystemFiles planted;
    for (const RedirectionRow& row : RedirectionRows())
        for (const std::string& spelling : row.spellings)
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
    WriteDefinitionFile(kExeDefinitionFile, LinesOfEverySpelling());
    Load();
    ModMemoryItemsInspected::ScanRunningProcessesNT();
    MScanFolder::ScanFileDefinitions();
    ASSERT_EQ(modGlobals::FileDefinitionTable.size(), lines.size());

    std::vector<std::string> expected;
    size_t line = 0;
    for (const RedirectionRow& row : RedirectionRows())
        for (const std::string& spelling : row.spellings) {
            const std::string reached = ReachedPath(row, spelling);
            const DefinitionEntry entry = modGlobals::FileDefinitionTable.Entry(line++);
            EXPECT_EQ(entry.Path + entry.Name, ToLower(reached)) << spelling;
            EXPECT_NE(ModMemoryItemsInspected::ExeDefinitionList.find(
                          "|" + TextRules::ToUpper(reached) + "|"),
                      std::string::npos)
                << spelling;
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

    // The user's folder leads where it led a 32-bit program; what is found there is listed by
    // its own name, which the removal acts on (a 32-bit process sees it under the name chosen).
    MScanFolder::ScanFolderFiles(named);
    ASSERT_EQ(found.Count(), k64BitProcess ? 1u : 2u);
    EXPECT_TRUE(EqualsNoCase(found.Item(0).SubItem(1), (k64BitProcess ? x86 : named) + "evil.dll"));
    // A file only the system's own folder holds was out of that program's sight.
    MScanFolder::ScanFolderExecutables(named + "lonely.dll");
    EXPECT_EQ(found.Count(), k64BitProcess ? 1u : 3u);
    // A full scan's walk of the system's own folder finds its own files, which no definition names.
    MScanFolder::ScanFolder(named);
    EXPECT_EQ(found.Count(), k64BitProcess ? 1u : 5u);
}

} // namespace
