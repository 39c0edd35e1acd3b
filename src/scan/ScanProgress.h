// The progress display of the scan page and its refresh throttle.
#pragma once

#include "Controls.h"

#include <string>

struct ScanProgressDisplay {
    ui::Label lblStatus{"lblStatus", 0};                        // the status line
    ui::Label lblPercentageCompleted{"lblPercentageCompleted"}; // the phase line
    ui::ProgressBar pb1{"pb1"};                                 // "Section Progress:"
    ui::ProgressBar pb2{"pb2"};                                 // "Overall Progress:"
    ui::ProgressBar pbgMain{"pbgMain"};
    ui::Label lblMemoryInspected{"lblMemoryInspected"};
    ui::Label lblRegistryInspected{"lblRegistryInspected"};
    ui::Label lblFilesFolderInspected{"lblFilesFolderInspected"};
    ui::Label lblSoftwareFound{"lblSoftwareFound"};
    ui::Label lblRemovePicSoftwareFound{"lblRemovePicSoftwareFound"};
    ui::Label lbltracesFound{"lbltracesFound"};
    ui::Label lblTotalNoOfRunningItems{"lblTotalNoOfRunningItems"};
    // The definitions line of the status panel.
    ui::Label lblDefVersion{"lblDefVersion"};
    // Pause and Stop of the scan page; the definition loader disables them while it reads.
    ui::Button cmdPause{"cmdPause"};
    ui::Button cmdStop{"cmdStop"};
};

// The one progress display, shown by the main window.
ScanProgressDisplay& ScanDisplay();

// Calls between refreshes of the display; reset by every refresh that the throttle lets through.
inline int ProgressRefreshCount = 0;

// Counts the call and refreshes the counters, the filtered status and the bars on every 25th;
// a percent below 0 leaves its bar as it is.
void UpdateScanProgress(const std::string& status, int section, int overall);
// The same refresh at once, leaving the throttle's count alone.
void UpdateScanProgressNow(const std::string& status, int section, int overall);
// Shows the counters only and restarts the throttle's count.
void RefreshScanCounters();
// Removes the offensive words from a status text (case-insensitive, inside words too).
std::string FilterWords(const std::string& text);
