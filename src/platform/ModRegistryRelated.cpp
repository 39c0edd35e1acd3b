#include "ModRegistryRelated.h"

#include "TextRules.h"

#include <cmath>

namespace ModRegistryRelated {

namespace {

struct RootKey {
    const char* name;
    uint32_t handle;
};

// Index 4 is HKEY_CURRENT_CONFIG (0x80000005): the performance-data root has no index.
constexpr RootKey kRootKeys[] = {
    {"HKEY_CLASSES_ROOT", 0x80000000u},   {"HKEY_CURRENT_USER", 0x80000001u},
    {"HKEY_LOCAL_MACHINE", 0x80000002u},  {"HKEY_USERS", 0x80000003u},
    {"HKEY_CURRENT_CONFIG", 0x80000005u}, {"HKEY_DYN_DATA", 0x80000006u},
};

} // namespace

int32_t GetRootKey(const std::string& index) {
    RootKeyName.clear();
    const double number = TextRules::ToDouble(index, -1);
    if (number != std::floor(number) || number < 0 || number > 5)
        return -1;
    const RootKey& root = kRootKeys[static_cast<int>(number)];
    RootKeyName = root.name;
    return static_cast<int32_t>(root.handle);
}

} // namespace ModRegistryRelated
