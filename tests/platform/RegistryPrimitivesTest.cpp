#include "ModRegistryRelated.h"

#include "AnsiText.h"

#include <windows.h>

#include <aclapi.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ModRegistryRelated;

namespace {

const int32_t kCurrentUser = static_cast<int32_t>(0x80000001u);
const int32_t kCurrentConfig = static_cast<int32_t>(0x80000005u);

std::vector<unsigned char> Bytes(const std::wstring& text) {
    const auto* start = reinterpret_cast<const unsigned char*>(text.c_str());
    return {start, start + (text.size() + 1) * sizeof(wchar_t)};
}

// A key of its own under HKEY_CURRENT_USER, removed with everything below it at the end.
class RegistryPrimitives : public testing::Test {
  protected:
    RegistryPrimitives()
        : subkey_("Software\\RegistryPrimitivesTest-" + std::to_string(GetCurrentProcessId()) +
                  "-" + std::to_string(GetTickCount())) {
        RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(subkey_).c_str());
        SetRegistryDeletionSink([this](const RegistryDeletion& deletion) {
            deletions_.push_back(deletion);
            // Handed over only once the data is gone from the registry.
            deletedBeforeReport_.push_back(
                !RegistryKeyExists(kCurrentUser, subkey_ + "\\tree") &&
                !RegistryValueExists(kCurrentUser, subkey_, deletion.Value));
        });
    }
    ~RegistryPrimitives() override {
        SetRegistryBackupHook(nullptr);
        SetRegistryDeletionSink(nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(subkey_).c_str());
    }

    std::string Sub(const std::string& relative = "") const {
        return relative.empty() ? subkey_ : subkey_ + "\\" + relative;
    }
    void Put(const std::string& relative, const std::string& name, DWORD type,
             const std::vector<unsigned char>& data) const {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(Sub(relative)).c_str(), 0, nullptr,
                                  0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, Utf8ToWide(name).c_str(), 0, type, data.data(),
                       static_cast<DWORD>(data.size()));
        RegCloseKey(key);
    }
    // The type and bytes stored, or REG_NONE and nothing.
    std::pair<DWORD, std::vector<unsigned char>> Stored(const std::string& relative,
                                                        const std::string& name) const {
        std::vector<unsigned char> data(4096);
        DWORD type = REG_NONE, size = static_cast<DWORD>(data.size());
        if (RegGetValueW(HKEY_CURRENT_USER, Utf8ToWide(Sub(relative)).c_str(),
                         Utf8ToWide(name).c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, data.data(),
                         &size) != ERROR_SUCCESS)
            return {REG_NONE, {}};
        data.resize(size);
        return {type, data};
    }
    std::string Read(const std::string& relative, const std::string& name) const {
        std::string value = "stale";
        return GetRegistryValue(kCurrentUser, Sub(relative), name, value) ? value
                                                                          : "<false:" + value + ">";
    }

    std::vector<RegistryDeletion> deletions_;
    std::vector<bool> deletedBeforeReport_;

  private:
    std::string subkey_;
};

TEST(RegistryRoots, EachIndexGivesItsHandleAsSignedDecimalText) {
    const char* const expected[][2] = {
        {"-2147483648", "HKEY_CLASSES_ROOT"},   {"-2147483647", "HKEY_CURRENT_USER"},
        {"-2147483646", "HKEY_LOCAL_MACHINE"},  {"-2147483645", "HKEY_USERS"},
        {"-2147483643", "HKEY_CURRENT_CONFIG"}, {"-2147483642", "HKEY_DYN_DATA"},
    };
    for (int index = 0; index < 6; ++index) {
        EXPECT_EQ(std::to_string(GetRootKey(std::to_string(index))), expected[index][0]);
        EXPECT_EQ(RootKeyName, expected[index][1]);
    }
    // A number that is no root's handle names no key, even a handle that happens to be open.
    EXPECT_FALSE(RegistryKeyExists(static_cast<int32_t>(0x80000004u), "Software"));
    EXPECT_FALSE(RegistryKeyExists(-1, ""));
}

