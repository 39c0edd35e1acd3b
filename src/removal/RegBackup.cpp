#include "RegBackup.h"

#include "AnsiText.h"
#include "NumberedName.h"
#include "TextRules.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

using ModRegistryRelated::RegistryKeyTree;
using ModRegistryRelated::RegistryValueData;

namespace RegBackup {

namespace {

// The registry editor breaks a hex line once it has reached this many characters.
constexpr size_t kHexLineLimit = 77;
// Backup names are cut to this many characters, keeping their end, where the key is most
// particular, so the path stays well within what the system accepts.
constexpr size_t kNameLimit = 120;

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

// "\" doubled first, then every double quote preceded by "\", all in double quotes.
std::string Quoted(const std::string& text) {
    return "\"" + TextRules::Replace(TextRules::Replace(text, "\\", "\\\\"), "\"", "\\\"") + "\"";
}

// The text of a string value the "name"="data" form gives back exactly: one terminating NUL
// and none before it, no line break.
bool PlainString(const RegistryValueData& value, std::string& text) {
    const size_t size = value.Data.size();
    if (size < sizeof(wchar_t) || size % sizeof(wchar_t) != 0)
        return false;
    std::wstring wide(size / sizeof(wchar_t), L'\0');
    memcpy(wide.data(), value.Data.data(), size);
    if (wide.back() != L'\0')
        return false;
    wide.pop_back();
    if (wide.find_first_of(std::wstring(L"\r\n\0", 3)) != std::wstring::npos)
        return false;
    text = WideToUtf8(wide);
    return true;
}

// "hex:" for binary data, "hex(<type in hex digits>):" for every other type.
std::string HexTypePrefix(DWORD type) {
    if (type == REG_BINARY)
        return "hex:";
    char prefix[24];
    snprintf(prefix, sizeof prefix, "hex(%lx):", static_cast<unsigned long>(type));
    return prefix;
}

// Bytes as the registry editor writes them: two hex digits each, separated by commas, the line
// continued with "\" and two spaces once it is long enough.
void AppendHex(std::string& text, const std::string& start,
               const std::vector<unsigned char>& data) {
    text += start;
    size_t lineLength = TextRules::CharacterCount(start);
    for (size_t i = 0; i < data.size(); ++i) {
        char digits[3];
        snprintf(digits, sizeof digits, "%02x", data[i]);
        text += digits;
        if (i + 1 == data.size())
            break;
        text += ',';
        lineLength += 3;
        if (lineLength >= kHexLineLimit) {
            text += "\\\r\n  ";
            lineLength = 2;
        }
    }
    text += "\r\n";
}

bool AppendValue(std::string& text, const RegistryValueData& value) {
    if (HasLineBreak(value.Name))
        return false;
    const std::string start = value.Name.empty() ? "@=" : Quoted(value.Name) + "=";
    std::string plain;
    if (value.Type == REG_SZ && PlainString(value, plain)) {
        text += start + Quoted(plain) + "\r\n";
    } else if (value.Type == REG_DWORD && value.Data.size() == sizeof(DWORD)) {
        DWORD number = 0;
        memcpy(&number, value.Data.data(), sizeof number);
        char digits[16];
        snprintf(digits, sizeof digits, "%08lx", static_cast<unsigned long>(number));
        text += start + "dword:" + digits + "\r\n";
    } else {
        AppendHex(text, start + HexTypePrefix(value.Type), value.Data);
    }
    return true;
}

bool AppendKey(std::string& text, const RegistryKeyTree& tree) {
    if (HasLineBreak(tree.Key))
        return false;
    text += "[" + tree.Key + "]\r\n";
    for (const RegistryValueData& value : tree.Values)
        if (!AppendValue(text, value))
            return false;
    text += "\r\n";
    for (const RegistryKeyTree& subkey : tree.Subkeys)
        if (!AppendKey(text, subkey))
            return false;
    return true;
}

// The last `count` characters of a UTF-8 text.
std::string LastCharacters(const std::string& text, size_t count) {
    size_t start = text.size();
    for (size_t kept = 0; start > 0 && kept < count; ++kept) {
        do
            --start;
        while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80);
    }
    return text.substr(start);
}

bool WriteNewFile(const std::string& path, const std::wstring& content, bool& nameTaken) {
    const std::wstring wide = Utf8ToWide(path);
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        nameTaken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        return false;
    }
    nameTaken = false;
    const DWORD size = static_cast<DWORD>(content.size() * sizeof(wchar_t));
    DWORD written = 0;
    const bool complete =
        WriteFile(file, content.data(), size, &written, nullptr) && written == size;
    const bool closed = CloseHandle(file) != FALSE;
    if (complete && closed)
        return true;
    DeleteFileW(wide.c_str());
    return false;
}

} // namespace

bool RegFileText(const RegistryKeyTree& tree, std::string& text) {
    text = "Windows Registry Editor Version 5.00\r\n\r\n";
    return AppendKey(text, tree);
}

std::string BackupName(const std::string& key, const std::string& value) {
    std::string name;
    for (char c : key + " - " + (value.empty() ? std::string("(Default)") : value))
        if (static_cast<unsigned char>(c) >= 0x20 &&
            std::string_view("\\/:*?\"<>|").find(c) == std::string_view::npos)
            name += c;
    name = LastCharacters(name, kNameLimit);
    while (!name.empty() && (name.back() == '.' || name.back() == ' '))
        name.pop_back();
    return TextRules::Trim(name);
}

bool WriteBackup(const std::string& folder, const ModRegistryRelated::RegistryDeletion& deletion) {
    std::string text;
    if (!RegFileText(deletion.Data, text))
        return false;
    const std::wstring content = L"\xFEFF" + Utf8ToWide(text);
    const std::string name = BackupName(deletion.Key, deletion.Value) + ".reg";
    for (int number = 1; number < kMaxNameNumber; ++number) {
        const std::string path = folder + "\\" + NumberedName(name, number, true);
        bool nameTaken = false;
        if (WriteNewFile(path, content, nameTaken))
            return true;
        if (!nameTaken)
            return false;
    }
    return false;
}

} // namespace RegBackup
