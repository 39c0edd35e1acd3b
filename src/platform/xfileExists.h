// Small file helpers shared by the whole program.
#pragma once

#include <string>

namespace xfileExists {

// True when a normal file of exactly that name exists: hidden and system files, folders and
// wildcard patterns never count.
bool FileExists(const std::string& path);
// True when the folder exists.
bool FolderExists(const std::string& path);
// The text after the last "\" (all of it when there is none).
std::string FileNamePart(const std::string& path);
// The extension in lower case, trimmed, without the dot; empty when the last dot lies in a
// folder name, ends the name, or there is none.
std::string GetFileExtension(const std::string& path);

} // namespace xfileExists