TEST_F(RegistryPrimitives, ReadsTextAndNumbersOnly) {
    Put("", "text", REG_SZ, Bytes(L"Grüße aus Köln"));
    Put("", "empty", REG_SZ, Bytes(L""));
    Put("", "expand", REG_EXPAND_SZ, Bytes(L"%windir%\\evil.exe"));
    Put("", "", REG_SZ, Bytes(L"default"));
    Put("", "ten", REG_DWORD, {10, 0, 0, 0});
    Put("", "big", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF});
    Put("", "unterminated", REG_SZ, {'a', 0, 'b', 0});
    Put("", "binary", REG_BINARY, {1, 2, 3});
    Put("", "multi", REG_MULTI_SZ, {'a', 0, 0, 0, 0, 0});
    Put("", "none", REG_NONE, {});

    EXPECT_EQ(Read("", "text"), "Grüße aus Köln");
    EXPECT_EQ(Read("", "empty"), "");
    EXPECT_EQ(Read("", "expand"), "%windir%\\evil.exe");
    EXPECT_EQ(Read("", ""), "default");
    EXPECT_EQ(Read("", "ten"), "10");
    EXPECT_EQ(Read("", "big"), "-1");
    EXPECT_EQ(Read("", "unterminated"), "ab");
    for (const char* other : {"binary", "multi", "none", "missing"})
        EXPECT_EQ(Read("", other), "<false:>") << other;
    EXPECT_EQ(Read("nokey", "text"), "<false:>");

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, Utf8ToWide(Sub()).c_str(), 0, KEY_READ, &key),
              ERROR_SUCCESS);
    std::string value = "stale";
    EXPECT_EQ(QueryValueEx(key, "binary", value), -1);
    EXPECT_EQ(value, "");
    EXPECT_EQ(QueryValueEx(key, "missing", value), -1);
    EXPECT_EQ(QueryValueEx(key, "ten", value), 0);
    EXPECT_EQ(value, "10");
    RegCloseKey(key);

    // The existence test takes any type.
    EXPECT_TRUE(RegistryValueExists(kCurrentUser, Sub(), "binary"));
    EXPECT_TRUE(RegistryValueExists(kCurrentUser, Sub(), "multi"));
    EXPECT_FALSE(RegistryValueExists(kCurrentUser, Sub(), "missing"));
    EXPECT_FALSE(RegistryValueExists(kCurrentUser, Sub("nokey"), "text"));
    EXPECT_TRUE(RegistryKeyExists(kCurrentUser, Sub()));
    EXPECT_FALSE(RegistryKeyExists(kCurrentUser, Sub("nokey")));
}

TEST_F(RegistryPrimitives, AKeyTheUserMayNotChangeCountsAsMissing) {
    Put("locked", "text", REG_SZ, Bytes(L"x"));
    // Everyone is denied setting values; reading stays allowed.
    EXPLICIT_ACCESSW deny = {};
    deny.grfAccessPermissions = KEY_SET_VALUE;
    deny.grfAccessMode = DENY_ACCESS;
    deny.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
    deny.Trustee.ptstrName = const_cast<wchar_t*>(L"EVERYONE");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, Utf8ToWide(Sub("locked")).c_str(), 0,
                            READ_CONTROL | WRITE_DAC, &key),
              ERROR_SUCCESS);
    PACL oldAcl = nullptr, newAcl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &oldAcl, nullptr, &descriptor),
              ERROR_SUCCESS);
    ASSERT_EQ(SetEntriesInAclW(1, &deny, oldAcl, &newAcl), ERROR_SUCCESS);
    ASSERT_EQ(SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              newAcl, nullptr),
              ERROR_SUCCESS);
    LocalFree(newAcl);
    RegCloseKey(key);

    HKEY readOnly = nullptr;
    const bool writeRefused = RegOpenKeyExW(HKEY_CURRENT_USER, Utf8ToWide(Sub("locked")).c_str(), 0,
                                            KEY_SET_VALUE, &readOnly) != ERROR_SUCCESS;
    if (!writeRefused)
        RegCloseKey(readOnly);
    // The key rights are enforced here (Wine does too), so the denial must be seen.
    EXPECT_TRUE(writeRefused);
    EXPECT_FALSE(RegistryKeyExists(kCurrentUser, Sub("locked")));
    EXPECT_EQ(Read("locked", "text"), "<false:>");
    EXPECT_FALSE(RegistryValueExists(kCurrentUser, Sub("locked"), "text"));
    // Put the old rights back, so the key can be removed.
    ASSERT_EQ(
        RegOpenKeyExW(HKEY_CURRENT_USER, Utf8ToWide(Sub("locked")).c_str(), 0, WRITE_DAC, &key),
        ERROR_SUCCESS);
    SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, oldAcl,
                    nullptr);
    RegCloseKey(key);
    LocalFree(descriptor);
}

