// ".reg" backups of registry deletions, in the registry editor's own file format, so that
// importing them gives back what was removed.
#pragma once

#include "ModRegistryRelated.h"

#include <string>

namespace RegBackup {

// The file's text: "Windows Registry Editor Version 5.00", an empty line, and one "[key]"
// section per key of the tree with its values, each section followed by an empty line; lines
// end in CR LF. Strings with one terminating NUL and no other, and no line break, are written
// "name"="data" (the default value as @=), other data in the editor's other forms. False when a
// key or value name holds a line break, which the format cannot carry.
bool RegFileText(const ModRegistryRelated::RegistryKeyTree& tree, std::string& text);

// The file name (without ".reg") for a deletion: the key and the value name ("(Default)" for
// the default value), without the characters file names cannot hold.
std::string BackupName(const std::string& key, const std::string& value);

// Writes the deletion's backup as a new file in the folder: "<name>.reg", or "<name> (2).reg"
// and so on when that name is taken; an existing file is never touched. The file is UTF-16
// with a byte-order mark, as the registry editor writes this format itself: in an ANSI file
// it reads the hex forms of strings as ANSI text, which would not give back the data. True
// when the whole backup is on disk.
bool WriteBackup(const std::string& folder, const ModRegistryRelated::RegistryDeletion& deletion);

} // namespace RegBackup
