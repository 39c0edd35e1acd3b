#include "X86View.h"

#include "AnsiText.h"
#include "TextRules.h"

#include <windows.h>
#include <shlobj.h>

namespace X86View {

namespace {

// Folders below the system folder that the system's redirection does not send a 32-bit program
// away from: they hold data both kinds of program share.
constexpr const char* kExemptFolders[] = {
    "catroot", "catroot2", "driverstore", "drivers\\etc", "logfiles", "spool",
};

struct SystemFolders {
    std::string native;    // the system's own system folder ("System32")
    std::string x86;       // the x86 system folder ("SysWOW64")
    std::string sysnative; // a 32-bit program's name for the native one
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

const SystemFolders& Folders() {
    static const SystemFolders folders = [] {
        SystemFolders found;
        wchar_t buffer[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
        if (length > 0 && length < MAX_PATH)
            found.native = WithoutTrailingBackslash(WideToUtf8(std::wstring_view(buffer, length)));
        if (ProcessIs64Bit())
            found.x86 = X86SystemFolder();
        const size_t slash = found.native.rfind('\\');
        if (slash != std::string::npos)
            found.sysnative = found.native.substr(0, slash) + "\\Sysnative";
        return found;
    }();
    return folders;
}

// The rest of `path` after `folder` ("" for the folder itself, else starting with "\"), when
// the path is the folder or lies below it; compared without regard to case.
bool Below(const std::string& path, const std::string& folder, std::string& rest) {
    if (folder.empty() || path.size() < folder.size() ||
        !TextRules::StartsWith(path, folder, TextRules::Compare::Text))
        return false;
    rest = path.substr(folder.size());
    return rest.empty() || rest[0] == '\\';
}

bool IsExempt(const std::string& rest) {
    for (const char* exempt : kExemptFolders) {
        std::string below;
        if (Below(rest.substr(1), exempt, below))
            return true;
    }
    return false;
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
    case CSIDL_SYSTEM:
        return CSIDL_SYSTEMX86;
    default:
        return csidl;
    }
}

std::string NativeSystemFolder() {
    return Folders().native;
}

std::string SystemFolder() {
    return ProcessIs64Bit() ? Folders().x86 : Folders().native;
}

std::string RedirectedPath(const std::string& path) {
    if (!ProcessIs64Bit())
        return path;
    const SystemFolders& folders = Folders();
    if (folders.x86.empty())
        return path;
    std::string rest;
    if (Below(path, folders.native, rest))
        return !rest.empty() && IsExempt(rest) ? path : folders.x86 + rest;
    if (Below(path, folders.sysnative, rest))
        return folders.native + rest;
    return path;
}

} // namespace X86View
