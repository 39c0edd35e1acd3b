#include "RegistryKeyGuard.h"

#include "ModRegistryRelated.h"
#include "ProtectedRegistryKeys.h"

#include <gtest/gtest.h>

using RegistryKeyGuard::MayDeleteKey;

namespace {

constexpr int32_t kClassesRoot = static_cast<int32_t>(0x80000000u);
constexpr int32_t kCurrentUser = static_cast<int32_t>(0x80000001u);
constexpr int32_t kLocalMachine = static_cast<int32_t>(0x80000002u);
constexpr int32_t kUsers = static_cast<int32_t>(0x80000003u);
constexpr int32_t kCurrentConfig = static_cast<int32_t>(0x80000005u);

struct Key {
    int32_t root;
    const char* subkey;
};

TEST(RegistryKeyGuard, ProtectsTheSystemsKeysWhereverTheyAreNamed) {
    // The keys the scan and removal tests meet; below, other names and places of such keys.
    for (const ProtectedRegistryKey& key : kProtectedRegistryKeys)
        EXPECT_FALSE(MayDeleteKey(ModRegistryRelated::GetRootKey(key.rootIndex), key.subkey))
            << key.rootIndex << " " << key.subkey;
    const Key protectedKeys[] = {
        // Roots and the keys right below them.
        {kLocalMachine, ""},
        {kLocalMachine, " \\ "},
        {kLocalMachine, "SYSTEM"},
        {kLocalMachine, "\\Software\\"},
        {kCurrentUser, "Some Program"},
        {kUsers, "S-1-5-21-1-2-3-1000"},
        {kUsers, "S-1-5-21-1-2-3-1000\\Software"},
        {kClassesRoot, ""},
        {kCurrentConfig, ""},
        // Class keys and every file type, in the 32-bit view and a user's.
        {kClassesRoot, "HTTPS"},
        {kClassesRoot, ".toolbar-file"},
        {kClassesRoot, "Wow6432Node\\CLSID"},
        {kCurrentUser, "Software\\Classes\\.htm"},
        {kUsers, "S-1-5-21-1-2-3-1000_Classes\\exefile"},
        {kUsers, "S-1-5-21-1-2-3-1000_Classes"},
        // Keys the system depends on, in any spelling, a user's hive and the 32-bit view.
        {kCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\"},
        {kCurrentUser, "software\\microsoft\\windows\\currentversion\\runonce"},
        {kUsers, "S-1-5-21-1-2-3-1000\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
        {kLocalMachine, "Software\\Wow6432Node"},
        {kLocalMachine, "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run"},
        {kLocalMachine, "  Software\\\\Microsoft\\Windows  "},
        // Every control set.
        {kLocalMachine, "System\\controlset010\\Services\\"},
    };
    for (const Key& key : protectedKeys)
        EXPECT_FALSE(MayDeleteKey(key.root, key.subkey)) << key.root << " " << key.subkey;

    const Key removableKeys[] = {
        {kClassesRoot, "Some.Toolbar"},
        {kClassesRoot, "CLSID\\{00000000-1111-2222-3333-444444444444}"},
        {kClassesRoot, ".exe\\OpenWithList\\evil.exe"},
        {kClassesRoot, "http\\shell\\open\\command\\evil"},
        {kLocalMachine, "Software\\Classes\\Some.Toolbar"},
        {kLocalMachine, "Software\\Evil Toolbar"},
        {kLocalMachine, "Software\\Wow6432Node\\Evil Toolbar"},
        {kLocalMachine, "Software\\Microsoft\\Internet Explorer\\Toolbar\\Evil"},
        {kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Evil"},
        {kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper "
                        "Objects\\{00000000-1111-2222-3333-444444444444}"},
        {kLocalMachine, "System\\CurrentControlSet\\Services\\EvilService"},
        {kCurrentUser, "Software\\Evil"},
        {kCurrentUser, "Control Panel\\Evil"},
        {kUsers, "S-1-5-21-1-2-3-1000\\Software\\Evil"},
        {kUsers, "S-1-5-21-1-2-3-1000_Classes\\Some.Toolbar"},
        {kLocalMachine, "System\\ControlSet001\\Services\\EvilService"},
        {kLocalMachine, "System\\ControlSet\\Services"},
        {kLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution "
                        "Options\\evil.exe"},
        {kCurrentConfig, "Software\\Evil"},
    };
    for (const Key& key : removableKeys)
        EXPECT_TRUE(MayDeleteKey(key.root, key.subkey)) << key.root << " " << key.subkey;
}

} // namespace
