#include "Definitions.h"

#include "AnsiText.h"
#include "DefinitionFile.h"
#include "DoEvents.h"
#include "SafetyList.h"
#include "ScanMessages.h"
#include "ScanProgress.h"
#include "TextRules.h"
#include "X86View.h"
#include "modGlobals.h"
#include "xfileExists.h"

#include <windows.h>

#include <string_view>

DefinitionLine DefinitionLineParser::Parse(const std::string& line, bool typeWord) {
    DefinitionLine fields;
    ParseInto(line, typeWord, fields);
    return fields;
}

// Finds the pieces in one pass over the line, as views, rather than splitting into lists: the
// loader parses every line of the definition files after each update.
void DefinitionLineParser::ParseInto(std::string_view line, bool typeWord, DefinitionLine& fields) {
    const TextRules::LeadingPieces<3> bars = TextRules::SplitLeading<3>(line, '|');
    const std::string_view head = bars.piece[0];
    fields.path.assign(bars.piece[1]);
    if (bars.count == 3) {
        type_.assign(bars.piece[2]);
        if (typeWord && type_ == "TYPE")
            type_ = "Spyware";
    }
    // An empty head splits into no pieces, so it leaves the threat name as it was.
    const TextRules::LeadingPieces<2> equals = TextRules::SplitLeading<2>(head, '=');
    fields.name.assign(TextRules::TrimmedView(equals.piece[0]));
    if (equals.count == 2)
        threatName_.assign(equals.piece[1]);
    fields.threatName.assign(threatName_);
    fields.type.assign(type_);
}

DefinitionEntry DefinitionTable::Entry(size_t slot) const {
    const DefinitionEntryView entry = (*this)[slot];
    return {std::string(entry.Name), std::string(entry.Path), std::string(entry.Type),
            std::string(entry.ThreatName)};
}

DefinitionTable& DefinitionTable::operator=(const std::vector<DefinitionEntry>& entries) {
    clear();
    for (const DefinitionEntry& entry : entries)
        push_back(entry);
    return *this;
}

void DefinitionTable::push_back(std::string_view name, std::string_view path, std::string_view type,
                                std::string_view threatName) {
    texts_.push_back(name);
    texts_.push_back(path);
    texts_.push_back(type);
    texts_.push_back(threatName);
}

void DefinitionTable::ReserveForFile(uint64_t fileBytes) {
    texts_.ReserveForFile(fileBytes, kFields, kFields * kDefinitionSlots);
}

