// The quarantine journal "QuarantineLog.txt": one entry per removed item, appended in the ANSI
// code page. The scan report prints it.
#pragma once

#include <string>

namespace QuarantineJournal {

inline constexpr char kFileName[] = "QuarantineLog.txt";

// DT " - File: " stored name, CR LF, " - Location: " full path, CR LF, and two empty lines.
std::string FileEntry(const std::string& dateTime, const std::string& storedName,
                      const std::string& path);
// DT " - Key: " key, CR LF, "Value: " value, CR LF, and two empty lines.
std::string RegistryEntry(const std::string& dateTime, const std::string& key,
                          const std::string& value);

// Appends an entry (UTF-8, written as ANSI) to the journal in the folder, creating the file
// when it is not there yet. False when it could not be written whole.
bool Append(const std::string& folder, const std::string& entry);

} // namespace QuarantineJournal
