// COM self-registration of a DLL or OCX, run by the system's registration tool in a process of
// its own: the library is never loaded into this program, whose code it would otherwise run.
#pragma once

#include <string>

namespace modRegsvr32 {

// How long the registration tool may take before it is ended.
inline constexpr unsigned kTimeoutMs = 10000;

// Runs "<system folder>\regsvr32.exe /s "<path>"" (with "/u" before "/s" to unregister), the
// system's own tool from its own system folder, and waits for it. True when it ran and exited with
// 0. A missing file, or a path the removal may not act on, is left alone (false, nothing started).
bool RegisterServer(const std::string& path, bool doRegister);

} // namespace modRegsvr32
