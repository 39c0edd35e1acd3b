#include "ProtectedRegistryKeys.h"

ControlSetsPlanted::ControlSetsPlanted() {
    for (const wchar_t* key : {L"System\\ControlSet001", L"System\\ControlSet001\\Services",
                               L"System\\ControlSet002", L"System\\ControlSet002\\Services"}) {
        HKEY open = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_READ, nullptr, &open,
                            &disposition) != ERROR_SUCCESS)
            continue;
        RegCloseKey(open);
        if (disposition == REG_CREATED_NEW_KEY)
            made_.push_back(key);
    }
}

ControlSetsPlanted::~ControlSetsPlanted() {
    for (auto key = made_.rbegin(); key != made_.rend(); ++key)
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, key->c_str());
}
