// Where a 32-bit program's paths led on 64-bit Windows, written from the system's documented
// file-system redirection, not from the program: each row is one place, with the ways a
// definition, a safety line, an exclusion or a user may spell its folder.
#pragma once

#include "ProcessControl.h"

#include <string>
#include <vector>

struct RedirectionSpelling {
    std::string folder; // as written: macros, "\\", any letter case
    std::string name;   // the folder as a 32-bit process keeps it, the system redirecting it
};

struct RedirectionRow {
    std::string fileName; // the file the row's place holds; unique to the test process
    std::vector<RedirectionSpelling> spellings;
    std::string place; // the file's full path as a 64-bit process finds it
};

// The rows, with the folders of this system filled in. The driver store's row holds from
// Windows 7 on (RedirectionTableVersion).
const std::vector<RedirectionRow>& RedirectionRows();

// The spelling's folder joined to the row's file name with one "\" written between: the path
// a test writes.
std::string SpelledPath(const RedirectionRow& row, const RedirectionSpelling& spelling);
// Where this process reaches the file through the spelling: the row's place in a 64-bit
// process; in a 32-bit one the spelling's name, which the system redirects itself.
std::string ReachedPath(const RedirectionRow& row, const RedirectionSpelling& spelling);

// While it lives, the program takes the system for Windows 7, on which the rows hold.
class RedirectionTableVersion {
  public:
    RedirectionTableVersion() {
        ProcessControl::SetVersionOverride(ProcessControl::WindowsVersion{2, 6, 1});
    }
    ~RedirectionTableVersion() { ProcessControl::SetVersionOverride(std::nullopt); }
};
