// The main window's layout at any size, in a real window under the test display: sizes and
// places stay non-negative however small the window, at the design size nothing overlaps and
// every caption is whole, at the least size the window keeps to nothing overlaps or is cut,
// every page follows the window, and a restore leaves the shields as the settings say.
// Pictures of each page at three sizes go to the sandbox's C:\screenshots.
#include "ShownMainWindow.h"

#include "AnsiText.h"
#include "BusyState.h"
#include "PanelSwitching.h"
#include "clsLanguages.h"
#include "modLorvane.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr int kDesignWidth = 11400, kDesignHeight = 7500;

std::string NameOf(const ui::Control& control) {
    return control.Index < 0 ? control.Name
                             : control.Name + "(" + std::to_string(control.Index) + ")";
}

std::wstring NativeText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The room a text takes in a control's font: one line, or wrapped at `wrapWidth` when given.
SIZE TextSize(HWND window, const std::wstring& text, int wrapWidth = 0) {
    HDC dc = GetDC(window);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
    SIZE size{};
    if (wrapWidth > 0) {
        RECT rect{0, 0, wrapWidth, 0};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
                  DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        size = {rect.right, rect.bottom};
    } else {
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    }
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
    return size;
}

} // namespace

class MainWindowResize : public ShownMainWindow {
  protected:
    void SetUp() override {
        previousWebsite_ = modLorvane::WebsiteHost;
        modLorvane::WebsiteHost = "www.tidewater-software.example";
        ShownMainWindow::SetUp();
    }
    ~MainWindowResize() override { modLorvane::WebsiteHost = previousWebsite_; }

    // Shows each page in turn (the options page once per tab) and runs the check on it.
    void ForEachPage(const std::function<void(const std::string&)>& check) {
        form->cmdStatus_Click();
        check("status");
        form->cmdScan_Click();
        check("scan");
        form->cmdResults_Click();
        check("results");
        for (int tab = 0; tab < 4; ++tab) {
            form->cmdSettings_Click();
            form->TabStrip1.SetSelectedIndex(tab);
            check("options tab " + std::to_string(tab));
        }
        form->TabStrip1.SetSelectedIndex(0);
    }

    // The failures of every caption that does not fit its control whole, with room to spare.
    std::string CutCaptions() {
        form->Refresh();
        std::string cut;
        for (const ui::Control* control : form->Controls()) {
            HWND window = form->ControlHandle(*control);
            if (!control->Shown() || !window || Inside(*control, form->Frame))
                continue;
            RECT client{};
            GetClientRect(window, &client);
            const std::wstring text = NativeText(window);
            std::string why;
            if (dynamic_cast<const ui::Label*>(control)) {
                if (text.empty())
                    continue;
                const SIZE need = TextSize(window, text, client.right);
                if (need.cx > client.right || need.cy > client.bottom)
                    why = "wraps to " + std::to_string(need.cy) + " px";
            } else if (dynamic_cast<const ui::Button*>(control)) {
                const SIZE need = TextSize(window, text);
                // Three-dimensional edges and the focus frame: four pixels each side.
                if (need.cx + 8 > client.right || need.cy + 4 > client.bottom)
                    why = "needs " + std::to_string(need.cx + 8) + " px";
            } else if (dynamic_cast<const ui::CheckBox*>(control) ||
                       dynamic_cast<const ui::OptionButton*>(control)) {
                const SIZE need = TextSize(window, text);
                const int box = GetSystemMetrics(SM_CXMENUCHECK) + 6;
                if (need.cx + box > client.right || need.cy > client.bottom)
                    why = "needs " + std::to_string(need.cx + box) + " px";
            } else if (dynamic_cast<const ui::Frame*>(control) && !text.empty()) {
                const SIZE need = TextSize(window, text);
                if (need.cx + 16 > client.right)
                    why = "needs " + std::to_string(need.cx + 16) + " px";
            } else if (auto* list = dynamic_cast<const ui::ListView*>(control)) {
                int columns = 0;
                for (size_t i = 0; i < list->ColumnHeaders.size(); ++i) {
                    const int width =
                        static_cast<int>(SendMessageW(window, LVM_GETCOLUMNWIDTH, i, 0));
                    const SIZE need = TextSize(window, Utf8ToWide(list->ColumnHeaders[i].Text));
                    columns += width;
                    if (need.cx + 12 > width)
                        why += "column " + std::to_string(i) + " too narrow; ";
                }
                // The columns fill the list, without a horizontal scroll bar.
                if (columns > client.right || columns < client.right - 40)
                    why += "columns take " + std::to_string(columns) + " of " +
                           std::to_string(client.right) + " px";
            } else {
                continue;
            }
            if (!why.empty())
                cut += NameOf(*control) + " \"" + WideToUtf8(text) + "\": " + why + "\n";
        }
        return cut;
    }

