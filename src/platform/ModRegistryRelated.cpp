#include "ModRegistryRelated.h"

#include "AnsiText.h"
#include "RegistryKeyGuard.h"
#include "RegistryKeyName.h"
#include "TextRules.h"

#include <cmath>

namespace ModRegistryRelated {

namespace {

struct RootKey {
    const char* name;
    uint32_t handle;
};

// Index 4 is HKEY_CURRENT_CONFIG (0x80000005): the performance-data root has no index.
constexpr RootKey kRootKeys[] = {
    {"HKEY_CLASSES_ROOT", 0x80000000u},   {"HKEY_CURRENT_USER", 0x80000001u},
    {"HKEY_LOCAL_MACHINE", 0x80000002u},  {"HKEY_USERS", 0x80000003u},
    {"HKEY_CURRENT_CONFIG", 0x80000005u}, {"HKEY_DYN_DATA", 0x80000006u},
};

// Query value, set value, create subkey, enumerate subkeys, notify, create link: asking for
// write rights makes a key the user may only read count as missing.
constexpr REGSAM kScanAccess = 0x3F;

RegistryBackupHook backupHook;
RegistryDeletionSink deletionSink;
KeyTreeDeleter keyTreeDeleter;

const RootKey* FindRoot(int32_t root) {
    for (const RootKey& key : kRootKeys)
        if (static_cast<int32_t>(key.handle) == root)
            return &key;
    return nullptr;
}

// Predefined handles are sign-extended numbers, as the system headers define them.
HKEY RootHandle(const RootKey& root) {
    return reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<int32_t>(root.handle)));
}

