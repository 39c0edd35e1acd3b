#include "Submissions.h"

#include "AnsiText.h"
#include "BusyState.h"
#include "CommonDialogs.h"
#include "FrmMain.h"
#include "InputBox.h"
#include "MessageBox.h"
#include "ModMemoryItemsInspected.h"
#include "TextRules.h"
#include "UpdateSources.h"
#include "clsLanguages.h"
#include "modLockdown.h"

#include <windows.h>

#include <optional>

using TextRules::Compare;

namespace {

constexpr int kEnter = 13;
// An error page can be long; a box shows no more of a reply than this many characters.
constexpr size_t kReplyShown = 300;

// A query value as the service decodes it: the text's bytes in the ANSI code page (those the
// scramble works on), every one outside the unreserved set percent-encoded.
std::string QueryValue(const std::string& text) {
    return modInternet::PercentEncode(Utf8ToAnsi(text));
}

// The service's word for an accepted submission, in a 2xx reply proven whole only: an error page
// or a reply cut short may hold the word by chance.
bool Accepted(const modInternet::HttpResult& reply, std::initializer_list<const char*> words) {
    if (!reply.WholeSuccess())
        return false;
    for (const char* word : words)
        if (TextRules::Contains(reply.Body, word, Compare::Text))
            return true;
    return false;
}

// The start of a reply, as text a box can show.
std::string ReplyExcerpt(const std::string& body) {
    std::string text = AnsiToUtf8(body);
    // A NUL would end the box's text there.
    std::erase(text, '\0');
    if (TextRules::CharacterCount(text) <= kReplyShown)
        return text;
    return TextRules::LeftCharacters(text, kReplyShown) + "...";
}

} // namespace

Submissions& MainSubmissions() {
    static Submissions submissions(MainWindow());
    return submissions;
}

Submissions::Submissions(FrmMain& form)
    : RunningProcesses(ModMemoryItemsInspected::ListRunningProcessesWMI), form_(form) {}

void Submissions::Connect() {
    form_.cmdFalsePos.Click = [this] { cmdFalsePos_Click(); };
    form_.cmdSubmit.Click = [this] { cmdSubmit_Click(); };
    form_.Command2.Click = [this] { Command2_Click(); };
    form_.txtFilename.KeyPress = [this](int& keyAscii) { txtFilename_KeyPress(keyAscii); };
    form_.Links.SendProcessData = [this] { SendProcessData(); };
}

modInternet::HttpResult Submissions::Send(const std::string& pathAndQuery) const {
    // A close ends the request in hand at once.
    BusyState::Operation busy(modInternet::CancelRequest);
    return modInternet::HttpGet(UpdateSources::DefinitionsService() + pathAndQuery, Limits);
}

void Submissions::cmdFalsePos_Click() {
    // The rows a scan or a removal is changing are no report; and Exclude would not run.
    if (BusyState::IsBusy())
        return;
    std::optional<BusyState::Operation> busy(std::in_place);
    std::string listed, files;
    const ui::ListView& results = form_.lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    for (const ui::ListItem& row : results.Items()) {
        if (!row.Checked)
            continue;
        listed += row.SubItem(1) + "\r\n";
        files += row.SubItem(1) + "|";
    }
    // A close asked for meanwhile ends the report where it is: the program is ending.
    if (ui::MsgBox(Lang.getMessages("MSG_FALSE_POS") + "\r\n\r\n" + listed, MB_OKCANCEL) != IDOK ||
        BusyState::StopRequested())
        return;
    const std::string details = ui::InputBox(Lang.getMessages("MSG_FALSE_POS2"));
    if (BusyState::StopRequested())
        return;
    if (TextRules::Trim(details).empty()) {
        ui::MsgBox(Lang.getMessages("MSG_FALSE_POS3"), MB_OK);
        return;
    }
    // The explanation goes as typed, blanks at its ends included.
    const modInternet::HttpResult reply =
        Send("/asp/submitFP.asp?files=" + QueryValue(files) + "&details=" + QueryValue(details));
    if (BusyState::StopRequested())
        return;
    if (!Accepted(reply, {"OK"})) {
        ui::MsgBox(Lang.getMessages("MSG_FALSE_POS5") + "\r\n\r\n" + ReplyExcerpt(reply.Body),
                   MB_OK);
        return;
    }
    if (ui::MsgBox(Lang.getMessages("MSG_FALSE_POS4"), MB_YESNO) != IDYES)
        return;
    // Exclude asks its own question and, like every command of the page, runs only when idle.
    busy.reset();
    RunLink(form_.cmdExclude.Click);
}

void Submissions::cmdSubmit_Click() {
    // A second click or Enter while a request runs sends nothing twice; nor does one during a
    // scan, a removal or an update.
    if (BusyState::IsBusy())
        return;
    const std::string name = form_.txtFilename.Text();
    // An empty box still goes: the value is then the bar alone.
    const modInternet::HttpResult reply =
        Send("/asp/getData.asp?data=" +
             modInternet::PercentEncode(modLockdown::ScrambleString(Utf8ToAnsi(name)) + "|"));
    const std::string results = Lang.getMessages("MSG_RESULTS");
    if (Accepted(reply, {"Skipped", "Added"}))
        form_.Label26.Caption = results + " " + name + " " + Lang.getMessages("MSG_RESULTS_THANK");
    else
        form_.Label26.Caption = results + " " + Lang.getMessages("MSG_PROBLEM") + " " + name +
                                ".  " + Lang.getMessages("MSG_PROBLEM2");
    form_.txtFilename.SetText("");
}

void Submissions::Command2_Click() {
    const std::string path = ui::ShowOpenFileDialog(form_.Handle());
    // A cancelled dialog chose nothing: the box keeps what it holds.
    if (path.empty())
        return;
    const size_t slash = path.rfind('\\');
    form_.txtFilename.SetText(slash == std::string::npos ? path : path.substr(slash + 1));
}

void Submissions::txtFilename_KeyPress(int& keyAscii) {
    if (keyAscii == kEnter)
        cmdSubmit_Click();
}

void Submissions::SendProcessData() {
    const std::string processes = RunningProcesses ? RunningProcesses() : std::string();
    if (processes.empty())
        return;
    Send("/asp/getData.asp?data=" + modInternet::PercentEncode(processes));
}
