#include "AppPath.h"

#include "AnsiText.h"
#include "MScanFolder.h"
#include "TextRules.h"
#include "VersionInfo.h"

#include <windows.h>

namespace AppPath {

std::string Path() {
    std::string folder = MScanFolder::ParentPath(OwnExecutablePath());
    if (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

std::string ExeName() {
    std::string name = MScanFolder::LastPathPart(OwnExecutablePath());
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool PrevInstance() {
    // A mutex named after the executable lives as long as the first copy does.
    static const bool running = [] {
        const std::wstring name = L"Local\\" + Utf8ToWide(TextRules::ToLower(ExeName()));
        CreateMutexW(nullptr, FALSE, name.c_str());
        return GetLastError() == ERROR_ALREADY_EXISTS;
    }();
    return running;
}

} // namespace AppPath
