// Languages in the program: the stored language applied to the main window at start-up, the
// language window's list, choice, download and editing, and the first-run chooser.
#include "AnsiText.h"
#include "BusyState.h"
#include "ControlKeys.h"
#include "DoEvents.h"
#include "ExpectedLaunches.h"
#include "FrmMain.h"
#include "LanguageFile.h"
#include "LoopbackHttpServer.h"
#include "MachineSettingsStore.h"
#include "MainWindowFixture.h"
#include "Screenshot.h"
#include "ScriptedMessageBoxes.h"
#include "TempFolder.h"
#include "TextRules.h"
#include "clsLanguages.h"
#include "clsTray.h"
#include "frmDelete.h"
#include "frmDownload.h"
#include "frmHomePageChangedAlert.h"
#include "frmLanguage.h"
#include "frmMenuPopUp.h"
#include "frmSignatureUpdated.h"
#include "frmSpywareFoundAlert.h"
#include "modInternet.h"
#include "modLanguages.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iterator>
#include <set>
#include <utility>

namespace {

std::string Item(const std::string& key, const std::string& text) {
    return LanguageFile::ItemLine(key, text);
}

std::string Group(const std::string& name, const std::string& items) {
    return "<LANGUAGE_GROUP xml:lang=\"x\">\r\n\t<LANGUAGE_NAME>" + name +
           "</LANGUAGE_NAME>\r\n\t<TRANSLATION_ITEMS>\r\n" + items +
           "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n";
}

const std::string kEnglish =
    Group("English", Item("FRMMAIN_CMDSCAN", "Scan") + Item("MSG_STOP", "Stop the scan?"));
// Russian texts in Cyrillic, so the native controls are shown to take any script.
const std::string kRussian = Group(
    "Русский",
    Item("FRMMAIN_LBLLASTSCANCAPTION", "Последняя проверка:") +
        Item("FRMMAIN_CMDSCAN", "Проверка") + Item("FRMMAIN_TABSTRIP1_TABS2", "Защита") +
        Item("FRMMAIN_LVWSPYWAREFOUND_COL1", "Имя") + Item("FRMMAIN_OPTSCAN2", "Полная проверка") +
        Item("FRMMAIN_MNUFILEITEM0", "Проверить сейчас") +
        Item("FRMMAIN_MNULANGUAGEITEM0", "Сменить язык") +
        Item("MSG_CAPTION", "[ProgramName] — защита") + Item("MSG_STOP", "Остановить?") +
        Item("FRMLANGUAGE_COMMAND2", "Готово") + Item("FRMLANGUAGE_CAPTION", "Выбор языка"));
const std::string kFile = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<XML_DIZ_INFO>\r\n" +
                          kEnglish + kRussian + "</XML_DIZ_INFO>\r\n";

std::string NativeText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return WideToUtf8(text);
}

std::string NativeMenuText(HWND window, unsigned id) {
    wchar_t text[256] = {};
    GetMenuStringW(GetMenu(window), id, text, 256, MF_BYCOMMAND);
    return WideToUtf8(text);
}

// A timer's work while the first-run chooser waits: the user's pick and OK.
void CALLBACK PickRussianAndClose(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    LanguageWindow().Combo1.SetListIndex(1);
    LanguageWindow().Command2_Click();
}

class LanguageTest : public MainWindowFixture {
  protected:
    LanguageTest() {
        LanguageFile::SetFolder(folder.Path());
        Store("Settings", "showHelp", "0");
        SaveMachineSetting(kTestProduct, "Settings", "FirstTime", "Yes");
        form->Links.PrevInstance = [] { return false; };
        // As start-up leaves the catalog when the main window is not loaded.
        modLanguages::LoadDefaultMessages();
        CurrentLanguage = "English";
    }
    ~LanguageTest() override {
        if (LanguageWindow().Loaded())
            LanguageWindow().Unload();
        if (form->Loaded())
            form->Unload();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        modInternet::SetYieldHook(nullptr);
        LanguageFile::SetFolder({});
        CurrentLanguage.clear();
    }
    void WriteFile(const std::string& content) {
        folder.WriteFile(LanguageFile::kFileName, content);
    }
    std::string FileText() const {
        return LanguageFile::Read(LanguageFile::FilePath()).value_or("<missing>");
    }
    frmLanguage& Chooser() {
        frmLanguage& window = LanguageWindow();
        if (!window.Loaded()) {
            EXPECT_TRUE(window.Load());
        }
        return window;
    }

