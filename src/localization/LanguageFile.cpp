#include "LanguageFile.h"

#include "AnsiText.h"
#include "TextRules.h"
#include "VersionInfo.h"

#include <windows.h>

using TextRules::Compare;

namespace LanguageFile {

namespace {

std::string& FolderOverride() {
    static std::string folder;
    return folder;
}

constexpr std::string_view kGroupOpen = "<LANGUAGE_GROUP";
constexpr std::string_view kGroupClose = "</LANGUAGE_GROUP>";

// The text between the first open tag and the first close tag after it; nothing when either
// is missing.
std::optional<std::string> Between(std::string_view text, std::string_view open,
                                   std::string_view close) {
    const size_t start = TextRules::Find(text, open, 0, Compare::Text);
    if (start == std::string_view::npos)
        return std::nullopt;
    const size_t from = start + open.size();
    const size_t end = TextRules::Find(text, close, from, Compare::Text);
    if (end == std::string_view::npos)
        return std::nullopt;
    return std::string(text.substr(from, end - from));
}

} // namespace

void SetFolder(std::string folder) {
    FolderOverride() = std::move(folder);
}

std::string Folder() {
    if (!FolderOverride().empty())
        return FolderOverride();
    const std::string exe = OwnExecutablePath();
    const size_t slash = exe.rfind('\\');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

std::string FilePath() {
    return Folder() + "\\" + kFileName;
}

std::vector<Group> Groups(std::string_view text) {
    std::vector<Group> groups;
    size_t position = 0;
    for (;;) {
        const size_t start = TextRules::Find(text, kGroupOpen, position, Compare::Text);
        if (start == std::string_view::npos)
            break;
        const size_t end = TextRules::Find(text, kGroupClose, start, Compare::Text);
        if (end == std::string_view::npos)
            break;
        const std::string_view group = text.substr(start, end - start);
        groups.push_back({Between(group, "<LANGUAGE_NAME>", "</LANGUAGE_NAME>").value_or(""),
                          Between(group, "<TRANSLATION_ITEMS>", "</TRANSLATION_ITEMS>")});
        position = end + kGroupClose.size();
    }
    return groups;
}

std::optional<std::string> FindItems(std::string_view text, std::string_view language) {
    for (Group& group : Groups(text)) {
        if (group.Items && TextRules::EqualsNoCase(group.Name, language))
            return std::move(group.Items);
    }
    return std::nullopt;
}

bool HasCompleteGroup(std::string_view text) {
    for (const Group& group : Groups(text)) {
        if (group.Items && !group.Name.empty())
            return true;
    }
    return false;
}

std::optional<std::string> Read(const std::string& path) {
    HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    LARGE_INTEGER size{};
    std::string content;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart <= LONGLONG{kMaxFileSize};
    if (ok)
        content.reserve(static_cast<size_t>(size.QuadPart));
    char buffer[65536];
    DWORD got = 0;
    // A file that grows while it is read is bounded all the same.
    while (ok && (ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != FALSE) && got > 0)
        ok = (content.append(buffer, got).size() <= kMaxFileSize);
    CloseHandle(file);
    if (!ok)
        return std::nullopt;
    return content;
}

bool TooLarge(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    const unsigned long long size =
        (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return size > kMaxFileSize;
}

std::string Header() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
           "<XML_DIZ_INFO>\r\n"
           "\t<LOCALIZATION_FILE_INFO>\r\n"
           "\t\t<LOCALIZATION_FILE_VERSION>1.0</LOCALIZATION_FILE_VERSION>\r\n"
           "\t</LOCALIZATION_FILE_INFO>\r\n"
           "<LANGUAGE_GROUP xml:lang=\"en\">\r\n"
           "\t<LANGUAGE_NAME>English</LANGUAGE_NAME>\r\n"
           "\t<DESCRIPTION>This file contains various translations of program buttons, messages "
           "and menus in XML format.  The original document was created using translation "
           "software, and may sound strange when read by people.  We invite you to make "
           "modifications to existing languages and translate new languages.  Please send them "
           "to us so that we can update this file and make your translation available to all "
           "users.  Our current email address is located on our homepage which can be visited "
           "through the software or our program folder on your Start Menu.  Before making "
           "changes to a localization file please use the program to download the most recent "
           "localization file using the 'Check for Language Updates' button in the Languages "
           "window.</DESCRIPTION>\r\n"
           "\t<TRANSLATION_ITEMS>\r\n";
}

std::string ItemLine(const std::string& key, const std::string& text) {
    const std::string upper = TextRules::ToUpper(key);
    return "\t\t<" + upper + ">" + text + "</" + upper + ">\r\n";
}

std::string Footer() {
    return "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n</XML_DIZ_INFO>\r\n";
}

} // namespace LanguageFile
