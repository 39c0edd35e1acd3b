#include "X86View.h"

#include "AnsiText.h"
#include "ProcessControl.h"
#include "TextRules.h"
#include "modGenDec.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

namespace {

const bool k64BitProcess = sizeof(void*) == 8;

std::string Folder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE) ? WideToUtf8(path) : "";
}

std::string SystemDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetSystemDirectoryW(path, MAX_PATH);
    return WideToUtf8(path);
}

TEST(X86View, AskedOfAProcessOfEitherKind) {
    EXPECT_EQ(X86View::ProcessIs64Bit(), k64BitProcess);
}

TEST(X86View, ProgramFilesFoldersAreTheX86Ones) {
    struct Row {
        int asked, given64;
    };
    const Row rows[] = {
        {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86},
        {CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROGRAM_FILES_COMMONX86},
        {CSIDL_SYSTEM, CSIDL_SYSTEM},
        {CSIDL_WINDOWS, CSIDL_WINDOWS},
        {CSIDL_APPDATA, CSIDL_APPDATA},
        {CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILESX86},
    };
    for (const Row& row : rows)
        EXPECT_EQ(X86View::FolderCsidl(row.asked), k64BitProcess ? row.given64 : row.asked)
            << row.asked;
}

TEST(X86View, TheFoldersAreNamedAsThe32BitProgramWasTold) {
    // GetSystemDirectory tells a 32-bit program "System32" too; only its use is redirected.
    const std::string system = SystemDirectory();
    EXPECT_EQ(modGenDec::GetSystemDirectoryText(), system);
    EXPECT_EQ(modGenDec::GetSystemDir(), system + "\\");
    EXPECT_EQ(X86View::NativeSystemFolder(), system);
    // How the macros name these folders is the redirected-paths test's.
}

TEST(X86View, ALongPathKeepsItsPrefixAndIsRedirectedBehindIt) {
    const std::string x86 = k64BitProcess ? Folder(CSIDL_SYSTEMX86) : SystemDirectory();
    std::string path = "\\\\?\\" + SystemDirectory() + "\\\\x.dll";
    X86View::TranslatePath(path);
    EXPECT_EQ(path, "\\\\?\\" + x86 + "\\x.dll");
}

TEST(X86View, TheDriverStoreWasRedirectedBeforeWindows7) {
    const std::string system = SystemDirectory();
    for (const auto& [version, redirected] :
         {std::pair{ProcessControl::WindowsVersion{2, 6, 0}, true},
          std::pair{ProcessControl::WindowsVersion{2, 6, 1}, false},
          std::pair{ProcessControl::WindowsVersion{2, 10, 0}, false}}) {
        ProcessControl::SetVersionOverride(version);
        std::string path = system + "\\DriverStore\\x.inf";
        X86View::TranslatePath(path);
        const bool moved = !TextRules::EqualsNoCase(path, system + "\\DriverStore\\x.inf");
        EXPECT_EQ(moved, k64BitProcess && redirected) << version.Major << "." << version.Minor;
    }
    ProcessControl::SetVersionOverride(std::nullopt);
}

TEST(X86View, AFolderTheSystemLacksIsReportedAndTheRestKeepsTheFileName) {
    modGenDec::SetSpecialFolderLookup([](int csidl) -> std::optional<std::string> {
        return csidl == CSIDL_WINDOWS ? std::nullopt : std::optional<std::string>("C:\\F");
    });
    std::string path = "[windir]\\System32", missingToken;
    EXPECT_FALSE(X86View::TranslatePath(path, "x.exe", &missingToken));
    modGenDec::SetSpecialFolderLookup(nullptr);
    EXPECT_EQ(missingToken, "[windir]");
    // The process scanner still finds a program of that name in any folder.
    EXPECT_EQ(path, "\\System32\\x.exe");
}

} // namespace
