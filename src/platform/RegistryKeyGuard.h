// The registry keys no definition may have deleted as a whole: the roots, the keys right below
// them (but for the classes), the system's own class keys, the keys Windows itself depends on
// (in every control set), and every key that holds one of these. The scanner does not list such
// a key as a threat, and the key deletion refuses it; values inside them stay removable.
#pragma once

#include <cstdint>
#include <string>

namespace RegistryKeyGuard {

// False for a key that must never be deleted as a whole. `root` is a handle as GetRootKey gives
// it; the subkey is compared part by part without regard to case, with empty parts (repeated,
// leading or trailing "\") and the 32-bit view's "Wow6432Node" parts left out, and blanks
// around the whole path trimmed.
bool MayDeleteKey(int32_t root, const std::string& subkey);

} // namespace RegistryKeyGuard
