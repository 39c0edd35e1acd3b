#include "HomePageShield.h"

#include "BusyState.h"
#include "FrmMain.h"
#include "ModSetHomePage.h"
#include "PanelSwitching.h"
#include "SettingsStore.h"
#include "frmHomePageChangedAlert.h"
#include "modLorvane.h"

namespace {

// A start page is the text before its first NUL: a value written with more than one terminator
// names the same page as one written with a single terminator.
std::string UpToFirstNul(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

} // namespace

HomePageShield& MainHomePageShield() {
    static HomePageShield shield(MainWindow(), HomePageChangedAlertWindow());
    return shield;
}

std::string HomePageChangedMessage(const std::string& savedPage, const std::string& currentPage) {
    return modLorvane::ProgramName + " has detected that your Homepage has been changed.\r\n\r\n" +
           "Click YES to keep your homepage as:\r\n" + savedPage + "\r\n\r\n" +
           "Click No to change your homepage to:\r\n" + currentPage;
}

HomePageShield::HomePageShield(FrmMain& form, frmHomePageChangedAlert& alert)
    : form_(form), alert_(alert) {}

void HomePageShield::Connect() {
    form_.tmrCheckHomePage.Tick = [this] { tmrCheckHomePage_Timer(); };
    form_.Links.ShowDebugWindow[0] = [this] { alert_.Show(); };
}

void HomePageShield::tmrCheckHomePage_Timer() {
    if (++HomePageTickCount >= 3) {
        HomePageTickCount = 0;
        RunLink(form_.tmrMemoryInspected.Tick);
    }
    // A tick that an option switched on while an alert or a scan is waiting asks nothing.
    if (BusyState::IsBusy())
        return;
    // Switched off, this timer stays off when the timers come back as the settings say.
    modGenDec::ShieldTimersOff timersOff(form_);
    if (GetProgramOption("optIEHomePageSheildOn", true))
        CheckStartPage();
}

void HomePageShield::CheckStartPage() {
    using namespace ModSetHomePage;
    // A value of a type the shield does not read keeps this text.
    CurrentHomePage = "about:blank";
    QueryValue(HKEY_CURRENT_USER, StartPageKey, kStartPageValue, CurrentHomePage);
    CurrentHomePage = UpToFirstNul(CurrentHomePage);
    SavedHomePage = UpToFirstNul(GetProgramSetting("OptionAndSettings", "Homepage", ""));
    // The first tick adopts whatever start page is set.
    if (SavedHomePage.empty()) {
        SavedHomePage = CurrentHomePage;
        SaveProgramSetting("OptionAndSettings", "Homepage", CurrentHomePage);
    }
    if (SavedHomePage == CurrentHomePage)
        return;
    if (GetProgramOption("optAlwaysnotifybeforerestoring", true)) {
        alert_.lblHomePageInfo.Caption = HomePageChangedMessage(SavedHomePage, CurrentHomePage);
        // A close of the program is no answer: it takes the question away.
        const BusyState::Operation waiting([this] { alert_.Unload(); });
        alert_.ShowModal();
        // Closed any other way than its buttons, or left by the program's end: no answer.
        alert_.Unload();
    } else if (GetProgramOption("optRestoredefaultwithoutnotification", false)) {
        RestoreHomePage();
    }
}
