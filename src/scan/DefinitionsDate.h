// The date of the installed definitions, kept in "date.dat" in the data folder.
#pragma once

#include <string>

// What a missing "date.dat" stands for: the date of the definitions the program shipped with.
inline constexpr const char* kShippedDefinitionsDate = "3/16/2006 12:00:00 AM";

// The first line of "date.dat", or the shipped date when the file is missing. The date is kept
// in the definitions service's own US-English form, whatever the user's locale.
std::string ReadDefinitionsDate();

// Makes the text the one line of "date.dat" (CR LF after it). The new file is written beside
// the old one and put in its place in one step, so a failure leaves the old date whole. False
// when it could not be written.
bool SaveDefinitionsDate(const std::string& text);
