#include "ModRegistryRelated.h"

#include "AnsiText.h"
#include "TwinMachineKey.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace ModRegistryRelated;

namespace {

const int32_t kLocalMachine = static_cast<int32_t>(0x80000002u);
const int32_t kCurrentUser = static_cast<int32_t>(0x80000001u);
const REGSAM k32 = KEY_WOW64_32KEY;
const REGSAM k64 = KEY_WOW64_64KEY;

bool SameText(const std::string& a, const std::string& b) {
    return _stricmp(a.c_str(), b.c_str()) == 0;
}

// Machine keys planted in one view or both: the registry primitives work in the 32-bit view,
// whichever build runs them.
class RegistryView : public testing::Test {
  protected:
    RegistryView() {
        SetRegistryDeletionSink(
            [this](const RegistryDeletion& deletion) { deletions.push_back(deletion); });
        EXPECT_TRUE(key.Put(k32, "Only32", "Value", "32-bit"));
        EXPECT_TRUE(key.Put(k64, "Only64", "Value", "64-bit"));
        for (REGSAM view : {k32, k64}) {
            const std::string text = view == k32 ? "32-bit" : "64-bit";
            EXPECT_TRUE(key.Put(view, "Both", "Value", text));
            EXPECT_TRUE(key.Put(view, "Both\\child", "", text + " child"));
        }
    }
    ~RegistryView() override { SetRegistryDeletionSink(nullptr); }

    // Where a key of the 32-bit view lives on 64-bit Windows, as the registry editor names it.
    std::string Real(const std::string& relative) const {
        return "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node" + key.Sub(relative).substr(8);
    }

