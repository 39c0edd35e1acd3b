#include "TempFolder.h"
#include "xfileExists.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace xfileExists;

TEST(FileExists, NormalFilesOnly) {
    TempFolder folder;
    const std::string normal = folder.WriteFile("normal.txt", "x");
    const std::string readOnly = folder.WriteFile("readonly.txt", "x", FILE_ATTRIBUTE_READONLY);
    const std::string hidden = folder.WriteFile("hidden.txt", "x", FILE_ATTRIBUTE_HIDDEN);
    const std::string system = folder.WriteFile("system.dll", "x", FILE_ATTRIBUTE_SYSTEM);
    const std::string sub = folder.MakeFolder("sub");

    EXPECT_TRUE(FileExists(normal));
    EXPECT_TRUE(FileExists(readOnly));
    EXPECT_TRUE(FileExists(folder / "NORMAL.TXT"));
    EXPECT_FALSE(FileExists(hidden));
    EXPECT_FALSE(FileExists(system));
    EXPECT_FALSE(FileExists(sub));
    EXPECT_FALSE(FileExists(folder / "missing.txt"));
    EXPECT_FALSE(FileExists(folder / "*.txt"));
    EXPECT_FALSE(FileExists(folder / "normal.tx?"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(folder.Path() + "\\"));
    EXPECT_FALSE(FileExists(folder / "nofolder\\normal.txt"));
}

TEST(FileExists, NonAsciiNames) {
    TempFolder folder;
    const std::string path = folder.WriteFile("Überwachung ž.exe", "x");
    EXPECT_TRUE(FileExists(path));
    EXPECT_TRUE(FileExists(folder / "überwachung Ž.EXE"));
}

TEST(FolderExists, FoldersNotFiles) {
    TempFolder folder;
    const std::string file = folder.WriteFile("a.txt", "x");
    EXPECT_TRUE(FolderExists(folder.Path()));
    EXPECT_TRUE(FolderExists(folder.Path() + "\\"));
    EXPECT_TRUE(FolderExists(folder.MakeFolder("x\\y")));
    EXPECT_FALSE(FolderExists(file));
    EXPECT_FALSE(FolderExists(folder / "missing"));
    EXPECT_FALSE(FolderExists(""));
}

TEST(FileNamePart, TextAfterTheLastBackslash) {
    EXPECT_EQ(FileNamePart("C:\\Windows\\notepad.exe"), "notepad.exe");
    EXPECT_EQ(FileNamePart("notepad.exe"), "notepad.exe");
    EXPECT_EQ(FileNamePart("C:\\Windows\\"), "");
    EXPECT_EQ(FileNamePart(""), "");
}

TEST(GetFileExtension, ExtensionOfTheFileItself) {
    EXPECT_EQ(GetFileExtension("C:\\a\\b.dll"), "dll");
    EXPECT_EQ(GetFileExtension("b.OCX "), "ocx");
    EXPECT_EQ(GetFileExtension("C:\\my.folder\\file"), "");
    EXPECT_EQ(GetFileExtension("name."), "");
    EXPECT_EQ(GetFileExtension("C:file"), "");
    EXPECT_EQ(GetFileExtension("archive.tar.GZ"), "gz");
    EXPECT_EQ(GetFileExtension(""), "");
}