TEST_F(RegistryPrimitives, WritesNumbersAsDwordsAndTextTrimmed) {
    SetRegistryValue(kCurrentUser, Sub("new\\deeper"), "number", "123");
    EXPECT_EQ(Stored("new\\deeper", "number"),
              std::make_pair(DWORD(REG_DWORD), std::vector<unsigned char>{123, 0, 0, 0}));
    SetRegistryValue(kCurrentUser, Sub(), "path", "  C:\\Program Files\\Tool\\tool  ");
    EXPECT_EQ(Stored("", "path"),
              std::make_pair(DWORD(REG_SZ), Bytes(L"C:\\Program Files\\Tool\\tool")));
    SetRegistryValue(kCurrentUser, Sub(), "", "");
    EXPECT_EQ(Stored("", ""), std::make_pair(DWORD(REG_SZ), Bytes(L"")));

    const std::pair<const char*, std::vector<unsigned char>> numbers[] = {
        {"2.5", {2, 0, 0, 0}},
        {"3.5", {4, 0, 0, 0}},
        {"-1", {0xFF, 0xFF, 0xFF, 0xFF}},
        {"4294967295", {0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const auto& [text, bytes] : numbers) {
        SetRegistryValue(kCurrentUser, Sub(), "n", text);
        EXPECT_EQ(Stored("", "n"), std::make_pair(DWORD(REG_DWORD), bytes)) << text;
    }
    // Texts that are no 32-bit number stay text.
    for (const char* text : {"4294967296", "0x10", "12abc"}) {
        SetRegistryValue(kCurrentUser, Sub(), "n", text);
        EXPECT_EQ(Stored("", "n"), std::make_pair(DWORD(REG_SZ), Bytes(Utf8ToWide(text)))) << text;
    }
    // A number reads back as its digits.
    EXPECT_EQ(Read("new\\deeper", "number"), "123");
}

TEST_F(RegistryPrimitives, AKeyDeletionNeverTakesAWholeRoot) {
    // Planted under a root whose loss would not take the test user's settings with it, below
    // the keys right under it, which the guard keeps.
    const std::string planted =
        "Software\\RegistryPrimitivesGuard-" + std::to_string(GetTickCount());
    SetRegistryValue(kCurrentConfig, planted, "kept", "x");
    ASSERT_TRUE(RegistryKeyExists(kCurrentConfig, planted));
    for (const char* subkey : {"", " ", "\\", " \\ \\\\ "})
        EXPECT_FALSE(DeleteRegistryKey(kCurrentConfig, subkey)) << "[" << subkey << "]";
    EXPECT_TRUE(RegistryKeyExists(kCurrentConfig, planted));
    EXPECT_TRUE(deletions_.empty());
    EXPECT_TRUE(DeleteRegistryKey(kCurrentConfig, planted));
    EXPECT_FALSE(RegistryKeyExists(kCurrentConfig, planted));
    ASSERT_EQ(deletions_.size(), 1u);
    EXPECT_EQ(deletions_[0].Key, "HKEY_CURRENT_CONFIG\\" + planted);
}

TEST_F(RegistryPrimitives, ADeletedValueIsReportedWithItsDataAfterItIsGone) {
    Put("", "Toolbar", REG_SZ, Bytes(L"C:\\evil\\bar.dll"));
    Put("", "Blob", REG_BINARY, {0, 0xFE, 7});
    Put("", "", REG_SZ, Bytes(L"default"));

    EXPECT_TRUE(DeleteRegistryValue(kCurrentUser, Sub(), "Toolbar"));
    EXPECT_TRUE(DeleteRegistryValue(kCurrentUser, Sub(), "Blob"));
    EXPECT_EQ(Stored("", "Toolbar").first, DWORD(REG_NONE));
    ASSERT_EQ(deletions_.size(), 2u);
    EXPECT_EQ(deletions_[0].Key, "HKEY_CURRENT_USER\\" + Sub());
    EXPECT_EQ(deletions_[0].Value, "Toolbar");
    EXPECT_EQ(deletions_[0].Data.Key, deletions_[0].Key);
    ASSERT_EQ(deletions_[0].Data.Values.size(), 1u);
    EXPECT_EQ(deletions_[0].Data.Values[0].Name, "Toolbar");
    EXPECT_EQ(deletions_[0].Data.Values[0].Type, DWORD(REG_SZ));
    EXPECT_EQ(deletions_[0].Data.Values[0].Data, Bytes(L"C:\\evil\\bar.dll"));
    EXPECT_TRUE(deletions_[0].Data.Subkeys.empty());
    ASSERT_EQ(deletions_[1].Data.Values.size(), 1u);
    EXPECT_EQ(deletions_[1].Data.Values[0].Type, DWORD(REG_BINARY));
    EXPECT_EQ(deletions_[1].Data.Values[0].Data, (std::vector<unsigned char>{0, 0xFE, 7}));
    EXPECT_EQ(deletedBeforeReport_, (std::vector<bool>{true, true}));

    // The default value goes unreported (the key deletion after it reports the key); what did
    // not happen is not reported either.
    EXPECT_TRUE(DeleteRegistryValue(kCurrentUser, Sub(), ""));
    EXPECT_EQ(Stored("", "").first, DWORD(REG_NONE));
    EXPECT_FALSE(DeleteRegistryValue(kCurrentUser, Sub(), "Toolbar"));
    EXPECT_FALSE(DeleteRegistryValue(kCurrentUser, Sub("nokey"), "Toolbar"));
    EXPECT_FALSE(DeleteRegistryValue(0x12345678, Sub(), "Toolbar"));
    EXPECT_EQ(deletions_.size(), 2u);
}

TEST_F(RegistryPrimitives, TheBackupHookSeesTheDataBeforeItGoesAndCanKeepIt) {
    Put("", "kept", REG_SZ, Bytes(L"stays"));
    Put("", "", REG_SZ, Bytes(L"default"));
    Put("tree", "t", REG_DWORD, {1, 0, 0, 0});
    std::vector<RegistryDeletion> offered;
    std::vector<bool> presentWhenOffered;
    bool agree = false;
    SetRegistryBackupHook([&](const RegistryDeletion& deletion) {
        offered.push_back(deletion);
        presentWhenOffered.push_back(
            deletion.Value == "All Values"
                ? RegistryKeyExists(kCurrentUser, Sub("tree"))
                : RegistryValueExists(kCurrentUser, Sub(), deletion.Value));
        return agree;
    });

    // Refused backups keep everything, and nothing is reported.
    EXPECT_FALSE(DeleteRegistryValue(kCurrentUser, Sub(), "kept"));
    EXPECT_FALSE(DeleteRegistryValue(kCurrentUser, Sub(), ""));
    EXPECT_FALSE(DeleteRegistryKey(kCurrentUser, Sub("tree")));
    EXPECT_EQ(Stored("", "kept").second, Bytes(L"stays"));
    EXPECT_EQ(Stored("", "").second, Bytes(L"default"));
    EXPECT_TRUE(RegistryKeyExists(kCurrentUser, Sub("tree")));
    EXPECT_TRUE(deletions_.empty());
    ASSERT_EQ(offered.size(), 3u);

    // The default value is offered with its data, so a backup holds it although the key
    // deletion that follows it no longer sees it.
    agree = true;
    EXPECT_TRUE(DeleteRegistryValue(kCurrentUser, Sub(), ""));
    EXPECT_TRUE(DeleteRegistryKey(kCurrentUser, Sub("tree")));
    ASSERT_EQ(offered.size(), 5u);
    EXPECT_EQ(presentWhenOffered, std::vector<bool>(5, true));
    EXPECT_EQ(offered[3].Key, "HKEY_CURRENT_USER\\" + Sub());
    EXPECT_EQ(offered[3].Value, "");
    ASSERT_EQ(offered[3].Data.Values.size(), 1u);
    EXPECT_EQ(offered[3].Data.Values[0].Name, "");
    EXPECT_EQ(offered[3].Data.Values[0].Data, Bytes(L"default"));
    EXPECT_EQ(offered[4].Value, "All Values");
    ASSERT_EQ(offered[4].Data.Values.size(), 1u);
    EXPECT_EQ(offered[4].Data.Values[0].Name, "t");
    ASSERT_EQ(deletions_.size(), 1u);
    EXPECT_EQ(deletions_[0].Value, "All Values");
}

TEST_F(RegistryPrimitives, AValueDeletionNeverTakesARootsOwnValue) {
    const std::string planted = "RegistryPrimitivesGuard-" + std::to_string(GetTickCount());
    SetRegistryValue(kCurrentConfig, "", planted, "x");
    ASSERT_TRUE(RegistryValueExists(kCurrentConfig, "", planted));
    for (const char* subkey : {"", " ", "\\", " \\ \\\\ "})
        EXPECT_FALSE(DeleteRegistryValue(kCurrentConfig, subkey, planted)) << "[" << subkey << "]";
    EXPECT_TRUE(RegistryValueExists(kCurrentConfig, "", planted));
    EXPECT_TRUE(deletions_.empty());
    RegDeleteValueW(HKEY_CURRENT_CONFIG, Utf8ToWide(planted).c_str());
}

TEST_F(RegistryPrimitives, ADeletedKeyIsReportedWithItsWholeTree) {
    Put("tree", "", REG_SZ, Bytes(L"top"));
    Put("tree", "n", REG_DWORD, {5, 0, 0, 0});
    Put("tree\\child", "c", REG_SZ, Bytes(L"child value"));
    Put("tree\\child\\grandchild", "g", REG_MULTI_SZ, {'g', 0, 0, 0});
    Put("tree\\empty", "", REG_NONE, {});

    EXPECT_FALSE(DeleteRegistryKey(kCurrentUser, Sub("missing")));
    EXPECT_TRUE(deletions_.empty());
    EXPECT_TRUE(DeleteRegistryKey(kCurrentUser, Sub("tree")));
    EXPECT_FALSE(RegistryKeyExists(kCurrentUser, Sub("tree")));
    EXPECT_TRUE(RegistryKeyExists(kCurrentUser, Sub()));
    ASSERT_EQ(deletions_.size(), 1u);
    EXPECT_TRUE(deletedBeforeReport_[0]);
    const RegistryDeletion& deletion = deletions_[0];
    const std::string key = "HKEY_CURRENT_USER\\" + Sub("tree");
    EXPECT_EQ(deletion.Key, key);
    EXPECT_EQ(deletion.Value, "All Values");

    const RegistryKeyTree& tree = deletion.Data;
    EXPECT_EQ(tree.Key, key);
    ASSERT_EQ(tree.Values.size(), 2u);
    for (const RegistryValueData& value : tree.Values) {
        if (value.Name.empty())
            EXPECT_EQ(value.Data, Bytes(L"top"));
        else
            EXPECT_EQ(value.Data, (std::vector<unsigned char>{5, 0, 0, 0}));
    }
    ASSERT_EQ(tree.Subkeys.size(), 2u);
    const RegistryKeyTree& child =
        tree.Subkeys[0].Key == key + "\\child" ? tree.Subkeys[0] : tree.Subkeys[1];
    EXPECT_EQ(child.Key, key + "\\child");
    ASSERT_EQ(child.Values.size(), 1u);
    EXPECT_EQ(child.Values[0].Name, "c");
    EXPECT_EQ(child.Values[0].Data, Bytes(L"child value"));
    ASSERT_EQ(child.Subkeys.size(), 1u);
    EXPECT_EQ(child.Subkeys[0].Key, key + "\\child\\grandchild");
    ASSERT_EQ(child.Subkeys[0].Values.size(), 1u);
    EXPECT_EQ(child.Subkeys[0].Values[0].Type, DWORD(REG_MULTI_SZ));
}

TEST_F(RegistryPrimitives, AKeyWrittenWithATrailingSeparatorNamesItsSubkeysOnce) {
    Put("slash\\child", "c", REG_SZ, Bytes(L"x"));
    ASSERT_TRUE(DeleteRegistryKey(kCurrentUser, Sub("slash") + "\\"));
    ASSERT_EQ(deletions_.size(), 1u);
    const std::string key = "HKEY_CURRENT_USER\\" + Sub("slash");
    EXPECT_EQ(deletions_[0].Data.Key, key);
    ASSERT_EQ(deletions_[0].Data.Subkeys.size(), 1u);
    EXPECT_EQ(deletions_[0].Data.Subkeys[0].Key, key + "\\child");
}

} // namespace
