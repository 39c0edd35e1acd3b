#include "MachineSettingsStore.h"
#include "AnsiText.h"
#include "MessageBox.h"
#include "ScriptedMessageBoxes.h"
#include "SettingsStore.h"
#include "TwinMachineKey.h"
#include "modLorvane.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

const std::string kPermissionDenied =
    " requires read/write access to the system registry and hard drive in order to run "
    "properly.  This user account does not have the proper permissions set.  As a result some "
    "or all of your settings may not be properly saved.  Please contact your system "
    "administrator or change the permission settings for this account.\r\n\r\nIf you would like "
    "to prevent this error message from being displayed again, please press 'Ignore'.";

// A company and product of the test's own in both stores (CTest runs the tests side by side),
// removed before and after it; the company's key in both views of the machine's registry.
class MachineSettings : public testing::Test {
  protected:
    void SetUp() override {
        const std::string test = testing::UnitTest::GetInstance()->current_test_info()->name();
        product_ = "Machine Store " + test;
        userKey_ = L"Software\\VB and VBA Program Settings\\" + Utf8ToWide(product_);
        modLorvane::ProgramName = product_;
        modLorvane::CompanyName = companyKey_.Sub().substr(std::string_view("Software\\").size());
        RemoveKeys();
    }
    void TearDown() override {
        SetMachineSettingPrompt({});
        RemoveKeys();
        modLorvane::ProgramName = program_;
        modLorvane::CompanyName = company_;
    }

    void RemoveKeys() const {
        DeleteKeyInBothViews(HKEY_LOCAL_MACHINE, Utf8ToWide(companyKey_.Sub()));
        RegDeleteTreeW(HKEY_CURRENT_USER, userKey_.c_str());
    }

