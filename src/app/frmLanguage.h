// The language window: picks the language of the main window and of itself from the languages
// in "Localization.txt", fetches a newer file from the maker's web host, and opens the file for
// translating. Shown modeless from the Languages menu and modally on the first run.
#pragma once

#include "Controls.h"
#include "Form.h"
#include "LanguageFile.h"
#include "modInternet.h"

#include <functional>
#include <string>
#include <vector>

class frmLanguage : public ui::Form {
  public:
    frmLanguage();

    void Form_Load() override;
    // A close during the download waits for it to end.
    void Form_QueryUnload(bool& cancel, int unloadMode) override;
    void Combo1_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    // The combo box's edit text: the picked language, or the prompt before one is shown.
    const std::string& Combo1Text() const { return combo1Text_; }

    ui::Label Label1{"Label1"};
    ui::ComboBox Combo1{"Combo1"};
    ui::Button Command1{"Command1"}, Command3{"Command3"}, Command2{"Command2"};

    // The bounds of the download: no more of a reply is held than the file may take.
    modInternet::HttpLimits DownloadLimits{.MaxBody = LanguageFile::kMaxFileSize};

  private:
    void FillLanguageList();
    // Shows the text in the edit field, selecting the item that holds it without raising Click.
    void SetCombo1Text(const std::string& text);

    std::string combo1Text_ = "Choose Language Here";
    bool filling_ = false;
    bool downloading_ = false;
    bool closeAfterDownload_ = false;
};

// The one language window.
frmLanguage& LanguageWindow();

// The address the language file is downloaded from: the per-user "Languages" / "Host" setting
// or the host the program was built with, then "/Languages/", the product number and
// "/Localization.txt".
std::string LanguageDownloadAddress();

// Fills the main window's first-run chooser and gives the language file's writer the windows
// whose controls it names: the main window, this window and the ones later parts give.
void ConnectLanguageWindow(std::function<std::vector<ui::Form*>()> laterWindows);
