// Reads text fields of a file's version resource.
#pragma once

#include <string>

// The named field ("ProductName", "CompanyName", "Comments", ...) of the file's version
// information, from the first string table that has it (listed languages first); empty when the
// file, the resource or the field is missing. Loads only the resource, never the whole file.
std::string ReadVersionString(const std::string& path, const char* field);

// The full path of this process's own executable.
std::string OwnExecutablePath();
// "major.minor" of this program's own file version.
std::string ProgramVersion();
