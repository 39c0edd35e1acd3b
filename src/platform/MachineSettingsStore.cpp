#include "MachineSettingsStore.h"

#include "AnsiText.h"
#include "ModRegistryRelated.h"
#include "SettingsStore.h"
#include "TextRules.h"
#include "modLorvane.h"

#include <windows.h>

namespace {

// Every value and subkey right, and read access; the masks this store has always used.
constexpr REGSAM kWriteAccess = 0x2003F;
constexpr REGSAM kReadAccess = 0x20019;

// The store lives in the registry's 32-bit view, as the 32-bit program kept it
// ("SOFTWARE\Wow6432Node\..." on 64-bit Windows). An earlier 64-bit build kept it in the 64-bit
// view: what is found only there is read too, so an upgrade does not show the first run again.
constexpr REGSAM kStoreView = ModRegistryRelated::RegistryView;
constexpr REGSAM kEarlierView = KEY_WOW64_64KEY;

MachineSettingPrompt& Prompt() {
    static MachineSettingPrompt prompt;
    return prompt;
}

std::wstring SectionKey(const std::string& appName, const std::string& section) {
    return Utf8ToWide("SOFTWARE\\" + TextRules::Trim(modLorvane::CompanyName) + "\\" +
                      TextRules::Trim(appName) + "\\" + TextRules::Trim(section));
}

LONG WriteValue(const std::wstring& path, const std::string& key, const std::string& value) {
    HKEY hkey = nullptr;
    LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                                  kWriteAccess | kStoreView, nullptr, &hkey, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    const std::wstring data = Utf8ToWide(value);
    status = RegSetValueExW(hkey, Utf8ToWide(key).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(hkey);
    return status;
}

constexpr const char* kPermissionDeniedText =
    " requires read/write access to the system registry and hard drive in order to run "
    "properly.  This user account does not have the proper permissions set.  As a result some "
    "or all of your settings may not be properly saved.  Please contact your system "
    "administrator or change the permission settings for this account.\r\n\r\nIf you would "
    "like to prevent this error message from being displayed again, please press 'Ignore'.";

std::string Fail(MachineSettingError* error, uint32_t number, const char* description) {
    if (error)
        *error = {number, description};
    return {};
}

enum class Read { Found, Absent, Failed };

// The value in one view of the registry; `value` is set when found, `error` when failed.
Read ReadValue(REGSAM view, const std::wstring& path, const std::string& key,
               const std::string& defaultValue, std::string& value, MachineSettingError* error) {
    HKEY hkey = nullptr;
    const LONG status =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, kReadAccess | view, &hkey);
    if (status == ERROR_FILE_NOT_FOUND)
        return Read::Absent;
    if (status != ERROR_SUCCESS) {
        Fail(error, kMachineSettingErrorBase + 2000 + static_cast<uint32_t>(status),
             "Could not open registry section");
        return Read::Failed;
    }
    const std::wstring name = Utf8ToWide(key);
    DWORD type = 0, bytes = 0;
    Read read = Read::Absent;
    if (RegQueryValueExW(hkey, name.c_str(), nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS) {
        if (type != REG_SZ) {
            RegCloseKey(hkey);
            Fail(error, kMachineSettingErrorBase + 2000 + type, "Registry data not a string");
            return Read::Failed;
        }
        read = Read::Found;
        value = defaultValue;
        std::wstring data((bytes + 1) / sizeof(wchar_t), L'\0');
        bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        if (data.empty()) {
            value.clear();
        } else if (RegQueryValueExW(hkey, name.c_str(), nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(data.data()),
                                    &bytes) == ERROR_SUCCESS) {
            data.resize(bytes / sizeof(wchar_t));
            // A value written without its terminator keeps its last character.
            if (!data.empty() && data.back() == L'\0')
                data.pop_back();
            value = WideToUtf8(data);
        }
    }
    RegCloseKey(hkey);
    return read;
}

} // namespace

void SetMachineSettingPrompt(MachineSettingPrompt prompt) {
    Prompt() = std::move(prompt);
}

void SaveMachineSetting(const std::string& appName, const std::string& section,
                        const std::string& key, const std::string& value) {
    const std::wstring path = SectionKey(appName, section);
    while (WriteValue(path, key, value) != ERROR_SUCCESS) {
        // A user who chose Ignore once is not asked again; with no box connected nobody can be.
        if (!Prompt() || GetSetting(modLorvane::ProgramName, "Settings",
                                    "IgnorePermissionDeniedError", "0") == "1")
            return;
        switch (Prompt()(modLorvane::ProgramName + kPermissionDeniedText, MB_ABORTRETRYIGNORE,
                         "Permission Denied")) {
        case IDRETRY:
            continue;
        case IDIGNORE:
            SaveSetting(modLorvane::ProgramName, "Settings", "IgnorePermissionDeniedError", "1");
            return;
        default: // Abort, or the box closed otherwise
            return;
        }
    }
}

std::string GetMachineSetting(const std::string& appName, const std::string& section,
                              const std::string& key, const std::string& defaultValue,
                              MachineSettingError* error) {
    if (error)
        *error = {};
    if (TextRules::Trim(appName).empty())
        return Fail(error, kMachineSettingErrorBase + 1000, "AppName may not be empty");
    if (TextRules::Trim(section).empty())
        return Fail(error, kMachineSettingErrorBase + 1001, "Section may not be empty");
    if (TextRules::Trim(key).empty())
        return Fail(error, kMachineSettingErrorBase + 1002, "Key may not be empty");

    const std::wstring path = SectionKey(appName, section);
    for (REGSAM view : {kStoreView, kEarlierView}) {
        std::string value;
        switch (ReadValue(view, path, key, defaultValue, value, error)) {
        case Read::Found:
            return value;
        case Read::Failed:
            return {};
        case Read::Absent:
            break;
        }
    }
    return defaultValue;
}