    // Each pair of shown controls that share some of their area.
    std::string Overlaps() const {
        std::string overlaps;
        const auto leaves = ShownLeaves();
        for (size_t i = 0; i < leaves.size(); ++i)
            for (size_t j = i + 1; j < leaves.size(); ++j) {
                int a[4], b[4];
                Bounds(*leaves[i], a);
                Bounds(*leaves[j], b);
                if (a[0] < b[2] && b[0] < a[2] && a[1] < b[3] && b[1] < a[3])
                    overlaps += NameOf(*leaves[i]) + " and " + NameOf(*leaves[j]) + "\n";
            }
        return overlaps;
    }

    // Each shown control that reaches out of its frame or page, where the frame's edge would
    // cut it.
    std::string OutsideTheirContainers() const {
        std::string outside;
        for (const ui::Control* control : form->Controls()) {
            const ui::Control* container = control->Container;
            if (!control->Shown() || !container || !form->ControlHandle(*control) ||
                Inside(*control, form->Frame))
                continue;
            if (control->Left + control->Width > container->Width ||
                control->Top + control->Height > container->Height)
                outside += NameOf(*control) + " in " + NameOf(*container) + "\n";
        }
        return outside;
    }

    // What overlaps or is cut on any page, with what shows only now and then shown as well.
    std::string Collisions() {
        std::string found;
        ForEachPage([&](const std::string& page) {
            const std::string here = Overlaps() + OutsideTheirContainers();
            if (!here.empty())
                found += page + ":\n" + here;
        });
        return found;
    }

    void ShowOccasionalControls() {
        form->cmdRemove.Visible = form->lblStatus1.Visible = true;
        form->cmdHijack.Caption = "Sibling Tool";
        form->cmdHijack.Visible = true;
        form->pgbDeleteSpywaresFound.Visible = form->lblDeletingPercentageCompleted.Visible =
            form->lblDeletingCaption.Visible = true;
    }

    std::string previousWebsite_;
};

