// A picture of a window as it is drawn now, for tests that look at what the user would see.
#pragma once

#include <string>

struct HWND__;
using HWND = HWND__*;

namespace ui {

// Writes the whole window, frame included, as a 32-bit .bmp file. False when the window or
// the file cannot be had.
bool SaveWindowScreenshot(HWND window, const std::string& path);

} // namespace ui
