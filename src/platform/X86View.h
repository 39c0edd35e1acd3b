// Windows as a 32-bit program sees it on 64-bit Windows: the definitions describe that view,
// so the program keeps it in either build. A 32-bit process gets it from the system itself and
// every rule here leaves it alone; a 64-bit process gets the same folders and paths from them.
#pragma once

#include <string>
#include <string_view>

namespace X86View {

// True when this process is 64-bit, so the system shows it its own view, not the 32-bit one.
bool ProcessIs64Bit();

// The special folder (CSIDL) a 32-bit program gets for the one asked for: in a 64-bit process
// the program-files folders become their x86 folders. Every other one is the same in both
// views; the system folder too, as a 32-bit program is told "System32" and redirected only
// when it uses that name.
int FolderCsidl(int csidl);

// The system's own system folder, where its tools are, without a trailing "\"; empty when it
// cannot be had.
std::string NativeSystemFolder();

// The one way from a path as the definitions, the safety list, the exclusion list, Smart Scan's
// known locations, a process's image or the user name it to the place a 32-bit program reached
// with it. In this order, each step once:
//  1. the path macros expanded as the 32-bit program's calls answered them;
//  2. `fileName`, when given, joined on with "\" (a file's name holds no macros);
//  3. every "\\" made "\";
//  4. in a 64-bit process, the system's redirection of a 32-bit program: %windir%\System32 leads
//     to %windir%\SysWOW64, except its folders catroot, catroot2, drivers\etc, logfiles, spool
//     and (from Windows 7 on) driverstore; %windir%\lastgood\System32 to ...\lastgood\SysWOW64;
//     %windir%\regedit.exe to %windir%\SysWOW64\regedit.exe; %windir%\Sysnative to the system's
//     own System32. A 32-bit process is redirected by the system, and the name stays.
// Paths the file system hands back (a folder's entries) are places already: they are compared
// with the translated ones as they are.
// False when a macro names a folder this system does not have: the macro is then dropped, the
// last step left out, and `missingToken` (if given) receives that macro.
bool TranslatePath(std::string& path, std::string_view fileName = {},
                   std::string* missingToken = nullptr);

// The name that leads a 32-bit program to `place` (a place as TranslatePath gives it or the file
// system names it), for lists that both builds read: a place in the system's own System32 that
// the redirection would move is named through Sysnative; every other place is its own name.
std::string NameOfPlace(const std::string& place);

} // namespace X86View
