#include "QuarantineFixture.h"

#include "AnsiText.h"
#include "RemovalGuard.h"
#include "TextRules.h"
#include "modFileRelated.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// The fixture's run is open, so the guard keeps the folders' long forms.
using FolderNameMemory = QuarantineFixture;

std::string SystemLongForm(const std::string& path) {
    wchar_t buffer[MAX_PATH * 2];
    const DWORD length = GetLongPathNameW(Utf8ToWide(path).c_str(), buffer, MAX_PATH * 2);
    return length > 0 && length < MAX_PATH * 2 ? WideToUtf8(std::wstring_view(buffer, length))
                                               : std::string();
}

std::string ShortForm(const std::string& path) {
    wchar_t buffer[MAX_PATH * 2];
    const DWORD length = GetShortPathNameW(Utf8ToWide(path).c_str(), buffer, MAX_PATH * 2);
    return WideToUtf8(std::wstring_view(buffer, length < MAX_PATH * 2 ? length : 0));
}

TEST_F(FolderNameMemory, KeptNamesReadAsTheSystemReadsThem) {
    const std::string file = machine.WriteFile("Long Folder Name\\Inner Folder\\item.dat", "x");
    const std::string shortFile = ShortForm(file);
    ASSERT_NE(shortFile, file);
    const std::string expected = SystemLongForm(file);
    ASSERT_FALSE(expected.empty());
    const std::string folder = expected.substr(0, expected.rfind('\\'));
    const std::pair<std::string, std::string> cases[] = {
        {shortFile, expected},
        {TextRules::ToLower(file), expected},
        {ShortForm(folder), folder},
        {ShortForm(folder) + "\\missing\\gone.dat", folder + "\\missing\\gone.dat"},
    };
    // Asked twice: the second answer comes from what was kept.
    for (int round = 0; round < 2; ++round)
        for (const auto& [path, normalized] : cases)
            EXPECT_EQ(RemovalGuard::NormalizedPath(path), normalized) << path << " #" << round;
}

TEST_F(FolderNameMemory, AFolderTheRunRemovedIsAskedForAgain) {
    const std::string before = machine.WriteFile("Renamed\\item.dat", "x");
    const std::string asked = machine / "renamed\\item.dat";
    ASSERT_EQ(RemovalGuard::NormalizedPath(asked), SystemLongForm(before));
    ASSERT_TRUE(modFileRelated::QuarantineAndDeleteFolder(machine / "Renamed"));
    const std::string after = machine.WriteFile("RENAMED\\item.dat", "y");
    EXPECT_EQ(RemovalGuard::NormalizedPath(asked), SystemLongForm(after));
}

} // namespace
