#include "xfileExists.h"

#include "AnsiText.h"
#include "TextRules.h"

#include <windows.h>

namespace xfileExists {

bool FileExists(const std::string& path) {
    if (path.empty())
        return false;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Utf8ToWide(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    // A wildcard pattern never equals the name it matched, so it never counts as a file.
    FindClose(search);
    constexpr DWORD kNotNormal =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    if (found.dwFileAttributes & kNotNormal)
        return false;
    return TextRules::EqualsNoCase(WideToUtf8(found.cFileName), FileNamePart(path));
}

bool FolderExists(const std::string& path) {
    if (path.empty())
        return false;
    const DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string FileNamePart(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string GetFileExtension(const std::string& path) {
    for (size_t i = path.size(); i-- > 0;) {
        const char c = path[i];
        if (c == '.')
            return TextRules::ToLower(TextRules::Trim(path.substr(i + 1)));
        if (c == ':' || c == '\\')
            break;
    }
    return {};
}

bool ReplaceFileContent(const std::string& path, std::string_view content) {
    const std::wstring target = Utf8ToWide(path);
    const std::wstring fresh = target + L".new";
    HANDLE file = CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool whole =
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
        written == content.size() && FlushFileBuffers(file);
    CloseHandle(file);
    if (whole && MoveFileExW(fresh.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(fresh.c_str());
    return false;
}

} // namespace xfileExists
