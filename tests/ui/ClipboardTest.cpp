#include <windows.h>

#include "AnsiText.h"
#include "Clipboard.h"
#include "ClipboardLock.h"

#include <gtest/gtest.h>

#include <string>

TEST(Clipboard, HoldsUnicodeTextAndAnEmptyText) {
    const std::string texts[] = {
        "C:\\locked.exe\r\nC:\\other.dll\r\n",
        "\xC3\xA9t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80", // beyond one code page
        "",
    };
    ClipboardLock lock;
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        ASSERT_TRUE(ui::SetClipboardText(text));
        EXPECT_EQ(ui::GetClipboardText(), text);

        // Other programs read it as Unicode text; an empty text is there as an empty text.
        ASSERT_TRUE(OpenClipboard(nullptr));
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        const auto* wide = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
        EXPECT_NE(wide, nullptr);
        if (wide) {
            EXPECT_EQ(std::wstring(wide), Utf8ToWide(text));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
}
