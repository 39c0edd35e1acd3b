// Procedures of the message catalog that work on the program's one catalog, `Lang`.
#pragma once

#include <functional>
#include <vector>

namespace ui {
class Form;
}

namespace modLanguages {

// Stores the 74 built-in English messages in `Lang`, in their fixed order (slots 0 to 73 of a
// fresh catalog). Called once, right after start-up creates the catalog.
void LoadDefaultMessages();

// The windows whose controls the language file can name, their models created without a native
// window, nothing shown or started. Later parts of the program fill it at start-up.
inline std::function<std::vector<ui::Form*>()> FormModels;
// The windows of FormModels, in its order; none while it is not filled.
std::vector<ui::Form*> LoadAllForms();

} // namespace modLanguages
