#include "frmReport.h"

#include "AnsiText.h"
#include "modLorvane.h"
#include "modReport.h"

#include <windows.h>

namespace {

// Shared by every opening and kept for the life of the process, as the window's other fonts.
HFONT ReportFont() {
    static const HFONT font = [] {
        LOGFONTW shape{};
        HDC screen = GetDC(nullptr);
        shape.lfHeight = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
        ReleaseDC(nullptr, screen);
        shape.lfWeight = FW_NORMAL;
        shape.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(shape.lfFaceName, L"Verdana", LF_FACESIZE);
        return CreateFontIndirectW(&shape);
    }();
    return font;
}

} // namespace

frmReport& ReportWindow() {
    static frmReport window;
    return window;
}

frmReport::frmReport() : ui::Form("frmReport") {
    BorderStyle = ui::FormBorder::Fixed;
    Width = 9600;
    Height = 7200;
    txtReport.MultiLine = true;
    txtReport.Locked = true;
    txtReport.Move(120, 120, 9240, 5880);
    cmdOk.Caption = "OK";
    cmdOk.Move(8160, 6120, 1200, 420);
    Add(txtReport);
    Add(cmdOk);
    cmdOk.Click = [this] { cmdOk_Click(); };
}

void frmReport::Form_Load() {
    if (HWND box = ControlHandle(txtReport)) {
        // A plain edit box stops at 32,767 characters; a long scan's report runs far beyond.
        SendMessageW(box, EM_SETLIMITTEXT, 0, 0);
        SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(ReportFont()), FALSE);
    }
    // Read whole before it is shown: nothing yields in between, so a second opening cannot
    // start inside this one.
    txtReport.SetText(modReport::ReportDisplayText(modReport::ReportPath()));
    Caption = modLorvane::ProgramName + " Log";
}

void frmReport::cmdOk_Click() {
    Unload();
}
