#include "DoEvents.h"

#include <windows.h>

#include <gtest/gtest.h>

TEST(DoEvents, HandlesPendingMessagesAndKeepsAQuitRequest) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    PostThreadMessageW(GetCurrentThreadId(), WM_APP + 1, 0, 0);
    PostThreadMessageW(GetCurrentThreadId(), WM_APP + 2, 0, 0);
    ui::DoEvents();
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_APP, WM_APP + 10, PM_NOREMOVE));

    PostQuitMessage(3);
    ui::DoEvents();
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
}
