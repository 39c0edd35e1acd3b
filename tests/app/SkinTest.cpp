#include <windows.h>

#include "Form.h"
#include "modLorvane.h"
#include "modSkin.h"

#include <gtest/gtest.h>

namespace {

TEST(Skin, VistaOrLaterMeansTheNtFamilyFromVersionSix) {
    struct Case {
        unsigned long platform, major;
        bool vista;
    };
    const Case cases[] = {
        {VER_PLATFORM_WIN32_WINDOWS, 4, false}, // 95, 98, ME
        {VER_PLATFORM_WIN32_WINDOWS, 6, false}, // whatever the numbers
        {VER_PLATFORM_WIN32_WINDOWS, 10, false}, {VER_PLATFORM_WIN32s, 6, false},
        {VER_PLATFORM_WIN32_NT, 4, false},       {VER_PLATFORM_WIN32_NT, 5, false}, // 2000, XP
        {VER_PLATFORM_WIN32_NT, 6, true},                                           // Vista, 7, 8
        {VER_PLATFORM_WIN32_NT, 10, true},       {3, 6, false},                     // CE
    };
    for (const Case& c : cases)
        EXPECT_EQ(modSkin::IsVistaOrLaterVersion(c.platform, c.major), c.vista)
            << c.platform << " " << c.major;

    // The system's own answer, asked with the wide record.
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    ASSERT_TRUE(GetVersionExW(&version));
    EXPECT_EQ(modSkin::IsVistaOrLater(),
              modSkin::IsVistaOrLaterVersion(version.dwPlatformId, version.dwMajorVersion));
}

class SkinnedForm : public ui::Form {
  public:
    SkinnedForm() : ui::Form("frmSkinned") {
        Width = 4500;
        Height = 3000;
    }
};

bool HasRegion(HWND window, RECT* box = nullptr) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const int kind = GetWindowRgn(window, region);
    if (box)
        GetRgnBox(region, box);
    DeleteObject(region);
    return kind != ERROR;
}

TEST(Skin, OffLeavesTheWindowAsDesignedAndTheRegionFollowsTheWindowsSize) {
    SkinnedForm form;
    modSkin::SetFormRectRegion(form); // not loaded: nothing to give a region
    ASSERT_TRUE(form.Load());
    ASSERT_FALSE(modLorvane::UseSkin);
    modSkin::ApplySkin(form);
    EXPECT_FALSE(HasRegion(form.Handle()));

    modSkin::SetFormRectRegion(form);
    RECT box{}, window{};
    ASSERT_TRUE(HasRegion(form.Handle(), &box));
    GetWindowRect(form.Handle(), &window);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, window.right - window.left);
    EXPECT_EQ(box.bottom, window.bottom - window.top);
    form.Unload();

    // Were skinning on, a window's load would give it the region on Vista and later.
    ASSERT_TRUE(form.Load());
    modLorvane::UseSkin = true;
    modSkin::ApplySkin(form);
    modLorvane::UseSkin = false;
    EXPECT_EQ(HasRegion(form.Handle()), modSkin::IsVistaOrLater());
    form.Unload();
}

} // namespace
