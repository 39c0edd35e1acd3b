// Applying a language from the language file to a window and to the message table, and writing
// the English file from the windows' current texts.
#include "AnsiText.h"
#include "Controls.h"
#include "Form.h"
#include "LanguageFile.h"
#include "TextRules.h"
#include "clsLanguages.h"
#include "modLanguages.h"
#include "xfileExists.h"

#include <windows.h>

namespace {

std::string Key(const ui::Form& window, const ui::Control& control) {
    return window.Name + "_" + control.Name;
}

std::string IndexedKey(const ui::Form& window, const ui::Control& control) {
    return Key(window, control) + std::to_string(control.Index < 0 ? 0 : control.Index);
}

// The caption a key gives a text, when the language has one.
void Apply(const clsLanguages& lang, const std::string& key, std::string& text) {
    std::string translated = lang.getCaption(key);
    if (!translated.empty())
        text = std::move(translated);
}

// Calls visit(key, text) for every text of the control the language file keys: the caption of
// a label, button, frame, check box, option button or menu, each tab, each column header.
template <class Visit> void ForEachText(const ui::Form& window, ui::Control& control, Visit visit) {
    if (auto* label = dynamic_cast<ui::Label*>(&control))
        visit(Key(window, control), label->Caption);
    else if (auto* button = dynamic_cast<ui::Button*>(&control))
        visit(Key(window, control), button->Caption);
    else if (auto* frame = dynamic_cast<ui::Frame*>(&control))
        visit(Key(window, control), frame->Caption);
    else if (auto* check = dynamic_cast<ui::CheckBox*>(&control))
        visit(Key(window, control), check->Caption);
    else if (auto* option = dynamic_cast<ui::OptionButton*>(&control))
        visit(IndexedKey(window, control), option->Caption);
    else if (auto* menu = dynamic_cast<ui::Menu*>(&control))
        visit(IndexedKey(window, control), menu->Caption);
    else if (auto* tabs = dynamic_cast<ui::TabStrip*>(&control)) {
        for (size_t tab = 0; tab < tabs->Tabs.size(); ++tab)
            visit(Key(window, control) + "_TABS" + std::to_string(tab + 1), tabs->Tabs[tab]);
    } else if (auto* list = dynamic_cast<ui::ListView*>(&control)) {
        for (size_t column = 0; column < list->ColumnHeaders.size(); ++column)
            visit(Key(window, control) + "_COL" + std::to_string(column + 1),
                  list->ColumnHeaders[column].Text);
    }
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
        TranslationLines = TextRules::Split(*items, "\r\n");
}

void clsLanguages::ChangeLanguage(ui::Form& window, const std::string& language) {
    LoadLanguageGroup(language);
    if (!TranslationLines || TranslationLines->size() == 1)
        LoadLanguageGroup("English");
    for (ui::Control* control : window.Controls())
        ForEachText(window, *control,
                    [this](const std::string& key, std::string& text) { Apply(*this, key, text); });
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
        for (ui::Control* control : window->Controls())
            ForEachText(*window, *control, [&content](const std::string& key, std::string& text) {
                content += LanguageFile::ItemLine(key, text);
            });
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
