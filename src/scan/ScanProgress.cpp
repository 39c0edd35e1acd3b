#include "ScanProgress.h"

#include "TextRules.h"
#include "modGlobals.h"

namespace {

constexpr int kRefreshEvery = 25;

// Applied in this order, each to the previous result.
constexpr const char* kFilteredWords[] = {
    "fuck",   "shit",   "asshole", "cock",  "slut", "whore",   "blowjob", "anal",    "bastard",
    "fuck",   "fag",    "cum",     "pussy", "suck", "lesbian", "faggot",  "dick",    "bitch",
    "pecker", "nigger", "kike",    "kyke",  "cunt", "tits",    "titty",   "titties", "boob",
    "clit",   "spic",   "fart",    "piss",  "butt", "boner",   "racist",  "douche",  "beaver",
    "dike",   "jap",    "wop",     "sex",   "porn", "incest",
};
static_assert(sizeof(kFilteredWords) / sizeof(kFilteredWords[0]) == 42);

void ShowCounters(ScanProgressDisplay& display) {
    display.lblMemoryInspected.Caption = std::to_string(modGlobals::ProcessesInspected);
    display.lblRegistryInspected.Caption = std::to_string(modGlobals::RegistryItemsInspected);
    display.lblFilesFolderInspected.Caption = std::to_string(modGlobals::FilesFoldersInspected);
    display.lblSoftwareFound.Caption = std::to_string(modGlobals::ItemsFound);
}

void Show(const std::string& status, int section, int overall) {
    ScanProgressDisplay& display = ScanDisplay();
    ShowCounters(display);
    display.lblStatus.Caption = FilterWords(status);
    display.lblRemovePicSoftwareFound.Caption = std::to_string(modGlobals::ItemsFound);
    if (section >= 0)
        display.pb1.SetValue(section);
    if (overall >= 0)
        display.pb2.SetValue(overall);
}

} // namespace

ScanProgressDisplay& ScanDisplay() {
    static ScanProgressDisplay display;
    return display;
}

void UpdateScanProgress(const std::string& status, int section, int overall) {
    if (++ProgressRefreshCount < kRefreshEvery)
        return;
    Show(status, section, overall);
    ProgressRefreshCount = 0;
}

void UpdateScanProgressNow(const std::string& status, int section, int overall) {
    Show(status, section, overall);
}

void RefreshScanCounters() {
    ScanProgressDisplay& display = ScanDisplay();
    ShowCounters(display);
    display.lblRemovePicSoftwareFound.Caption = std::to_string(modGlobals::ItemsFound);
    ProgressRefreshCount = 0;
}

std::string FilterWords(const std::string& text) {
    std::string result = text;
    for (const char* word : kFilteredWords)
        result = TextRules::Replace(result, word, "", TextRules::Compare::Text);
    return result;
}
