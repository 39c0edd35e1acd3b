#include "DefinitionsDate.h"

#include "AnsiText.h"
#include "DefinitionFile.h"
#include "modGlobals.h"
#include "xfileExists.h"

std::string ReadDefinitionsDate() {
    const std::string path = modGlobals::DataFile(kDateFile);
    if (!xfileExists::FileExists(path))
        return "3/16/2006 12:00:00 AM";
    FileLineReader reader(path, FileLineReader::LineEnds::CrOrCrLf);
    std::string line;
    reader.Next(line);
    return AnsiToUtf8(line);
}
