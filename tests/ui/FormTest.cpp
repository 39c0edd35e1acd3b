#include <windows.h>

#include "DoEvents.h"
#include "Form.h"
#include "Screenshot.h"
#include "TempFolder.h"

#include <commctrl.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <fstream>

namespace {

class TestForm : public ui::Form {
  public:
    TestForm() : ui::Form("frmTest") {
        Caption = "Test window";
        Move(300, 300, 9000, 7000);
        fraBox.Caption = "Box";
        fraBox.Move(120, 120, 4200, 2400);
        for (ui::Control* c : {static_cast<ui::Control*>(&chkOption),
                               static_cast<ui::Control*>(&optA), static_cast<ui::Control*>(&optB)})
            c->Container = &fraBox;
        chkOption.Move(120, 300, 3000, 300);
        optA.Move(120, 700, 3000, 300);
        optB.Move(120, 1100, 3000, 300);
        lblInfo.Move(4500, 120, 3000, 300);
        cmdGo.Move(4500, 500, 1500, 400);
        txtName.Move(4500, 1000, 3000, 300);
        cmbDay.Move(4500, 1400, 3000, 300);
        lstItems.Move(4500, 1800, 3000, 600);
        dtpTime.Move(120, 2700, 2000, 300);
        dtpTime.TimeOnly = true;
        tabPages.Move(2300, 2700, 3000, 400);
        pgbMain.Move(5500, 2700, 2500, 300);
        lvwFound.Move(120, 3300, 7800, 2400);
        lvwFound.SmallIcons = &imlIcons;
        imlIcons.IconResources = {1, 2, 3};
        for (ui::Control* c : std::initializer_list<ui::Control*>{
                 &fraBox, &chkOption, &optA, &optB, &lblInfo, &cmdGo, &txtName, &cmbDay, &lstItems,
                 &tmrTick, &dtpTime, &tabPages, &mnuFile, &mnuOpen, &mnuLine, &mnuExit, &imlIcons,
                 &pgbMain, &lvwFound})
            Add(*c);
    }

    void Move(int left, int top, int width, int height) {
        Left = left;
        Top = top;
        Width = width;
        Height = height;
    }

    ui::Frame fraBox{"fraBox"};
    ui::CheckBox chkOption{"chkOption"};
    ui::OptionGroup group;
    ui::OptionButton optA{"optChoice", 0, group};
    ui::OptionButton optB{"optChoice", 1, group};
    ui::Label lblInfo{"lblInfo"};
    ui::Button cmdGo{"cmdGo"};
    ui::TextBox txtName{"txtName"};
    ui::ComboBox cmbDay{"cmbDay"};
    ui::ListBox lstItems{"lstItems"};
    ui::Timer tmrTick{"tmrTick", 10};
    ui::DTPicker dtpTime{"dtpTime"};
    ui::TabStrip tabPages{"tabPages"};
    ui::Menu mnuFile{"mnuFile", -1, "&File"};
    ui::Menu mnuOpen{"mnuFileItem", 0, "&Open", &mnuFile};
    ui::Menu mnuLine{"mnuFileItem", 1, "-", &mnuFile};
    ui::Menu mnuExit{"mnuFileItem", 2, "E&xit", &mnuFile};
    ui::ImageList imlIcons{"imlIcons"};
    ui::ProgressBar pgbMain{"pgbMain"};
    ui::ListView lvwFound{"lvwFound", {"Name", "Location"}, true};

    int loads = 0, queries = 0, unloads = 0, lastUnloadMode = -1, clickedColumn = -1;
    bool cancelUnload = false;
    int resizes = 0, mouseX = -1, downButton = 0, downShift = 0, doubleClickedRow = -2;
    std::string typed;

