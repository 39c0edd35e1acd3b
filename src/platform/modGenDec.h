// Path macros and the special, system and system-drive folders behind them.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace modGenDec {

// Gives a special folder's path by CSIDL number, or nothing when the system has none.
using SpecialFolderLookup = std::function<std::optional<std::string>(int csidl)>;

// Replaces the folder lookup behind ExpandPathMacros (tests use a fake); an empty function
// restores the system's. Either way the cache of looked-up folders is cleared.
void SetSpecialFolderLookup(SpecialFolderLookup lookup);

// Replaces the 32 bracketed tokens ("[windir]", "[appdata]", "[user]", ...) in their fixed order,
// each everywhere it occurs; "[user]" and "[alluser]" match only in lower case. The argument is
// changed to the result, which is also returned. When a token in the text stands for a folder
// this system does not have, the token is dropped and `missingToken` (if given) receives the
// first such token as written in the table, so the caller can skip the entry instead of acting
// on a path that no longer names the intended place. The folders are those a 32-bit program's
// calls answer; the result is a name, not yet the place it leads to (X86View::TranslatePath).
const std::string& ExpandPathMacros(std::string& text, std::string* missingToken = nullptr);

// Replaces every "\\" by "\" in one left-to-right pass.
void CollapseDoubleBackslashes(std::string& path);

// The special folder's path ending in "\" (looked up once per process), or empty when the
// system has no such folder; a 32-bit program's folder where the two views differ.
std::string GetSpecialFolderPath(int csidl);
// The special folder's path through its item list, ending in "\"; empty on failure.
std::string GetSpecialFolderByLocation(int csidl);
// The drive root of the user's Programs folder, such as "C:\"; empty on failure.
std::string GetSystemDriveRoot();
// The system folder as a 32-bit program's GetSystemDirectory names it ("...\System32"), ending
// in "\".
std::string GetSystemDir();
// The same without a trailing "\".
std::string GetSystemDirectoryText();

} // namespace modGenDec
