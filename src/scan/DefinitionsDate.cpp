#include "DefinitionsDate.h"

#include "AnsiText.h"
#include "DateText.h"
#include "DefinitionFile.h"
#include "modGlobals.h"
#include "xfileExists.h"

std::string ReadDefinitionsDate() {
    const std::string path = modGlobals::DataFile(kDateFile);
    if (!xfileExists::FileExists(path))
        return kShippedDefinitionsDate;
    FileLineReader reader(path, FileLineReader::LineEnds::CrOrCrLf);
    std::string line;
    reader.Next(line);
    return AnsiToUtf8(line);
}

bool SaveDefinitionsDate(const std::string& text) {
    return xfileExists::ReplaceFileContent(modGlobals::DataFile(kDateFile),
                                           Utf8ToAnsi(text) + "\r\n");
}

bool InstalledDefinitionsDate(double& date) {
    const std::string line = ReadDefinitionsDate();
    return DateText::FromUsEnglishText(line, date) || DateText::FromText(line, date);
}

std::string DefinitionsDateForDisplay() {
    double date = 0;
    return InstalledDefinitionsDate(date) ? DateText::ToText(date) : ReadDefinitionsDate();
}
