// The threat definitions: the file and folder tables the matchers use, the line counts, and
// the presence test of the definition files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct DefinitionEntry {
    std::string Name;       // lower case, trimmed
    std::string Path;       // lower case, the place a 32-bit program reached; "[drive]" kept
    std::string Type;       // the threat category
    std::string ThreatName; // as written
};

// The tables hold at most this many entries; later lines are read and dropped.
inline constexpr size_t kDefinitionSlots = 100001;

namespace modGlobals {

// From "FileDefinition.dat": paths end in exactly one "\".
inline std::vector<DefinitionEntry> FileDefinitionTable;
// From "DirectoryDefinition.dat": paths have no trailing "\".
inline std::vector<DefinitionEntry> FolderDefinitionTable;

// Changes whenever the tables are filled anew, so what is derived from them is rebuilt.
inline uint64_t DefinitionTablesGeneration = 0;
// Raised by everything that rewrites or removes definition files, so the next load reads them
// again even when a rewritten file kept its size and time stamp.
inline uint64_t DefinitionFilesGeneration = 0;

// Fills both tables from the definition files, filtered by the loaded safety list. A load
// that a Stop cut short, and any change of the definition or safety files since the last
// load (a new size or time stamp, or a raised DefinitionFilesGeneration), make the next call
// load again; otherwise the tables are kept.
void LoadDefinitions();
// Recounts the lines of the five definition files; returns the total.
int32_t CountDefinitions();
// True when all five definition files are present; otherwise resets them all, so the next
// live update starts from nothing, and says so in the status panel.
bool CheckDefinitionFiles();
// Removes the five definition files and "date.dat".
void DeleteDefinitionFiles();

} // namespace modGlobals

// One definition line's fields. Lines lacking a type or threat name take the previous line's.
struct DefinitionLine {
    std::string name; // trimmed
    std::string threatName;
    std::string path; // as written: macros not expanded
    std::string type;
};

class DefinitionLineParser {
  public:
    // `typeWord`: the file definitions write the type "Spyware" as "TYPE".
    DefinitionLine Parse(const std::string& line, bool typeWord);
    // Parse into fields kept from the line before, reusing their memory.
    void ParseInto(std::string_view line, bool typeWord, DefinitionLine& fields);

  private:
    std::string type_;
    std::string threatName_;
};
