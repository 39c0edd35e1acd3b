#include "SettingsStore.h"
#include "AnsiText.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

constexpr const char* kApp = "Settings Store Test";
const wchar_t* const kAppKey = L"Software\\VB and VBA Program Settings\\Settings Store Test";

class SettingsStore : public testing::Test {
  protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kAppKey); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kAppKey); }
};

TEST_F(SettingsStore, RoundTripsTextUnderTheSharedKey) {
    ASSERT_TRUE(SaveSetting(kApp, "Settings", "Language", "Français"));
    EXPECT_EQ(GetSetting(kApp, "Settings", "Language", "English"), "Français");
    ASSERT_TRUE(SaveSetting(kApp, "Settings", "Language", ""));
    EXPECT_EQ(GetSetting(kApp, "Settings", "Language", "English"), "");

    // Where the sibling tool and earlier installs look for it.
    wchar_t data[64] = {};
    DWORD size = sizeof(data);
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, (std::wstring(kAppKey) + L"\\Drives").c_str(), L"C:",
                           RRF_RT_REG_SZ, nullptr, data, &size),
              ERROR_FILE_NOT_FOUND);
    ASSERT_TRUE(SaveSetting(kApp, "Drives", "C:", "1"));
    size = sizeof(data);
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, (std::wstring(kAppKey) + L"\\Drives").c_str(), L"C:",
                           RRF_RT_REG_SZ, nullptr, data, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(data, L"1");
}

TEST_F(SettingsStore, MissingOrNonTextValuesReadAsTheDefault) {
    EXPECT_EQ(GetSetting(kApp, "OptionAndSettings", "chkMakeLog", "1"), "1");
    ASSERT_TRUE(SaveSetting(kApp, "OptionAndSettings", "other", "x"));
    EXPECT_EQ(GetSetting(kApp, "OptionAndSettings", "chkMakeLog", "1"), "1");

    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER,
                              (std::wstring(kAppKey) + L"\\OptionAndSettings").c_str(), 0, nullptr,
                              0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD number = 1;
    RegSetValueExW(key, L"chkMakeLog", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof(number));
    RegCloseKey(key);
    EXPECT_EQ(GetSetting(kApp, "OptionAndSettings", "chkMakeLog", "0"), "0");
}

TEST_F(SettingsStore, LongValuesAreKeptWhole) {
    const std::string value(5000, 'v');
    ASSERT_TRUE(SaveSetting(kApp, "Settings", "Long", value));
    EXPECT_EQ(GetSetting(kApp, "Settings", "Long", ""), value);
}

} // namespace
