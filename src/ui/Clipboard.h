// Text on the clipboard, as UTF-8.
#pragma once

#include <string>

namespace ui {

// Replaces the clipboard's content with the text; false when the clipboard could not be had.
bool SetClipboardText(const std::string& text);
// The clipboard's text, or empty.
std::string GetClipboardText();

} // namespace ui