  protected:
    void Form_Load() override { ++loads; }
    void Form_QueryUnload(bool& cancel, int mode) override {
        ++queries;
        lastUnloadMode = mode;
        cancel = cancelUnload;
    }
    void Form_Unload(bool&) override { ++unloads; }
    void ListView_ColumnClick(ui::ListView&, int column) override { clickedColumn = column; }
    void Form_Resize() override { ++resizes; }
    void Form_MouseMove(int, int, int x, int) override { mouseX = x; }
    void Control_MouseDown(ui::Control& c, int button, int shift, int, int) override {
        if (&c == &cmdGo) {
            downButton = button;
            downShift = shift;
        }
    }
    void Control_KeyPress(ui::Control&, int& key) override {
        typed += static_cast<char>(key);
        if (key == 'x')
            key = 0;
    }
    void ListView_DblClick(ui::ListView&, int row) override { doubleClickedRow = row; }
};

std::string TextOf(HWND hwnd) {
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    return std::string(text, text + wcslen(text));
}

void PumpUntil(const std::function<bool()>& done, DWORD limitMs = 2000) {
    const DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < limitMs) {
        ui::DoEvents();
        Sleep(5);
    }
}

class FormWindow : public testing::Test {
  protected:
    TestForm form;

    HWND Native(const ui::Control& c) { return form.ControlHandle(c); }
    LRESULT Send(const ui::Control& c, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return SendMessageW(Native(c), message, wParam, lParam);
    }
    // A control's notification as the native control sends it to the form.
    void Command(const ui::Control& c, WORD code) {
        SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(form.CommandId(c), code),
                     reinterpret_cast<LPARAM>(Native(c)));
    }
    void Notify(const ui::Control& c, NMHDR& header, UINT code) {
        header.hwndFrom = Native(c);
        header.idFrom = form.CommandId(c);
        header.code = code;
        SendMessageW(form.Handle(), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    }
    void Open() {
        ASSERT_TRUE(form.Load());
        form.Show();
        form.Refresh();
    }
    // Shows a list of two rows, "first" and "second", whose user ticks are noted in `ticked`.
    void OpenTwoRowsNotingTicks() {
        form.lvwFound.ItemCheck = [this](ui::ListItem& item) {
            ticked.push_back(item.Text + (item.Checked ? "+" : "-"));
        };
        form.lvwFound.Add("first");
        form.lvwFound.Add("second");
        Open();
    }

    std::vector<std::string> ticked;
};

