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

// Reads a text file line by line without holding it in memory. A line longer than any the
// program writes (64 KiB) is cut there; the rest of it is skipped.
class FileLineReader {
  public:
    enum class LineEnds {
        CrLf,    // only CR LF ends a line; a lone CR or LF belongs to it
        CrOrCrLf // CR LF or a lone CR ends a line, as in plain text files
    };
    FileLineReader(const std::string& path, LineEnds lineEnds);
    ~FileLineReader();
    FileLineReader(const FileLineReader&) = delete;
    FileLineReader& operator=(const FileLineReader&) = delete;

    bool IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }
    // The next line's bytes as stored; false at the end of the file.
    bool Next(std::string& line);

  private:
    bool Fill();
    // Where the line starting at pos_ ends and how long its line end is; npos when the
    // buffer does not hold its end yet.
    size_t FindLineEnd(size_t& endLength) const;

    HANDLE file_;
    LineEnds lineEnds_;
    std::string buffer_;
    size_t pos_ = 0;
    bool eof_ = false;
};

// The reader of the scrambled definition files. Scrambling turns two plain characters into a
// lone CR or LF, so a definition line ends only at CR LF.
class DefinitionFileReader {
  public:
    explicit DefinitionFileReader(const std::string& path)
        : reader_(path, FileLineReader::LineEnds::CrLf) {}
    bool IsOpen() const { return reader_.IsOpen(); }
    // The next line as stored (scrambled bytes); false at the end of the file.
    bool NextRaw(std::string& line) { return reader_.Next(line); }
    // The next line unscrambled and converted from the ANSI code page to UTF-8.
    bool Next(std::string& line);

  private:
    FileLineReader reader_;
};

// Size and time of last change of a file, to tell when it was replaced; zero when missing.
struct FileStamp {
    uint64_t size = 0;
    uint64_t writeTime = 0;
    bool exists = false;
    bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::string& path);
