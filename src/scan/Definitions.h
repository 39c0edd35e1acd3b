// The threat definitions: the file and folder tables the matchers use, the line counts, and
// the presence test of the definition files.
#pragma once

#include "PackedTextList.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One definition, as code that fills a table gives it.
struct DefinitionEntry {
    std::string Name;       // lower case, trimmed
    std::string Path;       // lower case, the place a 32-bit program reached; "[drive]" kept
    std::string Type;       // the threat category
    std::string ThreatName; // as written
};

// One slot of a table, read in place: valid until the table is filled anew.
struct DefinitionEntryView {
    const std::string_view Name, Path, Type, ThreatName;
};

// The tables hold at most this many entries; later lines are read and dropped.
inline constexpr size_t kDefinitionSlots = 100001;

// The entries of one definition file, in file order, as four parallel columns of texts kept
// end to end in one block. A hundred thousand entries cost a few allocations rather than one
// or more each, and a table filled anew reuses the memory of the one before.
class DefinitionTable {
  public:
    size_t size() const { return texts_.size() / kFields; }
    bool empty() const { return texts_.empty(); }
    DefinitionEntryView operator[](size_t slot) const {
        const size_t first = slot * kFields;
        return {texts_[first], texts_[first + 1], texts_[first + 2], texts_[first + 3]};
    }
    DefinitionEntryView back() const { return (*this)[size() - 1]; }
    // A copy of one slot, for the few slots a match looks at closely.
    DefinitionEntry Entry(size_t slot) const;

    // Holds exactly these entries, as a table made elsewhere.
    DefinitionTable& operator=(const std::vector<DefinitionEntry>& entries);
    void push_back(const DefinitionEntry& entry) {
        push_back(entry.Name, entry.Path, entry.Type, entry.ThreatName);
    }
    void push_back(std::string_view name, std::string_view path, std::string_view type,
                   std::string_view threatName);
    // Empties the table; its memory is kept.
    void clear() { texts_.clear(); }
    // Makes room for the entries of a file of this size at once, so that the first filling
    // does not copy the table at every growth; memory never filled is never touched.
    void ReserveForFile(uint64_t fileBytes);

  private:
    static constexpr size_t kFields = 4;
    PackedTextList texts_;
};

namespace modGlobals {

// From "FileDefinition.dat": paths end in exactly one "\".
inline DefinitionTable FileDefinitionTable;
// From "DirectoryDefinition.dat": paths have no trailing "\".
inline DefinitionTable FolderDefinitionTable;

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
