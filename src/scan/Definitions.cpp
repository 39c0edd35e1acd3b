#include "Definitions.h"

#include "AnsiText.h"
#include "DefinitionFile.h"
#include "DoEvents.h"
#include "SafetyList.h"
#include "ScanMessages.h"
#include "ScanProgress.h"
#include "TextRules.h"
#include "X86View.h"
#include "modGenDec.h"
#include "modGlobals.h"
#include "xfileExists.h"

#include <windows.h>

#include <optional>
#include <string_view>
#include <unordered_map>

using TextRules::Replace;

namespace {

// The piece of `text` between the `index`-th and the next separator, as a split would give it;
// empty when there are fewer separators.
std::string_view Piece(std::string_view text, char separator, size_t index) {
    size_t start = 0;
    for (; index > 0; --index) {
        start = text.find(separator, start);
        if (start == std::string_view::npos)
            return {};
        ++start;
    }
    return text.substr(start, text.find(separator, start) - start);
}

} // namespace

// Reads the pieces in place rather than splitting into lists: the loader parses every line of
// the definition files after each update.
DefinitionLine DefinitionLineParser::Parse(const std::string& line, bool typeWord) {
    DefinitionLine fields;
    std::string_view head = line;
    const size_t bar = head.find('|');
    if (bar != std::string_view::npos) {
        const std::string_view whole = head;
        head = whole.substr(0, bar);
        fields.path = Piece(whole, '|', 1);
        if (whole.find('|', bar + 1) != std::string_view::npos) {
            type_ = Piece(whole, '|', 2);
            if (typeWord && type_ == "TYPE")
                type_ = "Spyware";
        }
    }
    // An empty head splits into no pieces, so it leaves the threat name as it was.
    if (!head.empty()) {
        fields.name = TextRules::Trim(Piece(head, '=', 0));
        if (head.find('=') != std::string_view::npos)
            threatName_ = Piece(head, '=', 1);
    }
    fields.threatName = threatName_;
    fields.type = type_;
    return fields;
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

// The expansions of the macro part of the paths met during one load. Only the text up to the
// last "]" can hold a macro, and the expansion of the text after it is that text itself, so the
// few distinct macro parts are expanded once each instead of once per line.
using MacroExpansions = std::unordered_map<std::string, std::optional<std::string>>;

void CollapseDoubleBackslashes(std::string& path) {
    if (path.find("\\\\") != std::string::npos)
        path = Replace(path, "\\\\", "\\");
}

// Lower-cases in place; letters beyond ASCII take the shared rules.
void ToLowerInPlace(std::string& text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            text = TextRules::ToLower(text);
            return;
        }
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
}

// Expands a definition path as the tables keep it: macros expanded, "\\" made "\", the place a
// 32-bit program reaches through it, lower case.
// False when the path names a special folder this system does not have.
bool ExpandDefinitionPath(std::string& path, MacroExpansions& expansions) {
    const size_t macroEnd = path.rfind(']');
    if (macroEnd != std::string::npos) {
        std::string macroPart = path.substr(0, macroEnd + 1);
        auto found = expansions.find(macroPart);
        if (found == expansions.end()) {
            std::string expanded = macroPart;
            std::string missingToken;
            modGenDec::ExpandPathMacros(expanded, &missingToken);
            found = expansions
                        .emplace(std::move(macroPart), missingToken.empty()
                                                           ? std::optional(std::move(expanded))
                                                           : std::nullopt)
                        .first;
        }
        if (!found->second)
            return false;
        path.replace(0, macroEnd + 1, *found->second);
    }
    CollapseDoubleBackslashes(path);
    // The whole path: the text after the macros may be what leads into the system folder.
    path = X86View::RedirectedPath(path);
    if (!path.empty()) {
        path += '\\';
        CollapseDoubleBackslashes(path);
    }
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
    MacroExpansions expansions;
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
        if (usable && table.size() < kDefinitionSlots &&
            ExpandDefinitionPath(fields.path, expansions)) {
            if (!fileTable && !fields.path.empty())
                fields.path.pop_back();
            if (!IsSafeItem(fileTable ? fields.path + fields.name : fields.path)) {
                ToLowerInPlace(fields.name);
                ToLowerInPlace(fields.path);
                table.push_back({std::move(fields.name), std::move(fields.path),
                                 std::move(fields.type), std::move(fields.threatName)});
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
    ++DefinitionFilesGeneration;
}

} // namespace modGlobals
