// A fresh data folder for each quarantine test, a fixed clock for the journal, an open removal
// run in its first pass, and the registry deletions connected to the quarantine.
#pragma once

#include "ScanFixture.h"

#include <string>
#include <vector>

class QuarantineFixture : public ScanFixture {
  protected:
    QuarantineFixture();
    ~QuarantineFixture() override;

    // The quarantine folder & "\" & name.
    static std::string Stored(const std::string& name);
    // The journal's bytes; empty when there is none.
    static std::string Journal();
    // The entries of the quarantine folder, sorted, folders with a trailing "\".
    static std::vector<std::string> QuarantineEntries();

  public:
    // What the fixed clock's date and time read as in the journal.
    static const std::string& Now();
};

namespace quarantine_test {

// The entries of a folder, sorted, folders with a trailing "\" and their content below them.
std::vector<std::string> Tree(const std::string& folder);

// While it lives, a key deletion stops at the subkey of this name, as the system's does when
// that subkey refuses it: the subkeys before it go, the refused one and the key stay.
class DeletionRefusedAt {
  public:
    explicit DeletionRefusedAt(std::wstring refused);
    ~DeletionRefusedAt();
    DeletionRefusedAt(const DeletionRefusedAt&) = delete;
    DeletionRefusedAt& operator=(const DeletionRefusedAt&) = delete;
};

} // namespace quarantine_test
