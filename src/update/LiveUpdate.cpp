#include "LiveUpdate.h"

#include "AnsiText.h"
#include "BusyState.h"
#include "DateText.h"
#include "DefinitionFile.h"
#include "DefinitionUpdate.h"
#include "Definitions.h"
#include "DefinitionsDate.h"
#include "DoEvents.h"
#include "FrmMain.h"
#include "MessageBox.h"
#include "PanelSwitching.h"
#include "SettingsStore.h"
#include "UpdateSources.h"
#include "clsLanguages.h"
#include "clsTray.h"
#include "frmDownload.h"
#include "frmSignatureUpdated.h"
#include "modGlobals.h"
#include "modLorvane.h"
#include "xfileExists.h"

#include <windows.h>

namespace {

// The definition files' addresses under a server's base address, as the listing shows them.
constexpr const char* kDefinitionPaths[] = {
    "/definitions/version/R.HTM",           "/definitions/version/F.HTM",
    "/definitions/version/E.HTM",           "/definitions/version/C.HTM",
    "/definitions/data/BlockedCookies.dat", "/definitions/data/RegistryDefinition.dat",
    "/definitions/data/FileDefinition.dat", "/definitions/data/ExeDefinition.dat"};

// The ticks of timUpdate without a scan before the automatic update runs.
constexpr int32_t kTicksBeforeUpdate = 300;

} // namespace

struct LiveUpdate::SourceReply {
    bool Failed = false;
    bool NotSaved = false;
    int32_t Changes = 0;
    // The date the source gave for its definitions.
    double ServerDate = 0;
};

LiveUpdate& MainLiveUpdate() {
    static LiveUpdate update(MainWindow(), DownloadWindow(), SignatureUpdatedWindow(), Tray());
    return update;
}

LiveUpdate::LiveUpdate(FrmMain& form, frmDownload& download, frmSignatureUpdated& notice,
                       clsTray& tray)
    : form_(form), download_(download), notice_(notice), tray_(tray) {}

void LiveUpdate::Connect() {
    form_.cmdUpdate.Click = [this] { cmdUpdate_ClickOrListing(); };
    form_.cmdLiveUpdate.Click = [this] { cmdLiveUpdate_Click(); };
    form_.timUpdate.Tick = [this] { timUpdate_Timer(); };
    MainWindowLinks& links = form_.Links;
    links.RunLiveUpdate = [this] { cmdUpdate_Click(); };
    links.InstallDownloadedDefinitions = InstallDownloadedDefinitions;
    links.UpdateButtonMouseDown = [this](int button, int shift) {
        cmdUpdate_MouseDown(button, shift);
    };
    links.UpdateButtonMouseUp = [this] { cmdUpdate_MouseUp(); };
    links.ShowDebugWindow[1] = [this] { notice_.Show(); };
}

void LiveUpdate::cmdUpdate_Click() {
    // A second update, or one inside a scan, a removal or a waiting alert, would run the
    // definition files' rewrite twice at once.
    if (BusyState::IsBusy())
        return;
    // A close ends the request in hand at once; the update then unwinds without another.
    BusyState::Operation busy(modInternet::CancelRequest);
    modGenDec::ShieldTimersOff timersOff(form_);
    form_.cmdLiveUpdate.Enabled = false;
    const UpdateCheck check = CheckForUpdates();
    // Stopped by a close, the update announces nothing: the program is ending.
    const bool stopped = BusyState::StopRequested();
    if (!stopped && check.NotSaved) {
        ShowNotice("MSG_DEFS_NOT_SAVED");
        // Some files may have taken their new lines before the failure: the panel and the count
        // follow the files as they now are, while "date.dat" keeps asking for the update.
        modGlobals::DefinitionCount = modGlobals::CountDefinitions();
        form_.UpdateStatusLabels();
    } else if (!stopped && check.Changes < 1) {
        ShowNotice(check.Failed ? "MSG_INTERNET" : "MSG_RECENT_DEFS");
    } else if (!stopped) {
        SaveProgramSetting("OptionAndSettings", "SHOW", "True");
        SaveProgramSetting("OptionAndSettings", "RESTART", "True");
        tray_.RemoveIcon(download_);
        ShowNotice("MSG_UPDATED_DEFS");
        modGlobals::DefinitionCount = modGlobals::CountDefinitions();
        form_.UpdateStatusLabels();
        form_.cmdScan.Enabled = true;
    }
    download_.Unload();
    form_.cmdLiveUpdate.Enabled = true;
}

void LiveUpdate::cmdLiveUpdate_Click() {
    cmdUpdate_Click();
}

void LiveUpdate::ShowNotice(const char* messageId) {
    notice_.tmrPopupSignatureUpdate.Enabled = true;
    notice_.Show();
    notice_.lblUpdateInfo.Caption = Lang.getMessages(messageId);
}

void LiveUpdate::ShowStatus(const std::string& text) {
    download_.ShowStatus(text);
}

UpdateCheck LiveUpdate::CheckForUpdates() {
    download_.Show();
    ShowStatus("Connecting to the definition server, please wait.");
    ui::DoEvents();
    const SourceReply reply = UpdateSources::ConfiguredSource() == UpdateSources::Source::Website
                                  ? AskWebsite()
                                  : AskService();
    if (reply.Failed || reply.NotSaved)
        return {0, reply.Failed, reply.NotSaved};
    if (reply.Changes > 0) {
        // The service's date of the definitions now installed; without one, the date the check
        // received, so that the next check does not fetch the same definitions again.
        double date = reply.ServerDate;
        if (!BusyState::StopRequested())
            ReadDate(UpdateSources::DefinitionsService() + "/asp/date.asp", true, date, false);
        SaveDefinitionsDate(DateText::ToUsEnglishText(date));
        form_.lblDefVersion.Caption = DateText::ToText(date) + " PST";
    }
    return {reply.Changes, false, false};
}

