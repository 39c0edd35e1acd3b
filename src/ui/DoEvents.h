#pragma once

namespace ui {

// Lets the message loop run: handles every pending message of this thread, then returns. A
// quit request met here is posted again so that the main loop still sees it.
void DoEvents();

} // namespace ui
