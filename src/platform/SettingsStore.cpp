#include "SettingsStore.h"

#include "AnsiText.h"
#include "TextRules.h"
#include "modLorvane.h"

#include <windows.h>

namespace {

std::wstring SectionKey(const std::string& app, const std::string& section) {
    return L"Software\\VB and VBA Program Settings\\" + Utf8ToWide(app) + L"\\" +
           Utf8ToWide(section);
}

} // namespace

std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                       const std::string& defaultValue) {
    HKEY hkey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionKey(app, section).c_str(), 0, KEY_QUERY_VALUE,
                      &hkey) != ERROR_SUCCESS)
        return defaultValue;
    const std::wstring name = Utf8ToWide(key);
    DWORD type = 0, bytes = 0;
    std::string result = defaultValue;
    if (RegQueryValueExW(hkey, name.c_str(), nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::wstring buffer(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        if (RegQueryValueExW(hkey, name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(buffer.data()), &size) == ERROR_SUCCESS) {
            buffer.resize(size / sizeof(wchar_t));
            const size_t nul = buffer.find(L'\0');
            if (nul != std::wstring::npos)
                buffer.resize(nul);
            result = WideToUtf8(buffer);
        }
    }
    RegCloseKey(hkey);
    return result;
}

bool SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                 const std::string& value) {
    HKEY hkey = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SectionKey(app, section).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &hkey, nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring data = Utf8ToWide(value);
    const LONG status = RegSetValueExW(hkey, Utf8ToWide(key).c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(data.c_str()),
                                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(hkey);
    return status == ERROR_SUCCESS;
}

std::string GetProgramSetting(const std::string& section, const std::string& key,
                              const std::string& defaultValue) {
    return GetSetting(modLorvane::ProgramName, section, key, defaultValue);
}

bool SaveProgramSetting(const std::string& section, const std::string& key,
                        const std::string& value) {
    return SaveSetting(modLorvane::ProgramName, section, key, value);
}

bool GetProgramOption(const std::string& key, bool defaultValue) {
    return TextRules::ToBool(
        GetProgramSetting("OptionAndSettings", key, TextRules::FromBool(defaultValue)),
        defaultValue);
}
