// The running-process scanner: the running programs checked against the executable
// definitions. The scan driver calls it during a scan, which stops each match at once and lists
// it; the process shield calls it between scans, when a match raises the alert instead.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ModMemoryItemsInspected {

// The company name in the file's version information; empty when it has none, and for a
// folder. Reads only the version resource.
std::string GetFileCompanyName(const std::string& path);

// "|", then the upper-case full path of each executable definition followed by "|"; rebuilt
// from "ExeDefinition.dat" by every NT pass that runs.
inline std::string ExeDefinitionList;
// The joined process names of the last NT pass that ran to its end; a background pass that
// finds the same processes examines nothing.
inline std::string LastProcessNames;
// Cleared before the process alert is shown; its buttons set it, and the alert waits for it.
inline bool AlertAnswered = false;

// What the process alert shows, and the process it is about.
struct RunningProcessAlert {
    std::string lblAlertCompanyName;
    std::string lblAlertFileName;
    uint32_t processId = 0;
};
// Shows the alert without blocking; its buttons stop the process or exclude it and then set
// AlertAnswered.
using ProcessAlertWindow = std::function<void(const RunningProcessAlert&)>;
// Until a window is connected, a match outside a scan shows nothing and waits for nothing.
void SetProcessAlertWindow(ProcessAlertWindow show);

// Runs the scanner of this system's family: NT or 95/98/ME; any other does nothing.
void ScanRunningProcesses();
void ScanRunningProcessesNT();
// The NT action on a match: outside a scan the alert, waiting for its answer; during a scan the
// matched process (never this program) is stopped and a "Running Application" row tells whether
// it was.
void AlertRunningProcess(const std::string& fileName, const std::string& company,
                         uint32_t processId);

// A path through "SYSTEM32\" (any case, the last one counts) rewritten to lead through the
// system folder; any other path unchanged.
std::string NormalizeSystem32Path(const std::string& path);
// Programs of the system's maker are never reported; on the NT family neither are Sun's.
bool IsExemptCompany(const std::string& company, bool ntFamily);
// The details of a stopped-process row: the upper-case file name and what happened.
std::string StoppedProcessDetails(const std::string& fileName, bool stopped);

// The running programs' names for the anonymous submission, from WMI: each scrambled, joined
// with "|"; the system's own processes and the browsers left out.
std::string ListRunningProcessesWMI();
// The same list made from the given names.
std::string SubmissionProcessList(const std::vector<std::string>& names);

} // namespace ModMemoryItemsInspected
