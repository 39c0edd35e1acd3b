// Small file helpers shared by the whole program.
#pragma once

#include <string>
#include <string_view>

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

// Replaces the file's content in one step: the bytes go to a file beside it, are flushed, and
// that file takes the old one's place, so an interruption leaves the old file or the new one,
// never a part. False (the old file untouched) when any step failed.
bool ReplaceFileContent(const std::string& path, std::string_view content);

} // namespace xfileExists
