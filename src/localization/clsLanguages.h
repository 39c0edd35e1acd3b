// The message catalog: every message the program shows is looked up here by its identifier,
// and the loaded language's item lines give the captions of controls.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace ui {
class Form;
}

struct MessageEntry {
    std::string id;
    std::string text; // may hold "[ProgramName]", "[CompanyName]" and "[Website]"
    bool used = false;
};

class clsLanguages {
  public:
    // 201 slots (0..200), filled from 0 upward and never emptied.
    static constexpr size_t kMessageSlots = 201;
    using MessageTable = std::array<MessageEntry, kMessageSlots>;

    // The current language's translation item lines, in file order; nothing until a language
    // has been loaded once, which is not the same as a loaded language without lines.
    const std::optional<std::vector<std::string>>& TranslationLines() const { return lines_; }
    // Takes a language's item lines and indexes their keys once, so that applying a language
    // looks each control up directly instead of walking every line for it.
    void SetTranslationLines(std::vector<std::string> lines);

    // Stores the entry in the lowest free slot; a full table ignores it. An id stored twice
    // keeps both entries, and lookups find the first.
    void setMessage(const std::string& id, const std::string& text);
    // The text of an identifier (any letter case), macros replaced and its first character
    // upper-cased; empty for an unknown identifier.
    std::string getMessages(const std::string& id) const;
    // The current language's text of an item key (any letter case), macros replaced and its
    // first character upper-cased; empty when the key is absent or its closing tag missing.
    std::string getCaption(const std::string& key) const;

    const MessageTable& Messages() const { return messages_; }

    // Fills TranslationLines with the items of the first group named language (any case) in
    // the language file; they stay as they were when the file or the group is missing.
    // CurrentLanguage becomes language either way.
    void LoadLanguageGroup(const std::string& language);
    // Loads the language (falling back to "English" when no items, or a single line, were
    // loaded) and gives the window's controls, its caption and the message table the texts it
    // has keys for; whatever it lacks keeps its text.
    void ChangeLanguage(ui::Form& window, const std::string& language);
    // The same for a multiple-document parent window.
    void ChangeLanguageMDI(ui::Form& window, const std::string& language);
    // Lists nothing: the language window reads the names itself.
    void ListLanguages() const {}
    // Whether a normal, read-only, hidden or system file of that name exists at path.
    static bool LangFileExists(const std::string& path);
    // The part of path after its last "\".
    static std::string LangTrimPath(std::string path);
    // Writes a language file with one "English" group holding the current texts of every
    // window modLanguages::LoadAllForms gives and of the used message slots.
    void makeLocalizationFile();

  private:
    MessageTable messages_;
    std::optional<std::vector<std::string>> lines_;
    // Each key, upper-cased, to the first of lines_ that holds it.
    std::unordered_map<std::string, size_t> lineOfKey_;
};

// The one catalog of the program; start-up fills it before anything looks a message up.
inline clsLanguages Lang;
// The name of the language last asked for; start-up sets it from the stored "Language".
inline std::string CurrentLanguage;
