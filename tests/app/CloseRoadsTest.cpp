// Every way the program ends, in a real main window with its tray icon: what each road writes
// ("RESTART", "STATUS", the results columns, "Max"), whether the icon leaves the notification
// area, and that the program's message loop ends.
#include "ShownMainWindow.h"

#include "TrayPanel.h"
#include "clsTray.h"
#include "frmMenuPopUp.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct CloseRoad {
    const char* name;
    bool fromTray;       // the window sits in the notification area when the road is taken
    bool runStateValues; // "RESTART" = "False" and "STATUS" = "STOPPED"
    bool iconRemoved;
    bool windowGoes; // unloaded, rather than only hidden
};

const CloseRoad kRoads[] = {
    {"CloseBox", false, true, true, true},     {"FileExit", false, true, true, true},
    {"HideLabel", false, false, false, false}, {"TrayExitProgram", true, true, true, true},
    {"SessionEnd", false, true, true, true},
};

void PrintTo(const CloseRoad& road, std::ostream* out) {
    *out << road.name;
}

// Widths the user gave the results columns, whole pixels in twips.
const int kWidths[] = {1500, 3015, 1200, 900, 2400};

} // namespace

class CloseRoads : public ShownMainWindow, public testing::WithParamInterface<CloseRoad> {
  protected:
    void SetUp() override {
        tray.NotifyIcon = [this](DWORD message, NOTIFYICONDATAW& record) {
            notified.emplace_back(message, record.hWnd);
            return true;
        };
        popup.Screen = [] { return PopupScreen{30, 1024, 768, 768 * 15}; };
        panel.Connect();
        ShownMainWindow::SetUp();
    }
    ~CloseRoads() override {
        // While the tray and the popup the window's links reach are still there.
        popup.Unload();
        if (form->Loaded())
            form->Unload();
    }

    void Take(const CloseRoad& road) {
        HWND window = form->Handle();
        if (road.name == std::string("CloseBox")) {
            SendMessageW(window, WM_CLOSE, 0, 0);
        } else if (road.name == std::string("FileExit")) {
            form->mnuFileItem_Click(8);
        } else if (road.name == std::string("HideLabel")) {
            form->lblHide_Click();
        } else if (road.name == std::string("TrayExitProgram")) {
            popup.mnuClose_Click();
        } else {
            EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), TRUE);
            SendMessageW(window, WM_ENDSESSION, TRUE, 0);
        }
    }

    clsTray tray;
    frmMenuPopUp popup{*form, tray};
    TrayPanel panel{*form, popup, tray};
    std::vector<std::pair<DWORD, HWND>> notified;
};

TEST_P(CloseRoads, WriteWhatTheyShouldAndEndTheProgram) {
    const CloseRoad& road = GetParam();
    HWND window = form->Handle();
    // Start-up wrote "False" and "RUNNING"; a "True" shows whether the road writes "RESTART".
    Store("OptionAndSettings", "RESTART", "True");
    panel.Command5_Click(); // the icon is there
    if (!road.fromTray) {
        panel.TrayIcon_MouseMessage(WM_LBUTTONDBLCLK);
        form->SetWindowState(ui::vbMaximized);
    }
    auto& columns = form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.ColumnHeaders;
    ASSERT_EQ(columns.size(), std::size(kWidths));
    for (size_t i = 0; i < columns.size(); ++i)
        columns.Edit()[i].Width = kWidths[i];
    notified.clear();

    Take(road);

    EXPECT_EQ(Stored("OptionAndSettings", "RESTART"), road.runStateValues ? "False" : "True");
    EXPECT_EQ(Stored("OptionAndSettings", "STATUS"), road.runStateValues ? "STOPPED" : "RUNNING");
    const bool removed = std::find(notified.begin(), notified.end(),
                                   std::make_pair(DWORD{NIM_DELETE}, window)) != notified.end();
    EXPECT_EQ(removed, road.iconRemoved);
    for (size_t i = 0; i < columns.size(); ++i)
        EXPECT_EQ(Stored("Settings", "FoundCol2" + std::to_string(i + 1)),
                  std::to_string(kWidths[i]));
    EXPECT_EQ(Stored("Settings", "Max"), road.fromTray ? "0" : "1");
    EXPECT_EQ(form->Loaded(), !road.windowGoes);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(popup.Loaded());
    EXPECT_TRUE(TakeQuitRequest());
}

INSTANTIATE_TEST_SUITE_P(EveryRoad, CloseRoads, testing::ValuesIn(kRoads),
                         [](const testing::TestParamInfo<CloseRoad>& info) {
                             return std::string(info.param.name);
                         });
