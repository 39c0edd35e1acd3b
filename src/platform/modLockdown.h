// The program's own keyless per-character shift. Definition-file lines are stored scrambled,
// and outgoing submissions are scrambled with it; both work on the bytes exactly as stored.
#pragma once

#include <string>
#include <string_view>

namespace modLockdown {

// Each byte plus 64, less 255 (not 256) when the sum passes 255: so 0 and 255 both become 64,
// which the stored files and the server rely on.
std::string ScrambleString(std::string_view text);
// The inverse shift: each byte minus 64, plus 255 when it drops below 0.
std::string UnscrambleString(std::string_view text);
// UnscrambleString over the text itself, for readers that go through many lines.
void UnscrambleInPlace(std::string& text);

} // namespace modLockdown
