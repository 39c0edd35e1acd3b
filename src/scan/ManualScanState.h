// Whether a manual scan is running. The running-process and cookie scanners serve a scan and
// the background shields alike and act differently for each; the main window connects its own
// test (its scan button disabled for the length of a scan).
#pragma once

#include <functional>

using ManualScanTest = std::function<bool()>;

// An empty test disconnects the main window's.
void SetManualScanTest(ManualScanTest test);
// True while a manual scan runs. Until the main window connects its test the scan driver is the
// scanners' only caller, so a scan is taken to be running.
bool ManualScanRunning();
