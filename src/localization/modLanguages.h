// Procedures of the message catalog that work on the program's one catalog, `Lang`.
#pragma once

namespace modLanguages {

// Stores the 70 built-in English messages in `Lang`, in their fixed order (slots 0 to 69 of a
// fresh catalog). Called once, right after start-up creates the catalog.
void LoadDefaultMessages();

} // namespace modLanguages
