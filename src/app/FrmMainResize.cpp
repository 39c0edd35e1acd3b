// The main window at any size: the four pages fill the window under the button row, and each
// page's lists, bars, texts and buttons follow the page. Every size and place is kept
// non-negative however small the window gets, so no control refuses a value.
#include "FrmMain.h"

#include "SettingsStore.h"
#include "modLorvane.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <iterator>

namespace {

// What a list view's border and vertical scroll bar take from its width: its columns share
// the rest, so they neither leave the list half empty nor need a horizontal scroll bar.
constexpr int kListChrome = 360;

// The least room a stretching list keeps: its header and three rows.
constexpr int kLeastListHeight = 1200;
// The least width a stretching text, bar or button keeps.
constexpr int kLeastWidth = 1200;
// The space kept between a page's parts that its layout moves apart.
constexpr int kGap = 120;

int Abs(int value) {
    return std::abs(value);
}

int Right(const ui::Control& control) {
    return control.Left + control.Width;
}

int Bottom(const ui::Control& control) {
    return control.Top + control.Height;
}

void AtLeast(int& least, int value) {
    least = std::max(least, value);
}

template <typename Range> bool Holds(const Range& range, const ui::Control* control) {
    return std::find(std::begin(range), std::end(range), control) != std::end(range);
}

} // namespace

void FrmMain::Form_Resize() {
    ResizeControls();
    if (WindowState() == ui::vbNormal) {
        tmrScroll.Enabled = true;
        // The scheduler and the process shield stay as the settings and any running operation
        // have them: switched off here, they would wait for the next operation to come back,
        // and with the start-page shield off they would never come back.
        TaskVisible = true;
        if (Visible())
            SaveProgramSetting("Settings", "Minimized", "No");
    } else {
        TaskVisible = false;
    }
}

void FrmMain::ResizeControls() {
    if (!Visible() || WindowState() == ui::vbMinimized)
        return;
    // A window dragged above the screen comes back.
    if (Top < 0 && WindowState() != ui::vbMaximized)
        Top = 100;
    // One edition keeps the button as designed.
    if (modLorvane::ProgramName != "Corvessan")
        cmdWebsite.Width = Abs(Width - cmdWebsite.Left - 200);
    // The frame of invisible controls stays below the visible area.
    Frame.Top = Height + 1000;
    frmStatus.Top = Abs(Command5.Top + Command5.Height + 120);
    frmStatus.Width = Abs(Width - frmStatus.Left - 240);
    frmStatus.Height = Abs(Height - frmStatus.Top - 960);
    for (ui::Frame* page : {&frmResults, &frmOptions, &frmScan})
        page->Move(frmStatus.Left, frmStatus.Top, frmStatus.Width, frmStatus.Height);
    for (int i = 1; i < 4; ++i) {
        frmView[i].Left = frmView[0].Left;
        frmView[i].Top = frmView[0].Top;
    }
    ResizeOptionsPage();
    ResizeScanPage();
    ResizeResultsPage();
    ResizeStatusPage();
}

void FrmMain::SetMinimumSize() {
    int pageWidth = 0, pageHeight = 0;
    AtLeast(pageHeight, LeastStatusPage(pageWidth));
    AtLeast(pageHeight, LeastScanPage(pageWidth));
    AtLeast(pageHeight, LeastResultsPage(pageWidth));
    AtLeast(pageHeight, LeastOptionsPage(pageWidth));
    // The pages' rectangle follows the window with these margins (ResizeControls).
    MinWidth = std::max(frmStatus.Left + pageWidth + 240, cmdWebsite.Left + kLeastWidth + 200);
    MinHeight = Command5.Top + Command5.Height + 120 + pageHeight + 960;
}

std::vector<const ui::Control*> FrmMain::ShownOn(const ui::Control& container) const {
    std::vector<const ui::Control*> shown;
    for (const ui::Control* control : Controls())
        if (control->Container == &container && control->Visible)
            shown.push_back(control);
    return shown;
}

int FrmMain::LeastStatusPage(int& width) {
    const ui::Control* bottomRow[] = {&Command3, &cmdMainScan1, &Command6, &Command7, &cmdHijack};
    const ui::Control* stretched[] = {&Label22,     &lblDefCount,   &lblDefVersion,  &lblVersion,
                                      &lblLastScan, &lblDefRemoved, &lblLastFullScan};
    int top = 0;
    for (const ui::Control* control : ShownOn(frmStatus)) {
        AtLeast(width,
                (Holds(stretched, control) ? control->Left + kLeastWidth : Right(*control)) + 240);
        if (!Holds(bottomRow, control))
            AtLeast(top, Bottom(*control));
    }
    // The sibling tool's button, shown when the tool is there, stands over the quick scans.
    return top + kGap + cmdHijack.Height + 180 + Command3.Height + 240;
}