    TempFolder folder;
    ScriptedMessageBoxes boxes;
};

TEST_F(LanguageTest, StartUpAppliesTheStoredLanguageToTheNativeMainWindow) {
    WriteFile(kFile);
    Store("Settings", "Language", "русский");
    ASSERT_TRUE(form->Load());
    form->Show();
    form->Refresh();
    EXPECT_EQ(form->lblLastScanCaption.Caption, "Последняя проверка:");
    EXPECT_EQ(form->cmdScan.Caption, "Проверка");
    EXPECT_EQ(form->TabStrip1.Tabs[1], "Защита");
    EXPECT_EQ(form->TabStrip1.Tabs[0], "Scan Options");
    EXPECT_EQ(form->lists.lvwSpywareFound.ColumnHeaders[0].Text, "Имя");
    EXPECT_EQ(form->optScan[2].Caption, "Полная проверка");
    EXPECT_EQ(form->mnuFileItem[0].Caption, "Проверить сейчас");
    EXPECT_EQ(form->mnuLanguageItem.Caption, "Сменить язык");
    EXPECT_EQ(form->Caption, kTestProduct + " — защита");
    EXPECT_EQ(Lang.getMessages("MSG_STOP"), "Остановить?");

    // The native controls show the same texts, every character intact.
    EXPECT_EQ(NativeText(form->Handle()), kTestProduct + " — защита");
    EXPECT_EQ(NativeText(form->ControlHandle(form->cmdScan)), "Проверка");
    EXPECT_EQ(NativeText(form->ControlHandle(form->optScan[2])), "Полная проверка");
    EXPECT_EQ(NativeMenuText(form->Handle(), form->CommandId(form->mnuFileItem[0])),
              "Проверить сейчас");
    wchar_t tab[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = tab;
    item.cchTextMax = 64;
    SendMessageW(form->ControlHandle(form->TabStrip1), TCM_GETITEMW, 1,
                 reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(WideToUtf8(tab), "Защита");

    CreateDirectoryW(L"C:\\screenshots", nullptr);
    ui::DoEvents();
    EXPECT_TRUE(ui::SaveWindowScreenshot(form->Handle(), "C:\\screenshots\\language-russian.bmp"));
    form->cmdSettings.Click();
    form->Refresh();
    ui::DoEvents();
    EXPECT_TRUE(
        ui::SaveWindowScreenshot(form->Handle(), "C:\\screenshots\\language-russian-options.bmp"));
}

TEST_F(LanguageTest, ListShowsTheFilesLanguagesAndTheStoredOne) {
    WriteFile(kFile + Group("Cut", "").substr(0, 40));
    Store("Settings", "Language", "Русский");
    CurrentLanguage = "Русский";
    frmLanguage& window = Chooser();
    ASSERT_EQ(window.Combo1.ListCount(), 2u);
    EXPECT_EQ(window.Combo1.List(0), "English");
    EXPECT_EQ(window.Combo1.List(1), "Русский");
    EXPECT_EQ(window.Combo1Text(), "Русский");
    EXPECT_EQ(window.Combo1.ListIndex(), 1);
    EXPECT_EQ(window.Caption, "Выбор языка");
    EXPECT_EQ(window.Command2.Caption, "Готово");
    EXPECT_EQ(NativeText(window.Handle()), "Выбор языка");
    EXPECT_EQ(NativeText(window.ControlHandle(window.Command2)), "Готово");
    window.Show();
    window.Refresh();
    ui::DoEvents();
    CreateDirectoryW(L"C:\\screenshots", nullptr);
    EXPECT_TRUE(ui::SaveWindowScreenshot(window.Handle(), "C:\\screenshots\\language-window.bmp"));
    // Loading the window applied nothing to the main window, which never loaded.
    EXPECT_FALSE(form->Loaded());
}

TEST_F(LanguageTest, WithoutAFileTheListStaysEmptyAndTheTitleIsTheDefault) {
    frmLanguage& window = Chooser();
    EXPECT_EQ(window.Combo1.ListCount(), 0u);
    EXPECT_EQ(window.Combo1Text(), "Choose Language Here");
    EXPECT_EQ(window.Caption, "Language Selection");
    window.Command3_Click(); // no file: nothing is opened
}

TEST_F(LanguageTest, PickingALanguageStoresItAndRetitlesTheLoadedMainWindow) {
    WriteFile(kFile);
    Store("Settings", "Language", "English");
    ASSERT_TRUE(form->Load());
    frmLanguage& window = Chooser();
    EXPECT_EQ(window.Combo1Text(), "English");
    window.Combo1.SetListIndex(1);
    EXPECT_EQ(Stored("Settings", "Language"), "Русский");
    EXPECT_EQ(CurrentLanguage, "Русский");
    EXPECT_EQ(form->cmdScan.Caption, "Проверка");
    EXPECT_EQ(window.Command2.Caption, "Готово");
    EXPECT_EQ(Lang.getMessages("MSG_STOP"), "Остановить?");
    // Back to English: what English lacks keeps the Russian text.
    window.Combo1.SetListIndex(0);
    EXPECT_EQ(form->cmdScan.Caption, "Scan");
    EXPECT_EQ(form->optScan[2].Caption, "Полная проверка");
}

TEST_F(LanguageTest, PickingALanguageNeverLoadsTheMainWindow) {
    WriteFile(kFile);
    frmLanguage& window = Chooser();
    window.Combo1.SetListIndex(1);
    EXPECT_FALSE(form->Loaded());
    EXPECT_FALSE(MainWindow().Loaded());
    EXPECT_EQ(window.Command2.Caption, "Готово");
}

TEST_F(LanguageTest, TranslateOpensTheFileThroughTheShell) {
    WriteFile(kFile);
    ExpectedLaunches launches;
    launches.Expect();
    Chooser().Command3_Click();
    ASSERT_EQ(launches.Launched().size(), 1u);
    EXPECT_EQ(launches.Launched()[0].File, LanguageFile::FilePath());
    EXPECT_EQ(launches.Launched()[0].Show, SW_SHOWNORMAL);
}

TEST_F(LanguageTest, DownloadReplacesTheFileOnlyWithAWholeReply) {
    const std::string old = kFile;
    const std::string fresh = "\xEF\xBB\xBF\r\n" + kRussian + kEnglish;
    // Replies padded after their groups to a given size: the stored file adds a CR LF.
    auto padded = [&](size_t size) {
        return kRussian + kEnglish + std::string(size - kRussian.size() - kEnglish.size(), ' ');
    };
    const std::string largest = padded(LanguageFile::kMaxFileSize - 2);
    const std::string tooLarge = padded(LanguageFile::kMaxFileSize + 1);
    using Reply = LoopbackHttpServer::Reply;
    using Framing = LoopbackHttpServer::Framing;
    struct Case {
        const char* what;
        Reply reply;
        std::string stored; // empty: the old file stays
    } cases[] = {
        {"whole", {200, "OK", {}, fresh}, fresh.substr(5) + "\r\n"},
        {"cut short after the marker", {200, "OK", {}, fresh, {}, 120}, {}},
        {"marker but no whole group", {200, "OK", {}, kRussian.substr(0, 200)}, {}},
        {"no marker", {200, "OK", {}, "<html>Not here</html>"}, {}},
        {"error status", {404, "Not Found", {}, fresh}, {}},
        {"the largest file the program reads", {200, "OK", {}, largest}, largest + "\r\n"},
        {"over the bound, its length announced", {200, "OK", {}, tooLarge}, {}},
        {"over the bound, chunked", {200, "OK", {}, tooLarge, Framing::Chunked}, {}},
        {"bound reached only by the line end",
         {200, "OK", {}, padded(LanguageFile::kMaxFileSize)},
         {}},
    };
    for (const Case& c : cases) {
        WriteFile(old);
        LoopbackHttpServer server;
        server.Queue(c.reply);
        Store("Languages", "Host", server.BaseUrl() + "/");
        frmLanguage& window = Chooser();
        if (!c.stored.empty())
            boxes.Expect(IDOK);
        window.Command1_Click();
        ASSERT_EQ(server.Requests().size(), 1u) << c.what;
        EXPECT_EQ(server.Requests()[0].Path, "/Languages/0/Localization.txt");
        const std::string text = FileText();
        EXPECT_EQ(text.size(), c.stored.empty() ? old.size() : c.stored.size()) << c.what;
        EXPECT_TRUE(text == (c.stored.empty() ? old : c.stored)) << c.what;
        EXPECT_EQ(boxes.Pending(), 0u) << c.what;
        EXPECT_TRUE(window.Command1.Enabled);
        EXPECT_FALSE(BusyState::IsBusy());
    }
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].prompt, Lang.getMessages("MSG_DOWNLOADED"));
    EXPECT_FALSE(Lang.getMessages("MSG_DOWNLOADED").empty());
    EXPECT_EQ(LanguageWindow().Combo1.List(0), "Русский");
}

