#include "Definitions.h"

#include "AnsiText.h"
#include "DefinitionFile.h"
#include "DoEvents.h"
#include "SafetyList.h"
#include "ScanMessages.h"
#include "ScanProgress.h"
#include "TextRules.h"
#include "modGenDec.h"
#include "modGlobals.h"
#include "xfileExists.h"

#include <windows.h>

using TextRules::Replace;

DefinitionLine DefinitionLineParser::Parse(const std::string& line, bool typeWord) {
    DefinitionLine fields;
    std::string head = line;
    if (TextRules::Contains(line, "|")) {
        const std::vector<std::string> pieces = TextRules::Split(line, "|");
        head = pieces[0];
        fields.path = pieces[1];
        if (pieces.size() >= 3) {
            type_ = pieces[2];
            if (typeWord && type_ == "TYPE")
                type_ = "Spyware";
        }
    }
    const std::vector<std::string> parts = TextRules::Split(head, "=");
    if (!parts.empty())
        fields.name = TextRules::Trim(parts[0]);
    if (parts.size() >= 2)
        threatName_ = parts[1];
    fields.threatName = threatName_;
    fields.type = type_;
    return fields;
}

namespace modGlobals {

namespace {

struct LoadRecord {
    bool complete = false;
    std::string folder;
    FileStamp files, folders, safety;
    bool SameFiles(const LoadRecord& other) const {
        return folder == other.folder && files == other.files && folders == other.folders &&
               safety == other.safety;
    }
};
LoadRecord lastLoad;

LoadRecord CurrentFiles() {
    LoadRecord record;
    record.folder = DataFolder;
    record.files = StampOf(DataFile(kFileDefinitionFile));
    record.folders = StampOf(DataFile(kDirectoryDefinitionFile));
    record.safety = StampOf(DataFile(kSafetyFile));
    return record;
}

// Expands a definition path as the tables keep it: macros expanded, "\\" made "\", lower case.
// False when the path names a special folder this system does not have.
bool ExpandDefinitionPath(std::string& path) {
    std::string missingToken;
    modGenDec::ExpandPathMacros(path, &missingToken);
    if (!missingToken.empty())
        return false;
    path = Replace(path, "\\\\", "\\");
    if (!path.empty())
        path = Replace(path + "\\", "\\\\", "\\");
    return true;
}

// Reads one definition file into its table; false when it could not be read to its end.
bool LoadTable(const char* fileName, std::vector<DefinitionEntry>& table,
               DefinitionLineParser& parser, bool fileTable) {
    const std::string path = DataFile(fileName);
    if (!xfileExists::FileExists(path))
        return true;
    DefinitionFileReader reader(path);
    if (!reader.IsOpen())
        return false; // locked or unreadable: try again at the next scan
    std::string line;
    for (;;) {
        if (StopScanRequested)
            return false;
        if (!reader.Next(line))
            return true;
        DefinitionLine fields = parser.Parse(line, fileTable);
        // A line without a name (or, for folders, without a path) cannot match anything, and a
        // stored empty slot would end the matchers' search before the entries after it.
        const bool usable = fileTable ? !fields.name.empty() : !fields.path.empty();
        if (usable && ExpandDefinitionPath(fields.path)) {
            if (!fileTable && !fields.path.empty())
                fields.path.pop_back();
            const std::string item = fileTable ? fields.path + fields.name : fields.path;
            if (!IsSafeItem(item) && table.size() < kDefinitionSlots)
                table.push_back({TextRules::ToLower(fields.name), TextRules::ToLower(fields.path),
                                 fields.type, fields.threatName});
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

    FileDefinitionTable.clear();
    FolderDefinitionTable.clear();
    ++DefinitionTablesGeneration;
    ScanProgressDisplay& display = ScanDisplay();
    display.cmdPause.Enabled = false;
    display.cmdStop.Enabled = false;
    UpdateScanProgressNow("Loading definitions, please wait...", 0, 0);
    ui::DoEvents();

    // The folder definitions continue the type of the last file definition.
    DefinitionLineParser parser;
    const bool filesComplete = LoadTable(kFileDefinitionFile, FileDefinitionTable, parser, true);
    const bool foldersComplete =
        LoadTable(kDirectoryDefinitionFile, FolderDefinitionTable, parser, false);
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
}

} // namespace modGlobals
