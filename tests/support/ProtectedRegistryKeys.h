// Keys the system depends on, as a definition file would name them for removal as a whole:
// the root index and the subkey. Neither a scan nor a removal may ever take one.
#pragma once

#include <string>
#include <vector>

#include "ClipboardLock.h"

#include <windows.h>

struct ProtectedRegistryKey {
    std::string rootIndex;
    std::string subkey;
};

inline const std::vector<ProtectedRegistryKey> kProtectedRegistryKeys = {
    {"0", "CLSID"},
    {"0", "Interface"},
    {"0", "TypeLib"},
    {"0", "AppID"},
    {"0", "*"},
    {"0", "Directory"},
    {"0", "Folder"},
    {"0", "Drive"},
    {"0", "exefile"},
    {"0", "batfile"},
    {"0", "comfile"},
    {"0", "htmlfile"},
    {"0", "http"},
    {"0", "https"},
    {"0", ".exe"},
    {"0", ".txt"},
    {"1", "Software"},
    {"1", "Control Panel"},
    {"1", "Environment"},
    {"1", "Software\\Microsoft"},
    {"1", "Software\\Classes"},
    {"1", "Software\\Policies"},
    {"1", "Software\\Microsoft\\Windows"},
    {"1", "Software\\Microsoft\\Windows\\CurrentVersion"},
    {"1", "Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
    {"1", "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
    {"1", "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer"},
    {"1", "Software\\Microsoft\\Windows\\CurrentVersion\\Policies"},
    {"1", "Software\\Microsoft\\Windows NT\\CurrentVersion"},
    {"1", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"},
    {"2", "Software"},
    {"2", "System"},
    {"2", "Software\\Microsoft"},
    {"2", "Software\\Classes"},
    {"2", "Software\\Classes\\CLSID"},
    {"2", "Software\\Policies"},
    {"2", "Software\\Microsoft\\Windows"},
    {"2", "Software\\Microsoft\\Windows\\CurrentVersion"},
    {"2", "Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
    {"2", "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
    {"2", "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices"},
    {"2", "Software\\Microsoft\\Windows\\CurrentVersion\\Policies"},
    {"2", "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer"},
    {"2", "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
    {"2", "Software\\Microsoft\\Windows NT\\CurrentVersion"},
    {"2", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"},
    {"2", "System\\CurrentControlSet"},
    {"2", "System\\CurrentControlSet\\Services"},
    {"3", ".DEFAULT"},
    {"3", ".DEFAULT\\Control Panel"},
    // Keys that hold the ones above, and the control sets CurrentControlSet links to.
    {"1", "Software\\Microsoft\\Windows NT"},
    {"2", "Software\\Microsoft\\Windows NT"},
    {"2", "Software\\Wow6432Node\\Microsoft\\Windows NT"},
    {"3", ".DEFAULT\\Software\\Microsoft\\Windows NT"},
    {"2", "System\\ControlSet001"},
    {"2", "System\\ControlSet001\\Services"},
    {"2", "System\\ControlSet002"},
    {"2", "System\\ControlSet002\\Services"},
    {"4", "Software"},
    {"4", "System"},
};

// The control sets beside CurrentControlSet that Wine's prefix lacks, with their Services, made
// for the life of a test (the others that plant them wait) and removed if the test made them.
class ControlSetsPlanted {
  public:
    ControlSetsPlanted();
    ~ControlSetsPlanted();
    ControlSetsPlanted(const ControlSetsPlanted&) = delete;
    ControlSetsPlanted& operator=(const ControlSetsPlanted&) = delete;

  private:
    TestLock lock_{L"TidewaterTestControlSets"};
    std::vector<std::wstring> made_;
};
