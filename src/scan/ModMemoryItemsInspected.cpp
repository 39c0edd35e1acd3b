#include "ModMemoryItemsInspected.h"

#include "VersionInfo.h"

namespace ModMemoryItemsInspected {

std::string GetFileCompanyName(const std::string& path) {
    return ReadVersionString(path, "CompanyName");
}

} // namespace ModMemoryItemsInspected
