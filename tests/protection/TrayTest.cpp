// The tray object: the record it hands the shell, its tip, its one flag, and one real icon
// added to and removed from the test display's notification area.
#include "TrayPanel.h"
#include "clsTray.h"

#include "AnsiText.h"
#include "Form.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct NotifyCall {
    DWORD message;
    NOTIFYICONDATAW record;
};

std::wstring TipText(const NOTIFYICONDATAW& record) {
    return std::wstring(record.szTip);
}

// The units after the tip's NUL, up to the record's tip length.
std::wstring TipPadding(const NOTIFYICONDATAW& record) {
    const size_t end = TipText(record).size() + 1;
    return std::wstring(record.szTip + end, record.szTip + clsTray::kTipLength);
}

class TrayRecordTest : public ::testing::Test {
  protected:
    TrayRecordTest() {
        tray.NotifyIcon = [this](DWORD message, NOTIFYICONDATAW& record) {
            calls.push_back({message, record});
            if (answers.empty())
                return true;
            const bool answer = answers.front();
            answers.pop_front();
            return answer;
        };
        for (ui::Form* window : {&first, &second}) {
            window->ShowInTaskbar = false;
            window->Load();
        }
        first.Caption = "Tidewater Guard";
        second.Caption = "Getting latest definitions";
        SendMessageW(first.Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }

    clsTray tray;
    std::vector<NotifyCall> calls;
    std::deque<bool> answers;
    ui::Form first{"first"}, second{"second"};
    HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
};

} // namespace

TEST_F(TrayRecordTest, ShowIconAddsTheWindowsIconWithItsCaptionAsTip) {
    EXPECT_TRUE(tray.ShowIcon(first));
    EXPECT_TRUE(tray.bRunningInTray);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_ADD));
    const NOTIFYICONDATAW& record = calls[0].record;
    // The wide form of the first record, with its 64-character tip.
    EXPECT_EQ(record.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V1_SIZE));
    EXPECT_EQ(record.cbSize, offsetof(NOTIFYICONDATAW, szTip) + 64 * sizeof(wchar_t));
    EXPECT_EQ(record.hWnd, first.Handle());
    EXPECT_EQ(record.uID, 1u);
    EXPECT_EQ(record.uFlags, 7u);
    EXPECT_EQ(record.uCallbackMessage, static_cast<UINT>(WM_APP + 1));
    EXPECT_EQ(record.hIcon, icon);
    EXPECT_EQ(TipText(record), L"Tidewater Guard");
    EXPECT_EQ(TipPadding(record), std::wstring(64 - 16, L' '));
}

TEST_F(TrayRecordTest, OneFlagFollowsTheLastCallOnAnyWindow) {
    tray.ChangeToolTip(first, "before");
    EXPECT_TRUE(calls.empty());
    tray.ShowIcon(first);
    tray.ChangeToolTip(first, "Tidewater");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(TipText(calls[1].record), L"Tidewater");
    // The rest is as ShowIcon left it.
    EXPECT_EQ(calls[1].record.uCallbackMessage, kTrayCallbackMessage);
    EXPECT_EQ(calls[1].record.hIcon, icon);

    tray.ShowIcon(second);
    tray.RemoveIcon(second);
    EXPECT_FALSE(tray.bRunningInTray);
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[3].message, static_cast<DWORD>(NIM_DELETE));
    const NOTIFYICONDATAW& removed = calls[3].record;
    EXPECT_EQ(removed.hWnd, second.Handle());
    EXPECT_EQ(removed.uID, 1u);
    EXPECT_EQ(removed.uCallbackMessage, 1u);
    EXPECT_EQ(TipText(removed), L"");
    EXPECT_EQ(TipPadding(removed), std::wstring(63, L' '));
    // The first window's icon is still there, but the flag follows the last call.
    tray.ChangeToolTip(first, "Tidewater");
    EXPECT_EQ(calls.size(), 4u);
}

TEST_F(TrayRecordTest, AnIconAlreadyThereCountsAsShownAndAFailedAddAsNone) {
    const struct {
        std::deque<bool> answers; // to the add, then to the change
        bool shown;
    } rows[] = {{{false, true}, true}, {{false, false}, false}};
    for (const auto& row : rows) {
        calls.clear();
        answers = row.answers;
        EXPECT_EQ(tray.ShowIcon(first), row.shown);
        EXPECT_EQ(tray.bRunningInTray, row.shown);
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_MODIFY));
        EXPECT_EQ(TipText(calls[1].record), L"Tidewater Guard");
    }
}

