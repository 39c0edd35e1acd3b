// Fails when the tests could reach outside their own Wine prefix: a drive other than C:
// (Wine maps Z: to the host's root), a shell folder outside C: that a folder chooser would offer
// (Wine's Unix file system), a profile folder that resolves outside the build folder, or a walk
// that follows a "\\?\unix\" path to the host's files.
#include "AnsiText.h"
#include "Definitions.h"
#include "DrivePath.h"
#include "MScanFolder.h"
#include "ScanFixture.h"
#include "ScanResults.h"
#include "modFileRelated.h"
#include "modGlobals.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

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
    // The tests run only under Wine, inside the sandbox prefix.
    ASSERT_TRUE(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    const std::string sandbox = SandboxDir();
    ASSERT_FALSE(sandbox.empty()) << "SANDBOX_DIR is not set: not started by the sandbox wrapper";
    EXPECT_EQ(UnixPathOf(L"C:\\").rfind(sandbox + "/prefix/", 0), 0u) << UnixPathOf(L"C:\\");
    // The programs start from C: as they would on Windows, so they can find their own files.
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_EQ(std::wstring(exe).rfind(L"C:\\bin\\", 0), 0u) << WideToUtf8(exe);
}

TEST(SandboxGuard, ProfileFoldersAreRealFoldersInsideThePrefix) {
    // The tests run only under Wine, inside the sandbox prefix.
    ASSERT_TRUE(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
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

// The parsing names of a shell folder's items, hidden ones included.
std::vector<std::string> ParsingNames(IShellFolder* folder) {
    std::vector<std::string> names;
    IEnumIDList* items = nullptr;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
                            &items) != S_OK)
        return names;
    LPITEMIDLIST item = nullptr;
    while (items->Next(1, &item, nullptr) == S_OK) {
        STRRET name;
        wchar_t* text = nullptr;
        if (SUCCEEDED(folder->GetDisplayNameOf(item, SHGDN_FORPARSING, &name)) &&
            SUCCEEDED(StrRetToStrW(&name, item, &text))) {
            names.push_back(WideToUtf8(text));
            CoTaskMemFree(text);
        }
        CoTaskMemFree(item);
    }
    items->Release();
    return names;
}

// Virtual items ("::{clsid}") hold no files; every other item must be a path on drive C.
bool OutsideDriveC(const std::string& parsingName) {
    if (parsingName.rfind("::", 0) == 0)
        return false;
    const std::string path =
        parsingName.rfind("\\\\?\\", 0) == 0 ? parsingName.substr(4) : parsingName;
    return !DrivePath::HasDriveLetter(parsingName) || (path[0] != 'C' && path[0] != 'c');
}

TEST(SandboxGuard, FolderChoosersOfferNothingOutsideDriveC) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    IShellFolder* desktop = nullptr;
    ASSERT_EQ(SHGetDesktopFolder(&desktop), S_OK);
    std::vector<std::string> names = ParsingNames(desktop);
    const size_t onDesktop = names.size();

    LPITEMIDLIST computerItem = nullptr;
    IShellFolder* computer = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computerItem), S_OK);
    ASSERT_EQ(desktop->BindToObject(computerItem, nullptr, IID_IShellFolder,
                                    reinterpret_cast<void**>(&computer)),
              S_OK);
    for (const std::string& name : ParsingNames(computer))
        names.push_back(name);
    computer->Release();
    CoTaskMemFree(computerItem);
    desktop->Release();
    CoUninitialize();

    // Both folders were read: the desktop holds My Computer, which holds drive C.
    EXPECT_GT(onDesktop, 0u);
    EXPECT_GT(names.size(), onDesktop);
    for (const std::string& name : names)
        EXPECT_FALSE(OutsideDriveC(name)) << "the shell offers " << name;
}

// A file's or folder's path through Wine's "\\?\unix\" form, which names the host's file.
std::string UnixForm(const std::string& windowsPath) {
    std::string path = UnixPathOf(Utf8ToWide(windowsPath));
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return "\\\\?\\unix" + path;
}

class SandboxWalk : public ScanFixture {};

TEST_F(SandboxWalk, NothingIsWalkedOrMatchedThroughAUnixPath) {
    // The tests run only under Wine, whose "\\?\unix\" paths this guards against.
    ASSERT_TRUE(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    // A name longer than 16 characters ending in ".exe" matches its definition anywhere.
    const std::string file = machine.WriteFile("inner\\sandbox-guard-probe.exe", "x");
    modGlobals::FileDefinitionTable = {{"sandbox-guard-probe.exe", "c:\\", "Spyware", "Probe"}};
    ++modGlobals::DefinitionTablesGeneration;
    const std::string unixFile = UnixForm(file);
    const std::string unixFolder = UnixForm(machine.Path()) + "\\";
    // The hole itself: Wine opens the file through the host's path.
    ASSERT_NE(GetFileAttributesW(Utf8ToWide(unixFile).c_str()), INVALID_FILE_ATTRIBUTES)
        << unixFile;

    MScanFolder::ScanFolder(unixFolder);
    MScanFolder::ScanFolderFiles(unixFolder);
    MScanFolder::ScanFolderExecutables(unixFile);
    MScanFolder::CheckFileDefinitions(unixFile);
    EXPECT_EQ(modGlobals::FilesFoldersInspected, 0);
    EXPECT_EQ(ScanLists().lvwSpywareFound.Count(), 0u);

    // The same walk from the drive finds the probe.
    MScanFolder::ScanFolder(machine.Path() + "\\");
    EXPECT_EQ(ScanLists().lvwSpywareFound.Count(), 1u);
}

TEST_F(SandboxWalk, NothingIsRemovedThroughAUnixPath) {
    ASSERT_TRUE(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    const std::string folder = machine.MakeFolder("probe");
    const std::string file = machine.WriteFile("probe\\sandbox-guard-probe.exe", "x");
    const std::string cookie = machine.WriteFile("probe\\user@probe[1].txt", "x");
    ASSERT_NE(GetFileAttributesW(Utf8ToWide(UnixForm(file)).c_str()), INVALID_FILE_ATTRIBUTES);
    modFileRelated::BeginRemovalRun();
    EXPECT_FALSE(modFileRelated::MayRemove(UnixForm(file)));
    EXPECT_NE(modFileRelated::QuarantineFile(UnixForm(file)), 1);
    EXPECT_NE(modFileRelated::QuarantineAndDeleteFile(UnixForm(file)), 1);
    EXPECT_FALSE(modFileRelated::QuarantineAndDeleteFolder(UnixForm(file)));
    EXPECT_FALSE(modFileRelated::QuarantineAndDeleteFolder(UnixForm(folder)));
    EXPECT_FALSE(modFileRelated::QuarantineCookieFile(UnixForm(cookie)));
    modFileRelated::EndRemovalRun();
    for (const std::string& path : {folder, file, cookie})
        EXPECT_NE(GetFileAttributesW(Utf8ToWide(path).c_str()), INVALID_FILE_ATTRIBUTES) << path;
}

} // namespace