TEST_F(MainWindowResize, TheLeastSizeHoldsEveryControlApartAndTheWindowKeepsToIt) {
    MINMAXINFO limits{};
    SendMessageW(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    const int leastWidth = limits.ptMinTrackSize.x * 15, leastHeight = limits.ptMinTrackSize.y * 15;
    ASSERT_GT(leastWidth, 0);
    ASSERT_GT(leastHeight, 0);
    EXPECT_LE(leastWidth, kDesignWidth);
    EXPECT_LE(leastHeight, kDesignHeight);
    ShowOccasionalControls();

    // A request below the least size, by code as by the user's frame, gets the least size.
    ResizeTo(leastWidth - 4000, leastHeight - 3000);
    RECT window{};
    GetWindowRect(form->Handle(), &window);
    EXPECT_EQ(window.right - window.left, limits.ptMinTrackSize.x);
    EXPECT_EQ(window.bottom - window.top, limits.ptMinTrackSize.y);
    EXPECT_EQ(form->Width, leastWidth);
    EXPECT_EQ(form->Height, leastHeight);
    EXPECT_EQ(Collisions(), "");

    // The least size is no larger than it must be: a little less in either direction, and
    // something runs into something else.
    const struct {
        int width, height;
    } smaller[] = {{leastWidth - 600, leastHeight}, {leastWidth, leastHeight - 600}};
    for (const auto& size : smaller) {
        SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
        form->Width = size.width;
        form->Height = size.height;
        form->Form_Resize();
        EXPECT_NE(Collisions(), "");
    }
}

TEST_F(MainWindowResize, EverySizeAndPlaceStaysNonNegativeHoweverSmallTheWindow) {
    const struct {
        int width, height;
    } sizes[] = {{0, 0},        {150, 90}, {900, 700}, {2400, 1800}, {kDesignWidth, kDesignHeight},
                 {30000, 20000}};
    for (const auto& size : sizes) {
        form->Width = size.width;
        form->Height = size.height;
        form->Form_Resize();
        for (const ui::Control* control : form->Controls()) {
            SCOPED_TRACE(NameOf(*control) + " at " + std::to_string(size.width) + " x " +
                         std::to_string(size.height));
            EXPECT_GE(control->Left, 0);
            EXPECT_GE(control->Top, 0);
            EXPECT_GE(control->Width, 0);
            EXPECT_GE(control->Height, 0);
            if (auto* list = dynamic_cast<const ui::ListView*>(control)) {
                for (const ui::ColumnHeader& column : list->ColumnHeaders)
                    EXPECT_GE(column.Width, 0);
            }
        }
    }
    // The same through the window itself.
    ResizeTo(600, 450);
    for (const ui::Control* control : form->Controls()) {
        SCOPED_TRACE(NameOf(*control));
        EXPECT_GE(std::min({control->Left.Get(), control->Top.Get(), control->Width.Get(),
                            control->Height.Get()}),
                  0);
    }
}

TEST_F(MainWindowResize, TheFirstLayoutKeepsTheDesign) {
    ResizeTo(kDesignWidth, kDesignHeight);
    form->Form_Resize();
    ASSERT_EQ(form->Controls().size(), design.size());
    for (size_t i = 0; i < design.size(); ++i) {
        const ui::Control& control = *form->Controls()[i];
        if (&control == &form->Frame)
            continue; // set below the window's lower edge, wherever that is
        SCOPED_TRACE(NameOf(control));
        EXPECT_EQ((std::array<int, 4>{control.Left, control.Top, control.Width, control.Height}),
                  design[i]);
    }
}

TEST_F(MainWindowResize, AtTheDesignSizeNothingOverlapsAndEveryCaptionIsWhole) {
    // What the pages show after a scan and during a removal, in the program's own words.
    form->cmdRemove.Visible = true;
    form->display.lblStatus.Caption = Lang.getMessages("MSG_SCAN_COMPLETED");
    form->display.lblPercentageCompleted.Caption = "0% " + Lang.getMessages("MSG_COMPLETED");
    form->lblDeletingPercentageCompleted.Caption = "100% " + Lang.getMessages("MSG_COMPLETE");
    form->lblDeletingCaption.Caption = "C:\\Program Files\\Some Vendor\\toolbar.dll";
    ForEachPage([this](const std::string& page) {
        SCOPED_TRACE(page);
        if (page == "results")
            form->pgbDeleteSpywaresFound.Visible = form->lblDeletingPercentageCompleted.Visible =
                form->lblDeletingCaption.Visible = true;
        EXPECT_EQ(Overlaps(), "");
        EXPECT_EQ(CutCaptions(), "");
    });
}

TEST_F(MainWindowResize, EveryPageFollowsTheWindow) {
    // For each page at two sizes: its controls stay inside it, and its right-most and lowest
    // controls keep their margins, so none is left behind.
    auto margins = [this](const std::string&) {
        const ui::Control* page = nullptr;
        for (const ui::Control* p : std::initializer_list<const ui::Control*>{
                 &form->frmStatus, &form->frmScan, &form->frmResults, &form->frmOptions})
            if (p->Visible)
                page = p;
        int pageBounds[4];
        Bounds(*page, pageBounds);
        int right = pageBounds[0], bottom = pageBounds[1];
        std::string outside;
        for (const ui::Control* control : ShownLeaves()) {
            int b[4];
            Bounds(*control, b);
            if (b[1] < pageBounds[1])
                continue; // the button row above the pages
            if (b[2] > pageBounds[2] || b[3] > pageBounds[3])
                outside += NameOf(*control) + " ";
            right = std::max(right, b[2]);
            bottom = std::max(bottom, b[3]);
        }
        EXPECT_EQ(outside, "");
        return std::to_string(pageBounds[2] - right) + " " + std::to_string(pageBounds[3] - bottom);
    };
    std::vector<std::string> atDesign, larger;
    ResizeTo(kDesignWidth, kDesignHeight);
    ForEachPage([&](const std::string& page) { atDesign.push_back(page + ": " + margins(page)); });
    ResizeTo(kDesignWidth + 3000, kDesignHeight + 1500);
    ForEachPage([&](const std::string& page) { larger.push_back(page + ": " + margins(page)); });
    EXPECT_EQ(larger, atDesign);
}

TEST_F(MainWindowResize, AWindowAboveTheScreenComesBackUnlessMaximised) {
    form->Top = -600;
    form->Form_Resize();
    EXPECT_EQ(form->Top, 100);
    form->SetWindowState(ui::vbMaximized);
    ASSERT_EQ(form->WindowState(), ui::vbMaximized);
    form->Top = -600;
    form->Form_Resize();
    EXPECT_EQ(form->Top, -600);
}

TEST_F(MainWindowResize, OneEditionKeepsTheWebsiteButtonAsDesigned) {
    const std::string product = modLorvane::ProgramName;
    form->cmdWebsite.Width = 1234;
    modLorvane::ProgramName = "Corvessan";
    form->Form_Resize();
    EXPECT_EQ(form->cmdWebsite.Width, 1234);
    modLorvane::ProgramName = product;
    form->Form_Resize();
    EXPECT_EQ(form->cmdWebsite.Width, form->Width - form->cmdWebsite.Left - 200);
}

TEST_F(MainWindowResize, TheTaskbarButtonFollowsTheWindowState) {
    const struct {
        int state;
        bool taskVisible;
        const char* minimized; // "Settings" / "Minimized" afterwards, from "Yes"
    } rows[] = {{ui::vbMaximized, false, "Yes"},
                {ui::vbNormal, true, "No"},
                {ui::vbMinimized, false, "Yes"},
                {ui::vbNormal, true, "No"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.state);
        Store("Settings", "Minimized", "Yes");
        form->SetWindowState(row.state);
        EXPECT_EQ(form->WindowState(), row.state);
        EXPECT_EQ(form->TaskVisible, row.taskVisible);
        EXPECT_EQ(Stored("Settings", "Minimized"), row.minimized);
    }
}

TEST_F(MainWindowResize, ARestoreLeavesTheShieldsAndTheScheduleAsTheSettingsSay) {
    const struct {
        const char *schedule, *processShield, *homePageShield;
        bool operationRunning;
    } rows[] = {{"1", "True", "True", false},
                {"1", "True", "False", false},
                {"0", "False", "False", false},
                {"1", "False", "True", false},
                {"1", "True", "True", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.schedule) + row.processShield + row.homePageShield +
                     (row.operationRunning ? " running" : ""));
        Store("OptionAndSettings", "chkAutomaticScanYesOrNo", row.schedule);
        Store("OptionAndSettings", "optMemorySheildOn", row.processShield);
        Store("OptionAndSettings", "optIEHomePageSheildOn", row.homePageShield);
        modGenDec::EnableShieldTimers(*form, false);
        modGenDec::EnableShieldTimers(*form, true);
        std::optional<modGenDec::ShieldTimersOff> operation;
        if (row.operationRunning)
            operation.emplace(*form);
        form->SetWindowState(ui::vbMinimized);
        form->SetWindowState(ui::vbNormal);
        const bool on = !row.operationRunning;
        EXPECT_EQ(form->tmrScheduler.Enabled, on && std::string(row.schedule) == "1");
        EXPECT_EQ(form->tmrMemoryInspected.Enabled, on && std::string(row.processShield) == "True");
        EXPECT_EQ(form->tmrCheckHomePage.Enabled, on && std::string(row.homePageShield) == "True");
        EXPECT_TRUE(form->tmrScroll.Enabled);
        operation.reset();
        EXPECT_EQ(form->tmrScheduler.Enabled, std::string(row.schedule) == "1");
        EXPECT_EQ(form->tmrMemoryInspected.Enabled, std::string(row.processShield) == "True");
    }
}

TEST_F(MainWindowResize, PicturesOfEachPageAtThreeSizes) {
    const struct {
        const char* name;
        int width, height;
    } sizes[] = {{"least", form->MinWidth, form->MinHeight},
                 {"design", kDesignWidth, kDesignHeight},
                 {"large", 15000, 9600}};
    for (const auto& size : sizes) {
        ResizeTo(size.width, size.height);
        form->cmdRemove.Visible = true;
        ForEachPage([&](const std::string& page) {
            std::string name = "resize-" + std::string(size.name) + "-" + page;
            std::replace(name.begin(), name.end(), ' ', '-');
            Picture(name);
        });
    }
}
