// The program acts only on paths that start with a drive letter. Under Wine a path without
// one ("\\?\unix\...", or a UNC path) can reach the files of the machine Wine runs on.
#pragma once

#include <string>

namespace DrivePath {

// True for "X:\..." (or "X:" alone), also behind a "\\?\" prefix; false for every other form:
// relative paths, "X:name", "\\?\unix\...", "\\.\...", UNC paths.
bool HasDriveLetter(const std::string& path);

} // namespace DrivePath
