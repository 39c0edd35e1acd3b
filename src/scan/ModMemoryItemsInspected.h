// What the scanners learn about a program file besides its name.
#pragma once

#include <string>

namespace ModMemoryItemsInspected {

// The company name in the file's version information; empty when it has none, and for a
// folder. Reads only the version resource.
std::string GetFileCompanyName(const std::string& path);

} // namespace ModMemoryItemsInspected
