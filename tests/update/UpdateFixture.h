// A data folder with the six definition files, read and written as plain lines.
#pragma once

#include "ScanFixture.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;
// The six files by name; a missing file has no entry.
using DefinitionFiles = std::map<std::string, Lines>;

// The six files in the order an update goes through them.
extern const char* const kSixFiles[6];

// All six files, empty but for the ones given.
DefinitionFiles SixFiles(const DefinitionFiles& given = {});

class UpdateFixture : public ScanFixture {
  protected:
    ~UpdateFixture() override;

    // Writes each given file (its lines scrambled, CR LF after each) and removes the others.
    void WriteFiles(const DefinitionFiles& files) const;
    // The six files as they are now, each line unscrambled.
    DefinitionFiles ReadFiles() const;
    // A file's bytes as stored; nothing when it is missing.
    std::optional<std::string> StoredBytes(const std::string& name) const;
    // The data folder's files other than the six: an update leaves none (no staged copy).
    Lines OtherFiles() const;
};
