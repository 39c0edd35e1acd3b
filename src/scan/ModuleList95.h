// The running-process scanner of the Windows 95/98/ME family, which lists processes through a
// Toolhelp snapshot.
#pragma once

#include <string>

namespace ModuleList95 {

// Every unscrambled line of "ExeDefinition.dat" followed by CR LF; read by the first pass and
// kept, read again only when empty.
inline std::string ExeDefinitionText;

// Checks each running process against the definitions' file names. During a scan a match is
// stopped and a "Running Process" row tells whether it was; outside a scan the user is asked
// to stop it or to keep it as an exclusion.
void ScanRunningProcesses9x();

} // namespace ModuleList95
