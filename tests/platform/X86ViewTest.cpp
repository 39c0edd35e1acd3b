#include "X86View.h"

#include "AnsiText.h"
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

TEST(X86View, ProgramFilesAndSystemFoldersAreTheX86Ones) {
    struct Row {
        int asked, given64;
    };
    const Row rows[] = {
        {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86},
        {CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROGRAM_FILES_COMMONX86},
        {CSIDL_SYSTEM, CSIDL_SYSTEMX86},
        {CSIDL_WINDOWS, CSIDL_WINDOWS},
        {CSIDL_APPDATA, CSIDL_APPDATA},
        {CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILESX86},
    };
    for (const Row& row : rows)
        EXPECT_EQ(X86View::FolderCsidl(row.asked), k64BitProcess ? row.given64 : row.asked)
            << row.asked;
}

TEST(X86View, TheFoldersAreThoseOfThe32BitProgram) {
    const std::string x86System = k64BitProcess ? Folder(CSIDL_SYSTEMX86) : SystemDirectory();
    ASSERT_FALSE(x86System.empty());
    EXPECT_EQ(X86View::SystemFolder(), x86System);
    EXPECT_EQ(modGenDec::GetSystemDirectoryText(), x86System);
    EXPECT_EQ(modGenDec::GetSystemDir(), x86System + "\\");
    EXPECT_EQ(X86View::NativeSystemFolder(), SystemDirectory());
    const std::string programFiles =
        Folder(k64BitProcess ? CSIDL_PROGRAM_FILESX86 : CSIDL_PROGRAM_FILES);
    const std::string common =
        Folder(k64BitProcess ? CSIDL_PROGRAM_FILES_COMMONX86 : CSIDL_PROGRAM_FILES_COMMON);
    ASSERT_FALSE(programFiles.empty());
    std::string text = "[progfil]evil\\a.exe|[comprogfil]evil|[system]evil.dll";
    modGenDec::ExpandPathMacros(text);
    EXPECT_EQ(text,
              programFiles + "\\evil\\a.exe|" + common + "\\evil|" + x86System + "\\evil.dll");
}

// Paths into the system folder lead where the system's redirection leads a 32-bit program.
TEST(X86View, PathsIntoTheSystemFolderLeadWhereA32BitProgramGoes) {
    const std::string native = SystemDirectory();
    const std::string windows = native.substr(0, native.rfind('\\'));
    // In a 32-bit process the system does this itself, and the path stays as it is.
    const std::string x86 = k64BitProcess ? Folder(CSIDL_SYSTEMX86) : native;
    ASSERT_FALSE(x86.empty());
    const std::string upper = [&] {
        std::string text = native;
        for (char& c : text)
            c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        return text;
    }();
    struct Row {
        std::string path, reached;
    };
    const Row rows[] = {
        {native + "\\evil.dll", x86 + "\\evil.dll"},
        {native, x86},
        {native + "\\", x86 + "\\"},
        {upper + "\\EVIL.DLL", x86 + "\\EVIL.DLL"},
        {native + "\\drivers\\evil.sys", x86 + "\\drivers\\evil.sys"},
        {native + "\\catroot3\\x.cat", x86 + "\\catroot3\\x.cat"},
        {native + "\\drivers\\etc\\hosts", native + "\\drivers\\etc\\hosts"},
        {native + "\\DRIVERS\\ETC", native + "\\DRIVERS\\ETC"},
        {native + "\\catroot\\x.cat", native + "\\catroot\\x.cat"},
        {native + "\\catroot2\\x.cat", native + "\\catroot2\\x.cat"},
        {native + "\\DriverStore\\x.inf", native + "\\DriverStore\\x.inf"},
        {native + "\\LogFiles\\x.log", native + "\\LogFiles\\x.log"},
        {native + "\\spool\\drivers\\x.dll", native + "\\spool\\drivers\\x.dll"},
        {native + "32\\evil.dll", native + "32\\evil.dll"},
        {x86 + "\\evil.dll", x86 + "\\evil.dll"},
        {windows + "\\evil.dll", windows + "\\evil.dll"},
        {"D:\\system32\\evil.dll", "D:\\system32\\evil.dll"},
        {"", ""},
        {windows + "\\Sysnative\\evil.dll",
         k64BitProcess ? native + "\\evil.dll" : windows + "\\Sysnative\\evil.dll"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(X86View::RedirectedPath(row.path), row.reached) << row.path;
    // Definition paths take the same way.
    std::string text = "[windir]system32\\evil.dll";
    modGenDec::ExpandPathMacros(text);
    EXPECT_EQ(text, x86 + "\\evil.dll");
}

} // namespace
