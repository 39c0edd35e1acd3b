#include "TwinMachineKey.h"

#include "AnsiText.h"

TwinMachineKey::TwinMachineKey(const std::string& prefix, Place place)
    : name_(prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount())),
      place_(place) {
    Remove();
}

TwinMachineKey::~TwinMachineKey() {
    Remove();
}

HKEY TwinMachineKey::Root() const {
    return place_ == Place::Classes ? HKEY_CLASSES_ROOT : HKEY_LOCAL_MACHINE;
}

std::string TwinMachineKey::Sub(const std::string& relative) const {
    return (place_ == Place::Classes ? "" : "Software\\") + name_ +
           (relative.empty() ? "" : "\\" + relative);
}

bool TwinMachineKey::Put(REGSAM view, const std::string& relative, const std::string& name,
                         const std::string& text) const {
    HKEY key = nullptr;
    if (RegCreateKeyExW(Root(), Utf8ToWide(Sub(relative)).c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS | view, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring data = Utf8ToWide(text);
    const LONG status = RegSetValueExW(key, Utf8ToWide(name).c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(data.c_str()),
                                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

std::string TwinMachineKey::Get(REGSAM view, const std::string& relative,
                                const std::string& name) const {
    HKEY key = nullptr;
    if (RegOpenKeyExW(Root(), Utf8ToWide(Sub(relative)).c_str(), 0, KEY_QUERY_VALUE | view, &key) !=
        ERROR_SUCCESS)
        return "<none>";
    wchar_t data[1024] = {};
    DWORD type = REG_NONE, size = sizeof(data) - sizeof(wchar_t);
    const LONG status = RegQueryValueExW(key, Utf8ToWide(name).c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? WideToUtf8(data) : "<none>";
}

bool TwinMachineKey::Exists(REGSAM view, const std::string& relative) const {
    HKEY key = nullptr;
    if (RegOpenKeyExW(Root(), Utf8ToWide(Sub(relative)).c_str(), 0, KEY_READ | view, &key) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void TwinMachineKey::Remove() const {
    DeleteKeyInBothViews(Root(), Utf8ToWide(Sub()));
}

void DeleteKeyInBothViews(HKEY root, const std::wstring& subkey) {
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        HKEY open = nullptr;
        if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_ALL_ACCESS | view, &open) != ERROR_SUCCESS)
            continue;
        RegDeleteTreeW(open, nullptr);
        RegCloseKey(open);
        RegDeleteKeyExW(root, subkey.c_str(), view, 0);
    }
}
