// Registry primitives, and the root-index mapping that the definition files, the safety list and
// the removal list share.
#pragma once

#include <cstdint>
#include <string>

namespace ModRegistryRelated {

// The name of the root that GetRootKey mapped last; empty after an index not in the table.
// Read it right after one's own GetRootKey call.
inline std::string RootKeyName;

// Maps a root index "0".."5" (HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
// HKEY_USERS, HKEY_CURRENT_CONFIG, HKEY_DYN_DATA) to its predefined handle as a signed 32-bit
// number, or -1 for any other text.
int32_t GetRootKey(const std::string& index);

} // namespace ModRegistryRelated
