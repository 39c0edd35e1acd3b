// The language file "Localization.txt": UTF-8 text with CR LF line ends holding one group per
// language. Tags are found without regard to letter case; the file is not parsed as XML.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace LanguageFile {

inline constexpr const char* kFileName = "Localization.txt";
// The largest language file the program reads or stores. A few languages of a few hundred
// items take some tens of kilobytes; a larger file is damaged or not a language file, and
// reading it would hold up start-up.
inline constexpr size_t kMaxFileSize = size_t{1} << 20;

// The folder that holds the file: the program folder, or the one a test set. An empty folder
// restores the program folder.
void SetFolder(std::string folder);
std::string Folder();
// Folder() & "\Localization.txt".
std::string FilePath();

struct Group {
    std::string Name;
    // The text between the group's first "<TRANSLATION_ITEMS>" and "</TRANSLATION_ITEMS>";
    // nothing when either tag is missing.
    std::optional<std::string> Items;
};

// The groups in file order. A group without its closing "</LANGUAGE_GROUP>" ends the walk, so
// a cut-off file can never make the walk start over.
std::vector<Group> Groups(std::string_view text);
// The items of the first group whose name equals language without regard to case; nothing
// when no usable group of that name exists.
std::optional<std::string> FindItems(std::string_view text, std::string_view language);
// True when the text holds at least one whole group with a name and its items.
bool HasCompleteGroup(std::string_view text);

// The whole file, bytes as stored; nothing when it cannot be read or holds more than
// kMaxFileSize bytes.
std::optional<std::string> Read(const std::string& path);
// True when the file exists and holds more than kMaxFileSize bytes, so Read refuses it.
bool TooLarge(const std::string& path);

// The writer's first nine lines, each ended by CR LF.
std::string Header();
// TAB TAB "<KEY>" text "</KEY>" CR LF, the key upper-cased.
std::string ItemLine(const std::string& key, const std::string& text);
// The closing lines after the items.
std::string Footer();

} // namespace LanguageFile
