// The browser start page that the start-page shield protects: the one registry value it reads
// and writes, the page it remembers, and the two answers to a changed page.
#pragma once

#include <windows.h>

#include <string>

namespace ModSetHomePage {

inline constexpr const char* kInternetExplorerMain = "Software\\Microsoft\\Internet Explorer\\Main";
inline constexpr const char* kStartPageValue = "Start Page";

// The key under HKEY_CURRENT_USER whose "Start Page" the shield watches and restores; tests
// point it at a key of their own.
inline std::string StartPageKey = kInternetExplorerMain;

// The start page read at the latest tick.
inline std::string CurrentHomePage;
// The remembered start page, loaded at every tick from "OptionAndSettings" "Homepage".
inline std::string SavedHomePage;

// Reads a value of root\key (opened with the mask 0x3F) whole, however long: a string as it
// stands less its terminating NUL, a 32-bit number as its signed decimal digits; a value of any
// other type leaves `value` as it was. All three give true. A missing key or value empties
// `value` and gives false.
bool QueryValue(HKEY root, const std::string& key, const std::string& valueName,
                std::string& value);

// Writes one value of an open key and returns the platform's status: type REG_SZ stores the text
// with one terminating NUL, REG_DWORD the text's number as 32 bits (a text that is no such number
// writes nothing); any other type writes nothing and gives 0.
long SetValueEx(HKEY key, const std::string& valueName, DWORD valueType, const std::string& value);

// Writes one value of HKEY_CURRENT_USER\key (opened with the mask 0x3F; never created). Nothing is
// reported.
void SetKeyValue(const std::string& key, const std::string& valueName, const std::string& value,
                 DWORD valueType);

// Keeps the remembered page: saved again as "Homepage" and written back as the start page.
void RestoreHomePage();
// Takes the page read at the latest tick as the one to remember.
void AcceptHomePage();

} // namespace ModSetHomePage
