#include "RegBackup.h"

#include "QuarantineFixture.h"

#include <windows.h>

#include <gtest/gtest.h>

using ModRegistryRelated::RegistryDeletion;
using ModRegistryRelated::RegistryKeyTree;
using ModRegistryRelated::RegistryValueData;
using quarantine_test::Tree;
using Bytes = std::vector<unsigned char>;

namespace {

Bytes Wide(const std::wstring& text, bool terminated = true) {
    const auto* start = reinterpret_cast<const unsigned char*>(text.data());
    return {start, start + (text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t)};
}

RegistryValueData Value(const std::string& name, DWORD type, Bytes data) {
    return {name, type, std::move(data)};
}

std::string Text(const RegistryKeyTree& tree) {
    std::string text;
    EXPECT_TRUE(RegBackup::RegFileText(tree, text));
    return text;
}

TEST(RegBackupFormat, StringsNumbersAndHexFormsAsTheRegistryEditorWritesThem) {
    Bytes binary;
    for (int i = 0; i < 30; ++i)
        binary.push_back(static_cast<unsigned char>(i * 9));
    RegistryKeyTree tree;
    tree.Key = "HKEY_CURRENT_USER\\Software\\Evil";
    tree.Values = {
        Value("", REG_SZ, Wide(L"default")),
        Value("Path \"quoted\"", REG_SZ, Wide(L"C:\\evil\\\"bar\".dll")),
        Value("Accent", REG_SZ, Wide(L"caf\u00e9 \u4e2d")),
        Value("Empty", REG_SZ, Wide(L"")),
        Value("Count", REG_DWORD, {0x0a, 0, 0, 0x80}),
        Value("Expand", REG_EXPAND_SZ, Wide(L"%a%")),
        Value("Multi", REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}),
        Value("Blob", REG_BINARY, binary),
        Value("Nothing", REG_BINARY, {}),
    };
    RegistryKeyTree child;
    child.Key = tree.Key + "\\Child";
    child.Values = {Value("", REG_SZ, Wide(L"child default"))};
    RegistryKeyTree grandchild;
    grandchild.Key = child.Key + "\\Empty";
    child.Subkeys = {grandchild};
    tree.Subkeys = {child};

    EXPECT_EQ(
        Text(tree),
        "Windows Registry Editor Version 5.00\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Evil]\r\n"
        "@=\"default\"\r\n"
        "\"Path \\\"quoted\\\"\"=\"C:\\\\evil\\\\\\\"bar\\\".dll\"\r\n"
        "\"Accent\"=\"caf\u00e9 \u4e2d\"\r\n"
        "\"Empty\"=\"\"\r\n"
        "\"Count\"=dword:8000000a\r\n"
        "\"Expand\"=hex(2):25,00,61,00,25,00,00,00\r\n"
        "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
        "\"Blob\"=hex:00,09,12,1b,24,2d,36,3f,48,51,5a,63,6c,75,7e,87,90,99,a2,ab,b4,bd,\\\r\n"
        "  c6,cf,d8,e1,ea,f3,fc,05\r\n"
        "\"Nothing\"=hex:\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Evil\\Child]\r\n"
        "@=\"child default\"\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Evil\\Child\\Empty]\r\n"
        "\r\n");
}

TEST(RegBackupFormat, DataTheQuotedFormCannotHoldGoesAsHex) {
    Bytes longExpand;
    for (int i = 0; i < 40; ++i)
        longExpand.push_back(static_cast<unsigned char>(i));
    const std::pair<RegistryValueData, const char*> cases[] = {
        // A line break, a NUL inside, no terminating NUL, an odd size, nothing at all.
        {Value("lines", REG_SZ, Wide(L"a\r\n")), "\"lines\"=hex(1):61,00,0d,00,0a,00,00,00\r\n"},
        {Value("nul", REG_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0}),
         "\"nul\"=hex(1):61,00,00,00,62,00,00,00\r\n"},
        {Value("open", REG_SZ, Wide(L"ab", false)), "\"open\"=hex(1):61,00,62,00\r\n"},
        {Value("odd", REG_SZ, {'a', 0, 0}), "\"odd\"=hex(1):61,00,00\r\n"},
        {Value("none", REG_SZ, {}), "\"none\"=hex(1):\r\n"},
        {Value("short", REG_DWORD, {1, 2}), "\"short\"=hex(4):01,02\r\n"},
        {Value("big", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0x80}),
         "\"big\"=hex(b):01,00,00,00,00,00,00,80\r\n"},
        {Value("typeless", REG_NONE, {7}), "\"typeless\"=hex(0):07\r\n"},
        {Value("odd type", 0x12345, {1}), "\"odd type\"=hex(12345):01\r\n"},
        // A longer prefix wraps sooner: the editor counts the whole line.
        {Value("a rather long value name", REG_EXPAND_SZ, longExpand),
         "\"a rather long value name\"=hex(2):00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,\\\r\n"
         "  0f,10,11,12,13,14,15,16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27\r\n"},
    };
    for (const auto& [value, line] : cases) {
        RegistryKeyTree tree;
        tree.Key = "HKEY_CURRENT_USER\\K";
        tree.Values = {value};
        EXPECT_EQ(Text(tree), std::string("Windows Registry Editor Version 5.00\r\n\r\n"
                                          "[HKEY_CURRENT_USER\\K]\r\n") +
                                  line + "\r\n")
            << value.Name;
    }
}

