#include "ModSetHomePage.h"

#include "AnsiText.h"
#include "SettingsStore.h"
#include "TextRules.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace ModSetHomePage {

namespace {

// Query value, set value, create subkey, enumerate subkeys, notify, create link.
constexpr REGSAM kKeyAccess = 0x3F;

// Closes the key it opened when it goes.
class OpenedKey {
  public:
    OpenedKey(HKEY root, const std::string& key) {
        if (RegOpenKeyExW(root, Utf8ToWide(key).c_str(), 0, kKeyAccess, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~OpenedKey() {
        if (key_)
            RegCloseKey(key_);
    }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;

    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

// The value's type and all of its bytes. A value that grew between asking for its size and
// reading it is asked for again at its new size.
long ReadWhole(HKEY key, const std::wstring& name, DWORD& type, std::vector<BYTE>& data) {
    DWORD size = 0;
    long status = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    for (int attempt = 0; status == ERROR_SUCCESS && attempt < 8; ++attempt) {
        data.assign(size, 0);
        status = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_SUCCESS) {
            data.resize(size);
            return status;
        }
        if (status == ERROR_MORE_DATA)
            status = ERROR_SUCCESS;
    }
    return status == ERROR_SUCCESS ? ERROR_MORE_DATA : status;
}

void SaveRemembered(const std::string& page) {
    SaveProgramSetting("OptionAndSettings", "Homepage", page);
}

} // namespace

bool QueryValue(HKEY root, const std::string& key, const std::string& valueName,
                std::string& value) {
    const OpenedKey opened(root, key);
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    if (!opened.get() || ReadWhole(opened.get(), Utf8ToWide(valueName), type, data) != 0) {
        value.clear();
        return false;
    }
    if (type == REG_SZ) {
        std::wstring text(data.size() / sizeof(wchar_t), L'\0');
        std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
        if (!text.empty() && text.back() == L'\0')
            text.pop_back();
        value = WideToUtf8(text);
    } else if (type == REG_DWORD) {
        int32_t number = 0;
        std::memcpy(&number, data.data(), std::min(data.size(), sizeof(number)));
        value = std::to_string(number);
    }
    return true;
}

long SetValueEx(HKEY key, const std::string& valueName, DWORD valueType, const std::string& value) {
    const std::wstring name = Utf8ToWide(valueName);
    if (valueType == REG_SZ) {
        const std::wstring text = Utf8ToWide(value);
        return RegSetValueExW(key, name.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    if (valueType == REG_DWORD) {
        const double number = TextRules::ToDouble(value, std::nan(""));
        if (!(number >= INT32_MIN - 0.5 && number < INT32_MAX + 0.5))
            return ERROR_INVALID_PARAMETER;
        const int32_t whole = static_cast<int32_t>(TextRules::RoundHalfEven(number));
        return RegSetValueExW(key, name.c_str(), 0, REG_DWORD,
                              reinterpret_cast<const BYTE*>(&whole), sizeof(whole));
    }
    return 0;
}

void SetKeyValue(const std::string& key, const std::string& valueName, const std::string& value,
                 DWORD valueType) {
    const OpenedKey opened(HKEY_CURRENT_USER, key);
    if (opened.get())
        SetValueEx(opened.get(), valueName, valueType, value);
}

void RestoreHomePage() {
    SaveRemembered(SavedHomePage);
    SetKeyValue(StartPageKey, kStartPageValue, SavedHomePage, REG_SZ);
}

void AcceptHomePage() {
    SaveRemembered(CurrentHomePage);
}

} // namespace ModSetHomePage
