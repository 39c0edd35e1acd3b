// Live Update: brings the definition files up to date from the definitions service or the
// configured website. One driver serves every way of starting an update (Update Now, the
// options' Run Live Update Now, the File menu, the first-run welcome box and the delayed
// automatic update); it shows the progress window while it talks to the source and the
// closing notice afterwards. An update is one of the program's long operations: while it runs
// nothing starts another one, a scan or a removal.
#pragma once

#include "modInternet.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class FrmMain;
class clsTray;
class frmDownload;
class frmSignatureUpdated;

// What one check came to.
struct UpdateCheck {
    int32_t Changes = 0; // changes applied to the definition files
    // The source could not be reached or answered with no usable reply: unreachable, an error
    // status, a reply cut short or not proven whole, too slow or too large, no date where one
    // belonged, or no record after a later date.
    bool Failed = false;
    // The definitions arrived but could not be written into the files.
    bool NotSaved = false;
};

class LiveUpdate {
  public:
    LiveUpdate(FrmMain& form, frmDownload& download, frmSignatureUpdated& notice, clsTray& tray);

    // Connects Update Now with its Shift+click listing, Run Live Update Now, timUpdate, the
    // main window's update links and the Debug menu's notice.
    void Connect();

    // The update driver. Does nothing while another long operation runs.
    void cmdUpdate_Click();
    void cmdLiveUpdate_Click();
    // The exchange with the configured source, and the new date after a change.
    UpdateCheck CheckForUpdates();
    // Each second: the update runs on the 301st tick without a scan, once per switching-on.
    void timUpdate_Timer();
    // Shift (alone) with any button lists the definition addresses. The left button's list
    // waits for the click it starts, so that the box does not cut the click in half.
    void cmdUpdate_MouseDown(int button, int shift);
    void cmdUpdate_MouseUp();
    // Update Now's click: the listing a Shift+left press asked for, otherwise the update.
    void cmdUpdate_ClickOrListing();
    // The message box of the eight definition addresses.
    void ShowDefinitionAddresses();

    // Counted by timUpdate_Timer while no scan runs.
    int32_t UpdateTickCount = 0;
    // The base address the last listing showed.
    std::string DefinitionServerUrl;

    // The bounds of the date replies and of the definitions' download.
    modInternet::HttpLimits DateLimits = modInternet::kSmallReply;
    modInternet::HttpLimits DefinitionsLimits;

  private:
    struct SourceReply;
    SourceReply AskService();
    SourceReply AskWebsite();
    // Applies a reply proven whole to the definition files.
    void Apply(const std::string& response, bool custom, SourceReply& reply);
    // A date reply, cleaned and converted; false when no whole reply came or it holds no date.
    // `date` changes only when one was read.
    bool ReadDate(const std::string& url, bool cutAtMeridiem, double& date, bool withProgress);
    void ShowStatus(const std::string& text);
    // The download's byte count in the progress window.
    std::function<void(size_t)> Progress();
    // The parser's status texts in the progress window, each followed by one message-loop pass.
    std::function<void(const std::string&)> ParserStatus();
    // The closing notice with the message of this identifier.
    void ShowNotice(const char* messageId);

    FrmMain& form_;
    frmDownload& download_;
    frmSignatureUpdated& notice_;
    clsTray& tray_;
    bool listOnClick_ = false;
};

// The main window's live update.
LiveUpdate& MainLiveUpdate();

// Puts each downloaded "DL" copy of a definition file in the place of the file, in one step,
// so that a failed move leaves the installed file as it was.
void InstallDownloadedDefinitions();