TEST_F(FormWindow, NativeControlsShowTheModelState) {
    form.lblInfo.Caption = "Ready";
    form.lblInfo.FontItalic = true;
    form.cmdGo.Caption = "&Go";
    form.cmdGo.Enabled = false;
    form.chkOption.SetValue(1);
    form.optB.SetValue(true);
    form.txtName.SetText("name");
    for (const char* day : {"Monday", "Tuesday", "Wednesday"})
        form.cmbDay.AddItem(day);
    form.cmbDay.SetListIndex(1);
    form.lstItems.AddItem("one");
    form.tabPages.Tabs = {"Scan", "Shields"};
    form.tabPages.SetSelectedIndex(1);
    form.pgbMain.SetMax(5.0e12); // beyond 32 bits
    form.pgbMain.SetValue(2.5e12);
    form.dtpTime.SetValue(45000.75); // 18:00
    form.mnuExit.Enabled = false;
    form.mnuOpen.Checked = true;
    ui::ListItem& row = form.lvwFound.Add("first");
    row.SetSubItem(1, "C:\\x");
    form.lvwFound.Add("second");
    Open();
    EXPECT_EQ(form.loads, 1);

    EXPECT_TRUE(IsWindowVisible(form.Handle()));
    EXPECT_EQ(TextOf(form.Handle()), "Test window");
    EXPECT_EQ(TextOf(Native(form.lblInfo)), "Ready");
    EXPECT_EQ(TextOf(Native(form.cmdGo)), "&Go");
    EXPECT_FALSE(IsWindowEnabled(Native(form.cmdGo)));
    EXPECT_TRUE(IsWindowVisible(Native(form.chkOption)));
    EXPECT_EQ(TextOf(Native(form.fraBox)), "Box");
    EXPECT_EQ(Send(form.chkOption, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(Send(form.optA, BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(Send(form.optB, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(TextOf(Native(form.txtName)), "name");
    EXPECT_EQ(Send(form.cmbDay, CB_GETCOUNT), 3);
    EXPECT_EQ(Send(form.cmbDay, CB_GETCURSEL), 1);
    EXPECT_EQ(Send(form.lstItems, LB_GETCOUNT), 1);
    EXPECT_EQ(Send(form.tabPages, TCM_GETITEMCOUNT), 2);
    EXPECT_EQ(Send(form.tabPages, TCM_GETCURSEL), 1);
    EXPECT_EQ(Send(form.pgbMain, PBM_GETPOS), 5000);
    EXPECT_EQ(Send(form.lvwFound, LVM_GETITEMCOUNT), 2);

    wchar_t text[64] = {};
    LVITEMW item{};
    item.iSubItem = 1;
    item.pszText = text;
    item.cchTextMax = 64;
    Send(form.lvwFound, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, L"C:\\x");
    auto* icons = reinterpret_cast<HIMAGELIST>(Send(form.lvwFound, LVM_GETIMAGELIST, LVSIL_SMALL));
    ASSERT_NE(icons, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(icons), 3);

    SYSTEMTIME shown{};
    ASSERT_EQ(Send(form.dtpTime, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown)),
              GDT_VALID);
    EXPECT_EQ(shown.wHour, 18);
    EXPECT_EQ(shown.wMinute, 0);

    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(Send(form.lblInfo, WM_GETFONT)), sizeof(font), &font);
    EXPECT_TRUE(font.lfItalic);
    GetObjectW(reinterpret_cast<HFONT>(Send(form.cmdGo, WM_GETFONT)), sizeof(font), &font);
    EXPECT_FALSE(font.lfItalic);

    HMENU file = GetSubMenu(GetMenu(form.Handle()), 0);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(GetMenuItemCount(file), 3);
    EXPECT_TRUE(GetMenuState(file, 0, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_TRUE(GetMenuState(file, 2, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_EQ(GetMenuItemID(file, 0), form.CommandId(form.mnuOpen));
}

TEST_F(FormWindow, ModelChangesShowAfterRefresh) {
    form.cmbDay.AddItem("Monday");
    Open();
    form.Caption = "Renamed";
    form.lblInfo.Caption = "Scanning";
    form.chkOption.SetValue(1);
    form.cmbDay.AddItem("Friday");
    form.cmbDay.SetListIndex(1);
    form.lvwFound.Add("found");
    form.pgbMain.SetValue(25);
    form.mnuOpen.Visible = false;
    form.cmdGo.Move(600, 900, 1200, 450);
    form.Refresh();

    EXPECT_EQ(TextOf(form.Handle()), "Renamed");
    EXPECT_EQ(TextOf(Native(form.lblInfo)), "Scanning");
    EXPECT_EQ(Send(form.chkOption, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(Send(form.cmbDay, CB_GETCOUNT), 2);
    EXPECT_EQ(Send(form.cmbDay, CB_GETCURSEL), 1);
    EXPECT_EQ(Send(form.lvwFound, LVM_GETITEMCOUNT), 1);
    EXPECT_EQ(Send(form.pgbMain, PBM_GETPOS), 2500);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(GetMenu(form.Handle()), 0)), 2);
    RECT rect;
    GetWindowRect(Native(form.cmdGo), &rect);
    MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 40);
    EXPECT_EQ(rect.top, 60);
    EXPECT_EQ(rect.right - rect.left, 80);
    EXPECT_EQ(rect.bottom - rect.top, 30);
}

TEST_F(FormWindow, ALongOperationsChangesShowWhenItLetsTheMessageLoopRun) {
    Open();
    form.lblInfo.Caption = "Scanning";
    form.pgbMain.SetValue(40);
    EXPECT_NE(TextOf(Native(form.lblInfo)), "Scanning");
    ui::DoEvents();
    EXPECT_EQ(TextOf(Native(form.lblInfo)), "Scanning");
    EXPECT_EQ(Send(form.pgbMain, PBM_GETPOS), 4000);

    // Inside a handler the passes push a frame at a time: what one leaves shows all the same,
    // also while the handler waits in a loop of the system's own, as a system dialog does.
    bool shownWhileRunning = false;
    form.cmdGo.Click = [&] {
        form.lblInfo.Caption = "Removing";
        ui::DoEvents();
        for (const DWORD start = GetTickCount();
             TextOf(Native(form.lblInfo)) != "Removing" && GetTickCount() - start < 2000;) {
            MSG msg;
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
            else
                Sleep(5);
        }
        shownWhileRunning = TextOf(Native(form.lblInfo)) == "Removing";
    };
    Command(form.cmdGo, BN_CLICKED);
    EXPECT_TRUE(shownWhileRunning);
}

TEST_F(FormWindow, UserInputReachesTheHandlersAndTheModels) {
    int clicks = 0, labelClicks = 0, checks = 0, optionClicks = 0, picks = 0, tabs = 0, edits = 0,
        dates = 0, menus = 0;
    form.cmdGo.Click = [&] { ++clicks; };
    form.lblInfo.Click = [&] { ++labelClicks; };
    form.chkOption.Click = [&] { ++checks; };
    form.optA.Click = [&] { ++optionClicks; };
    form.cmbDay.Click = [&] { ++picks; };
    form.tabPages.Click = [&] { ++tabs; };
    form.txtName.Change = [&] { ++edits; };
    form.dtpTime.Change = [&] { ++dates; };
    form.mnuOpen.Click = [&] { ++menus; };
    form.optB.SetValue(true);
    form.cmbDay.AddItem("Monday");
    form.cmbDay.AddItem("Tuesday");
    form.tabPages.Tabs = {"Scan", "Shields"};
    Open();

    Send(form.cmdGo, BM_CLICK);
    EXPECT_EQ(clicks, 1);
    Command(form.lblInfo, STN_CLICKED);
    EXPECT_EQ(labelClicks, 1);

    Send(form.chkOption, BM_CLICK);
    EXPECT_EQ(form.chkOption.Value(), 1);
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(Send(form.chkOption, BM_GETCHECK), BST_CHECKED); // pushed after the handler

    Send(form.optA, BM_CLICK);
    EXPECT_TRUE(form.optA.Value());
    EXPECT_FALSE(form.optB.Value());
    EXPECT_EQ(optionClicks, 1);
    EXPECT_EQ(Send(form.optB, BM_GETCHECK), BST_UNCHECKED);

    Send(form.cmbDay, CB_SETCURSEL, 1);
    Command(form.cmbDay, CBN_SELCHANGE);
    EXPECT_EQ(form.cmbDay.ListIndex(), 1);
    EXPECT_EQ(picks, 1);

    Send(form.tabPages, TCM_SETCURSEL, 1);
    NMHDR header{};
    Notify(form.tabPages, header, TCN_SELCHANGE);
    EXPECT_EQ(form.tabPages.SelectedIndex(), 1);
    EXPECT_EQ(tabs, 1);

    SetWindowTextW(Native(form.txtName), L"typed"); // the edit control reports EN_CHANGE
    EXPECT_EQ(form.txtName.Text(), "typed");
    EXPECT_EQ(edits, 1);

    NMDATETIMECHANGE change{};
    change.dwFlags = GDT_VALID;
    change.st = {2024, 5, 0, 17, 9, 30, 0, 0};
    Notify(form.dtpTime, change.nmhdr, DTN_DATETIMECHANGE);
    double expected = 0;
    SystemTimeToVariantTime(&change.st, &expected);
    EXPECT_DOUBLE_EQ(form.dtpTime.Value(), expected);
    EXPECT_EQ(dates, 1);

    SendMessageW(form.Handle(), WM_COMMAND, form.CommandId(form.mnuOpen), 0);
    EXPECT_EQ(menus, 1);

    // Switched off in code and not pushed yet: a click that still arrives is dropped.
    form.cmdGo.Enabled = false;
    Command(form.cmdGo, BN_CLICKED);
    EXPECT_EQ(clicks, 1);
}

TEST_F(FormWindow, FormAndMouseEventsReachTheirHooks) {
    bool hovered = false;
    form.lblInfo.MouseMove = [&] { hovered = true; };
    form.lvwFound.Add("first");
    form.lvwFound.Add("second");
    Open();
    EXPECT_GE(form.resizes, 1); // the first show

    const int resizes = form.resizes;
    form.SetWindowState(ui::vbMinimized);
    EXPECT_TRUE(IsIconic(form.Handle()));
    EXPECT_EQ(form.WindowState(), ui::vbMinimized);
    EXPECT_GT(form.resizes, resizes);
    form.SetWindowState(ui::vbNormal);
    EXPECT_FALSE(IsIconic(form.Handle()));

    // The tray icon reports its mouse messages as mouse moves: 515 pixels are 7725 twips.
    SendMessageW(form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(515, 0));
    EXPECT_EQ(form.mouseX, 7725);
    Send(form.lblInfo, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_TRUE(hovered);
    Send(form.cmdGo, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(5, 5));
    Send(form.cmdGo, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(form.downButton, 1);
    EXPECT_EQ(form.downShift, 1);

    // A key set to 0 by the hook never reaches the text box.
    Send(form.txtName, WM_CHAR, 'x', 0);
    Send(form.txtName, WM_CHAR, 'y', 0);
    EXPECT_EQ(form.typed, "xy");
    EXPECT_EQ(form.txtName.Text(), "y");

    LVITEMW select{};
    select.stateMask = select.state = LVIS_SELECTED | LVIS_FOCUSED;
    Send(form.lvwFound, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&select));
    NMITEMACTIVATE doubleClick{};
    Notify(form.lvwFound, doubleClick.hdr, NM_DBLCLK);
    EXPECT_EQ(form.doubleClickedRow, 1);
}

TEST_F(FormWindow, OwnAndRegisteredMessagesRunTheirHandlersAsEvents) {
    Open();
    std::vector<std::string> heard;
    auto hear = [&](const char* name) {
        return [&heard, name, this](uintptr_t wParam, intptr_t lParam) {
            heard.push_back(name + (" " + std::to_string(wParam)) + " " + std::to_string(lParam));
            form.lblInfo.Caption = name;
        };
    };
    const unsigned announced =
        form.SetRegisteredMessageHandler("TidewaterFormTestAnnounced", hear("announced"));
    EXPECT_GE(announced, 0xC000u);
    EXPECT_EQ(announced, RegisterWindowMessageW(L"TidewaterFormTestAnnounced"));
    form.SetOwnMessageHandler(WM_APP + 7, hear("own"));
    const unsigned unheard = RegisterWindowMessageW(L"TidewaterFormTestUnheard");

    const struct {
        unsigned message;
        const char* heard; // nullptr: no handler runs
        std::string label;
    } rows[] = {
        {announced, "announced 3 4", "announced"},
        {WM_APP + 7, "own 3 4", "own"},
        {unheard, nullptr, "-"},
        {WM_APP + 8, nullptr, "-"},
    };
    for (const auto& row : rows) {
        heard.clear();
        form.lblInfo.Caption = "-";
        form.Refresh();
        SendMessageW(form.Handle(), row.message, 3, 4);
        EXPECT_EQ(heard,
                  row.heard ? std::vector<std::string>{row.heard} : std::vector<std::string>{})
            << row.message;
        // What the handler changed shows at once, as after any event.
        EXPECT_EQ(TextOf(Native(form.lblInfo)), row.label) << row.message;
    }

    // An empty handler takes the registered message's handler away.
    EXPECT_EQ(form.SetRegisteredMessageHandler("TidewaterFormTestAnnounced", nullptr), announced);
    heard.clear();
    SendMessageW(form.Handle(), announced, 0, 0);
    EXPECT_TRUE(heard.empty());
}

TEST_F(FormWindow, OnlyTheUsersTickRaisesItemCheck) {
    OpenTwoRowsNotingTicks();
    auto stateOf = [&](int row) {
        return Send(form.lvwFound, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK);
    };
    EXPECT_EQ(stateOf(1), INDEXTOSTATEIMAGEMASK(1));

    form.lvwFound.Item(1).Checked = true;
    form.Refresh();
    EXPECT_TRUE(ticked.empty());
    EXPECT_EQ(stateOf(1), INDEXTOSTATEIMAGEMASK(2));

    // The user's click on the first row's check box, then on its text.
    RECT bounds{}, icon{};
    bounds.left = LVIR_BOUNDS;
    icon.left = LVIR_ICON;
    Send(form.lvwFound, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&bounds));
    Send(form.lvwFound, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&icon));
    auto click = [&](int x) {
        const LPARAM at = MAKELPARAM(x, (bounds.top + bounds.bottom) / 2);
        Send(form.lvwFound, WM_LBUTTONDOWN, MK_LBUTTON, at);
        Send(form.lvwFound, WM_LBUTTONUP, 0, at);
    };
    click((bounds.left + icon.left) / 2);
    ASSERT_EQ(ticked, std::vector<std::string>{"first+"});
    EXPECT_TRUE(form.lvwFound.Item(0).Checked);
    EXPECT_EQ(stateOf(0), INDEXTOSTATEIMAGEMASK(2));
    click(icon.right + 20);
    EXPECT_EQ(ticked.size(), 1u);

    // The space key ticks the focused row.
    LVITEMW focus{};
    focus.stateMask = focus.state = LVIS_FOCUSED | LVIS_SELECTED;
    Send(form.lvwFound, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&focus));
    Send(form.lvwFound, WM_KEYDOWN, VK_SPACE, 0);
    Send(form.lvwFound, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(ticked, (std::vector<std::string>{"first+", "second-"}));

    NMLISTVIEW column{};
    column.iItem = -1;
    column.iSubItem = 1;
    Notify(form.lvwFound, column.hdr, LVN_COLUMNCLICK);
    EXPECT_EQ(form.clickedColumn, 1);

    // A column the user widened is taken into the model, in twips.
    Send(form.lvwFound, LVM_SETCOLUMNWIDTH, 0, 100);
    form.Refresh();
    EXPECT_EQ(form.lvwFound.ColumnHeaders[0].Width, 1500);
}

TEST_F(FormWindow, ATickSetThroughTheListsOwnMessagesIsTheUsersTick) {
    OpenTwoRowsNotingTicks();
    auto ticks = [&] {
        std::string shown, held;
        for (int row = 0; row < 2; ++row) {
            shown += Send(form.lvwFound, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) ==
                             INDEXTOSTATEIMAGEMASK(2)
                         ? '1'
                         : '0';
            held += form.lvwFound.Item(row).Checked ? '1' : '0';
        }
        EXPECT_EQ(shown, held);
        return held;
    };
    // As assistive and automation tools send them: the state, or a whole item record.
    auto set = [&](UINT message, int row, bool tick, UINT selection = 0) {
        LVITEMW item{};
        item.mask = LVIF_STATE;
        item.iItem = row;
        item.stateMask = LVIS_STATEIMAGEMASK | selection;
        item.state = INDEXTOSTATEIMAGEMASK(tick ? 2 : 1) | selection;
        return Send(form.lvwFound, message, message == LVM_SETITEMSTATE ? row : 0,
                    reinterpret_cast<LPARAM>(&item));
    };
    const struct {
        UINT message;
        int row;
        bool tick;
        LRESULT result;
        const char* ticks;
        std::vector<std::string> events;
    } steps[] = {
        {LVM_SETITEMSTATE, 1, true, TRUE, "01", {"second+"}},
        {LVM_SETITEMSTATE, 1, true, TRUE, "01", {}}, // already ticked: no event
        {LVM_SETITEMW, 1, false, TRUE, "00", {"second-"}},
        {LVM_SETITEMA, 0, true, TRUE, "10", {"first+"}},
        {LVM_SETITEMSTATE, -1, true, TRUE, "11", {"second+"}}, // every row
        {LVM_SETITEMSTATE, 2, false, FALSE, "11", {}},         // no such row
        {LVM_SETITEMW, -1, false, FALSE, "11", {}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE((step.message == LVM_SETITEMSTATE ? "LVM_SETITEMSTATE row "
                      : step.message == LVM_SETITEMW   ? "LVM_SETITEMW row "
                                                       : "LVM_SETITEMA row ") +
                     std::to_string(step.row));
        ticked.clear();
        EXPECT_EQ(set(step.message, step.row, step.tick), step.result);
        EXPECT_EQ(ticks(), step.ticks);
        EXPECT_EQ(ticked, step.events);
    }

    // The item record reports the tick too, and selection still reaches the control.
    EXPECT_TRUE(set(LVM_SETITEMSTATE, 0, false, LVIS_SELECTED));
    LVITEMW item{};
    item.mask = LVIF_STATE;
    item.iItem = 0;
    item.stateMask = LVIS_STATEIMAGEMASK | LVIS_SELECTED;
    ASSERT_TRUE(Send(form.lvwFound, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(item.state, INDEXTOSTATEIMAGEMASK(1) | LVIS_SELECTED);
    EXPECT_EQ(Send(form.lvwFound, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0);

    // A list the user cannot use takes no tick from a tool either.
    form.lvwFound.Enabled = false;
    form.Refresh();
    ticked.clear();
    EXPECT_FALSE(set(LVM_SETITEMSTATE, 1, false));
    EXPECT_EQ(ticks(), "01");
    EXPECT_TRUE(ticked.empty());
}

TEST_F(FormWindow, AHiddenFrameHidesItsChildren) {
    Open();
    form.fraBox.Visible = false;
    form.Refresh();
    EXPECT_FALSE(IsWindowVisible(Native(form.fraBox)));
    EXPECT_FALSE(IsWindowVisible(Native(form.chkOption)));
    EXPECT_TRUE(form.chkOption.Visible);
    EXPECT_TRUE(IsWindowVisible(Native(form.cmdGo)));

    form.fraBox.Visible = true;
    form.Refresh();
    EXPECT_TRUE(IsWindowVisible(Native(form.chkOption)));

    // A frame that loses its caption is made again as a plain frame: it still holds them.
    form.fraBox.Caption = "";
    form.Refresh();
    form.fraBox.Visible = false;
    form.Refresh();
    EXPECT_FALSE(IsWindowVisible(Native(form.optB)));
}

TEST_F(FormWindow, TheWindowKeepsToItsLeastSize) {
    // 6007 twips are 400.5 pixels: the window keeps whole pixels that hold them.
    form.MinWidth = 6007;
    form.MinHeight = 4500;
    Open();
    form.Width = 3000;
    form.Height = 2000;
    form.Refresh();
    RECT window{};
    GetWindowRect(form.Handle(), &window);
    EXPECT_EQ(window.right - window.left, 401);
    EXPECT_EQ(window.bottom - window.top, 300);
    EXPECT_EQ(form.Width, 6015);
    EXPECT_EQ(form.Height, 4500);
    form.Width = 7500;
    form.Refresh();
    GetWindowRect(form.Handle(), &window);
    EXPECT_EQ(window.right - window.left, 500);
}

TEST_F(FormWindow, ATimerTicksOnlyWhileEnabled) {
    int ticks = 0;
    form.tmrTick.Tick = [&] { ++ticks; };
    Open();
    ui::DoEvents();
    Sleep(50);
    ui::DoEvents();
    EXPECT_EQ(ticks, 0); // timers start switched off

    form.tmrTick.Enabled = true;
    form.Refresh();
    PumpUntil([&] { return ticks >= 2; });
    EXPECT_GE(ticks, 2);

    // Switched off while a tick is already on its way.
    form.tmrTick.Enabled = false;
    const int before = ticks;
    SendMessageW(form.Handle(), WM_TIMER, form.CommandId(form.tmrTick), 0);
    form.Refresh();
    Sleep(50);
    ui::DoEvents();
    EXPECT_EQ(ticks, before);
}

TEST_F(FormWindow, AHandlerPushesOnlyTheControlsItChanged) {
    Open();
    form.tmrTick.Enabled = true;
    form.Refresh();
    std::function<void()> change;
    form.cmdGo.Click = [&] { change(); };
    // Visited: the controls the push looked at; pushed: those it told something.
    struct Case {
        const char* name;
        std::function<void()> change;
        int visited, pushed;
    };
    const Case cases[] = {
        {"nothing", [] {}, 0, 0},
        {"a label given another's model",
         [&] {
             ui::Label other{"lblInfo"};
             other.Caption = "taken";
             form.lblInfo = other;
         },
         1, 1},
        {"one caption", [&] { form.lblInfo.Caption = "changed"; }, 1, 1},
        {"the same caption again", [&] { form.lblInfo.Caption = "changed"; }, 0, 0},
        {"a timer off and on again",
         [&] {
             form.tmrTick.Enabled = false;
             form.tmrTick.Enabled = true;
         },
         1, 0},
        {"a running timer switched on", [&] { form.tmrTick.Enabled = true; }, 0, 0},
        {"a check box and a timer",
         [&] {
             form.chkOption.SetValue(1);
             form.tmrTick.Enabled = false;
         },
         2, 2},
        {"a frame moved with the three controls on it",
         [&] { form.fraBox.Left = form.fraBox.Left + 150; }, 4, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        change = c.change;
        Command(form.cmdGo, BN_CLICKED);
        EXPECT_EQ(form.VisitedControls(), c.visited);
        EXPECT_EQ(form.PushedControls(), c.pushed);
    }
    EXPECT_EQ(TextOf(Native(form.lblInfo)), "changed");
    EXPECT_EQ(Send(form.chkOption, BM_GETCHECK), BST_CHECKED);
}

TEST_F(FormWindow, AChangeReachesTheNativeControlsThatShowIt) {
    ui::Label lblAdded{"lblAdded"};
    struct Case {
        const char* name;
        std::function<void()> change;
        std::function<bool()> shown;
    };
    const Case cases[] = {
        {"a frame hidden after a label moved onto it",
         [&] {
             form.lblInfo.Container = &form.fraBox;
             form.Refresh();
             form.fraBox.Visible = false;
         },
         [&] { return !IsWindowVisible(Native(form.lblInfo)); }},
        {"new icons of the image list a list view shows",
         [&] {
             form.imlIcons.IconResources = {1, 2, 3, 4};
         },
         [&] {
             return ImageList_GetImageCount(reinterpret_cast<HIMAGELIST>(
                        Send(form.lvwFound, LVM_GETIMAGELIST, LVSIL_SMALL))) == 4;
         }},
        {"a label added to the loaded form",
         [&] {
             lblAdded.Caption = "added";
             form.Add(lblAdded);
         },
         [&] { return TextOf(Native(lblAdded)) == "added"; }},
    };
    Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.change();
        form.Refresh();
        EXPECT_TRUE(c.shown());
    }
    form.Unload(); // before the added label goes
}

TEST_F(FormWindow, UnloadDuringAHandlerWaitsForItsEnd) {
    Open();
    HWND window = form.Handle();
    bool loadedInside = false;
    form.cmdGo.Click = [&] {
        form.Unload();
        loadedInside = form.Loaded() && IsWindow(window);
    };
    Send(form.cmdGo, BM_CLICK);
    EXPECT_TRUE(loadedInside);
    EXPECT_FALSE(form.Loaded());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(form.queries, 1);
    EXPECT_EQ(form.unloads, 1);
    EXPECT_EQ(form.lastUnloadMode, ui::vbFormCode);
    EXPECT_FALSE(form.Visible());

    // The close box asks too, and a cancel keeps the window.
    Open();
    EXPECT_EQ(form.loads, 2);
    form.cancelUnload = true;
    SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(form.queries, 2);
    EXPECT_EQ(form.lastUnloadMode, ui::vbFormControlMenu);
    EXPECT_EQ(form.unloads, 1);
    EXPECT_TRUE(form.Loaded());
}

class ModalForm : public ui::Form {
  public:
    ModalForm() : ui::Form("frmModal") {
        Add(tmrClose);
        tmrClose.Enabled = true;
    }
    ui::Timer tmrClose{"tmrClose", 20};
};

TEST_F(FormWindow, AModalFormDisablesTheOthersUntilItHides) {
    Open();
    ModalForm modal;
    bool ownerEnabledDuringModal = true;
    modal.tmrClose.Tick = [&] {
        ownerEnabledDuringModal = IsWindowEnabled(form.Handle());
        modal.Hide();
    };
    modal.ShowModal();
    EXPECT_FALSE(ownerEnabledDuringModal);
    EXPECT_FALSE(modal.Visible());
    EXPECT_TRUE(IsWindowEnabled(form.Handle()));
    modal.Unload();
}

TEST_F(FormWindow, ScreenshotIsAWholeBitmap) {
    Open();
    TempFolder folder;
    const std::string path = folder / "window.bmp";
    ASSERT_TRUE(ui::SaveWindowScreenshot(form.Handle(), path));
    RECT rect;
    GetWindowRect(form.Handle(), &rect);
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    ASSERT_TRUE(file);
    EXPECT_EQ(static_cast<long>(file.tellg()),
              54 + (rect.right - rect.left) * (rect.bottom - rect.top) * 4);
    file.seekg(0);
    char magic[2] = {};
    file.read(magic, 2);
    EXPECT_EQ(std::string(magic, 2), "BM");
}

} // namespace

TEST_F(FormWindow, TabMovesTheFocusToTheNextControl) {
    Open();
    SetFocus(Native(form.cmdGo));
    ASSERT_EQ(GetFocus(), Native(form.cmdGo));
    MSG tab = {Native(form.cmdGo), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    ui::DispatchUiMessage(tab);
    EXPECT_NE(GetFocus(), Native(form.cmdGo));
    EXPECT_EQ(GetAncestor(GetFocus(), GA_ROOT), form.Handle());
}
