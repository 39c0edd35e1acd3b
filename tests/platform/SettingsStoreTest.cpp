#include "SettingsStore.h"
#include "AnsiText.h"
#include "modLorvane.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

constexpr const char* kApp = "Settings Store Test";
const wchar_t* const kAppKey = L"Software\\VB and VBA Program Settings\\Settings Store Test";

// The store keeps the settings of the program it runs in: kApp plays that program.
class SettingsStore : public testing::Test {
  protected:
    void SetUp() override {
        program_ = modLorvane::ProgramName;
        modLorvane::ProgramName = kApp;
        RegDeleteTreeW(HKEY_CURRENT_USER, kAppKey);
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kAppKey);
        modLorvane::ProgramName = program_;
    }

  private:
    std::string program_;
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
    ForgetStoredSettings();
    EXPECT_EQ(GetSetting(kApp, "OptionAndSettings", "chkMakeLog", "0"), "0");
}

// Writes another program makes to the registry, as the sibling tool does.
void WriteBehindTheStore(const wchar_t* section, const wchar_t* name, const wchar_t* text) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kAppKey) + L"\\" + section).c_str(),
                              0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

TEST_F(SettingsStore, KeepsWhatItReadAndWroteUntilTheNextStart) {
    // A value read once, missing or present, is not read from the registry again.
    EXPECT_EQ(GetSetting(kApp, "OptionAndSettings", "optMemorySheildOn", "True"), "True");
    WriteBehindTheStore(L"OptionAndSettings", L"optMemorySheildOn", L"False");
    WriteBehindTheStore(L"Settings", L"Language", L"Deutsch");
    EXPECT_EQ(GetSetting(kApp, "Settings", "Language", "English"), "Deutsch");
    WriteBehindTheStore(L"Settings", L"Language", L"Svenska");
    EXPECT_EQ(GetSetting(kApp, "OptionAndSettings", "optMemorySheildOn", "True"), "True");
    EXPECT_EQ(GetSetting(kApp, "Settings", "Language", "English"), "Deutsch");

    // Its own writes are seen at once, whatever the case of the names.
    ASSERT_TRUE(SaveSetting(kApp, "optionandsettings", "OPTMEMORYSHEILDON", "False"));
    EXPECT_EQ(GetSetting(kApp, "OptionAndSettings", "optMemorySheildOn", "True"), "False");
    ASSERT_TRUE(SaveSetting(kApp, "Settings", "Language", std::string("Dansk\0extra", 11)));
    EXPECT_EQ(GetSetting(kApp, "Settings", "Language", "English"), "Dansk");

    // The next start reads what another program left.
    WriteBehindTheStore(L"Settings", L"Language", L"Suomi");
    ForgetStoredSettings();
    EXPECT_EQ(GetSetting(kApp, "Settings", "Language", "English"), "Suomi");
    EXPECT_EQ(GetSetting(kApp, "OptionAndSettings", "optMemorySheildOn", "True"), "False");
}

TEST_F(SettingsStore, LongValuesAreKeptWhole) {
    const std::string value(5000, 'v');
    ASSERT_TRUE(SaveSetting(kApp, "Settings", "Long", value));
    EXPECT_EQ(GetSetting(kApp, "Settings", "Long", ""), value);
}

} // namespace
