#include "TempFolder.h"

#include "AnsiText.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

void RemoveFolderTree(const std::wstring& folder) {
    // An empty text or a drive would name a whole drive: never.
    if (folder.size() <= 3)
        return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = folder + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            // A linked folder is unlinked, never entered: its content is not the test's.
            if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                RemoveDirectoryW(child.c_str());
            else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolderTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"tidewater-test-" +
                                std::to_wstring(GetCurrentProcessId()) + L"-" +
                                std::to_wstring(++counter);
    RemoveFolderTree(folder);
    EXPECT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    path_ = WideToUtf8(folder);
}

TempFolder::~TempFolder() {
    RemoveFolderTree(Utf8ToWide(path_));
}

std::string TempFolder::MakeFolder(const std::string& relative) const {
    std::string path = path_;
    size_t start = 0;
    while (start <= relative.size()) {
        const size_t slash = relative.find('\\', start);
        const std::string part =
            relative.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        path += "\\" + part;
        CreateDirectoryW(Utf8ToWide(path).c_str(), nullptr);
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return path;
}

std::string TempFolder::WriteFile(const std::string& relative, const std::string& content,
                                  unsigned long attributes) const {
    const size_t slash = relative.rfind('\\');
    if (slash != std::string::npos)
        MakeFolder(relative.substr(0, slash));
    const std::string path = *this / relative;
    const std::wstring wide = Utf8ToWide(path);
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    SetFileAttributesW(wide.c_str(), attributes);
    return path;
}

std::string ReadFileBytes(const std::string& path) {
    HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string content(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, content.data(), static_cast<DWORD>(content.size()), &read, nullptr);
    CloseHandle(file);
    content.resize(read);
    return content;
}

bool PathExists(const std::string& path) {
    return GetFileAttributesW(Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}
