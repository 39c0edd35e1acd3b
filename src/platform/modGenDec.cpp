#include "modGenDec.h"

#include "AnsiText.h"
#include "TextRules.h"
#include "X86View.h"

#include <windows.h>
#include <shlobj.h>

#include <map>
#include <unordered_map>

namespace modGenDec {

namespace {

using TextRules::Compare;

struct PathMacro {
    const char* token;
    int csidl;
    Compare compare;
    bool profileFolder; // the value is the start menu folder with "\Start Menu" cut out
};

// The order matters: "[comstar]" and "[appdata]" appear twice and only their first rows act.
constexpr PathMacro kPathMacros[] = {
    {"[startsp]", CSIDL_ALTSTARTUP, Compare::Text, false},
    {"[appdata]", CSIDL_APPDATA, Compare::Text, false},
    {"[recycle]", CSIDL_BITBUCKET, Compare::Text, false},
    {"[comstar]", CSIDL_COMMON_ALTSTARTUP, Compare::Text, false},
    {"[comapp]", CSIDL_COMMON_APPDATA, Compare::Text, false},
    {"[desktop]", CSIDL_COMMON_DESKTOPDIRECTORY, Compare::Text, false},
    {"[comdocs]", CSIDL_COMMON_DOCUMENTS, Compare::Text, false},
    {"[comfav]", CSIDL_COMMON_FAVORITES, Compare::Text, false},
    {"[comprog]", CSIDL_COMMON_PROGRAMS, Compare::Text, false},
    {"[comstam]", CSIDL_COMMON_STARTMENU, Compare::Text, false},
    {"[comstar]", CSIDL_COMMON_STARTUP, Compare::Text, false},
    {"[comtemp]", CSIDL_COMMON_TEMPLATES, Compare::Text, false},
    {"[cookies]", CSIDL_COOKIES, Compare::Text, false},
    {"[comdesk]", CSIDL_DESKTOPDIRECTORY, Compare::Text, false},
    {"[favorit]", CSIDL_FAVORITES, Compare::Text, false},
    {"[fonts]", CSIDL_FONTS, Compare::Text, false},
    {"[history]", CSIDL_HISTORY, Compare::Text, false},
    {"[netcach]", CSIDL_INTERNET_CACHE, Compare::Text, false},
    {"[appdata]", CSIDL_LOCAL_APPDATA, Compare::Text, false},
    {"[progs]", CSIDL_PROGRAMS, Compare::Text, false},
    {"[progfil]", CSIDL_PROGRAM_FILES, Compare::Text, false},
    {"[comprogfil]", CSIDL_PROGRAM_FILES_COMMON, Compare::Text, false},
    {"[personl]", CSIDL_PERSONAL, Compare::Text, false},
    {"[recent]", CSIDL_RECENT, Compare::Text, false},
    {"[sendto]", CSIDL_SENDTO, Compare::Text, false},
    {"[startup]", CSIDL_STARTUP, Compare::Text, false},
    {"[strtmnu]", CSIDL_STARTMENU, Compare::Text, false},
    {"[system]", CSIDL_SYSTEM, Compare::Text, false},
    {"[templat]", CSIDL_TEMPLATES, Compare::Text, false},
    {"[windir]", CSIDL_WINDOWS, Compare::Text, false},
    {"[user]", CSIDL_STARTMENU, Compare::Binary, true},
    {"[alluser]", CSIDL_COMMON_STARTMENU, Compare::Binary, true},
};
static_assert(sizeof(kPathMacros) / sizeof(kPathMacros[0]) == 32);

std::string WithTrailingBackslash(std::string path) {
    if (!TextRules::EndsWith(path, "\\"))
        path += '\\';
    return path;
}

// The folder a 32-bit program gets: the definitions name the folders it saw.
std::optional<std::string> SystemSpecialFolder(int csidl) {
    wchar_t buffer[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, buffer, X86View::FolderCsidl(csidl), FALSE) ||
        buffer[0] == L'\0')
        return std::nullopt;
    return WideToUtf8(buffer);
}

SpecialFolderLookup& Lookup() {
    static SpecialFolderLookup lookup = SystemSpecialFolder;
    return lookup;
}

// Folder paths do not change while the program runs; a scan expands tens of thousands of
// definition lines, so each folder is asked for once.
std::map<int, std::optional<std::string>>& Cache() {
    static std::map<int, std::optional<std::string>> cache;
    return cache;
}

const std::optional<std::string>& CachedFolder(int csidl) {
    auto& cache = Cache();
    auto found = cache.find(csidl);
    if (found == cache.end()) {
        std::optional<std::string> path = Lookup()(csidl);
        if (path)
            path = WithTrailingBackslash(*path);
        found = cache.emplace(csidl, std::move(path)).first;
    }
    return found->second;
}

// The 32 replacements, one token after the other; `missingToken` is the first token whose
// folder this system lacks, or null.
struct Expansion {
    std::string text;
    const char* missingToken = nullptr;
};

Expansion ExpandTokens(std::string_view text) {
    Expansion expansion{std::string(text)};
    for (const PathMacro& macro : kPathMacros) {
        if (!TextRules::Contains(expansion.text, macro.token, macro.compare))
            continue;
        const std::optional<std::string>& folder = CachedFolder(macro.csidl);
        std::string value;
        if (folder) {
            value = macro.profileFolder
                        ? TextRules::Replace(*folder, "\\Start Menu", "", Compare::Text)
                        : *folder;
        } else if (!expansion.missingToken) {
            expansion.missingToken = macro.token;
        }
        expansion.text = TextRules::Replace(expansion.text, macro.token, value, macro.compare);
    }
    return expansion;
}

struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};
using ExpansionCache = std::unordered_map<std::string, Expansion, TextHash, std::equal_to<>>;