TEST_F(LanguageTest, DownloadIsBusyAndIgnoresASecondClick) {
    WriteFile(kFile);
    LoopbackHttpServer server;
    LoopbackHttpServer::Reply reply{200, "OK", {}, kRussian};
    reply.DripBytes = 100;
    reply.DripMs = 5;
    server.Queue(reply);
    Store("Languages", "Host", server.BaseUrl());
    frmLanguage& window = Chooser();
    int yields = 0;
    modInternet::SetYieldHook([&] {
        ++yields;
        EXPECT_TRUE(BusyState::IsBusy());
        EXPECT_FALSE(window.Command1.Enabled);
        window.Command1_Click();
    });
    boxes.Expect(IDOK);
    window.Command1_Click();
    EXPECT_GT(yields, 0);
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(FileText(), kRussian + "\r\n");
    EXPECT_TRUE(window.Command1.Enabled);
}

// The user's close of the chooser, from the message loop while the download waits.
std::function<void()> pendingClose;
void CALLBACK PressCloseBox(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (auto close = std::exchange(pendingClose, nullptr))
        close();
}

TEST_F(LanguageTest, ACloseEndsAStalledDownloadAtOnceAndThenTheWindow) {
    WriteFile(kFile);
    const std::string before = FileText();
    LoopbackHttpServer server;
    LoopbackHttpServer::Reply reply{200, "OK", {}, kRussian};
    reply.PauseAt = 10; // the server falls silent inside the body
    reply.PauseMs = 30000;
    server.Queue(reply);
    Store("Languages", "Host", server.BaseUrl());
    frmLanguage& window = Chooser();
    modInternet::SetYieldHook(ui::DoEvents);
    ULONGLONG closedAt = 0;
    pendingClose = [&] {
        closedAt = GetTickCount64();
        window.Unload();
    };
    SetTimer(nullptr, 0, 300, PressCloseBox);
    window.Command1_Click(); // no notice: the window was closed
    const ULONGLONG returnedAt = GetTickCount64();
    ASSERT_NE(closedAt, 0u) << "the close never came";
    EXPECT_LT(returnedAt - closedAt, 2000u);
    EXPECT_FALSE(window.Loaded());
    EXPECT_EQ(FileText(), before); // a cut download replaces nothing
    EXPECT_FALSE(BusyState::IsBusy());
}

