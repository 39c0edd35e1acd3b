// Fails when the tests could reach outside their own Wine prefix: a drive other than C:
// (Wine maps Z: to the host's root) or a profile folder that resolves outside the build folder.
#include "AnsiText.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using WineUnixName = char*(__cdecl*)(const wchar_t*);

// Where Wine keeps a Windows path on the host, or empty when not running under Wine.
std::string UnixPathOf(const std::wstring& windowsPath) {
    static const auto convert = reinterpret_cast<WineUnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert)
        return {};
    char* unixPath = convert(windowsPath.c_str());
    if (!unixPath)
        return {};
    std::string result = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

std::string SandboxDir() {
    const char* dir = std::getenv("SANDBOX_DIR");
    return dir ? dir : "";
}

TEST(SandboxGuard, OnlyDriveCIsVisible) {
    const DWORD drives = GetLogicalDrives();
    EXPECT_EQ(drives, 1u << ('C' - 'A')) << "drive mask " << std::hex << drives;
    EXPECT_EQ(GetDriveTypeW(L"Z:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
}

TEST(SandboxGuard, RunsInsideTheBuildFoldersPrefix) {
    if (!GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"))
        GTEST_SKIP() << "not running under Wine";
    const std::string sandbox = SandboxDir();
    ASSERT_FALSE(sandbox.empty()) << "SANDBOX_DIR is not set: not started by the sandbox wrapper";
    EXPECT_EQ(UnixPathOf(L"C:\\").rfind(sandbox + "/prefix/", 0), 0u) << UnixPathOf(L"C:\\");
    // The programs start from C: as they would on Windows, so they can find their own files.
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_EQ(std::wstring(exe).rfind(L"C:\\bin\\", 0), 0u) << WideToUtf8(exe);
}

TEST(SandboxGuard, ProfileFoldersAreRealFoldersInsideThePrefix) {
    if (!GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"))
        GTEST_SKIP() << "not running under Wine";
    const std::string prefix = SandboxDir() + "/prefix/";
    const int folders[] = {CSIDL_DESKTOPDIRECTORY,
                           CSIDL_PERSONAL,
                           CSIDL_APPDATA,
                           CSIDL_LOCAL_APPDATA,
                           CSIDL_FAVORITES,
                           CSIDL_COOKIES,
                           CSIDL_STARTMENU,
                           CSIDL_MYMUSIC,
                           CSIDL_MYPICTURES,
                           CSIDL_MYVIDEO,
                           CSIDL_TEMPLATES,
                           CSIDL_PROFILE,
                           CSIDL_COMMON_DESKTOPDIRECTORY,
                           CSIDL_COMMON_DOCUMENTS,
                           CSIDL_PROGRAM_FILES,
                           CSIDL_WINDOWS,
                           CSIDL_INTERNET_CACHE};
    for (int csidl : folders) {
        wchar_t path[MAX_PATH] = {};
        if (!SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE))
            continue;
        const std::string unixPath = UnixPathOf(path);
        EXPECT_EQ(unixPath.rfind(prefix, 0), 0u) << "folder " << csidl << ": " << unixPath;
        // Wine links several profile folders to the host's home; the wrapper replaces those
        // links with real folders, which a link's target would not be.
        const DWORD attributes = GetFileAttributesW(path);
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            EXPECT_FALSE(attributes & FILE_ATTRIBUTE_REPARSE_POINT) << WideToUtf8(path);
        }
    }
}

TEST(SandboxGuard, ProfileFoldersDoNotLeadToTheHome) {
    // A probe written to the desktop must not appear in the wrapper's HOME folder.
    wchar_t desktop[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, TRUE));
    const std::wstring probe = std::wstring(desktop) + L"\\sandbox-guard-probe.txt";
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    std::wstring inHome = Utf8ToWide(SandboxDir() + "/home/sandbox-guard-probe.txt");
    for (wchar_t& c : inHome)
        if (c == L'/')
            c = L'\\';
    inHome = L"\\\\?\\unix" + inHome;
    const bool leaked = GetFileAttributesW(inHome.c_str()) != INVALID_FILE_ATTRIBUTES;
    DeleteFileW(probe.c_str());
    EXPECT_FALSE(leaked) << "the desktop is a link to HOME";
}

} // namespace
