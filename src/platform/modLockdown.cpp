#include "modLockdown.h"

namespace modLockdown {

std::string ScrambleString(std::string_view text) {
    std::string result(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        int s = static_cast<unsigned char>(text[i]) + 64;
        if (s > 255)
            s -= 255;
        result[i] = static_cast<char>(s);
    }
    return result;
}

std::string UnscrambleString(std::string_view text) {
    std::string result(text);
    UnscrambleInPlace(result);
    return result;
}

void UnscrambleInPlace(std::string& text) {
    for (char& c : text) {
        int u = static_cast<unsigned char>(c) - 64;
        if (u < 0)
            u += 255;
        c = static_cast<char>(u);
    }
}

} // namespace modLockdown