TEST_F(LanguageTest, FirstRunShowsTheChooserAndTakesTheLanguagePicked) {
    WriteFile(kFile);
    ConnectLanguageWindow(nullptr);
    form->Links.ShowLanguageChooser = MainWindow().Links.ShowLanguageChooser;
    // The user picks Russian and presses OK while the chooser waits.
    SetTimer(nullptr, 0, 200, PickRussianAndClose);
    ASSERT_TRUE(form->Load());
    EXPECT_FALSE(LanguageWindow().Loaded());
    EXPECT_EQ(Stored("Settings", "Language"), "Русский");
    EXPECT_EQ(form->cmdScan.Caption, "Проверка");
    MainWindow().Links.ShowLanguageChooser = nullptr;
    modLanguages::FormModels = nullptr;
}

} // namespace

namespace {

// The item keys of a file's English group, in order.
std::vector<std::string> EnglishKeys(const std::string& text) {
    std::vector<std::string> keys;
    const std::optional<std::string> items = LanguageFile::FindItems(text, "English");
    if (!items)
        return keys;
    for (const std::string& line : TextRules::Split(*items, "\r\n")) {
        const size_t open = line.find('<'), close = line.find('>');
        if (open != std::string::npos && close != std::string::npos && close > open)
            keys.push_back(line.substr(open + 1, close - open - 1));
    }
    return keys;
}

TEST_F(LanguageTest, ShippedFileHoldsEveryKeyTheWriterWrites) {
    modLanguages::FormModels = [this] {
        return std::vector<ui::Form*>{form.get(),
                                      &LanguageWindow(),
                                      &DeleteFailedWindow(),
                                      &DownloadWindow(),
                                      &HomePageChangedAlertWindow(),
                                      &MenuPopUpWindow(),
                                      &SignatureUpdatedWindow(),
                                      &SpywareFoundAlertWindow()};
    };
    Lang.makeLocalizationFile();
    modLanguages::FormModels = nullptr;
    const std::vector<std::string> written = EnglishKeys(FileText());
    for (const char* key : {"FRMMAIN_CMDSCAN", "FRMMAIN_TABSTRIP1_TABS4", "FRMMAIN_OPTSCAN3",
                            "FRMMAIN_MNULANGUAGEITEM0", "FRMLANGUAGE_CAPTION",
                            "FRMSPYWAREFOUNDALERT_CAPTION", "MSG_THANK1", "MSG_DOWNLOADED"})
        EXPECT_NE(std::find(written.begin(), written.end(), key), written.end()) << key;
    // Nothing of the writer's windows was loaded or shown.
    EXPECT_FALSE(form->Loaded());
    EXPECT_FALSE(MenuPopUpWindow().Loaded());
    EXPECT_FALSE(SignatureUpdatedWindow().Loaded());

    // The file the build puts beside the program.
    LanguageFile::SetFolder({});
    const std::optional<std::string> shipped = LanguageFile::Read(LanguageFile::FilePath());
    ASSERT_TRUE(shipped) << LanguageFile::FilePath();
    EXPECT_EQ(EnglishKeys(*shipped), written);
}

} // namespace