namespace modGlobals {

namespace {

struct LoadRecord {
    bool complete = false;
    std::string folder;
    uint64_t generation = 0;
    FileStamp files, folders, safety;
    bool SameFiles(const LoadRecord& other) const {
        return folder == other.folder && generation == other.generation && files == other.files &&
               folders == other.folders && safety == other.safety;
    }
};
LoadRecord lastLoad;

LoadRecord CurrentFiles() {
    LoadRecord record;
    record.folder = DataFolder;
    record.generation = DefinitionFilesGeneration;
    record.files = StampOf(DataFile(kFileDefinitionFile));
    record.folders = StampOf(DataFile(kDirectoryDefinitionFile));
    record.safety = StampOf(DataFile(kSafetyFile));
    return record;
}

// A definition's path as the tables keep it: the place a 32-bit program reached through it, with
// one trailing "\" for a file's folder and none for a folder. A file's place is found with its
// name, on which it may depend ("regedit.exe"). False when the path names a special folder this
// system does not have.
bool TranslateDefinitionPath(std::string& path, const std::string& fileName, bool fileTable) {
    if (path.empty())
        return true;
    if (!X86View::TranslatePath(path, fileTable ? std::string_view(fileName) : std::string_view()))
        return false;
    if (fileTable && TextRules::EndsWith(path, fileName))
        path.resize(path.size() - fileName.size());
    else if (fileTable)
        path.resize(path.rfind('\\') + 1);
    else if (!path.empty() && path.back() == '\\')
        path.pop_back();
    return true;
}

// Fills a table from one definition file; what it held before is replaced, also when the
// reading stops early. False when the file could not be read to its end.
bool LoadTable(const char* fileName, const FileStamp& stamp, DefinitionTable& table,
               DefinitionLineParser& parser, bool fileTable) {
    table.clear();
    const std::string path = DataFile(fileName);
    if (!xfileExists::FileExists(path))
        return true;
    DefinitionFileReader reader(path);
    if (!reader.IsOpen())
        return false; // locked or unreadable: try again at the next scan
    table.ReserveForFile(stamp.size);
    std::string line, safetyItem;
    DefinitionLine fields;
    for (;;) {
        if (StopScanRequested)
            return false;
        if (!reader.Next(line))
            return true;
        parser.ParseInto(line, fileTable, fields);
        // A line without a name (or, for folders, without a path) cannot match anything, and a
        // stored empty slot would end the matchers' search before the entries after it.
        const bool usable = fileTable ? !fields.name.empty() : !fields.path.empty();
        if (usable && table.size() < kDefinitionSlots &&
            TranslateDefinitionPath(fields.path, fields.name, fileTable)) {
            if (fileTable)
                safetyItem.assign(fields.path).append(fields.name);
            if (!IsSafeItem(fileTable ? safetyItem : fields.path)) {
                TextRules::ToLowerInPlace(fields.name);
                TextRules::ToLowerInPlace(fields.path);
                table.push_back(fields.name, fields.path, fields.type, fields.threatName);
            }
        }
        ui::YieldToMessageLoop();
    }
}

int32_t CountLines(const char* fileName) {
    const std::string path = DataFile(fileName);
    if (!xfileExists::FileExists(path))
        return 0;
    DefinitionFileReader reader(path);
    std::string line;
    int32_t lines = 0;
    while (reader.NextRaw(line))
        ++lines;
    return lines;
}

} // namespace

void LoadDefinitions() {
    LoadRecord files = CurrentFiles();
    if (lastLoad.complete && files.SameFiles(lastLoad))
        return;

    ++DefinitionTablesGeneration;
    ScanProgressDisplay& display = ScanDisplay();
    display.cmdPause.Enabled = false;
    display.cmdStop.Enabled = false;
    UpdateScanProgressNow("Loading definitions, please wait...", 0, 0);
    ui::DoEvents();

    // The folder definitions continue the type of the last file definition.
    DefinitionLineParser parser;
    const bool filesComplete =
        LoadTable(kFileDefinitionFile, files.files, FileDefinitionTable, parser, true);
    const bool foldersComplete =
        LoadTable(kDirectoryDefinitionFile, files.folders, FolderDefinitionTable, parser, false);
    // The tables were filled in place: what was derived from them while they were being
    // filled is out of date as well.
    ++DefinitionTablesGeneration;
    files.complete = filesComplete && foldersComplete;
    lastLoad = files;

    display.cmdPause.Enabled = true;
    display.cmdStop.Enabled = true;
}

int32_t CountDefinitions() {
    CookieDefinitionCount = CountLines(kBlockedCookiesFile);
    ExeDefinitionCount = CountLines(kExeDefinitionFile);
    RegistryDefinitionCount = CountLines(kRegistryDefinitionFile);
    FileDefinitionCount = CountLines(kFileDefinitionFile) + CountLines(kDirectoryDefinitionFile);
    return CookieDefinitionCount + ExeDefinitionCount + RegistryDefinitionCount +
           FileDefinitionCount;
}

bool CheckDefinitionFiles() {
    for (const char* name : {kFileDefinitionFile, kRegistryDefinitionFile, kExeDefinitionFile,
                             kBlockedCookiesFile, kDirectoryDefinitionFile}) {
        if (!xfileExists::FileExists(DataFile(name))) {
            ScanDisplay().lblDefVersion.Caption = ScanMessage("MSG_MISSINGFILES");
            DeleteDefinitionFiles();
            return false;
        }
    }
    return true;
}

void DeleteDefinitionFiles() {
    for (const char* name : {kDirectoryDefinitionFile, kBlockedCookiesFile, kExeDefinitionFile,
                             kRegistryDefinitionFile, kFileDefinitionFile, kDateFile})
        DeleteFileW(Utf8ToWide(DataFile(name)).c_str());
    ++DefinitionFilesGeneration;
}

} // namespace modGlobals