// Closes the key it holds when it goes.
class OpenKey {
  public:
    OpenKey() = default;
    OpenKey(HKEY parent, const std::wstring& subkey, REGSAM access) {
        if (RegOpenKeyExW(parent, subkey.c_str(), 0, access, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~OpenKey() {
        if (key_)
            RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    HKEY get() const { return key_; }
    HKEY* receive() { return &key_; }
    explicit operator bool() const { return key_ != nullptr; }

  private:
    HKEY key_ = nullptr;
};

OpenKey OpenUnderRoot(int32_t root, const std::string& subkey, REGSAM access) {
    const RootKey* known = FindRoot(root);
    if (!known)
        return {};
    return OpenKey(RootHandle(*known), Utf8ToWide(subkey), access | RegistryView);
}

std::string KeyText(const RootKey& root, const std::string& subkey) {
    return std::string(root.name) + "\\" + subkey;
}

// A key as a ".reg" section names it: without trailing separators.
std::string SectionKey(std::string key) {
    while (!key.empty() && key.back() == '\\')
        key.pop_back();
    return key;
}

bool NamesWholeRoot(const std::string& subkey) {
    return subkey.find_first_not_of(" \\") == std::string::npos;
}

// The key text of an open key where it really is (RegistryKeyName::RealKeyText).
std::string RealKeyText(HKEY key, const RootKey& root, const std::string& subkey) {
    return RegistryKeyName::RealKeyText(root.name, subkey, RegistryKeyName::SystemName(key));
}

// A value's type and raw bytes; false when the key does not hold it.
bool CaptureValue(HKEY key, const std::wstring& name, RegistryValueData& value) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    value.Name = WideToUtf8(name);
    value.Type = type;
    value.Data.resize(size);
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, value.Data.data(), &size) !=
        ERROR_SUCCESS)
        return false;
    value.Type = type;
    value.Data.resize(size);
    return true;
}

// Reads a key with its values and subkeys; false when any of them could not be read, since a
// deletion would then remove data the backup does not hold.
bool CaptureTree(HKEY key, const std::string& keyText, RegistryKeyTree& tree) {
    tree.Key = SectionKey(keyText);
    DWORD subkeys = 0, longestSubkey = 0, values = 0, longestValueName = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &longestSubkey, nullptr, &values,
                         &longestValueName, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    bool complete = true;
    std::wstring name(longestValueName + 1, L'\0');
    for (DWORD i = 0; i < values; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        RegistryValueData value;
        if (RegEnumValueW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS ||
            !CaptureValue(key, std::wstring(name.data(), length), value)) {
            complete = false;
            continue;
        }
        tree.Values.push_back(std::move(value));
    }
    std::wstring subkeyName(longestSubkey + 1, L'\0');
    for (DWORD i = 0; i < subkeys; ++i) {
        DWORD length = static_cast<DWORD>(subkeyName.size());
        if (RegEnumKeyExW(key, i, subkeyName.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            complete = false;
            continue;
        }
        const std::wstring child(subkeyName.data(), length);
        OpenKey open(key, child, KEY_READ | RegistryView);
        if (!open) {
            complete = false;
            continue;
        }
        tree.Subkeys.emplace_back();
        complete &=
            CaptureTree(open.get(), tree.Key + "\\" + WideToUtf8(child), tree.Subkeys.back());
    }
    return complete;
}

// The keys and values of a tree, counted.
size_t EntryCount(const RegistryKeyTree& tree) {
    size_t count = 1 + tree.Values.size();
    for (const RegistryKeyTree& subkey : tree.Subkeys)
        count += EntryCount(subkey);
    return count;
}

// After a refused deletion: true when part of the key went all the same (a subkey or value the
// deletion reached before the refusal), or the key is gone.
bool RemovedInPart(HKEY root, const std::wstring& subkey, const RegistryKeyTree& before) {
    const OpenKey key(root, subkey, KEY_READ | RegistryView);
    if (!key)
        return true;
    RegistryKeyTree after;
    CaptureTree(key.get(), before.Key, after);
    return EntryCount(after) < EntryCount(before);
}

// Deletes root\subkey with everything below it, in the program's view at every depth: a bare
// root handle has no view, so a tree deletion relative to it (SHDeleteKey) would take the
// 64-bit key of the same name. The contents go through the key opened in the view, then the
// key itself by its path in the view.
long DeleteTreeInView(HKEY root, const std::wstring& subkey) {
    {
        const OpenKey key(root, subkey,
                          DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE |
                              RegistryView);
        if (!key)
            return ERROR_FILE_NOT_FOUND;
        const long status = RegDeleteTreeW(key.get(), nullptr);
        if (status != ERROR_SUCCESS)
            return status;
    }
    return RegDeleteKeyExW(root, subkey.c_str(), RegistryView, 0);
}

bool BackedUp(const RegistryDeletion& deletion) {
    return !backupHook || backupHook(deletion);
}

void Report(const RegistryDeletion& deletion) {
    if (deletionSink)
        deletionSink(deletion);
}

// A text the original would take as a number, in the range a REG_DWORD can hold.
bool AsDword(const std::string& value, DWORD& number) {
    // strtod also reads hexadecimal texts, which are not numbers here.
    if (value.find_first_of("xX") != std::string::npos)
        return false;
    const double parsed = TextRules::ToDouble(value, std::nan(""));
    if (std::isnan(parsed))
        return false;
    const double rounded = std::nearbyint(parsed);
    if (rounded < -2147483648.0 || rounded > 4294967295.0)
        return false;
    number = rounded < 0 ? static_cast<DWORD>(static_cast<int32_t>(rounded))
                         : static_cast<DWORD>(rounded);
    return true;
}

} // namespace

int32_t GetRootKey(const std::string& index) {
    RootKeyName.clear();
    // strtod also reads hexadecimal texts, which are not indexes here.
    if (index.find_first_of("xX") != std::string::npos)
        return -1;
    const double number = TextRules::ToDouble(index, -1);
    if (number != std::floor(number) || number < 0 || number > 5)
        return -1;
    const RootKey& root = kRootKeys[static_cast<int>(number)];
    RootKeyName = root.name;
    return static_cast<int32_t>(root.handle);
}

long QueryValueEx(HKEY key, const std::string& valueName, std::string& value) {
    value.clear();
    const std::wstring name = Utf8ToWide(valueName);
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return -1;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        const long status = RegQueryValueExW(key, name.c_str(), nullptr, nullptr,
                                             reinterpret_cast<BYTE*>(text.data()), &size);
        if (status != ERROR_SUCCESS)
            return status;
        text.resize(size / sizeof(wchar_t));
        // Only the terminating NUL goes: a value stored without one keeps its last character.
        if (!text.empty() && text.back() == L'\0')
            text.pop_back();
        value = WideToUtf8(text);
        return ERROR_SUCCESS;
    }
    if (type == REG_DWORD) {
        DWORD number = 0;
        size = sizeof(number);
        const long status = RegQueryValueExW(key, name.c_str(), nullptr, nullptr,
                                             reinterpret_cast<BYTE*>(&number), &size);
        // Signed, as the program writes numbers.
        if (status == ERROR_SUCCESS)
            value = std::to_string(static_cast<int32_t>(number));
        return status;
    }
    return -1;
}

