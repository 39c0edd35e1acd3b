#include "X86View.h"

#include "AnsiText.h"
#include "ProcessControl.h"
#include "TextRules.h"
#include "modGenDec.h"

#include <windows.h>
#include <shlobj.h>

namespace X86View {

namespace {

constexpr std::string_view kSystem32 = "System32";
constexpr std::string_view kSysnative = "Sysnative";
constexpr std::string_view kLastGood = "lastgood";

struct SystemFolders {
    std::string windows; // the Windows folder
    std::string native;  // the system's own system folder ("System32")
    std::string x86;     // the x86 system folder ("SysWOW64"); empty unless redirected
    std::string x86Name; // the x86 system folder's own name
};

std::string WithoutTrailingBackslash(std::string path) {
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

// Asked only of a 64-bit system: older systems have no x86 folders.
std::string X86SystemFolder() {
    wchar_t buffer[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_SYSTEMX86, FALSE))
        return {};
    return WithoutTrailingBackslash(WideToUtf8(buffer));
}

// Looked up once: every definition and safety line is translated at every load.
const SystemFolders& Folders() {
    static const SystemFolders folders = [] {
        SystemFolders found;
        wchar_t buffer[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
        if (length > 0 && length < MAX_PATH)
            found.native = WithoutTrailingBackslash(WideToUtf8(std::wstring_view(buffer, length)));
        const size_t slash = found.native.rfind('\\');
        if (slash != std::string::npos)
            found.windows = found.native.substr(0, slash);
        if (ProcessIs64Bit() && !found.windows.empty())
            found.x86 = X86SystemFolder();
        found.x86Name = found.x86.substr(found.x86.rfind('\\') + 1);
        return found;
    }();
    return folders;
}

// True when `path` starts with the folder `name` (one part or more): the name, then the end or
// a "\"; without regard to case.
bool StartsWithPart(std::string_view path, std::string_view name) {
    return TextRules::StartsWith(path, name, TextRules::Compare::Text) &&
           (path.size() == name.size() || path[name.size()] == '\\');
}

// The folders below System32 that the redirection leaves alone: they hold what both kinds of
// program share. `below` is the path after "System32\".
bool IsExempt(std::string_view below) {
    for (const char* exempt : {"catroot", "catroot2", "drivers\\etc", "logfiles", "spool"})
        if (StartsWithPart(below, exempt))
            return true;
    if (!StartsWithPart(below, "driverstore"))
        return false;
    // Before Windows 7 the driver store was redirected with the rest.
    const ProcessControl::WindowsVersion version = ProcessControl::SystemVersion();
    return version.Major > 6 || (version.Major == 6 && version.Minor >= 1);
}

// Where the path leads below the Windows folder: the offset of the part after "<windows>\", or
// npos for a path elsewhere (or when nothing is redirected in this process).
size_t BelowWindows(std::string_view path, const SystemFolders& folders) {
    if (folders.x86.empty() ||
        !TextRules::StartsWith(path, folders.windows, TextRules::Compare::Text) ||
        path.size() <= folders.windows.size() + 1 || path[folders.windows.size()] != '\\')
        return std::string::npos;
    return folders.windows.size() + 1;
}

// Collapses the doubled backslashes of the path from `start`.
void CollapseFrom(std::string& path, size_t start) {
    if (start == 0) {
        modGenDec::CollapseDoubleBackslashes(path);
        return;
    }
    std::string rest = path.substr(start);
    modGenDec::CollapseDoubleBackslashes(rest);
    path.replace(start, std::string::npos, rest);
}

// True for a path into System32 that leads a 32-bit program into SysWOW64.
bool IntoRedirectedSystemFolder(std::string_view rest) {
    return StartsWithPart(rest, kSystem32) &&
           (rest.size() == kSystem32.size() || !IsExempt(rest.substr(kSystem32.size() + 1)));
}

// The redirection a 32-bit program's path underwent, applied in place to the path from `start`.
void Redirect(std::string& path, size_t start) {
    const SystemFolders& folders = Folders();
    size_t at = BelowWindows(std::string_view(path).substr(start), folders);
    if (at == std::string::npos)
        return;
    at += start;
    const std::string_view rest = std::string_view(path).substr(at);
    const size_t lastGoodSystem = kLastGood.size() + 1;
    if (IntoRedirectedSystemFolder(rest))
        path.replace(start, at - start + kSystem32.size(), folders.x86);
    else if (StartsWithPart(rest, kSysnative))
        path.replace(start, at - start + kSysnative.size(), folders.native);
    else if (rest.size() > lastGoodSystem && StartsWithPart(rest, kLastGood) &&
             StartsWithPart(rest.substr(lastGoodSystem), kSystem32))
        path.replace(at + lastGoodSystem, kSystem32.size(), folders.x86Name);
    else if (TextRules::EqualsNoCase(rest, "regedit.exe"))
        path.insert(at, folders.x86Name + "\\");
}

} // namespace

bool ProcessIs64Bit() {
    return sizeof(void*) == 8;
}

int FolderCsidl(int csidl) {
    if (!ProcessIs64Bit())
        return csidl;
    switch (csidl) {
    case CSIDL_PROGRAM_FILES:
        return CSIDL_PROGRAM_FILESX86;
    case CSIDL_PROGRAM_FILES_COMMON:
        return CSIDL_PROGRAM_FILES_COMMONX86;
    default:
        return csidl;
    }
}

std::string NativeSystemFolder() {
    return Folders().native;
}

bool TranslatePath(std::string& path, std::string_view fileName, std::string* missingToken) {
    std::string localToken;
    std::string& missing = missingToken ? *missingToken : localToken;
    modGenDec::ExpandPathMacros(path, &missing);
    // The prefix of a path past the usual length is no doubled backslash.
    constexpr std::string_view kLongPathPrefix = "\\\\?\\";
    const size_t start = TextRules::StartsWith(path, kLongPathPrefix) ? kLongPathPrefix.size() : 0;
    CollapseFrom(path, start);
    if (!fileName.empty()) {
        if (!path.empty())
            path += '\\';
        path += fileName;
        CollapseFrom(path, start);
    }
    // Without its folder the rest of the path leads nowhere a 32-bit program went.
    if (!missing.empty())
        return false;
    Redirect(path, start);
    return true;
}

std::string NameOfPlace(const std::string& place) {
    const SystemFolders& folders = Folders();
    const size_t at = BelowWindows(place, folders);
    if (at == std::string::npos || !IntoRedirectedSystemFolder(std::string_view(place).substr(at)))
        return place;
    return folders.windows + "\\" + std::string(kSysnative) + place.substr(at + kSystem32.size());
}

} // namespace X86View