int FrmMain::LeastScanPage(int& width) {
    const ui::Control* stretched[] = {&display.lblPercentageCompleted, &lists.lvwSpywareFound,
                                      &display.pb1, &display.pb2, &display.pbgMain};
    const ui::Control* besideButton[] = {&display.lblStatus, &lblStatus1, &cmdRemove};
    // Everything else keeps its place across; the status lines stop short of the button.
    for (const ui::Control* control : ShownOn(frmScan))
        if (!Holds(besideButton, control))
            AtLeast(width,
                    (Holds(stretched, control) ? control->Left + kLeastWidth : Right(*control)) +
                        240);
    AtLeast(width, display.lblStatus.Left + kLeastWidth + 120 + cmdRemove.Width + 240);
    // From the list down: its least room, the two bars, and the button.
    return lists.lvwSpywareFound.Top + kLeastListHeight + 120 + 285 + display.pb2.Height + 60 +
           cmdRemove.Height + 240;
}

int FrmMain::LeastResultsPage(int& width) {
    const ui::ListView& results = lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    // The count of found items and "Repair Now" keep to the right, clear of the other buttons.
    int buttons = 0;
    for (const ui::Button* button : {&cmdSelectAll, &cmdExclude, &cmdBrowse, &cmdFalsePos})
        AtLeast(buttons, Right(*button));
    AtLeast(width, buttons + kGap + display.lblRemovePicSoftwareFound.Width + 120 + Command4.Width +
                       results.Left);
    AtLeast(width, 2 * results.Left + kLeastWidth);
    return results.Top + kLeastListHeight + cmdSelectAll.Height + 240 + RemovalProgressHeight();
}

int FrmMain::LeastOptionsPage(int& width) {
    const ui::Frame& view = frmView[0];
    const auto spans = OptionSpans();
    const ui::Control* spanningTexts[] = {&lblHomePageText, &lblAutoProtectText};
    // Each view holds what it shows; "Scan Now" keeps the corner below the texts and frames
    // that span a view, right of the rest.
    int bottom = 0, spanBottom = 0, fixedRight = 0;
    for (const ui::Frame& page : frmView)
        for (const ui::Control* control : ShownOn(page)) {
            AtLeast(bottom, Bottom(*control));
            if (!Holds(spans, control)) {
                AtLeast(fixedRight, Right(*control));
                continue;
            }
            AtLeast(spanBottom, Bottom(*control));
            // A spanning frame is 240 narrower than its view, which is 240 narrower than the page.
            for (const ui::Control* inside : ShownOn(*control))
                AtLeast(width, 480 +
                                   (Holds(spanningTexts, inside) ? inside->Left + kLeastWidth
                                                                 : Right(*inside)) +
                                   kGap);
        }
    AtLeast(width, view.Left + fixedRight + kGap + Command1.Width + 240);
    // Each view is 420 shorter than the page.
    return std::max(bottom + kGap + 420, view.Top + spanBottom + kGap + Command1.Height + 180);
}

std::array<ui::Control*, 5> FrmMain::OptionSpans() {
    return {&fraHomePage, &fraAutoProtect, &fraRunAtStartup, &lblScheduleText, &Label26};
}

void FrmMain::ResizeOptionsPage() {
    TabStrip1.Width = frmOptions.Width;
    TabStrip1.Height = frmOptions.Height;
    for (ui::Frame& view : frmView) {
        view.Width = Abs(TabStrip1.Width - 240);
        view.Height = Abs(TabStrip1.Height - 420);
    }
    // "Scan Now" keeps the bottom right corner, which no option page uses.
    Command1.Left = Abs(frmOptions.Width - Command1.Width - 240);
    Command1.Top = Abs(frmOptions.Height - Command1.Height - 180);
    // The frames and texts that span a page follow its width.
    const int spanned = Abs(frmView[0].Width - 240);
    for (ui::Control* wide : OptionSpans())
        wide->Width = spanned;
    for (ui::Label* text : {&lblHomePageText, &lblAutoProtectText})
        text->Width = Abs(fraHomePage.Width - 240);
}

