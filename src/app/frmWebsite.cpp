#include "frmWebsite.h"

#include "ShellLaunch.h"
#include "WebPageMode.h"
#include "modLorvane.h"

#include <windows.h>

frmWebsite& WebsiteWindow() {
    static frmWebsite window;
    return window;
}

void OpenWebsite() {
    WebPageMode = "Website";
    // A window still loaded from the last request ignores this one.
    WebsiteWindow().Load();
}

frmWebsite::frmWebsite() : ui::Form("frmWebsite"), RefreshIdentity(modLorvane::LoadAppIdentity) {
    BorderStyle = ui::FormBorder::None;
    ShowInTaskbar = false;
    Add(Timer1);
    Timer1.Tick = [this] { Timer1_Timer(); };
}

void frmWebsite::Form_Load() {
    if (RefreshIdentity)
        RefreshIdentity();
    if (WebPageMode == "Website") {
        ShellLaunch::Start(WebsiteAddress(modLorvane::WebsiteHost), "", SW_SHOWNORMAL);
        WebPageMode.clear();
    }
}

void frmWebsite::Timer1_Timer() {
    Unload();
}
