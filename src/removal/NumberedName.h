// The names the quarantine gives a copy or a backup whose name is taken: "name (2).ext",
// "name (3).ext", and so on.
#pragma once

#include <string>

// How many numbered names are tried before giving up.
inline constexpr int kMaxNameNumber = 10000;

// "name (n).ext" for a file, "name (n)" for a folder; the name itself for n = 1.
inline std::string NumberedName(const std::string& name, int number, bool keepExtension) {
    if (number == 1)
        return name;
    const std::string suffix = " (" + std::to_string(number) + ")";
    const size_t dot = keepExtension ? name.rfind('.') : std::string::npos;
    if (dot == std::string::npos || dot == 0)
        return name + suffix;
    return name.substr(0, dot) + suffix + name.substr(dot);
}
