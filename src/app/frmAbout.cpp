#include "frmAbout.h"

#include "VersionInfo.h"
#include "frmWebsite.h"
#include "modIcon.h"
#include "modLorvane.h"

#include <windows.h>

namespace {

// The program's icon, drawn by the picture's native control.
void ShowProductPicture(HWND picture) {
    HANDLE icon =
        LoadImageW(GetModuleHandleW(nullptr), L"AAA", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED);
    if (!picture || !icon)
        return;
    SetWindowLongW(picture, GWL_STYLE,
                   (GetWindowLongW(picture, GWL_STYLE) & ~SS_TYPEMASK) | SS_ICON | SS_CENTERIMAGE);
    SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

} // namespace

frmAbout& AboutWindow() {
    static frmAbout window;
    return window;
}

frmAbout::frmAbout() : ui::Form("frmAbout") {
    BorderStyle = ui::FormBorder::Fixed;
    Width = 6600;
    Height = 3900;
    Picture1.Move(240, 240, 1200, 1200);
    Label1.Move(1680, 240, 4500, 360);
    Label1.FontBold = true;
    const struct {
        ui::Label* heading;
        const char* caption;
        ui::Label* value;
    } rows[] = {{&Label2, "Version:", &lblVersion},
                {&Label3, "Owned By:", &lblCompany},
                {&Label4, "Website:", &lblWebsite}};
    int top = 720;
    for (const auto& row : rows) {
        row.heading->Caption = row.caption;
        row.heading->Move(1680, top, 1200, 280);
        row.value->Move(2940, top, 3300, 280);
        top += 340;
    }
    Label5.Caption = "This program is protected by copyright. Copying or passing it on, in whole "
                     "or in part, without its owner's permission is not allowed.";
    Label5.Move(240, 1980, 6000, 900);
    for (ui::Label* label : {&Picture1, &Label1, &Label2, &Label3, &Label4, &lblVersion,
                             &lblCompany, &lblWebsite, &Label5})
        Add(*label);
    lblWebsite.Click = [this] { lblWebsite_Click(); };
}

void frmAbout::Form_Load() {
    modIcon::SetFormIcon(Handle(), "AAA", false);
    ShowProductPicture(ControlHandle(Picture1));
    Caption = "About " + modLorvane::ProgramName;
    Label1.Caption = modLorvane::ProgramName;
    lblCompany.Caption = modLorvane::CompanyName;
    lblVersion.Caption = ProgramVersion();
    lblWebsite.Caption = modLorvane::WebsiteHost;
}

void frmAbout::lblWebsite_Click() {
    OpenWebsite();
}