void FrmMain::ResizeScanPage() {
    ui::ProgressBar &pb1 = display.pb1, &pb2 = display.pb2;
    ui::Label& lblStatus = display.lblStatus;
    ui::ListView& found = lists.lvwSpywareFound;
    cmdRemove.Left = Abs(frmScan.Width - cmdRemove.Width - 240);
    cmdRemove.Top = Abs(frmScan.Height - cmdRemove.Height - 240);
    pb2.Top = Abs(cmdRemove.Top - pb2.Height - 60);
    pb1.Top = Abs(pb2.Top - 285);
    pb1.Width = Abs(frmScan.Width - pb1.Left - 240);
    pb2.Width = pb1.Width;
    display.pbgMain.Top = pb1.Top;
    display.pbgMain.Width = pb1.Width;
    SkinLabel7.Top = pb1.Top;
    SkinLabel8.Top = pb2.Top;
    // The two status lines stand one under the other beside "Continue to Overview", and stop
    // short of it.
    lblStatus.Top = cmdRemove.Top;
    lblStatus.Width = Abs(cmdRemove.Left - lblStatus.Left - 120);
    lblStatus1.Top = Abs(cmdRemove.Top + lblStatus.Height);
    lblStatus1.Width = lblStatus.Width;
    display.lblPercentageCompleted.Width =
        Abs(frmScan.Width - display.lblPercentageCompleted.Left - 240);
    found.Width = Abs(frmScan.Width - found.Left - 240);
    found.Height = Abs(pb1.Top - found.Top - 120);
    // Name and Details share the list 1 : 2.
    const int inner = Abs(found.Width - kListChrome);
    if (found.ColumnHeaders.size() >= 2) {
        std::vector<ui::ColumnHeader> columns = found.ColumnHeaders;
        columns[0].Width = inner / 3;
        columns[1].Width = inner / 3 * 2;
        found.ColumnHeaders = std::move(columns);
    }
}

void FrmMain::ResizeResultsPage() {
    ui::ListView& results = lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    ui::Label& found = display.lblRemovePicSoftwareFound;
    results.Width = Abs(frmResults.Width - 2 * results.Left);
    results.Height =
        Abs(frmResults.Height - results.Top - cmdSelectAll.Height - 240 - RemovalProgressHeight());
    cmdSelectAll.Top = Abs(results.Top + results.Height + 120);
    for (ui::Button* button : {&cmdExclude, &cmdBrowse, &cmdFalsePos, &Command4})
        button->Top = cmdSelectAll.Top;
    // "Repair Now" closes the row at the list's right edge, the count of found items before it.
    Command4.Left = Abs(results.Left + results.Width - Command4.Width);
    found.Left = Abs(Command4.Left - 120 - found.Width);
    found.Top = cmdSelectAll.Top + 90;
    pgbDeleteSpywaresFound.Top = Abs(cmdSelectAll.Top + cmdSelectAll.Height + 120);
    pgbDeleteSpywaresFound.Width = Abs(results.Width - pgbDeleteSpywaresFound.Left);
    lblDeletingPercentageCompleted.Top =
        Abs(pgbDeleteSpywaresFound.Top + pgbDeleteSpywaresFound.Height + 5);
    lblDeletingCaption.Top =
        Abs(lblDeletingPercentageCompleted.Top + lblDeletingPercentageCompleted.Height + 100);
    for (ui::Label* line : {&lblDeletingPercentageCompleted, &lblDeletingCaption})
        line->Width = Abs(results.Width - line->Left);
    // File, Location, Type, Risk and Details share the list 1 : 2 : 1 : 1 : 1.
    const int share = Abs(results.Width - kListChrome) / 6;
    const int shares[] = {1, 2, 1, 1, 1};
    std::vector<ui::ColumnHeader> columns = results.ColumnHeaders;
    for (size_t i = 0; i < columns.size() && i < 5; ++i)
        columns[i].Width = share * shares[i];
    results.ColumnHeaders = std::move(columns);
}

int FrmMain::RemovalProgressHeight() const {
    // They show while a removal runs.
    return 120 + pgbDeleteSpywaresFound.Height + 5 + lblDeletingPercentageCompleted.Height + 100 +
           lblDeletingCaption.Height;
}

void FrmMain::ResizeStatusPage() {
    for (ui::Label* text : {&Label22, &lblDefCount, &lblDefVersion, &lblVersion, &lblLastScan,
                            &lblDefRemoved, &lblLastFullScan})
        text->Width = Abs(frmStatus.Width - text->Left - 240);
    // The quick scans keep to the page's lower edge, the sibling tool's button above them.
    for (ui::Button* quickScan : {&Command3, &cmdMainScan1, &Command6, &Command7})
        quickScan->Top = Abs(frmStatus.Height - quickScan->Height - 240);
    cmdHijack.Top = Abs(Command3.Top - cmdHijack.Height - 180);
}
