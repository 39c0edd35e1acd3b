#include "ModuleList95.h"

#include "DefinitionFile.h"
#include "DoEvents.h"
#include "Exclusions.h"
#include "ManualScanState.h"
#include "MessageBox.h"
#include "ModMemoryItemsInspected.h"
#include "ProcessControl.h"
#include "ScanMessages.h"
#include "ScanPercent.h"
#include "ScanProgress.h"
#include "ScanResults.h"
#include "TextRules.h"
#include "modGlobals.h"
#include "modLorvane.h"
#include "xfileExists.h"

#include <windows.h>

namespace ModuleList95 {

namespace {

using TextRules::Trim;

constexpr std::string_view kLineEnd = "\r\n";

// Reads the definitions into ExeDefinitionText, one progress report per line; false when a
// Stop cut the reading short (the text is then empty).
bool LoadExeDefinitionText(bool scanRunning) {
    using namespace modGlobals;
    DefinitionFileReader reader(DataFile(kExeDefinitionFile));
    std::string line;
    while (reader.Next(line)) {
        if (StopScanRequested) {
            ExeDefinitionText.clear();
            return false;
        }
        ExeDefinitionText += line;
        ExeDefinitionText += kLineEnd;
        ++ProcessesInspected;
        if (scanRunning)
            UpdateScanProgress(
                ScanPhasePrefix + "\r\n" + line,
                ScanPercent(ProcessesInspected, ExeDefinitionCount),
                ScanPercent(int64_t(ProcessesInspected) + CookieDefinitionCount, DefinitionCount));
        ui::YieldToMessageLoop();
    }
    return true;
}

int32_t LoadedLineCount() {
    int32_t lines = 0;
    for (size_t at = ExeDefinitionText.find(kLineEnd); at != std::string::npos;
         at = ExeDefinitionText.find(kLineEnd, at + kLineEnd.size()))
        ++lines;
    return lines;
}

// True when a definition line's file name field (the text before its "=") is the file name.
bool Listed(const std::string& fileName) {
    size_t start = 0;
    for (size_t end = ExeDefinitionText.find(kLineEnd); end != std::string::npos;
         start = end + kLineEnd.size(), end = ExeDefinitionText.find(kLineEnd, start)) {
        const std::string_view line(ExeDefinitionText.data() + start, end - start);
        if (TextRules::EqualsNoCase(Trim(line.substr(0, line.find('='))), fileName))
            return true;
    }
    return false;
}

void HandleMatch(const std::string& path, const std::string& fileName, uint32_t processId) {
    using namespace modGlobals;
    if (ModMemoryItemsInspected::IsExemptCompany(ModMemoryItemsInspected::GetFileCompanyName(path),
                                                 false))
        return;
    if (IsExcluded(fileName)) {
        AddExcludedRow(fileName);
        return;
    }
    if (ManualScanRunning()) {
        const bool stopped = ProcessControl::KillProcessById(processId);
        AddSpywareFoundRow("Running Process", ItemFile,
                           ModMemoryItemsInspected::StoppedProcessDetails(fileName, stopped));
        ++ItemsFound;
        return;
    }
    const std::string prompt = ScanMessage("MSG_FOUND1") + TextRules::ToUpper(fileName) +
                               ScanMessage("MSG_FOUND2") + fileName + ScanMessage("MSG_FOUND3");
    if (ui::MsgBox(prompt, MB_YESNO | MB_ICONQUESTION, modLorvane::ProgramName + " - Alert") ==
        IDYES) {
        ProcessControl::KillProcessById(processId);
        ++ItemsFound;
    } else {
        AddExclusion(fileName);
    }
}

} // namespace

void ScanRunningProcesses9x() {
    using namespace modGlobals;
    const bool scanRunning = ManualScanRunning();
    if (ExeDefinitionText.empty()) {
        if (!xfileExists::FileExists(DataFile(kExeDefinitionFile)) ||
            !LoadExeDefinitionText(scanRunning))
            return;
    } else {
        ProcessesInspected += LoadedLineCount();
    }

    std::vector<std::string> paths;
    std::vector<uint32_t> ids;
    ProcessControl::ListProcesses(paths, ids, "", false);
    ui::Label& runningCount = ScanDisplay().lblTotalNoOfRunningItems;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (StopScanRequested)
            return;
        runningCount.Caption = std::to_string(TextRules::ToLong(runningCount.Caption, 0) + 1);
        const std::string fileName =
            TextRules::ToUpper(Trim(ProcessControl::FileNameFromFullPath(paths[i])));
        if (ids[i] != GetCurrentProcessId() && Listed(fileName))
            HandleMatch(paths[i], fileName, ids[i]);
        ui::YieldToMessageLoop();
    }
}

} // namespace ModuleList95
