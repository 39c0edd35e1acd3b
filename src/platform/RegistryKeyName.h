// Where a registry key really is, as the system's own registry editor names it, so that a
// ".reg" backup puts the key back in the place it was deleted from.
#pragma once

#include <string>

#include <windows.h>

namespace RegistryKeyName {

// The full name the system gives an open key ("\REGISTRY\MACHINE\SOFTWARE\Wow6432Node\...");
// empty when it does not tell.
std::string SystemName(HKEY key);

// The key text ("<root name>\<subkey>") of a key that the caller opened as root\subkey and the
// system calls `systemName`: the caller's text, with every "Wow6432Node" that the registry's
// redirection put into the path written in (the 64-bit registry editor sees no redirection).
// A class reached through HKEY_CLASSES_ROOT that lives among the user's own classes (the
// system's "\REGISTRY\USER\<user>_Classes") is named under HKEY_CURRENT_USER\Software\Classes:
// HKEY_CLASSES_ROOT is the user's classes laid over the machine's, and a key imported there
// would become a machine-wide class. Any other difference (a link such as CurrentControlSet)
// leaves the caller's text as it was there.
std::string RealKeyText(const std::string& rootName, const std::string& subkey,
                        const std::string& systemName);

} // namespace RegistryKeyName