bool LiveUpdate::ReadDate(const std::string& url, bool cutAtMeridiem, double& date,
                          bool withProgress) {
    // A close asked for before the request starts ends the update without it.
    if (BusyState::StopRequested())
        return false;
    const modInternet::HttpResult reply =
        withProgress ? modInternet::HttpGetWithProgress(url, Progress(), DateLimits)
                     : modInternet::HttpGet(url, DateLimits);
    double read = 0;
    // A date cut short would read as another date: only a whole reply says which.
    if (!reply.WholeSuccess() ||
        !DateText::FromUsEnglishText(
            AnsiToUtf8(UpdateSources::CleanDateReply(reply.Body, cutAtMeridiem)), read))
        return false;
    date = read;
    return true;
}

std::function<void(size_t)> LiveUpdate::Progress() {
    return [this](size_t length) { ShowStatus(modInternet::DownloadedBytesText(length)); };
}

std::function<void(const std::string&)> LiveUpdate::ParserStatus() {
    return [this](const std::string& text) {
        ShowStatus(text);
        ui::DoEvents();
    };
}

LiveUpdate::SourceReply LiveUpdate::AskService() {
    SourceReply reply;
    const std::string service = UpdateSources::DefinitionsService();
    const std::string product =
        UpdateSources::ProductQuery(modLorvane::ProgramName, modLorvane::CompanyName);
    double stored = 0;
    if (!DateText::FromUsEnglishText(ReadDefinitionsDate(), stored))
        stored = 0;
    if (!ReadDate(service + "/asp/currentDateNEW.asp?" + product, true, reply.ServerDate, true)) {
        reply.Failed = true;
        return reply;
    }
    // A close asked the update to stop: it fetches and changes nothing more.
    if (reply.ServerDate <= stored || BusyState::StopRequested())
        return reply;
    // The installed date goes as its text in the service's form, "/" and ":" unescaped (the
    // client sends the blanks as %20).
    const modInternet::HttpResult update = modInternet::HttpGetWithProgress(
        service + "/asp/getDefsNEW.asp?" + product + "&date=" + DateText::ToUsEnglishText(stored),
        Progress(), DefinitionsLimits);
    // A later date was announced: a reply cut short, or one without a record, is a failed
    // download, never "most recent".
    if (!update.WholeSuccess() || !HasValidUpdateRecord(update.Body, false)) {
        reply.Failed = true;
        return reply;
    }
    if (BusyState::StopRequested())
        return reply;
    Apply(update.Body, false, reply);
    return reply;
}

LiveUpdate::SourceReply LiveUpdate::AskWebsite() {
    SourceReply reply;
    const std::string site = UpdateSources::WebsiteAddress(modLorvane::WebsiteHost);
    if (!ReadDate(site + "/definitions/customdate.html", false, reply.ServerDate, false)) {
        reply.Failed = true;
        return reply;
    }
    if (reply.ServerDate <= 0 || BusyState::StopRequested())
        return reply;
    // The custom set replaces all six files, so only a reply proven whole, with records, will do.
    const modInternet::HttpResult custom =
        modInternet::HttpGet(site + "/definitions/custom.html", DefinitionsLimits);
    if (!custom.WholeSuccess() || !HasValidUpdateRecord(custom.Body, true)) {
        reply.Failed = true;
        return reply;
    }
    if (BusyState::StopRequested())
        return reply;
    Apply(custom.Body, true, reply);
    return reply;
}

void LiveUpdate::Apply(const std::string& response, bool custom, SourceReply& reply) {
    const int32_t changes = ApplyDefinitionUpdate(response, custom, ParserStatus());
    if (changes == kDefinitionUpdateFailed)
        reply.NotSaved = true;
    else
        reply.Changes = changes;
}

void LiveUpdate::timUpdate_Timer() {
    // A tick during a scan (or any other long operation) neither counts nor fires.
    if (form_.ScanRunning() || BusyState::IsBusy())
        return;
    if (UpdateTickCount < kTicksBeforeUpdate) {
        ++UpdateTickCount;
        return;
    }
    // Off before the update, whose waits let the timer tick again.
    form_.timUpdate.Enabled = false;
    UpdateTickCount = 0;
    cmdUpdate_Click();
}

void LiveUpdate::cmdUpdate_MouseDown(int button, int shift) {
    listOnClick_ = false;
    if (shift != 1)
        return;
    if (button == 1)
        listOnClick_ = true;
    else
        ShowDefinitionAddresses();
}

void LiveUpdate::cmdUpdate_MouseUp() {
    listOnClick_ = false;
}

void LiveUpdate::cmdUpdate_ClickOrListing() {
    if (!listOnClick_) {
        cmdUpdate_Click();
        return;
    }
    listOnClick_ = false;
    ShowDefinitionAddresses();
}

void LiveUpdate::ShowDefinitionAddresses() {
    DefinitionServerUrl = UpdateSources::DefinitionServerUrl(modLorvane::WebsiteHost);
    std::string message;
    for (const char* path : kDefinitionPaths)
        message += DefinitionServerUrl + path + "\r\n";
    ui::MsgBox(message, MB_OK);
}

void InstallDownloadedDefinitions() {
    for (const char* name :
         {kBlockedCookiesFile, kRegistryDefinitionFile, kFileDefinitionFile, kExeDefinitionFile}) {
        const std::string copy = modGlobals::DataFile(std::string("DL") + name);
        if (xfileExists::FileExists(copy))
            MoveFileExW(Utf8ToWide(copy).c_str(), Utf8ToWide(modGlobals::DataFile(name)).c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
}
