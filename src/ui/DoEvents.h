#pragma once

struct tagMSG;

namespace ui {

// Hands one message on: to the keyboard navigation of the program's forms (Tab, Shift+Tab,
// arrows within a group, Space on buttons) when it is meant for one, otherwise translated and
// dispatched.
void DispatchUiMessage(tagMSG& msg);
// Runs pending messages like DoEvents; false when it met a quit request (posted again).
bool PumpPendingMessages();

// Lets the message loop run: handles every pending message of this thread, then returns. A
// quit request met here is posted again so that the main loop still sees it.
void DoEvents();

// DoEvents for loops that yield once per item: it lets the message loop run only when it last
// ran 25 ms ago or more, because asking for messages can cost far more than the item itself.
void YieldToMessageLoop();

} // namespace ui
