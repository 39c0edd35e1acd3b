// Where the program runs from, as the original toolkit's App object gave it.
#pragma once

#include <string>

namespace AppPath {

// The program folder, without a trailing "\".
std::string Path();
// The executable's name without extension.
std::string ExeName();
// True when another copy of this executable is running (asked once; the answer stands).
bool PrevInstance();

} // namespace AppPath