TEST_F(TrayRecordTest, ANewTaskbarGetsEachShownIconBackAsItLastWas) {
    auto show = [this] { tray.ShowIcon(first); };
    const struct {
        const char* name;
        std::function<void()> before;
        std::deque<bool> answers; // to the add, then to the change
        std::vector<DWORD> sent;
        bool back;
        std::wstring tip = L"Tidewater Guard";
    } rows[] = {
        {"never shown", [] {}, {}, {}, true},
        {"shown, with its tip changed",
         [&] {
             show();
             tray.ChangeToolTip(first, "Tidewater");
         },
         {},
         {NIM_ADD},
         true,
         L"Tidewater"},
        {"the taskbar still holds it", show, {false}, {NIM_ADD, NIM_MODIFY}, true},
        {"the taskbar takes it neither way", show, {false, false}, {NIM_ADD, NIM_MODIFY}, false},
        {"removed",
         [&] {
             show();
             tray.RemoveIcon(first);
         },
         {},
         {},
         true},
        {"shown by another window only", [this] { tray.ShowIcon(second); }, {}, {}, true},
        {"never taken by the taskbar",
         [&] {
             answers = {false, false};
             show();
         },
         {},
         {},
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (ui::Form* window : {&first, &second})
            tray.RemoveIcon(*window);
        row.before();
        const bool flag = tray.bRunningInTray;
        calls.clear();
        answers = row.answers;
        EXPECT_EQ(tray.ShowIconAgain(first), row.back);
        std::vector<DWORD> sent;
        for (const NotifyCall& call : calls) {
            sent.push_back(call.message);
            EXPECT_EQ(call.record.cbSize, clsTray::kRecordSize);
            EXPECT_EQ(call.record.hWnd, first.Handle());
            EXPECT_EQ(call.record.uID, 1u);
            EXPECT_EQ(call.record.uFlags, 7u);
            EXPECT_EQ(call.record.uCallbackMessage, kTrayCallbackMessage);
            EXPECT_EQ(call.record.hIcon, icon);
            EXPECT_EQ(TipText(call.record), row.tip);
        }
        EXPECT_EQ(sent, row.sent);
        EXPECT_EQ(tray.bRunningInTray, flag);
    }
}

TEST(TrayTip, AlwaysEndsInANulWithBlanksAfterIt) {
    const std::string a62(62, 'a'), a63(63, 'a'), a64(64, 'a');
    const struct {
        std::string text;
        std::wstring kept;
    } rows[] = {
        {"", L""},
        {"Tidewater", L"Tidewater"},
        {a63, Utf8ToWide(a63)},
        {a64, Utf8ToWide(a63)},
        {std::string(100, 'b'), std::wstring(63, L'b')},
        {"D\xC3\xA9"
         "fense",
         L"D\u00E9fense"},
        // A character of two units that would take the NUL's place is left out whole.
        {a62 + "\xF0\x9F\x98\x80", Utf8ToWide(a62)},
        {a62.substr(1) + "\xF0\x9F\x98\x80", Utf8ToWide(a62.substr(1) + "\xF0\x9F\x98\x80")},
    };
    for (const auto& row : rows) {
        WCHAR tip[clsTray::kTipLength + 1];
        std::fill(std::begin(tip), std::end(tip), L'#');
        clsTray::FillTip(tip, row.text);
        const size_t n = row.kept.size();
        EXPECT_EQ(std::wstring(tip, tip + n), row.kept) << row.text;
        EXPECT_EQ(tip[n], L'\0') << row.text;
        EXPECT_EQ(std::wstring(tip + n + 1, tip + clsTray::kTipLength),
                  std::wstring(clsTray::kTipLength - n - 1, L' '))
            << row.text;
        EXPECT_EQ(tip[clsTray::kTipLength], L'#') << "written past the tip";
    }
}

TEST(TrayMouseMessages, ButtonDownsOpenThePopupAndDoubleClicksRestore) {
    using enum TrayMouseAction;
    const struct {
        unsigned message;
        TrayMouseAction action;
    } rows[] = {
        {512, None}, {513, OpenPopup},     {514, None}, {515, RestoreWindow}, {516, OpenPopup},
        {517, None}, {518, RestoreWindow}, {519, None}, {520, None},          {521, None},
        {0, None},   {511, None},          {522, None}, {7725, None}};
    for (const auto& row : rows)
        EXPECT_EQ(TrayMouseActionOf(row.message), row.action) << row.message;
}

// The test display's notification area takes a real icon and gives it back.
TEST(TrayIcon, ARealIconIsAddedAndRemoved) {
    ui::Form window("trayOwner");
    window.ShowInTaskbar = false;
    window.Caption = "Tidewater tray test";
    ASSERT_TRUE(window.Load());
    SendMessageW(window.Handle(), WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(LoadIconW(nullptr, IDI_APPLICATION)));
    // Changing an icon succeeds only while the shell holds it.
    auto present = [&] {
        NOTIFYICONDATAW probe{};
        probe.cbSize = clsTray::kRecordSize;
        probe.hWnd = window.Handle();
        probe.uID = 1;
        return Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE;
    };
    clsTray tray;
    EXPECT_FALSE(present());
    ASSERT_TRUE(tray.ShowIcon(window));
    EXPECT_TRUE(present());
    // Shown again while it is there, as after a restore by double-click.
    EXPECT_TRUE(tray.ShowIcon(window));
    tray.ChangeToolTip(window, "changed");
    tray.RemoveIcon(window);
    EXPECT_FALSE(present());
    EXPECT_FALSE(tray.bRunningInTray);
}
