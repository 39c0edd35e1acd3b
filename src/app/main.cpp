// The program starts with its splash window, which brings up the main window.
#include "AppPath.h"
#include "DoEvents.h"
#include "HomePageShield.h"
#include "LiveUpdate.h"
#include "ProcessShield.h"
#include "ResultsPanel.h"
#include "SchedulePanel.h"
#include "ShellPanel.h"
#include "Submissions.h"
#include "TrayPanel.h"
#include "frmDelete.h"
#include "frmDownload.h"
#include "frmHomePageChangedAlert.h"
#include "frmLanguage.h"
#include "frmMenuPopUp.h"
#include "frmSignatureUpdated.h"
#include "frmSplash.h"
#include "frmSpywareFoundAlert.h"
#include "modInternet.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Asked at once, so a copy still in its first-run language choice counts as the first.
    AppPath::PrevInstance();
    // The later subsystems fill in the main window's links before anything can reach them.
    MainShellPanel().Connect();
    MainResultsPanel().Connect();
    MainSchedulePanel().Connect();
    MainProcessShield().Connect();
    MainHomePageShield().Connect();
    MainTrayPanel().Connect();
    MainLiveUpdate().Connect();
    MainSubmissions().Connect();
    // The language file's writer names the controls of these windows too.
    ConnectLanguageWindow([] {
        return std::vector<ui::Form*>{&DeleteFailedWindow(),         &DownloadWindow(),
                                      &HomePageChangedAlertWindow(), &MenuPopUpWindow(),
                                      &SignatureUpdatedWindow(),     &SpywareFoundAlertWindow()};
    });
    // Downloads let the windows run between their reads.
    modInternet::SetYieldHook(ui::DoEvents);
    frmSplash& splash = SplashWindow();
    splash.CenterOnScreen();
    splash.Show();

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ui::DispatchUiMessage(msg);
    }
    return static_cast<int>(msg.wParam);
}
