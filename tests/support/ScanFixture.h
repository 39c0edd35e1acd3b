// A fresh scan state for each test: an empty data folder of its own, empty result lists,
// counters, tables, safety and exclusion lists.
#pragma once

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class ScanFixture : public testing::Test {
  protected:
    ScanFixture();
    ~ScanFixture() override;

    // Writes a definition file into the data folder: each line scrambled, CR LF after each.
    std::string WriteDefinitionFile(const std::string& name, const std::vector<std::string>& lines,
                                    bool finalLineEnd = true) const;
    // The same bytes unscrambled: what a plain text file of these lines holds.
    std::string WritePlainFile(const std::string& name, const std::string& content) const;

    TempFolder data;    // the data folder
    TempFolder machine; // files and folders to scan
};

// While it lives, the system seems to lack one special folder; the others are "C:\F<number>".
class MissingSpecialFolder {
  public:
    explicit MissingSpecialFolder(int csidl);
    ~MissingSpecialFolder();
};

// Resets every piece of shared scan state.
void ResetScanState();
