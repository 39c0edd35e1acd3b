// The texts the scanners show come from the message catalog; start-up connects it here.
#pragma once

#include <functional>
#include <string>

using MessageLookup = std::function<std::string(const std::string& id)>;

void SetScanMessageLookup(MessageLookup lookup);
// The catalog's current text of a message identifier; empty while none is connected.
std::string ScanMessage(const std::string& id);