bool GetRegistryValue(int32_t root, const std::string& subkey, const std::string& valueName,
                      std::string& value) {
    value.clear();
    const OpenKey key = OpenUnderRoot(root, subkey, kScanAccess);
    if (!key)
        return false;
    if (QueryValueEx(key.get(), valueName, value) == ERROR_SUCCESS)
        return true;
    value.clear();
    return false;
}

bool RegistryKeyExists(int32_t root, const std::string& subkey) {
    return static_cast<bool>(OpenUnderRoot(root, subkey, kScanAccess));
}

bool RegistryValueExists(int32_t root, const std::string& subkey, const std::string& valueName) {
    const OpenKey key = OpenUnderRoot(root, subkey, kScanAccess);
    return key && RegQueryValueExW(key.get(), Utf8ToWide(valueName).c_str(), nullptr, nullptr,
                                   nullptr, nullptr) == ERROR_SUCCESS;
}

void SetRegistryValue(int32_t root, const std::string& subkey, const std::string& valueName,
                      const std::string& value) {
    const RootKey* known = FindRoot(root);
    if (!known)
        return;
    OpenKey key;
    if (RegCreateKeyExW(RootHandle(*known), Utf8ToWide(subkey).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE | RegistryView, nullptr, key.receive(),
                        nullptr) != ERROR_SUCCESS)
        return;
    const std::wstring name = Utf8ToWide(valueName);
    DWORD number = 0;
    if (AsDword(value, number)) {
        RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&number), sizeof(number));
        return;
    }
    const std::wstring text = Utf8ToWide(TextRules::Trim(value));
    RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void SetRegistryBackupHook(RegistryBackupHook hook) {
    backupHook = std::move(hook);
}

void SetRegistryDeletionSink(RegistryDeletionSink sink) {
    deletionSink = std::move(sink);
}

void SetKeyTreeDeleter(KeyTreeDeleter deleter) {
    keyTreeDeleter = std::move(deleter);
}

bool DeleteRegistryKey(int32_t root, const std::string& subkey) {
    const RootKey* known = FindRoot(root);
    if (!known || NamesWholeRoot(subkey) || !RegistryKeyGuard::MayDeleteKey(root, subkey))
        return false;
    RegistryDeletion deletion{KeyText(*known, subkey), "All Values", {}};
    {
        // A key that cannot be read whole cannot be backed up; it stays.
        const OpenKey key(RootHandle(*known), Utf8ToWide(subkey), KEY_READ | RegistryView);
        if (!key || !CaptureTree(key.get(), RealKeyText(key.get(), *known, subkey), deletion.Data))
            return false;
    }
    if (!BackedUp(deletion))
        return false;
    std::string path = subkey;
    while (path.back() == '\\')
        path.pop_back();
    const HKEY from = RootHandle(*known);
    const std::wstring wide = Utf8ToWide(path);
    const long status = keyTreeDeleter ? keyTreeDeleter(from, wide) : DeleteTreeInView(from, wide);
    if (status == ERROR_SUCCESS) {
        Report(deletion);
        return true;
    }
    // What went before the refusal is held by the backup: it is reported all the same.
    if (RemovedInPart(from, wide, deletion.Data))
        Report(deletion);
    return false;
}

bool DeleteRegistryValue(int32_t root, const std::string& subkey, const std::string& valueName) {
    const RootKey* known = FindRoot(root);
    if (!known || NamesWholeRoot(subkey))
        return false;
    const OpenKey key(RootHandle(*known), Utf8ToWide(subkey),
                      KEY_QUERY_VALUE | KEY_SET_VALUE | RegistryView);
    if (!key)
        return false;
    const std::wstring name = Utf8ToWide(valueName);
    RegistryDeletion deletion{KeyText(*known, subkey), valueName, {}};
    deletion.Data.Key = SectionKey(RealKeyText(key.get(), *known, subkey));
    deletion.Data.Values.emplace_back();
    if (!CaptureValue(key.get(), name, deletion.Data.Values.back()) || !BackedUp(deletion) ||
        RegDeleteValueW(key.get(), name.c_str()) != ERROR_SUCCESS)
        return false;
    if (!valueName.empty())
        Report(deletion);
    return true;
}

} // namespace ModRegistryRelated