namespace {

TEST_F(LanguageTest, DebugMenuWritesTheEnglishFile) {
    modLanguages::FormModels = [this] { return std::vector<ui::Form*>{form.get()}; };
    form->mnuDebugItem_Click(3);
    modLanguages::FormModels = nullptr;
    Lang.LoadLanguageGroup("English");
    EXPECT_EQ(Lang.getCaption("FRMMAIN_CMDSCAN"), "Scan");
    EXPECT_EQ(Lang.getCaption("MSG_TITLELANGUAGE"), "Language Selection");
}

} // namespace

namespace {

// The file the build puts beside the program.
std::string ShippedFile() {
    LanguageFile::SetFolder({});
    std::optional<std::string> text = LanguageFile::Read(LanguageFile::FilePath());
    EXPECT_TRUE(text) << LanguageFile::FilePath();
    return text.value_or("");
}

// The counters' captions as the scan page shows them.
std::vector<std::string> NativeCounterCaptions(FrmMain& form) {
    std::vector<std::string> captions;
    for (const ui::Label* label :
         {&form.lblMemoryInspectedCaption, &form.lblRegistryInspectedCaption,
          &form.lblFilesFolderInspectedCaption, &form.lblSoftwareFoundCaption})
        captions.push_back(NativeText(form.ControlHandle(*label)));
    return captions;
}

const std::vector<std::string> kEnglishCounters = {
    "Running Processes:", "Registry Entries:", "Files:", "Malicous Items Found:"};

TEST_F(LanguageTest, ShippedFileNamesNoKeyTwiceInAGroup) {
    const std::string text = ShippedFile();
    const std::vector<LanguageFile::Group> groups = LanguageFile::Groups(text);
    ASSERT_FALSE(groups.empty());
    for (const LanguageFile::Group& group : groups) {
        ASSERT_TRUE(group.Items) << group.Name;
        std::set<std::string> keys;
        size_t items = 0;
        for (const std::string& line : TextRules::Split(*group.Items, "\r\n")) {
            const size_t open = line.find('<'), close = line.find('>');
            if (open == std::string::npos || close == std::string::npos || close < open)
                continue;
            ++items;
            const std::string key = TextRules::ToUpper(line.substr(open + 1, close - open - 1));
            EXPECT_TRUE(keys.insert(key).second) << group.Name << ": " << key;
        }
        EXPECT_GT(items, 250u) << group.Name;
    }
}

TEST_F(LanguageTest, ShippedEnglishKeepsEveryWindowAsDesigned) {
    ShippedFile(); // from the program folder
    // Every window the file names, fresh from its design.
    clsTray tray;
    frmLanguage language;
    frmDelete deleteFailed;
    frmDownload download(tray);
    frmHomePageChangedAlert homePageChanged;
    frmMenuPopUp menuPopUp(*form, tray);
    frmSignatureUpdated signatureUpdated(tray, download);
    frmSpywareFoundAlert spywareFound;
    for (ui::Form* window :
         std::vector<ui::Form*>{form.get(), &language, &deleteFailed, &download, &homePageChanged,
                                &menuPopUp, &signatureUpdated, &spywareFound}) {
        std::vector<std::pair<std::string, std::string>> designed;
        for (const ControlKeys::KeyedText& keyed : ControlKeys::KeyedTexts(*window))
            designed.emplace_back(keyed.Key, *keyed.Text);
        const std::string caption = window->Caption;
        Lang.ChangeLanguage(*window, "English");
        ASSERT_TRUE(Lang.TranslationLines()) << window->Name;
        size_t i = 0;
        for (const ControlKeys::KeyedText& keyed : ControlKeys::KeyedTexts(*window)) {
            EXPECT_EQ(*keyed.Text, designed[i].second) << designed[i].first;
            ++i;
        }
        EXPECT_EQ(window->Caption, caption) << window->Name;
    }
    EXPECT_EQ(form->lblSoftwareFoundCaption.Caption, "Malicous Items Found:");
    // The messages read as their English defaults.
    clsLanguages defaults;
    const clsLanguages::MessageTable& table = Lang.Messages();
    for (const MessageEntry& entry : table)
        defaults.setMessage(entry.id, entry.text);
    modLanguages::LoadDefaultMessages();
    for (const MessageEntry& entry : table) {
        if (entry.used) {
            EXPECT_EQ(Lang.getMessages(entry.id), defaults.getMessages(entry.id)) << entry.id;
        }
    }
}

TEST_F(LanguageTest, ScanPageShowsEachCountersOwnCaption) {
    const std::string german = Group(
        "Deutsch", Item("FRMMAIN_LBLMEMORYINSPECTEDCAPTION", "Laufende Prozesse:") +
                       Item("FRMMAIN_LBLREGISTRYINSPECTEDCAPTION", "Registrierungseinträge:") +
                       Item("FRMMAIN_LBLFILESFOLDERINSPECTEDCAPTION", "Dateien:") +
                       Item("FRMMAIN_LBLSOFTWAREFOUNDCAPTION", "Gefundene Schädlinge:") +
                       Item("FRMMAIN_CMDSCANNOW", "Start") +
                       Item("FRMMAIN_FRMSCAN", "Nach Schädlingen suchen"));
    const std::string shipped = ShippedFile();
    LanguageFile::SetFolder(folder.Path());
    // The shipped file with a second language after its English group.
    const size_t end = shipped.rfind("</XML_DIZ_INFO>");
    ASSERT_NE(end, std::string::npos);
    WriteFile(shipped.substr(0, end) + german + shipped.substr(end));
    Store("Settings", "Language", "English");
    ASSERT_TRUE(form->Load());
    form->Show();
    form->cmdScan.Click();
    form->Refresh();
    CreateDirectoryW(L"C:\\screenshots", nullptr);
    EXPECT_EQ(NativeCounterCaptions(*form), kEnglishCounters);
    ui::DoEvents();
    EXPECT_TRUE(ui::SaveWindowScreenshot(form->Handle(), "C:\\screenshots\\scan-english.bmp"));

    frmLanguage& window = Chooser();
    window.Combo1.SetListIndex(1);
    form->Refresh();
    EXPECT_EQ(NativeCounterCaptions(*form),
              (std::vector<std::string>{"Laufende Prozesse:", "Registrierungseinträge:", "Dateien:",
                                        "Gefundene Schädlinge:"}));
    window.Unload();
    ui::DoEvents();
    EXPECT_TRUE(ui::SaveWindowScreenshot(form->Handle(), "C:\\screenshots\\scan-german.bmp"));
}

// Start-up with a language file that is too large, or as large and as long as the program
// reads, takes under a second more than with the shipped file.
TEST_F(LanguageTest, StartUpBoundsTheLanguageFile) {
    // One short line that looks like a key a million times, and as often as the largest file
    // read holds it: every lookup walking all lines would cost seconds there.
    const std::string shortLine = "\t<K>\r\n";
    std::string millionLines;
    for (int i = 0; i < 1000000; ++i)
        millionLines += shortLine;
    const std::string mostLines = millionLines.substr(0, (LanguageFile::kMaxFileSize - 200) /
                                                             shortLine.size() * shortLine.size());
    const std::string shipped = ShippedFile();
    LanguageFile::SetFolder(folder.Path());
    struct Case {
        const char* what;
        std::string file;
        std::string language;
        bool tooLarge;
    } cases[] = {
        {"the shipped file", shipped, "English", false},
        {"5 MiB", shipped + std::string(5 * LanguageFile::kMaxFileSize - shipped.size(), ' '),
         "English", true},
        {"a million short lines", Group("Lines", millionLines), "Lines", true},
        {"the longest file read", Group("Most", mostLines), "Most", false},
    };
    // The shipped file twice: the first start-up pays for what only the first one does.
    const int order[] = {0, 0, 1, 2, 3};
    double shippedMs = 0;
    for (size_t step = 0; step < std::size(order); ++step) {
        const Case& c = cases[order[step]];
        WriteFile(c.file);
        Store("Settings", "Language", c.language);
        if (c.tooLarge)
            boxes.Expect(IDOK);
        // As a new process starts: a fresh window and catalog.
        form = std::make_unique<FrmMain>();
        form->Links.PrevInstance = [] { return false; };
        Lang = clsLanguages();
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(form->Load()) << c.what;
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        std::printf("start-up with %s (%zu bytes): %.0f ms\n", c.what, c.file.size(), ms);
        if (step == 1)
            shippedMs = ms;
        if (step >= 1) {
            EXPECT_LT(ms, shippedMs + 1000) << c.what;
        }
        EXPECT_EQ(boxes.Pending(), 0u) << c.what;
        EXPECT_EQ(CurrentLanguage, c.tooLarge ? "English" : c.language) << c.what;
        EXPECT_EQ(form->lblFilesFolderInspectedCaption.Caption, "Files:") << c.what;
        EXPECT_EQ(form->cmdScan.Caption, "Scan") << c.what;
        form->Unload();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    ASSERT_EQ(boxes.Shown().size(), 2u);
    for (const ui::MessageBoxRequest& box : boxes.Shown()) {
        EXPECT_EQ(box.prompt, Lang.getMessages("MSG_LANGUAGE_TOO_LARGE"));
        EXPECT_NE(box.prompt.find("Localization.txt is larger than 1 MB"), std::string::npos);
    }
}

} // namespace
