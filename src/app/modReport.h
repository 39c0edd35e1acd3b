// The scan report "Scan_Log.txt": the only written record of a scan, rewritten whole at the
// end of every scan while "Save scan results to log" is ticked, and shown by the report window.
#pragma once

#include <string>

class FrmMain;

namespace modReport {

// DataFolder & "\Scan_Log.txt".
std::string ReportPath();

// The "Type:" text of a found item's small icon: "Cookie", "Registry", "File", "Folder",
// "EXCLUDED"; empty for any other icon.
std::string ItemTypeText(int icon);

// The whole report as MakeReport writes it, in the ANSI code page: the main window's scan
// times, counter labels and combined results list, the exclusion file and the quarantine
// journal. Each text line is followed by an empty line, so the window's reader can tell them
// from the runs of empty lines that space the sections.
std::string ReportText(const FrmMain& form);

// Writes the report over the previous one. The old report stays whole when the new one cannot
// be written; false then, which the scan's completion ignores.
bool MakeReport(const FrmMain& form);

// What the report window shows of a report file, read whole: every line that is empty or blank
// adds one line break, every other line is appended as it stands, without one. Empty when the
// file is missing.
std::string ReportDisplayText(const std::string& path);

} // namespace modReport
