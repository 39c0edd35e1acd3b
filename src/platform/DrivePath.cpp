#include "DrivePath.h"

#include <string_view>

namespace DrivePath {

bool HasDriveLetter(const std::string& path) {
    std::string_view rest = path;
    if (rest.substr(0, 4) == "\\\\?\\")
        rest.remove_prefix(4);
    if (rest.size() < 2 || rest[1] != ':')
        return false;
    const char letter = rest[0];
    if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z')))
        return false;
    return rest.size() == 2 || rest[2] == '\\';
}

} // namespace DrivePath