    TwinMachineKey key{"RegistryViewTest"};
    std::vector<RegistryDeletion> deletions;
};

TEST_F(RegistryView, ReadsAndWritesOnlyThe32BitView) {
    std::string value;
    EXPECT_TRUE(RegistryKeyExists(kLocalMachine, key.Sub("Only32")));
    EXPECT_FALSE(RegistryKeyExists(kLocalMachine, key.Sub("Only64")));
    EXPECT_TRUE(GetRegistryValue(kLocalMachine, key.Sub("Only32"), "Value", value));
    EXPECT_EQ(value, "32-bit");
    EXPECT_FALSE(GetRegistryValue(kLocalMachine, key.Sub("Only64"), "Value", value));
    EXPECT_TRUE(GetRegistryValue(kLocalMachine, key.Sub("Both"), "Value", value));
    EXPECT_EQ(value, "32-bit");
    EXPECT_TRUE(RegistryValueExists(kLocalMachine, key.Sub("Only32"), "Value"));
    EXPECT_FALSE(RegistryValueExists(kLocalMachine, key.Sub("Only64"), "Value"));

    SetRegistryValue(kLocalMachine, key.Sub("Written"), "Text", "written");
    EXPECT_EQ(key.Get(k32, "Written", "Text"), "written");
    EXPECT_FALSE(key.Exists(k64, "Written"));
}

TEST_F(RegistryView, DeletionsTakeThe32BitKeyAndNameItWhereItReallyIs) {
    EXPECT_TRUE(DeleteRegistryValue(kLocalMachine, key.Sub("Both"), "Value"));
    EXPECT_EQ(key.Get(k32, "Both", "Value"), "<none>");
    EXPECT_EQ(key.Get(k64, "Both", "Value"), "64-bit");
    EXPECT_FALSE(DeleteRegistryValue(kLocalMachine, key.Sub("Only64"), "Value"));
    EXPECT_EQ(key.Get(k64, "Only64", "Value"), "64-bit");

    // Written with a trailing separator, as registry definitions often are.
    EXPECT_TRUE(DeleteRegistryKey(kLocalMachine, key.Sub("Both") + "\\"));
    EXPECT_FALSE(key.Exists(k32, "Both"));
    EXPECT_EQ(key.Get(k64, "Both\\child", ""), "64-bit child");
    EXPECT_FALSE(DeleteRegistryKey(kLocalMachine, key.Sub("Only64")));
    EXPECT_TRUE(key.Exists(k64, "Only64"));

    ASSERT_EQ(deletions.size(), 2u);
    // The journal names the key as the definitions do; the backup where it really is.
    EXPECT_EQ(deletions[0].Key, "HKEY_LOCAL_MACHINE\\" + key.Sub("Both"));
    EXPECT_PRED2(SameText, deletions[0].Data.Key, Real("Both"));
    EXPECT_EQ(deletions[1].Key, "HKEY_LOCAL_MACHINE\\" + key.Sub("Both") + "\\");
    EXPECT_PRED2(SameText, deletions[1].Data.Key, Real("Both"));
    ASSERT_EQ(deletions[1].Data.Subkeys.size(), 1u);
    EXPECT_PRED2(SameText, deletions[1].Data.Subkeys[0].Key, Real("Both\\child"));
    ASSERT_EQ(deletions[1].Data.Subkeys[0].Values.size(), 1u);
}

TEST(RegistryViewOfClasses, AClassOfThe32BitViewIsNamedUnderItsOwnWow6432Node) {
    const int32_t classesRoot = static_cast<int32_t>(0x80000000u);
    const std::string subkey = "CLSID\\RegistryViewClassTest-" +
                               std::to_string(GetCurrentProcessId()) + "\\InprocServer32";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, Utf8ToWide(subkey).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"Value", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
    RegCloseKey(key);
    std::vector<RegistryDeletion> deletions;
    SetRegistryDeletionSink(
        [&deletions](const RegistryDeletion& deletion) { deletions.push_back(deletion); });
    EXPECT_TRUE(DeleteRegistryValue(classesRoot, subkey, "Value"));
    EXPECT_TRUE(DeleteRegistryKey(classesRoot, subkey.substr(0, subkey.rfind('\\'))));
    SetRegistryDeletionSink(nullptr);
    EXPECT_FALSE(RegistryKeyExists(classesRoot, subkey));
    ASSERT_EQ(deletions.size(), 2u);
    EXPECT_PRED2(SameText, deletions[0].Data.Key, "HKEY_CLASSES_ROOT\\Wow6432Node\\" + subkey);
    ASSERT_EQ(deletions[1].Data.Subkeys.size(), 1u);
    EXPECT_PRED2(SameText, deletions[1].Data.Subkeys[0].Key,
                 "HKEY_CLASSES_ROOT\\Wow6432Node\\" + subkey);
    // Whatever a failure above left behind.
    HKEY classes = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &classes) ==
        ERROR_SUCCESS) {
        RegDeleteTreeW(classes, Utf8ToWide(subkey.substr(6, subkey.rfind('\\') - 6)).c_str());
        RegCloseKey(classes);
    }
}

TEST(RegistryViewOfUserKeys, AKeyThatIsNotRedirectedKeepsItsName) {
    // HKEY_CURRENT_USER\Software is one key in both views.
    const std::string subkey =
        "Software\\RegistryViewUserTest-" + std::to_string(GetCurrentProcessId()) + "\\Key";
    std::vector<RegistryDeletion> deletions;
    SetRegistryDeletionSink(
        [&deletions](const RegistryDeletion& deletion) { deletions.push_back(deletion); });
    SetRegistryValue(kCurrentUser, subkey, "Value", "text");
    EXPECT_TRUE(DeleteRegistryValue(kCurrentUser, subkey, "Value"));
    EXPECT_TRUE(DeleteRegistryKey(kCurrentUser, subkey));
    EXPECT_TRUE(DeleteRegistryKey(kCurrentUser, subkey.substr(0, subkey.rfind('\\'))));
    SetRegistryDeletionSink(nullptr);
    ASSERT_EQ(deletions.size(), 3u);
    EXPECT_EQ(deletions[0].Data.Key, "HKEY_CURRENT_USER\\" + subkey);
    EXPECT_EQ(deletions[1].Data.Key, "HKEY_CURRENT_USER\\" + subkey);
    RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(subkey.substr(0, subkey.rfind('\\'))).c_str());
}

} // namespace
