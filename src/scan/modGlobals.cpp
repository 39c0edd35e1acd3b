#include "modGlobals.h"

namespace modGlobals {

std::string DataFile(const std::string& name) {
    return DataFolder + "\\" + name;
}

} // namespace modGlobals
