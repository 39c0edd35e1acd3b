// The date of the installed definitions, kept in "date.dat" in the data folder.
#pragma once

#include <string>

// The first line of "date.dat", or the date of the definitions the program shipped with when
// the file is missing.
std::string ReadDefinitionsDate();
