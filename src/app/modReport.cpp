#include "modReport.h"

#include "AnsiText.h"
#include "DefinitionFile.h"
#include "Exclusions.h"
#include "FrmMain.h"
#include "ModMemoryItemsInspected.h"
#include "TextRules.h"
#include "VersionInfo.h"
#include "modGlobals.h"
#include "modLorvane.h"

#include "xfileExists.h"

#include <windows.h>

#include <optional>

namespace modReport {

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kRowRule[] = "============================================";
constexpr char kTimeRule[] = "-----------------------";
constexpr char kReminder[] =
    "Remember: Not all items found are malicious.  In particular, cookies and recent document "
    "lists are only privacy concerns.  They cannot hurt your computer.  If you are unsure about an "
    "item please send this log to an expert before removing the item from your computer.";

// The report is ANSI text; the program's own texts are UTF-8 and the files it copies in are
// already ANSI, so each piece says which it is.
class ReportWriter {
  public:
    // A text line followed by `emptyLines` empty lines.
    void Line(const std::string& utf8, int emptyLines = 1) {
        AnsiLine(Utf8ToAnsi(utf8), emptyLines);
    }
    void AnsiLine(const std::string& ansi, int emptyLines) {
        text_ += ansi + kLineEnd;
        EmptyLines(emptyLines);
    }
    void EmptyLines(int count) {
        for (int i = 0; i < count; ++i)
            text_ += kLineEnd;
    }
    std::string Text() const { return text_; }

  private:
    std::string text_;
};

// The length of the file in bytes; nothing when it cannot be read (gone since the scan).
std::optional<unsigned long long> FileLength(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string SizeText(const std::string& type, const std::string& location) {
    if (type != "File" && type != "Cookie")
        return "0 bytes";
    const std::optional<unsigned long long> length = FileLength(location);
    // A file removed or moved since the scan has no size to tell; its entry is still written.
    return length ? std::to_string(*length) + " bytes" : "not found";
}

// The file's lines as stored (ANSI); none when it is missing.
std::vector<std::string> FileLines(const std::string& path) {
    std::vector<std::string> lines;
    FileLineReader reader(path, FileLineReader::LineEnds::CrOrCrLf);
    std::string line;
    while (reader.Next(line))
        lines.push_back(line);
    return lines;
}

void WriteRows(ReportWriter& report, const ui::ListView& results) {
    const size_t rowCount = results.Count();
    for (size_t i = 0; i < rowCount && i < results.Count(); ++i) {
        const ui::ListItem& row = results.Item(i);
        const std::string& location = row.SubItem(1);
        const std::string type = ItemTypeText(row.SmallIcon);
        const std::string company =
            type == "File" ? ModMemoryItemsInspected::GetFileCompanyName(location) : "N/A";
        report.Line(kRowRule);
        report.Line("File: " + location);
        report.Line("Name: " + row.Text);
        report.Line("Company: " + company);
        report.Line("Type: " + type);
        report.Line("Size: " + SizeText(type, location));
        report.Line("Detail: " + row.SubItem(4));
        report.Line("Risk: " + row.SubItem(3), 2);
    }
}

} // namespace

std::string ReportPath() {
    return modGlobals::DataFile("Scan_Log.txt");
}

std::string ItemTypeText(int icon) {
    static const char* const kTypes[] = {"Cookie", "Registry", "File", "Folder", "EXCLUDED"};
    return icon >= ItemCookie && icon <= ItemExcluded ? kTypes[icon - ItemCookie] : "";
}

std::string ReportText(const FrmMain& form) {
    std::vector<std::string> exclusions;
    for (const std::string& line : FileLines(modGlobals::DataFile(modGlobals::kExclusionFile)))
        if (!TextRules::IsBlank(line))
            exclusions.push_back(line);
    const std::vector<std::string> journal =
        FileLines(modGlobals::DataFolder + "\\quarantine\\QuarantineLog.txt");

    ReportWriter report;
    report.EmptyLines(2);
    report.Line(std::string(19, ' ') + modLorvane::ProgramName + "v" + ProgramVersion() +
                "   Scan Report");
    report.EmptyLines(2);
    report.Line(kReminder);
    report.EmptyLines(2);
    report.Line(kTimeRule);
    report.Line(" Scan Started at  : " + form.ScanStartTime);
    report.Line(" Scan Finished at : " + form.ScanEndTime);
    report.Line(kTimeRule);
    report.EmptyLines(4);
    report.Line(" 1)Total Number of Processes inspected: " +
                form.display.lblMemoryInspected.Caption);
    report.Line(" 2)Total Number of Registry entries inspected: " +
                form.display.lblRegistryInspected.Caption);
    report.Line(" 3)Total Number of Files/Folders inspected: " +
                form.display.lblFilesFolderInspected.Caption);
    report.EmptyLines(2);
    report.Line("[Threats Detected]", 2);
    const ui::ListView& results = form.lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    WriteRows(report, results);
    report.Line(kRowRule, 2);
    report.Line("Total = " + std::to_string(results.Count()));
    if (!exclusions.empty()) {
        report.EmptyLines(1);
        report.Line("[Files Currently Excluded]");
        // The entries follow one another without empty lines, as the exclusion file is read.
        for (const std::string& entry : exclusions)
            report.AnsiLine(entry, 0);
        report.EmptyLines(2);
    }
    if (!journal.empty()) {
        report.EmptyLines(1);
        report.Line("[Current Quarantine Log]");
        for (const std::string& line : journal)
            report.AnsiLine(line, 1);
        report.EmptyLines(3);
    }
    report.EmptyLines(2);
    report.Line("=====================End Of Report.", 0);
    return report.Text();
}

bool MakeReport(const FrmMain& form) {
    return xfileExists::ReplaceFileContent(ReportPath(), ReportText(form));
}

std::string ReportDisplayText(const std::string& path) {
    std::string text;
    for (const std::string& line : FileLines(path))
        text += TextRules::Trim(line).empty() ? std::string(kLineEnd) : line;
    return AnsiToUtf8(text);
}

} // namespace modReport
