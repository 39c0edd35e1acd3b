// The start-page shield on a start-page key of the test's own (never the sandbox's real one),
// with its question as a real window under the test display, answered as a person would.
#include "WindowAnswers.h"

#include "AnsiText.h"
#include "BusyState.h"
#include "DoEvents.h"
#include "HomePageShield.h"
#include "MainWindowFixture.h"
#include "ModSetHomePage.h"
#include "Screenshot.h"
#include "SettingsStore.h"
#include "frmHomePageChangedAlert.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace ModSetHomePage;

namespace {

const std::string kTestRoot = "Software\\" + PerProcess("TidewaterStartPageTest");
const std::string kTestKey = kTestRoot + "\\Internet Explorer\\Main";

// A start page longer than the 1,024 characters the shield once read at most.
const std::string kLongPage = "http://long.example/?" + std::string(2000, 'q');

// A page with `count` NULs after it, besides the one that ends every stored text.
std::string WithNuls(const std::string& page, size_t count) {
    return page + std::string(count, '\0');
}

// The page a text names: what comes before its first NUL.
std::string PageOf(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

// A value of the test key as the registry holds it: its type and bytes.
struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

std::optional<RawValue> ReadRaw(const std::string& key, const std::string& name) {
    RawValue value;
    DWORD size = 0;
    const std::wstring wideKey = Utf8ToWide(key), wideName = Utf8ToWide(name);
    if (RegGetValueW(HKEY_CURRENT_USER, wideKey.c_str(), wideName.c_str(),
                     RRF_RT_ANY | RRF_NOEXPAND, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    if (RegGetValueW(HKEY_CURRENT_USER, wideKey.c_str(), wideName.c_str(),
                     RRF_RT_ANY | RRF_NOEXPAND, &value.type, value.data.data(),
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    return value;
}

RawValue Text(const std::string& text) {
    const std::wstring wide = Utf8ToWide(text);
    const auto* bytes = reinterpret_cast<const BYTE*>(wide.c_str());
    return {REG_SZ, std::vector<BYTE>(bytes, bytes + (wide.size() + 1) * sizeof(wchar_t))};
}

RawValue Number(uint32_t number) {
    const auto* bytes = reinterpret_cast<const BYTE*>(&number);
    return {REG_DWORD, std::vector<BYTE>(bytes, bytes + sizeof(number))};
}

void DeleteValue(const std::string& key, const std::string& name) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, Utf8ToWide(key).c_str(), Utf8ToWide(name).c_str());
    // A settings value gone behind the store's back is seen as a fresh start sees it.
    ForgetStoredSettings();
}

void WriteRaw(const std::string& key, const std::string& name, const RawValue& value) {
    HKEY opened = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(key).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &opened, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(opened, Utf8ToWide(name).c_str(), 0, value.type, value.data.data(),
                   static_cast<DWORD>(value.data.size()));
    RegCloseKey(opened);
}

} // namespace

class HomePageShieldTest : public MainWindowFixture {
  protected:
    HomePageShieldTest() : previousKey_(StartPageKey), shield(*form, alert) {
        RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(kTestRoot).c_str());
        WriteRaw(kTestKey, "Other", Text("untouched"));
        StartPageKey = kTestKey;
        shield.Connect();
        // Each process-shield pass the tick runs is counted, with what the tick had done by then.
        form->tmrMemoryInspected.Tick = [this] { processPasses.push_back(CurrentHomePage); };
        CreateDirectoryW(L"C:\\screenshots", nullptr);
    }
    ~HomePageShieldTest() override {
        alert.Unload();
        StartPageKey = previousKey_;
        CurrentHomePage.clear();
        SavedHomePage.clear();
        RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(kTestRoot).c_str());
    }

    void SetStartPage(const std::string& page) { WriteRaw(kTestKey, kStartPageValue, Text(page)); }
    // The start page as text, or "<missing>".
    std::string StartPage() const {
        const std::optional<RawValue> raw = ReadRaw(kTestKey, kStartPageValue);
        if (!raw)
            return "<missing>";
        EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
        std::wstring text(raw->data.size() / sizeof(wchar_t), L'\0');
        memcpy(text.data(), raw->data.data(), text.size() * sizeof(wchar_t));
        EXPECT_EQ(text.back(), L'\0') << "stored without its terminator";
        text.pop_back();
        return WideToUtf8(text);
    }

    std::string previousKey_;
    frmHomePageChangedAlert alert;
    HomePageShield shield;
    std::vector<std::string> processPasses;
};

namespace {

enum class Answer { None, Yes, No, CloseBox };

struct StartPageCase {
    const char* name;
    const char* notify; // "optAlwaysnotifybeforerestoring"; nullptr: not stored
    const char* silent; // "optRestoredefaultwithoutnotification"
    std::optional<std::string> remembered;
    std::optional<std::string> current; // nullopt: no start page value
    Answer answer;
    std::string pageAfter;
    std::string rememberedAfter;
};

const StartPageCase kStartPageCases[] = {
    {"first tick adopts the page", nullptr, nullptr, std::nullopt, "http://home.example/",
     Answer::None, "http://home.example/", "http://home.example/"},
    {"a missing page adopts nothing", nullptr, nullptr, std::nullopt, std::nullopt, Answer::None,
     "<missing>", ""},
    {"the same page asks nothing", nullptr, "True", "http://a.example/", "http://a.example/",
     Answer::None, "http://a.example/", "http://a.example/"},
    {"letter case counts; Yes keeps the remembered page", nullptr, nullptr, "http://a.example/",
     "HTTP://A.EXAMPLE/", Answer::Yes, "http://a.example/", "http://a.example/"},
    {"No takes the new page", "True", "False", "http://a.example/", "http://b.example/", Answer::No,
     "http://b.example/", "http://b.example/"},
    {"closing the question changes nothing", nullptr, nullptr, "http://a.example/",
     "http://b.example/", Answer::CloseBox, "http://b.example/", "http://a.example/"},
    {"silent restore", "False", "True", "http://a.example/", "http://b.example/", Answer::None,
     "http://a.example/", "http://a.example/"},
    {"neither option does nothing", "False", "False", "http://a.example/", "http://b.example/",
     Answer::None, "http://b.example/", "http://a.example/"},
    {"a page of digits is restored as text", "False", "True", "12345", "http://b.example/",
     Answer::None, "12345", "12345"},
    {"a 2,000-character page is adopted whole", nullptr, nullptr, std::nullopt, kLongPage,
     Answer::None, kLongPage, kLongPage},
    {"a 2,000-character page is kept by silent restore", "False", "True", kLongPage, kLongPage,
     Answer::None, kLongPage, kLongPage},
    {"a 2,000-character new page is taken whole", nullptr, nullptr, "http://a.example/", kLongPage,
     Answer::No, kLongPage, kLongPage},
    {"a 2,000-character page is restored whole", "False", "True", kLongPage, "http://b.example/",
     Answer::None, kLongPage, kLongPage},
    {"one more NUL read is the same page", nullptr, nullptr, "http://a.example/",
     WithNuls("http://a.example/", 1), Answer::None, WithNuls("http://a.example/", 1),
     "http://a.example/"},
    {"several NULs read are the same page", nullptr, nullptr, "http://a.example/",
     WithNuls("http://a.example/", 3), Answer::None, WithNuls("http://a.example/", 3),
     "http://a.example/"},
    {"one more NUL stored is the same page", nullptr, nullptr, WithNuls("http://a.example/", 1),
     "http://a.example/", Answer::None, "http://a.example/", "http://a.example/"},
    {"several NULs stored and read are the same page", nullptr, nullptr,
     WithNuls("http://a.example/", 3), WithNuls("http://a.example/", 2), Answer::None,
     WithNuls("http://a.example/", 2), "http://a.example/"},
    {"the first tick adopts the page before its NULs", nullptr, nullptr, std::nullopt,
     WithNuls("http://a.example/", 2), Answer::None, WithNuls("http://a.example/", 2),
     "http://a.example/"},
    {"No takes the new page before its NULs", nullptr, nullptr, "http://a.example/",
     WithNuls("http://b.example/", 2), Answer::No, WithNuls("http://b.example/", 2),
     "http://b.example/"},
    {"Yes puts back the remembered page before its NULs", nullptr, nullptr,
     WithNuls("http://a.example/", 2), WithNuls("http://b.example/", 1), Answer::Yes,
     "http://a.example/", "http://a.example/"},
};

} // namespace

TEST_F(HomePageShieldTest, EachTickFollowsTheStartPageOptions) {
    for (const StartPageCase& c : kStartPageCases) {
        SCOPED_TRACE(c.name);
        DeleteValue(kTestKey, kStartPageValue);
        if (c.current)
            SetStartPage(*c.current);
        Store("OptionAndSettings", "Homepage", c.remembered.value_or(""));
        for (auto [key, value] : {std::pair{"optAlwaysnotifybeforerestoring", c.notify},
                                  std::pair{"optRestoredefaultwithoutnotification", c.silent}})
            if (value)
                Store("OptionAndSettings", key, value);
            else
                DeleteValue("Software\\VB and VBA Program Settings\\" + kTestProduct +
                                "\\OptionAndSettings",
                            key);
        form->tmrCheckHomePage.Enabled = true;

        WindowAnswers answers(alert);
        if (c.answer != Answer::None)
            answers.Then([&](ui::Form& window) {
                EXPECT_EQ(
                    alert.lblHomePageInfo.Caption,
                    HomePageChangedMessage(PageOf(*c.remembered), PageOf(c.current.value_or(""))));
                EXPECT_FALSE(form->tmrCheckHomePage.Enabled);
                EXPECT_FALSE(form->tmrMemoryInspected.Enabled);
                EXPECT_TRUE(BusyState::IsBusy());
                if (c.answer == Answer::Yes) {
                    EXPECT_TRUE(ui::SaveWindowScreenshot(
                        window.Handle(), "C:\\screenshots\\homepage-changed-alert.bmp"));
                }
                if (c.answer == Answer::CloseBox)
                    WindowAnswers::CloseBox()(window);
                else
                    WindowAnswers::Click(c.answer == Answer::Yes ? alert.cmdYes
                                                                 : alert.cmdNO)(window);
            });
        form->tmrCheckHomePage.Tick();

        EXPECT_EQ(answers.Pending(), 0u);
        EXPECT_EQ(StartPage(), c.pageAfter);
        EXPECT_EQ(Stored("OptionAndSettings", "Homepage"), c.rememberedAfter);
        EXPECT_FALSE(alert.Loaded());
        EXPECT_FALSE(BusyState::IsBusy());
        EXPECT_TRUE(form->tmrCheckHomePage.Enabled);
        EXPECT_EQ(ReadRaw(kTestKey, "Other")->data, Text("untouched").data);

        // A page the shield has settled on asks nothing at the next tick.
        if (PageOf(c.pageAfter) == c.rememberedAfter || !c.current) {
            WindowAnswers none(alert);
            form->tmrCheckHomePage.Tick();
            EXPECT_EQ(StartPage(), c.pageAfter);
            EXPECT_EQ(Stored("OptionAndSettings", "Homepage"), c.rememberedAfter);
        }
    }
}

TEST_F(HomePageShieldTest, EveryThirdTickFirstRunsTheProcessShield) {
    SetStartPage("http://a.example/");
    for (int tick = 1; tick <= 9; ++tick) {
        CurrentHomePage = "before tick " + std::to_string(tick);
        form->tmrCheckHomePage.Tick();
    }
    EXPECT_EQ(processPasses,
              (std::vector<std::string>{"before tick 3", "before tick 6", "before tick 9"}));
    EXPECT_EQ(shield.HomePageTickCount, 0);
}

TEST_F(HomePageShieldTest, SwitchedOffItStopsItsTimerAndStillDrivesTheProcessShield) {
    SetStartPage("http://a.example/");
    Store("OptionAndSettings", "optIEHomePageSheildOn", "False");
    for (int tick = 1; tick <= 3; ++tick) {
        form->tmrCheckHomePage.Enabled = true;
        form->tmrCheckHomePage.Tick();
        EXPECT_FALSE(form->tmrCheckHomePage.Enabled);
        EXPECT_TRUE(form->tmrMemoryInspected.Enabled);
    }
    EXPECT_EQ(processPasses.size(), 1u);
    EXPECT_EQ(Stored("OptionAndSettings", "Homepage"), "<none>");
}

TEST_F(HomePageShieldTest, ATickDuringAnotherOperationAsksNothing) {
    SetStartPage("http://b.example/");
    Store("OptionAndSettings", "Homepage", "http://a.example/");
    const BusyState::Operation scan;
    WindowAnswers none(alert);
    form->tmrCheckHomePage.Tick();
    EXPECT_EQ(StartPage(), "http://b.example/");
}

TEST_F(HomePageShieldTest, QueryValueReadsWholeValuesOfTheTypesItKnows) {
    struct Case {
        const char* name;
        std::optional<RawValue> stored;
        bool read;
        std::string text;
    };
    RawValue unterminated = Text("http://no-nul.example/");
    unterminated.data.resize(unterminated.data.size() - sizeof(wchar_t));
    RawValue expandable = Text("%HOMEPAGE%");
    expandable.type = REG_EXPAND_SZ;
    const Case cases[] = {
        {"string", Text("http://a.example/"), true, "http://a.example/"},
        {"empty string", Text(""), true, ""},
        {"string without its NUL", unterminated, true, "http://no-nul.example/"},
        {"2,000 characters", Text(kLongPage), true, kLongPage},
        {"number", Number(10), true, "10"},
        {"number with the top bit", Number(0xFFFFFFFF), true, "-1"},
        {"expandable string", expandable, true, "kept"},
        {"binary", RawValue{REG_BINARY, {1, 2, 3}}, true, "kept"},
        {"missing", std::nullopt, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteValue(kTestKey, "Probe");
        if (c.stored)
            WriteRaw(kTestKey, "Probe", *c.stored);
        std::string text = "kept";
        EXPECT_EQ(QueryValue(HKEY_CURRENT_USER, kTestKey, "Probe", text), c.read);
        EXPECT_EQ(text, c.text);
    }
    std::string text = "kept";
    EXPECT_FALSE(QueryValue(HKEY_CURRENT_USER, kTestRoot + "\\Missing", "Probe", text));
    EXPECT_EQ(text, "");
}

TEST_F(HomePageShieldTest, SetValueExWritesExactlyTheTypeItIsGiven) {
    struct Case {
        const char* name;
        DWORD type;
        std::string value;
        std::optional<RawValue> stored; // nullopt: nothing written
        bool succeeds;
    };
    const Case cases[] = {
        {"text of digits stays text", REG_SZ, "12345", Text("12345"), true},
        {"text with blanks kept", REG_SZ, "  http://a.example/ ", Text("  http://a.example/ "),
         true},
        {"2,000 characters", REG_SZ, kLongPage, Text(kLongPage), true},
        {"number", REG_DWORD, "123", Number(123), true},
        {"negative number", REG_DWORD, "-1", Number(0xFFFFFFFF), true},
        {"no number", REG_DWORD, "abc", std::nullopt, false},
        {"beyond 32 bits", REG_DWORD, "4294967296", std::nullopt, false},
        {"another type", REG_BINARY, "abc", std::nullopt, true},
    };
    HKEY key = nullptr;
    ASSERT_EQ(
        RegOpenKeyExW(HKEY_CURRENT_USER, Utf8ToWide(kTestKey).c_str(), 0, KEY_ALL_ACCESS, &key),
        ERROR_SUCCESS);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegDeleteValueW(key, L"Probe");
        EXPECT_EQ(SetValueEx(key, "Probe", c.type, c.value) == ERROR_SUCCESS, c.succeeds);
        const std::optional<RawValue> stored = ReadRaw(kTestKey, "Probe");
        ASSERT_EQ(stored.has_value(), c.stored.has_value());
        if (stored) {
            EXPECT_EQ(stored->type, c.stored->type);
            EXPECT_EQ(stored->data, c.stored->data);
        }
    }
    RegCloseKey(key);
}

TEST_F(HomePageShieldTest, RestoreWritesIntoAnExistingKeyOnly) {
    SavedHomePage = "http://a.example/";
    StartPageKey = kTestRoot + "\\Missing\\Main";
    RestoreHomePage();
    EXPECT_FALSE(ReadRaw(kTestRoot + "\\Missing\\Main", kStartPageValue));
    HKEY missing = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, Utf8ToWide(kTestRoot + "\\Missing").c_str(), 0,
                            KEY_READ, &missing),
              ERROR_SUCCESS);
    EXPECT_EQ(Stored("OptionAndSettings", "Homepage"), "http://a.example/");
}

TEST_F(HomePageShieldTest, TheDebugMenuShowsTheQuestionWithTheProductNameHidden) {
    form->mnuDebugItem_Click(0);
    ASSERT_TRUE(alert.Visible());
    EXPECT_EQ(alert.lblFrmHomePageProductName.Caption, kTestProduct);
    EXPECT_FALSE(IsWindowVisible(alert.ControlHandle(alert.lblFrmHomePageProductName)));
    wchar_t text[16] = {};
    GetWindowTextW(alert.ControlHandle(alert.cmdYes), text, 16);
    EXPECT_EQ(WideToUtf8(text), "Yes");
    GetWindowTextW(alert.ControlHandle(alert.cmdNO), text, 16);
    EXPECT_EQ(WideToUtf8(text), "No");
    SendMessageW(alert.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ui::DoEvents();
    EXPECT_FALSE(alert.Loaded());
}
