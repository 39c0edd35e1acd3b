// What the program sends to the definitions service besides the update checks: a false-positive
// report of the ticked result rows with the user's explanation, one file name for research, and
// the running processes' names when anonymous data is enabled. Each is one GET with everything
// in the query, to the same service address as Live Update. A submission counts as accepted only
// when a whole 2xx reply holds the service's word for it.
#pragma once

#include "modInternet.h"

#include <functional>
#include <string>

class FrmMain;

class Submissions {
  public:
    explicit Submissions(FrmMain& form);

    // Connects False positive, the file-name box with Browse and Submit, and the main window's
    // process-list link.
    void Connect();

    // False positive: asks, takes an explanation, sends the ticked rows' locations and offers
    // to exclude them when the service accepted the report. Does nothing while a scan, a
    // removal or an update runs.
    void cmdFalsePos_Click();
    // Sends the file name in txtFilename, scrambled, and shows the outcome in Label26. Does
    // nothing while a scan, a removal, an update or another submission runs.
    void cmdSubmit_Click();
    // Puts the name of a file the user picks (without its folder) into txtFilename.
    void Command2_Click();
    // Enter submits; the key still goes on to the box.
    void txtFilename_KeyPress(int& keyAscii);
    // Sends the running processes' scrambled names, when there are any; the reply is ignored.
    void SendProcessData();

    // The running processes' names as the submission carries them; tests stand in their own.
    std::function<std::string()> RunningProcesses;
    // The bounds of every submission's reply.
    modInternet::HttpLimits Limits = modInternet::kSmallReply;

  private:
    // GETs the service's path and query while holding the busy state, so that no other long
    // operation starts and no close is carried out before the reply is in.
    modInternet::HttpResult Send(const std::string& pathAndQuery) const;

    FrmMain& form_;
};

// The main window's submissions.
Submissions& MainSubmissions();
