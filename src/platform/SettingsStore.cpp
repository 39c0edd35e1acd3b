#include "SettingsStore.h"

#include "AnsiText.h"
#include "TextRules.h"
#include "modLorvane.h"

#include <windows.h>

#include <map>
#include <optional>

namespace {

// What the store has read or written of the program's own settings during this run, by app,
// section and key (the registry ignores case in names, so does this); no value for a value
// missing or not text. Timers read options many times a second, and each read of the registry is
// a round trip to the system. Only this program writes its own settings; another program's
// record (the sibling tool's) may change at any time, so it is never kept.
std::map<std::string, std::optional<std::string>>& Known() {
    static std::map<std::string, std::optional<std::string>> known;
    return known;
}

std::string KnownName(const std::string& app, const std::string& section, const std::string& key) {
    return TextRules::ToLower(app + '\n' + section + '\n' + key);
}

bool IsProgramsOwn(const std::string& app) {
    return TextRules::EqualsNoCase(app, modLorvane::ProgramName);
}

std::wstring SectionKey(const std::string& app, const std::string& section) {
    return L"Software\\VB and VBA Program Settings\\" + Utf8ToWide(app) + L"\\" +
           Utf8ToWide(section);
}

std::optional<std::string> ReadValue(const std::string& app, const std::string& section,
                                     const std::string& key) {
    HKEY hkey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionKey(app, section).c_str(), 0, KEY_QUERY_VALUE,
                      &hkey) != ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring name = Utf8ToWide(key);
    DWORD type = 0, bytes = 0;
    std::optional<std::string> result;
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

} // namespace

std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                       const std::string& defaultValue) {
    if (!IsProgramsOwn(app))
        return ReadValue(app, section, key).value_or(defaultValue);
    const std::string name = KnownName(app, section, key);
    auto known = Known().find(name);
    if (known == Known().end())
        known = Known().emplace(name, ReadValue(app, section, key)).first;
    return known->second.value_or(defaultValue);
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
    if (status != ERROR_SUCCESS)
        return false;
    // As a read would give it back: the text ends at its first NUL.
    if (IsProgramsOwn(app))
        Known()[KnownName(app, section, key)] = value.substr(0, value.find('\0'));
    return true;
}

void ForgetStoredSettings() {
    Known().clear();
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
