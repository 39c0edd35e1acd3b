// The registry phase of a scan: every entry of the registry definitions tested against the
// live registry.
#pragma once

#include <cstdint>
#include <string>

namespace RegistryScanner {

// One pass over "RegistryDefinition.dat": each key or value that exists is added to the running
// list, the combined results list and the registry removal list, or listed as "EXCLUDED". A
// Stop ends the pass before the next line.
void ScanRegistry();

// The removal item a combined row stands for (its Tag): the root handle as signed decimal text,
// the subkey and the value name (empty for a whole key), joined by "^", which no definition
// field can hold.
std::string RegistryRemovalItem(int32_t root, const std::string& subkey,
                                const std::string& valueName);

} // namespace RegistryScanner
