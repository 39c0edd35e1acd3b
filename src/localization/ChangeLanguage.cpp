// Applying a language from the language file to a window and to the message table, and writing
// the English file from the windows' current texts.
#include "AnsiText.h"
#include "ControlKeys.h"
#include "Form.h"
#include "LanguageFile.h"
#include "TextRules.h"
#include "clsLanguages.h"
#include "modLanguages.h"
#include "xfileExists.h"

#include <windows.h>

namespace {

// The caption a key gives a text, when the language has one.
void Apply(const clsLanguages& lang, const std::string& key, std::string& text) {
    std::string translated = lang.getCaption(key);
    if (!translated.empty())
        text = std::move(translated);
}

} // namespace

void clsLanguages::LoadLanguageGroup(const std::string& language) {
    CurrentLanguage = language;
    const std::string path = LanguageFile::FilePath();
    if (!LangFileExists(path))
        return;
    const std::optional<std::string> text = LanguageFile::Read(path);
    if (!text)
        return;
    if (std::optional<std::string> items = LanguageFile::FindItems(*text, language))
        SetTranslationLines(TextRules::Split(*items, "\r\n"));
}

void clsLanguages::ChangeLanguage(ui::Form& window, const std::string& language) {
    LoadLanguageGroup(language);
    if (!lines_ || lines_->size() == 1)
        LoadLanguageGroup("English");
    for (const ControlKeys::KeyedText& keyed : ControlKeys::KeyedTexts(window)) {
        std::string translated = getCaption(keyed.Key);
        if (translated.empty() && !keyed.OlderKey.empty())
            translated = getCaption(keyed.OlderKey);
        if (!translated.empty())
            *keyed.Text = std::move(translated);
    }
    Apply(*this, TextRules::ToUpper(window.Name) + "_CAPTION", window.Caption);
    for (MessageEntry& entry : messages_) {
        if (entry.used)
            Apply(*this, entry.id, entry.text);
    }
    if (window.Loaded())
        window.Refresh();
}

void clsLanguages::ChangeLanguageMDI(ui::Form& window, const std::string& language) {
    // Controls are typed by their model, so a parent window's controls are found the same way.
    ChangeLanguage(window, language);
}

bool clsLanguages::LangFileExists(const std::string& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Utf8ToWide(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return false;
    return TextRules::EqualsNoCase(WideToUtf8(found.cFileName), LangTrimPath(path));
}

std::string clsLanguages::LangTrimPath(std::string path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void clsLanguages::makeLocalizationFile() {
    std::string content = LanguageFile::Header();
    for (ui::Form* window : modLanguages::LoadAllForms()) {
        for (const ControlKeys::KeyedText& keyed : ControlKeys::KeyedTexts(*window))
            content += LanguageFile::ItemLine(keyed.Key, *keyed.Text);
        content += LanguageFile::ItemLine(window->Name + "_CAPTION", window->Caption);
    }
    for (const MessageEntry& entry : messages_) {
        if (!entry.used)
            break;
        content += LanguageFile::ItemLine(entry.id, entry.text);
    }
    content += LanguageFile::Footer();
    xfileExists::ReplaceFileContent(LanguageFile::FilePath(), content);
}
