#include "VersionInfo.h"

#include "AnsiText.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

std::vector<unsigned char> ReadVersionBlock(const std::string& path) {
    const std::wstring widePath = Utf8ToWide(path);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(widePath.c_str(), &handle);
    std::vector<unsigned char> block(size);
    if (size == 0 || !GetFileVersionInfoW(widePath.c_str(), 0, size, block.data()))
        block.clear();
    return block;
}

} // namespace

std::string ReadVersionString(const std::string& path, const char* field) {
    std::vector<unsigned char> block = ReadVersionBlock(path);
    if (block.empty())
        return {};

    // The listed languages first, then the string tables files commonly carry without listing
    // them (US English in Unicode or Windows Latin-1, neutral Unicode).
    std::vector<DWORD> tables;
    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translations = nullptr;
    UINT translationBytes = 0;
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                       reinterpret_cast<void**>(&translations), &translationBytes))
        for (UINT i = 0; i < translationBytes / sizeof(Translation); ++i)
            tables.push_back(MAKELONG(translations[i].codePage, translations[i].language));
    tables.insert(tables.end(), {0x040904B0, 0x040904E4, 0x000004B0});

    for (DWORD table : tables) {
        wchar_t query[128];
        std::swprintf(query, 128, L"\\StringFileInfo\\%08lx\\%hs",
                      static_cast<unsigned long>(table), field);
        wchar_t* value = nullptr;
        UINT valueChars = 0;
        if (!VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&value), &valueChars) ||
            value == nullptr || valueChars == 0)
            continue;
        std::wstring text(value, valueChars);
        const size_t nul = text.find(L'\0');
        if (nul != std::wstring::npos)
            text.resize(nul);
        return WideToUtf8(text);
    }
    return {};
}

std::string OwnExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return WideToUtf8(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string ProgramVersion() {
    std::vector<unsigned char> block = ReadVersionBlock(OwnExecutablePath());
    VS_FIXEDFILEINFO* info = nullptr;
    UINT size = 0;
    if (block.empty() ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &size) ||
        size < sizeof(VS_FIXEDFILEINFO))
        return "0.0";
    return std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(info->dwFileVersionMS));
}
