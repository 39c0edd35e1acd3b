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
    const std::wstring path = Utf8ToWide(modGlobals::DataFile(kDateFile));
    const std::wstring fresh = path + L".new";
    const std::string content = Utf8ToAnsi(text) + "\r\n";
    HANDLE file = CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool whole =
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
        written == content.size() && FlushFileBuffers(file);
    CloseHandle(file);
    if (whole && MoveFileExW(fresh.c_str(), path.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(fresh.c_str());
    return false;
}
