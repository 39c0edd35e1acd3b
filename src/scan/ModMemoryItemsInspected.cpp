#include "ModMemoryItemsInspected.h"

#include "AnsiText.h"
#include "DefinitionFile.h"
#include "DoEvents.h"
#include "Exclusions.h"
#include "ManualScanState.h"
#include "ModuleList95.h"
#include "ProcessControl.h"
#include "ScanMessages.h"
#include "ScanPercent.h"
#include "ScanProgress.h"
#include "ScanResults.h"
#include "TextRules.h"
#include "VersionInfo.h"
#include "X86View.h"
#include "modGenDec.h"
#include "modGlobals.h"
#include "modLockdown.h"
#include "xfileExists.h"

#include <windows.h>

namespace ModMemoryItemsInspected {

namespace {

using TextRules::EqualsNoCase;
using TextRules::ToUpper;
using TextRules::Trim;

// The program's own helper, which runs beside it.
constexpr const char* kExemptProgram = "Quillbarrow.exe";

// Processes the anonymous submission never names, compared case-sensitively.
constexpr const char* kUnsubmittedProcesses[] = {
    "System",      "System Idle Process", "winlogon.exe", "services.exe",
    "svchost.exe", "explorer.exe",        "firefox.exe",  "iexplore.exe",
};

ProcessAlertWindow& AlertWindow() {
    static ProcessAlertWindow show;
    return show;
}

// The file name of a definition line: the text before its "=".
std::string DefinitionFileName(const std::string& line) {
    return line.substr(0, line.find('='));
}

// The place a definition line names: where a 32-bit program reached through its folder (the
// threat name when the line gives none) and its file name. A folder this system lacks leaves
// "\" and the file name, which still finds the process by name.
std::string DefinitionPath(const std::string& line) {
    const size_t equals = line.find('=');
    const std::string data = line.substr(equals + 1);
    const size_t bar = data.find('|');
    std::string path = bar == std::string::npos ? data : data.substr(bar + 1);
    X86View::TranslatePath(path, std::string_view(line).substr(0, equals));
    return path;
}

void ShowDefinitionProgress(const std::string& item) {
    using namespace modGlobals;
    UpdateScanProgress(
        ScanPhasePrefix + "\r\n" + item, ScanPercent(ProcessesInspected, ExeDefinitionCount),
        ScanPercent(int64_t(ProcessesInspected) + CookieDefinitionCount, DefinitionCount));
}

// Rebuilds ExeDefinitionList; false when a Stop cut the reading short (the list is then
// empty). `lastFileName` receives the file name of the last line read.
bool RebuildExeDefinitionList(bool scanRunning, std::string& lastFileName) {
    using namespace modGlobals;
    ExeDefinitionList.clear();
    const std::string file = DataFile(kExeDefinitionFile);
    if (!xfileExists::FileExists(file))
        return true;
    std::string list = "|";
    std::string line, path;
    DefinitionFileReader reader(file);
    while (reader.Next(line)) {
        if (StopScanRequested)
            return false;
        // A line without "=" repeats the previous line's path.
        if (line.find('=') != std::string::npos)
            path = DefinitionPath(line);
        list += path + "|";
        lastFileName = DefinitionFileName(line);
        if (scanRunning) {
            ++ProcessesInspected;
            ShowDefinitionProgress(lastFileName);
        }
        ui::YieldToMessageLoop();
    }
    ExeDefinitionList = ToUpper(list);
    return true;
}

// True when the list names the upper-case path, or a file of that name in any folder.
bool ListedExecutable(const std::string& path, const std::string& fileName) {
    const std::string& list = ExeDefinitionList;
    if (list.find("|" + path + "|") != std::string::npos)
        return true;
    const std::string needle = "\\" + fileName;
    for (size_t at = list.find(needle); at != std::string::npos; at = list.find(needle, at + 1)) {
        const std::string entry = Trim(list.substr(at, list.find('|', at) - at));
        if (EqualsNoCase(entry, Trim(needle)) || EqualsNoCase(entry, path))
            return true;
    }
    return false;
}

void InspectProcess(uint32_t processId) {
    std::string path = Trim(ProcessControl::ProcessImagePath(processId));
    if (path.empty())
        return;
    // The image itself, whose version block is read, and the place a 32-bit program's name of
    // it leads to, which is how the definitions name places.
    const std::string image = ToUpper(NormalizeSystem32Path(ToUpper(path)));
    std::string place = image;
    X86View::TranslatePath(place);
    place = ToUpper(place);
    const std::string fileName = xfileExists::FileNamePart(place);
    if (!ListedExecutable(place, fileName))
        return;
    const std::string company = GetFileCompanyName(image);
    if (IsExemptCompany(company, true))
        return;
    if (modGlobals::IsExcluded(fileName)) {
        AddExcludedRow(fileName);
        return;
    }
    if (EqualsNoCase(fileName, kExemptProgram))
        return;
    AlertRunningProcess(fileName, company, processId);
    ++modGlobals::ItemsFound;
}

// True when a request to end the program waits in the queue.
bool QuitRequested() {
    MSG msg;
    return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE);
}

void WaitForAlertAnswer() {
    while (!AlertAnswered && !QuitRequested()) {
        ui::DoEvents();
        ui::DoEvents();
        // Sleep until the next message rather than spin; the answer arrives as one.
        if (!AlertAnswered)
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

} // namespace

std::string GetFileCompanyName(const std::string& path) {
    return ReadVersionString(path, "CompanyName");
}

void SetProcessAlertWindow(ProcessAlertWindow show) {
    AlertWindow() = std::move(show);
}

void ScanRunningProcesses() {
    switch (ProcessControl::PlatformId()) {
    case ProcessControl::kPlatformWindows9x:
        ModuleList95::ScanRunningProcesses9x();
        break;
    case ProcessControl::kPlatformNT:
        ScanRunningProcessesNT();
        break;
    default:
        break;
    }
}

void ScanRunningProcessesNT() {
    using namespace modGlobals;
    const bool scanRunning = ManualScanRunning();
    std::vector<std::string> names;
    std::vector<uint32_t> ids;
    ProcessControl::ListProcesses(names, ids, "", true);
    std::string joinedNames;
    for (const std::string& name : names)
        joinedNames += name;
    // A scan always looks; the shield may skip a list it has already seen through.
    if (!scanRunning && joinedNames == LastProcessNames)
        return;

    std::string lastFileName;
    const bool definitionsRead = RebuildExeDefinitionList(scanRunning, lastFileName);
    ScanDisplay().lblTotalNoOfRunningItems.Caption = std::to_string(ids.size());
    for (uint32_t processId : ids) {
        ++ProcessesInspected;
        if (scanRunning)
            UpdateScanProgress(
                ScanPhasePrefix + "\r\n" + lastFileName,
                ScanPercent(ProcessesInspected, ExeDefinitionCount),
                ScanPercent(int64_t(ProcessesInspected) + ExeDefinitionCount, DefinitionCount));
        if (StopScanRequested)
            return;
        if (processId != GetCurrentProcessId())
            InspectProcess(processId);
        ui::YieldToMessageLoop();
    }
    // Only a background pass that went through every process may let the next one skip: a
    // scan whose stop failed must not keep the shield from alerting about the same list.
    if (definitionsRead && !scanRunning)
        LastProcessNames = joinedNames;
}

void AlertRunningProcess(const std::string& fileName, const std::string& company,
                         uint32_t processId) {
    if (ManualScanRunning()) {
        const bool stopped = ProcessControl::StopProcessById(processId);
        AddSpywareFoundRow("Running Application", ItemFile,
                           StoppedProcessDetails(fileName, stopped));
        return;
    }
    const ProcessAlertWindow& show = AlertWindow();
    if (!show)
        return;
    RunningProcessAlert alert;
    alert.lblAlertCompanyName =
        Trim(company).empty() ? ScanMessage("MSG_NOCOMPANY") + " " + fileName : ToUpper(company);
    alert.lblAlertFileName = ToUpper(fileName);
    alert.processId = processId;
    AlertAnswered = false;
    show(alert);
    WaitForAlertAnswer();
}

std::string NormalizeSystem32Path(const std::string& path) {
    static const std::string kSystem32 = "SYSTEM32\\";
    // The last occurrence, in any case; the rest of the path keeps its own letters.
    size_t at = std::string::npos;
    for (size_t found = TextRules::Find(path, kSystem32, 0, TextRules::Compare::Text);
         found != std::string::npos;
         found = TextRules::Find(path, kSystem32, found + 1, TextRules::Compare::Text))
        at = found;
    if (at == std::string::npos)
        return path;
    return modGenDec::GetSystemDirectoryText() + "\\" + path.substr(at + kSystem32.size());
}

bool IsExemptCompany(const std::string& company, bool ntFamily) {
    const std::string name = Trim(company);
    return EqualsNoCase(name, "Microsoft Corporation") ||
           (ntFamily && EqualsNoCase(name, "Sun Microsystems, Inc."));
}

std::string StoppedProcessDetails(const std::string& fileName, bool stopped) {
    return ToUpper(fileName) + (stopped ? " was stopped" : " could not be stopped");
}

std::string ListRunningProcessesWMI() {
    return SubmissionProcessList(ProcessControl::QueryWmiProcessNames());
}

std::string SubmissionProcessList(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) {
        bool submitted = true;
        for (const char* unsubmitted : kUnsubmittedProcesses)
            submitted = submitted && name != unsubmitted;
        if (submitted)
            list += modLockdown::ScrambleString(Utf8ToAnsi(name)) + "|";
    }
    if (!list.empty())
        list.pop_back();
    return list;
}

} // namespace ModMemoryItemsInspected