    // A volatile company key cannot hold the lasting product key below it, so every write
    // fails until the key is removed.
    void BlockWrites() const {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, Utf8ToWide(companyKey_.Sub()).c_str(), 0,
                                  nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    // "FirstTime" in the store's own view of the registry, the 32-bit one.
    void PutValue(DWORD type, const void* data, DWORD size) const {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                                  Utf8ToWide(companyKey_.Sub(product_ + "\\Settings")).c_str(), 0,
                                  nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, L"FirstTime", 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }

    std::string Stored() const { return GetMachineSetting(product_, "Settings", "FirstTime", "-"); }

    std::string product_;
    std::wstring userKey_;
    const TwinMachineKey companyKey_{"Machine Store Test Co"};

  private:
    std::string program_ = modLorvane::ProgramName;
    std::string company_ = modLorvane::CompanyName;
};

TEST_F(MachineSettings, RoundTripUnderCompanyProductAndSection) {
    MachineSettingError error{1, "stale"};
    EXPECT_EQ(GetMachineSetting(product_, "Settings", "FirstTime", "", &error), "");
    EXPECT_EQ(error.number, 0u);

    modLorvane::CompanyName = "  " + modLorvane::CompanyName + " ";
    SaveMachineSetting(" " + product_, "Settings  ", "FirstTime", "Yes");
    EXPECT_EQ(GetMachineSetting(product_, "Settings", "FirstTime", ""), "Yes");
    EXPECT_EQ(GetMachineSetting(product_, "Settings", "showHelp", "dflt"), "dflt");

    // Written where the 32-bit program kept it, and nowhere else.
    EXPECT_EQ(companyKey_.Get(KEY_WOW64_32KEY, product_ + "\\Settings", "FirstTime"), "Yes");
    EXPECT_EQ(companyKey_.Get(KEY_WOW64_64KEY, product_ + "\\Settings", "FirstTime"), "<none>");

    SaveMachineSetting(product_, "Settings", "FirstTime", "");
    EXPECT_EQ(GetMachineSetting(product_, "Settings", "FirstTime", "dflt"), "");
}

TEST_F(MachineSettings, AValueAnEarlier64BitBuildLeftIsReadWhereThe32BitViewHasNone) {
    const struct {
        const char* in32; // nullptr: not there
        const char* in64;
        const char* read;
    } rows[] = {
        {"32", "64", "32"},
        {nullptr, "64", "64"},
        {"", "64", ""},
    };
    for (const auto& row : rows) {
        RemoveKeys();
        for (const auto& [text, view] :
             {std::pair{row.in32, KEY_WOW64_32KEY}, {row.in64, KEY_WOW64_64KEY}})
            ASSERT_TRUE(!text || companyKey_.Put(view, product_ + "\\Settings", "FirstTime", text));
        EXPECT_EQ(Stored(), row.read) << (row.in32 ? "with" : "without") << " a 32-bit value";
    }
}

TEST_F(MachineSettings, ReadErrorsInTheirOrder) {
    MachineSettingError error;
    EXPECT_EQ(GetMachineSetting(" ", "", "", "dflt", &error), "");
    EXPECT_EQ(error.number, 0x800403E8u);
    EXPECT_EQ(error.description, "AppName may not be empty");
    GetMachineSetting(product_, "", "", "dflt", &error);
    EXPECT_EQ(error.number, 0x800403E9u);
    EXPECT_EQ(error.description, "Section may not be empty");
    GetMachineSetting(product_, "Settings", "  ", "dflt", &error);
    EXPECT_EQ(error.number, 0x800403EAu);
    EXPECT_EQ(error.description, "Key may not be empty");

    const DWORD number = 1;
    PutValue(REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(GetMachineSetting(product_, "Settings", "FirstTime", "dflt", &error), "");
    EXPECT_EQ(error.number, 0x80040000u + 2000 + REG_DWORD);
    EXPECT_EQ(error.description, "Registry data not a string");
    const wchar_t expandable[] = L"%windir%";
    PutValue(REG_EXPAND_SZ, expandable, sizeof(expandable));
    GetMachineSetting(product_, "Settings", "FirstTime", "dflt", &error);
    EXPECT_EQ(error.number, 0x80040000u + 2000 + REG_EXPAND_SZ);
}

TEST_F(MachineSettings, FailedWriteAsksAbortRetryIgnore) {
    SetMachineSettingPrompt(ui::MsgBox);
    BlockWrites();
    {
        ScriptedMessageBoxes boxes;
        boxes.Expect(IDRETRY);
        boxes.Expect(IDABORT);
        SaveMachineSetting(product_, "Settings", "FirstTime", "Yes");
        ASSERT_EQ(boxes.Shown().size(), 2u);
        EXPECT_EQ(boxes.Shown()[0].prompt, product_ + kPermissionDenied);
        EXPECT_EQ(boxes.Shown()[0].style, static_cast<unsigned>(MB_ABORTRETRYIGNORE));
        EXPECT_EQ(boxes.Shown()[0].title, "Permission Denied");
    }
    EXPECT_EQ(Stored(), "-");
    EXPECT_EQ(GetSetting(product_, "Settings", "IgnorePermissionDeniedError", "none"), "none");

    // Retry writes again, and succeeds once the store takes writes.
    ScriptedMessageBoxes boxes;
    SetMachineSettingPrompt(
        [this, &boxes](const std::string& prompt, unsigned style, const std::string& title) {
            RemoveKeys();
            boxes.Expect(IDRETRY);
            return ui::MsgBox(prompt, style, title);
        });
    SaveMachineSetting(product_, "Settings", "FirstTime", "Yes");
    EXPECT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(Stored(), "Yes");
}

TEST_F(MachineSettings, IgnoreSilencesLaterFailures) {
    SetMachineSettingPrompt(ui::MsgBox);
    BlockWrites();
    {
        ScriptedMessageBoxes boxes;
        boxes.Expect(IDIGNORE);
        SaveMachineSetting(product_, "Settings", "FirstTime", "Yes");
        EXPECT_EQ(boxes.Shown().size(), 1u);
    }
    EXPECT_EQ(GetSetting(product_, "Settings", "IgnorePermissionDeniedError", "0"), "1");
    // Any box now fails the test.
    SaveMachineSetting(product_, "Settings", "showHelp", "0");
    EXPECT_EQ(Stored(), "-");

    // A choice of "0" asks again; without a box connected a failure stays silent.
    ASSERT_TRUE(SaveSetting(product_, "Settings", "IgnorePermissionDeniedError", "0"));
    SetMachineSettingPrompt({});
    SaveMachineSetting(product_, "Settings", "FirstTime", "Yes");
    EXPECT_EQ(Stored(), "-");
}

} // namespace
