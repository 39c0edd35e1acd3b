#include "RegistryKeyName.h"

#include "AnsiText.h"
#include "TextRules.h"

#include <vector>

namespace RegistryKeyName {

namespace {

constexpr std::string_view kRedirected = "Wow6432Node";

std::vector<std::string> NonEmptyParts(const std::string& path) {
    std::vector<std::string> parts;
    for (std::string& part : TextRules::Split(path, "\\"))
        if (!part.empty())
            parts.push_back(std::move(part));
    return parts;
}

// "\REGISTRY\USER\<user>_Classes": the system's own key of a user's classes.
bool IsUsersClasses(const std::vector<std::string>& head) {
    return head.size() == 3 && TextRules::EqualsNoCase(head[0], "REGISTRY") &&
           TextRules::EqualsNoCase(head[1], "USER") &&
           TextRules::EndsWith(head[2], "_Classes", TextRules::Compare::Text);
}

} // namespace

std::string SystemName(HKEY key) {
    using QueryKey = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    constexpr int kKeyNameInformation = 3;
    static const auto query = reinterpret_cast<QueryKey>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryKey")));
    if (!query)
        return {};
    std::vector<ULONG> buffer(1024); // a name length, then the name in UTF-16
    ULONG size = 0;
    const ULONG bytes = static_cast<ULONG>(buffer.size() * sizeof(ULONG));
    if (query(key, kKeyNameInformation, buffer.data(), bytes, &size) != 0 ||
        buffer[0] > bytes - sizeof(ULONG))
        return {};
    return WideToUtf8(std::wstring(reinterpret_cast<const wchar_t*>(buffer.data() + 1),
                                   buffer[0] / sizeof(wchar_t)));
}

std::string RealKeyText(const std::string& rootName, const std::string& subkey,
                        const std::string& systemName) {
    const std::vector<std::string> real = NonEmptyParts(systemName);
    const std::vector<std::string> parts = NonEmptyParts(subkey);
    // Both compared from their ends, where the caller's path and the system's name agree.
    std::vector<std::string> named;
    size_t p = parts.size(), r = real.size();
    bool inserted = false;
    while (r > 0) {
        if (p > 0 && TextRules::EqualsNoCase(parts[p - 1], real[r - 1])) {
            named.insert(named.begin(), parts[--p]);
            --r;
        } else if (TextRules::EqualsNoCase(real[r - 1], kRedirected)) {
            named.insert(named.begin(), real[--r]);
            inserted = true;
        } else {
            break;
        }
        if (p == 0 && (r == 0 || !TextRules::EqualsNoCase(real[r - 1], kRedirected)))
            break;
    }
    std::string text = rootName;
    if (p == 0 && TextRules::EqualsNoCase(rootName, "HKEY_CLASSES_ROOT") &&
        IsUsersClasses(std::vector<std::string>(real.begin(), real.begin() + r)))
        text = "HKEY_CURRENT_USER\\Software\\Classes";
    else if (!inserted)
        return rootName + "\\" + subkey;
    named.insert(named.begin(), parts.begin(), parts.begin() + static_cast<ptrdiff_t>(p));
    for (const std::string& part : named)
        text += "\\" + part;
    return text;
}

} // namespace RegistryKeyName