// Every token ends in "]", so only the text up to the last "]" can hold one, and the rest stays
// as it is. The definition and safety files have a hundred thousand lines each but few distinct
// such parts, so each part's expansion is kept. Only so many are kept: the registry definitions
// give a different part on nearly every line.
constexpr size_t kKeptExpansions = 4096;

ExpansionCache& Expansions() {
    static ExpansionCache expansions;
    return expansions;
}

} // namespace

void SetSpecialFolderLookup(SpecialFolderLookup lookup) {
    Lookup() = lookup ? std::move(lookup) : SpecialFolderLookup(SystemSpecialFolder);
    Cache().clear();
    Expansions().clear();
}

const std::string& ExpandPathMacros(std::string& text, std::string* missingToken) {
    if (missingToken)
        missingToken->clear();
    const size_t end = text.rfind(']');
    if (end == std::string::npos)
        return text;
    const std::string_view part(text.data(), end + 1);
    ExpansionCache& expansions = Expansions();
    auto found = expansions.find(part);
    if (found == expansions.end()) {
        Expansion expansion = ExpandTokens(part);
        if (expansions.size() >= kKeptExpansions) {
            if (missingToken && expansion.missingToken)
                *missingToken = expansion.missingToken;
            text.replace(0, end + 1, expansion.text);
            return text;
        }
        found = expansions.emplace(std::string(part), std::move(expansion)).first;
    }
    if (missingToken && found->second.missingToken)
        *missingToken = found->second.missingToken;
    text.replace(0, end + 1, found->second.text);
    return text;
}

void CollapseDoubleBackslashes(std::string& path) {
    if (path.find("\\\\") != std::string::npos)
        path = TextRules::Replace(path, "\\\\", "\\");
}

std::string GetSpecialFolderPath(int csidl) {
    return CachedFolder(csidl).value_or(std::string());
}

std::string GetSpecialFolderByLocation(int csidl) {
    PIDLIST_ABSOLUTE items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(GetDesktopWindow(), csidl, &items)) || items == nullptr)
        return {};
    wchar_t buffer[MAX_PATH] = {};
    const BOOL found = SHGetPathFromIDListW(items, buffer);
    CoTaskMemFree(items);
    if (!found || buffer[0] == L'\0')
        return {};
    return WithTrailingBackslash(WideToUtf8(buffer));
}

std::string GetSystemDriveRoot() {
    const std::string programs = GetSpecialFolderByLocation(CSIDL_PROGRAMS);
    return programs.size() >= 3 ? programs.substr(0, 3) : std::string();
}

std::string GetSystemDirectoryText() {
    // The system's own answer in either build: a 32-bit program's GetSystemDirectory also names
    // "System32", and the redirection happens where the name is used.
    return X86View::NativeSystemFolder();
}

std::string GetSystemDir() {
    const std::string folder = GetSystemDirectoryText();
    return folder.empty() ? folder : WithTrailingBackslash(folder);
}

} // namespace modGenDec
