// Windows as a 32-bit program sees it on 64-bit Windows: the definitions describe that view,
// so the program keeps it in either build. A 32-bit process gets it from the system itself and
// every rule here leaves it alone; a 64-bit process gets the same folders and paths from them.
#pragma once

#include <string>

namespace X86View {

// True when this process is 64-bit, so the system shows it its own view, not the 32-bit one.
bool ProcessIs64Bit();

// The special folder (CSIDL) a 32-bit program gets for the one asked for: in a 64-bit process
// the program-files folders and the system folder become their x86 folders; every other one
// is the same in both views.
int FolderCsidl(int csidl);

// The system's own system folder, where its tools are, without a trailing "\"; empty when it
// cannot be had.
std::string NativeSystemFolder();

// The system folder as a 32-bit program names it, without a trailing "\": the x86 system folder
// in a 64-bit process, the system's answer in a 32-bit one; empty when it cannot be had.
std::string SystemFolder();

// The path a 32-bit program reaches when it names `path`: in a 64-bit process a path into the
// system folder leads into the x86 system folder, as the system's redirection leads a 32-bit
// program, except into the folders the redirection leaves alone; the 32-bit program's name for
// the system folder itself ("Sysnative") leads there. Any other path comes back unchanged.
std::string RedirectedPath(const std::string& path);

} // namespace X86View