TEST(RegBackupFormat, NamesWithLineBreaksAreNoBackup) {
    RegistryKeyTree tree;
    tree.Key = "HKEY_CURRENT_USER\\K";
    tree.Values = {Value("line\nbreak", REG_SZ, Wide(L"x"))};
    std::string text;
    EXPECT_FALSE(RegBackup::RegFileText(tree, text));
    tree.Values.clear();
    RegistryKeyTree child;
    child.Key = "HKEY_CURRENT_USER\\K\\line\rbreak";
    tree.Subkeys = {child};
    EXPECT_FALSE(RegBackup::RegFileText(tree, text));
    // Names in any script are fine.
    tree.Subkeys[0].Key = "HKEY_CURRENT_USER\\K\\\u4e2d";
    tree.Values = {Value("\u00e9", REG_SZ, Wide(L"x"))};
    EXPECT_TRUE(RegBackup::RegFileText(tree, text));
}

TEST(RegBackupFormat, BackupNamesLoseWhatFileNamesCannotHold) {
    EXPECT_EQ(RegBackup::BackupName("HKEY_CURRENT_USER\\Software\\Evil", "Tool*bar?"),
              "HKEY_CURRENT_USERSoftwareEvil - Toolbar");
    EXPECT_EQ(RegBackup::BackupName("HKEY_CLASSES_ROOT\\CLSID\\{1}", ""),
              "HKEY_CLASSES_ROOTCLSID{1} - (Default)");
    EXPECT_EQ(RegBackup::BackupName("HKEY_USERS\\a", "<\"x/y:z|\">\t."), "HKEY_USERSa - xyz");
    const std::string name = RegBackup::BackupName("HKEY_USERS\\" + std::string(300, 'k'), "v");
    EXPECT_EQ(name, std::string(116, 'k') + " - v");
}

using RegBackupFiles = QuarantineFixture;

TEST_F(RegBackupFiles, EachBackupGetsAFileOfItsOwnAndNoFileIsOverwritten) {
    RegistryDeletion deletion;
    deletion.Key = "HKEY_CURRENT_USER\\Software\\Evil";
    deletion.Value = "Run";
    deletion.Data.Key = deletion.Key;
    deletion.Data.Values = {Value("Run", REG_DWORD, {1, 0, 0, 0})};
    const std::string folder = data.MakeFolder("backups");
    data.WriteFile("backups\\HKEY_CURRENT_USERSoftwareEvil - Run (2).reg", "someone else's");
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(RegBackup::WriteBackup(folder, deletion));
    EXPECT_EQ(Tree(folder), (std::vector<std::string>{"HKEY_CURRENT_USERSoftwareEvil - Run (2).reg",
                                                      "HKEY_CURRENT_USERSoftwareEvil - Run (3).reg",
                                                      "HKEY_CURRENT_USERSoftwareEvil - Run (4).reg",
                                                      "HKEY_CURRENT_USERSoftwareEvil - Run.reg"}));
    EXPECT_EQ(ReadFileBytes(folder + "\\HKEY_CURRENT_USERSoftwareEvil - Run (2).reg"),
              "someone else's");
    // UTF-16 with its byte-order mark, as the registry editor writes the format.
    const std::wstring text = L"\xFEFF"
                              L"Windows Registry Editor Version 5.00\r\n\r\n"
                              L"[HKEY_CURRENT_USER\\Software\\Evil]\r\n"
                              L"\"Run\"=dword:00000001\r\n\r\n";
    EXPECT_EQ(ReadFileBytes(folder + "\\HKEY_CURRENT_USERSoftwareEvil - Run (4).reg"),
              std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
    // A folder that is not there takes no backup.
    EXPECT_FALSE(RegBackup::WriteBackup(data / "missing", deletion));
}

} // namespace
