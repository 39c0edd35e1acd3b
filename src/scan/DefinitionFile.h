// The one reader of the scrambled definition files.
#pragma once

#include <cstdint>
#include <string>

#include <windows.h>

// Definition file names, in the data folder.
inline constexpr const char* kFileDefinitionFile = "FileDefinition.dat";
inline constexpr const char* kDirectoryDefinitionFile = "DirectoryDefinition.dat";
inline constexpr const char* kExeDefinitionFile = "ExeDefinition.dat";
inline constexpr const char* kRegistryDefinitionFile = "RegistryDefinition.dat";
inline constexpr const char* kBlockedCookiesFile = "BlockedCookies.dat";
inline constexpr const char* kSafetyFile = "Safety.dat";
inline constexpr const char* kDateFile = "date.dat";

// Reads a definition file line by line without holding it in memory. A line ends only at
// CR LF: scrambling turns two plain characters into a lone CR or LF, which therefore belong to
// the line. A line longer than any definition (64 KiB) is corrupt and is skipped whole.
class DefinitionFileReader {
  public:
    explicit DefinitionFileReader(const std::string& path);
    ~DefinitionFileReader();
    DefinitionFileReader(const DefinitionFileReader&) = delete;
    DefinitionFileReader& operator=(const DefinitionFileReader&) = delete;

    bool IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }
    // The next line as stored (scrambled bytes); false at the end of the file.
    bool NextRaw(std::string& line);
    // The next line unscrambled and converted from the ANSI code page to UTF-8.
    bool Next(std::string& line);

  private:
    bool Fill();

    HANDLE file_;
    std::string buffer_;
    size_t pos_ = 0;
    bool eof_ = false;
};

// Size and time of last change of a file, to tell when it was replaced; zero when missing.
struct FileStamp {
    uint64_t size = 0;
    uint64_t writeTime = 0;
    bool exists = false;
    bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::string& path);
