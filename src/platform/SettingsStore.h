// The per-user settings store: text values under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>\<section>, where the sibling tool
// and earlier installs of this program read and write them.
#pragma once

#include <string>

// The store reads each of the program's own values (those under its product name) from the
// registry once and keeps it, with its own writes, for the rest of the run: a change another
// program makes there is seen at the next start. A record under any other name belongs to
// another program and is read anew every time.

// The stored text, or `defaultValue` when the value is missing or not text.
std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                       const std::string& defaultValue);
// Stores the text, creating the key as needed; false when the registry refused it.
bool SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                 const std::string& value);

// Drops what the store has read and written, so the next reads go to the registry again, as at
// a start of the program (tests that change the registry behind the store's back).
void ForgetStoredSettings();

// The same, under the product name, as the program keeps its own settings.
std::string GetProgramSetting(const std::string& section, const std::string& key,
                              const std::string& defaultValue);
bool SaveProgramSetting(const std::string& section, const std::string& key,
                        const std::string& value);
// A truth value of the options ("OptionAndSettings"); stored text that is no truth value counts
// as the default, as the timer switching reads it.
bool GetProgramOption(const std::string& key, bool defaultValue);
