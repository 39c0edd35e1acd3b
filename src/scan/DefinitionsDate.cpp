#include "DefinitionsDate.h"

#include "AnsiText.h"
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
