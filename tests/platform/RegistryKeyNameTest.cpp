#include "RegistryKeyName.h"

#include <gtest/gtest.h>

namespace {

// Names as the system gives them on 64-bit Windows, where HKEY_CLASSES_ROOT shows the user's
// classes (HKEY_CURRENT_USER\Software\Classes, the system's "<user>_Classes" key) over the
// machine's. Wine keeps no classes of the user's, so only these names can show the rule.
TEST(RegistryKeyName, ABackupNamesTheKeyWhereItReallyIs) {
    const std::string user = "\\REGISTRY\\USER\\S-1-5-21-1-2-3-1000";
    const struct {
        const char* root;
        const char* subkey;
        std::string systemName;
        const char* expected;
    } rows[] = {
        {"HKEY_LOCAL_MACHINE", "Software\\Evil", "\\REGISTRY\\MACHINE\\SOFTWARE\\Wow6432Node\\Evil",
         "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Evil"},
        // A link is left as the caller named it.
        {"HKEY_LOCAL_MACHINE", "System\\CurrentControlSet\\Services\\Evil",
         "\\REGISTRY\\MACHINE\\SYSTEM\\ControlSet001\\Services\\Evil",
         "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Evil"},
        // A machine class stays under the merged root.
        {"HKEY_CLASSES_ROOT", "CLSID\\{1}",
         "\\REGISTRY\\MACHINE\\SOFTWARE\\Classes\\Wow6432Node\\CLSID\\{1}",
         "HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\{1}"},
        // The user's classes reached through the merged root, in either view and any case.
        {"HKEY_CLASSES_ROOT", "Toolbar.X", user + "_Classes\\Toolbar.X",
         "HKEY_CURRENT_USER\\Software\\Classes\\Toolbar.X"},
        {"HKEY_CLASSES_ROOT", "CLSID\\{1}\\", user + "_Classes\\Wow6432Node\\CLSID\\{1}",
         "HKEY_CURRENT_USER\\Software\\Classes\\Wow6432Node\\CLSID\\{1}"},
        {"HKEY_CLASSES_ROOT", "Toolbar.X",
         "\\Registry\\User\\s-1-5-21-1-2-3-1000_classes\\toolbar.x",
         "HKEY_CURRENT_USER\\Software\\Classes\\Toolbar.X"},
        // Reached by its own root, it keeps its name.
        {"HKEY_CURRENT_USER", "Software\\Classes\\Toolbar.X", user + "_Classes\\Toolbar.X",
         "HKEY_CURRENT_USER\\Software\\Classes\\Toolbar.X"},
        // A user's own key that is not a class, and a name the system did not tell.
        {"HKEY_CLASSES_ROOT", "Toolbar.X", user + "\\Toolbar.X", "HKEY_CLASSES_ROOT\\Toolbar.X"},
        {"HKEY_CLASSES_ROOT", "Toolbar.X", "", "HKEY_CLASSES_ROOT\\Toolbar.X"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(RegistryKeyName::RealKeyText(row.root, row.subkey, row.systemName), row.expected)
            << row.root << "\\" << row.subkey << " as " << row.systemName;
}

} // namespace
