// The update the benchmarks apply and download: 100,000 ADD and 1,000 DEL records for six
// definition files of 100,000 lines each (the file definitions one more), as the definitions
// service would send it.
#pragma once

#include "DefinitionFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr size_t kFullFileLines = 100000;
inline constexpr size_t kUpdateAdds = 100000;
inline constexpr size_t kUpdateDeletes = 1000;

struct UpdateFile {
    const char* name;
    const char* deleteKind; // the kind of the DEL records that name its lines
};
inline constexpr UpdateFile kUpdateFiles[] = {
    {kFileDefinitionFile, "FILE"},     {kExeDefinitionFile, "EXE"},
    {kRegistryDefinitionFile, "REG"},  {kBlockedCookiesFile, "COOK"},
    {kDirectoryDefinitionFile, "DIR"}, {kSafetyFile, "SFILE"}};

// Line i of a file as installed, and the name a DEL record gives it.
std::string InstalledLine(size_t file, size_t i, std::string* name = nullptr);

// The reply, and the count and the line counts the update should give.
struct UpdateSet {
    std::string reply;
    size_t records = 0;
    int32_t count = 0;
    size_t lines[6] = {};
};

UpdateSet MakeUpdate();
