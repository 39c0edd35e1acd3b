#include "ScanMessages.h"

namespace {

MessageLookup& Lookup() {
    static MessageLookup lookup;
    return lookup;
}

} // namespace

void SetScanMessageLookup(MessageLookup lookup) {
    Lookup() = std::move(lookup);
}

std::string ScanMessage(const std::string& id) {
    return Lookup() ? Lookup()(id) : std::string();
}
