#include "frmLanguage.h"

#include "BusyState.h"
#include "FrmMain.h"
#include "LanguageFile.h"
#include "MessageBox.h"
#include "SettingsStore.h"
#include "ShellLaunch.h"
#include "TextRules.h"
#include "clsLanguages.h"
#include "identity.h"
#include "modInternet.h"
#include "modLanguages.h"
#include "modLorvane.h"
#include "xfileExists.h"

#include <windows.h>

#include <utility>

using TextRules::Compare;

namespace {

constexpr const char* kPrompt = "Choose Language Here";

// Puts a downloaded language file in place of the old one: only a reply with the items marker
// and a whole language group, from its first "<" on, replaces it, in one step, and only when
// the file stays small enough for the program to read it.
bool StoreDownload(std::string body) {
    if (!TextRules::Contains(body, "<TRANSLATION_ITEMS>", Compare::Text))
        return false;
    body.erase(0, body.find('<'));
    body += "\r\n";
    if (body.size() > LanguageFile::kMaxFileSize || !LanguageFile::HasCompleteGroup(body))
        return false;
    return xfileExists::ReplaceFileContent(LanguageFile::FilePath(), body);
}

} // namespace

frmLanguage& LanguageWindow() {
    static frmLanguage window;
    return window;
}

std::string LanguageDownloadAddress() {
    std::string host = TextRules::Trim(GetProgramSetting("Languages", "Host", ""));
    if (host.empty())
        host = IDENTITY_LANGUAGE_HOST;
    while (!host.empty() && host.back() == '/')
        host.pop_back();
    return host + "/Languages/" + std::to_string(modLorvane::ProductNumber) + "/" +
           LanguageFile::kFileName;
}

void ConnectLanguageWindow(std::function<std::vector<ui::Form*>()> laterWindows) {
    MainWindow().Links.ShowLanguageChooser = [] { LanguageWindow().ShowModal(); };
    modLanguages::FormModels = [laterWindows] {
        std::vector<ui::Form*> windows{&MainWindow(), &LanguageWindow()};
        if (laterWindows) {
            for (ui::Form* window : laterWindows())
                windows.push_back(window);
        }
        return windows;
    };
}

frmLanguage::frmLanguage() : ui::Form("frmLanguage") {
    Caption = "Language Selection";
    BorderStyle = ui::FormBorder::Fixed;
    Width = 5400;
    Height = 2700;
    Label1.Caption = "Please select the language you would like to use:";
    Label1.Move(240, 240, 4800, 300);
    Combo1.Move(240, 600, 4800, 315);
    Command1.Caption = "Check for language updates";
    Command1.Move(240, 1140, 2340, 375);
    Command3.Caption = "Translate this program";
    Command3.Move(2700, 1140, 2340, 375);
    Command2.Caption = "OK";
    Command2.Move(3840, 1680, 1200, 375);
    Add(Label1);
    Add(Combo1);
    Add(Command1);
    Add(Command3);
    Add(Command2);
    Combo1.Click = [this] { Combo1_Click(); };
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Command3.Click = [this] { Command3_Click(); };
}

void frmLanguage::Form_Load() {
    // Loaded again, the window starts from its design text, as a new one does: without a
    // language file nothing sets it.
    combo1Text_ = kPrompt;
    Lang.ChangeLanguage(*this, CurrentLanguage);
    Caption = Lang.getMessages("MSG_TITLELANGUAGE");
    // Again, so a translated window caption replaces the message's title.
    Lang.ChangeLanguage(*this, CurrentLanguage);
    FillLanguageList();
}

void frmLanguage::SetCombo1Text(const std::string& text) {
    combo1Text_ = text;
    int match = -1;
    for (size_t i = 0; i < Combo1.ListCount() && match < 0; ++i) {
        if (Combo1.List(i) == text)
            match = static_cast<int>(i);
    }
    filling_ = true;
    Combo1.SetListIndex(match);
    filling_ = false;
}

void frmLanguage::FillLanguageList() {
    filling_ = true;
    Combo1.Clear();
    filling_ = false;
    const std::string path = LanguageFile::FilePath();
    if (!clsLanguages::LangFileExists(path))
        return;
    const std::optional<std::string> text = LanguageFile::Read(path);
    if (!text)
        return;
    for (const LanguageFile::Group& group : LanguageFile::Groups(*text))
        Combo1.AddItem(group.Name);
    SetCombo1Text(GetProgramSetting("Settings", "Language", "English"));
}

void frmLanguage::Combo1_Click() {
    if (filling_)
        return;
    const std::string text = Combo1.Text();
    combo1Text_ = text;
    if (text.empty() || text == kPrompt)
        return;
    SaveProgramSetting("Settings", "Language", text);
    // Only a loaded main window takes the language; loading it here would run its start-up.
    if (ui::Form* main = ui::LoadedForm("FrmMain"))
        Lang.ChangeLanguage(*main, text);
    Lang.ChangeLanguage(*this, text);
}

void frmLanguage::Command1_Click() {
    if (downloading_ || BusyState::IsBusy())
        return;
    std::string body;
    bool complete = false;
    {
        // The reads let the windows run: no second download, scan or close starts meanwhile, and
        // a close ends the request in hand at once.
        BusyState::Operation busy(modInternet::CancelRequest);
        downloading_ = true;
        Command1.Enabled = false;
        Refresh();
        modInternet::HttpResult reply =
            modInternet::HttpGet(LanguageDownloadAddress(), DownloadLimits);
        // Only a reply proven whole replaces the file: a cut one may still hold a whole group.
        complete = reply.WholeSuccess();
        body = std::move(reply.Body);
        Command1.Enabled = true;
        downloading_ = false;
    }
    const bool closing = std::exchange(closeAfterDownload_, false);
    const bool replaced = complete && StoreDownload(std::move(body));
    if (closing) {
        // The user closed the window meanwhile: a new file is kept, without a notice.
        Unload();
        return;
    }
    if (!replaced)
        return;
    FillLanguageList();
    ui::MsgBox(Lang.getMessages("MSG_DOWNLOADED"), MB_OK);
}

void frmLanguage::Form_QueryUnload(bool& cancel, int unloadMode) {
    if (!downloading_)
        return;
    // The download ends at once; the window closes as soon as it has unwound.
    BusyState::RequestStop();
    if (unloadMode != ui::vbAppWindows) {
        closeAfterDownload_ = true;
        cancel = true;
    }
}

void frmLanguage::Command2_Click() {
    Unload();
}

void frmLanguage::Command3_Click() {
    const std::string path = LanguageFile::FilePath();
    if (clsLanguages::LangFileExists(path))
        ShellLaunch::Start(path, "", SW_SHOWNORMAL);
}

void FrmMain::mnuLanguageItem_Click() {
    LanguageWindow().Show();
}
