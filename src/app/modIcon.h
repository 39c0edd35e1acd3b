// Window icons from the program's own icon resources.
#pragma once

namespace modIcon {

// Gives the window (and, when asked, its top owner) the named icon at the system's large and
// small icon sizes. Every failure leaves the window's icon as it was.
void SetFormIcon(void* window, const char* resourceName, bool setOnOwner);

} // namespace modIcon
