#include "UpdateFixture.h"

#include "AnsiText.h"
#include "DefinitionFile.h"
#include "DefinitionUpdate.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

const char* const kSixFiles[6] = {kFileDefinitionFile,      kExeDefinitionFile,
                                  kRegistryDefinitionFile,  kBlockedCookiesFile,
                                  kDirectoryDefinitionFile, kSafetyFile};

DefinitionFiles SixFiles(const DefinitionFiles& given) {
    DefinitionFiles files;
    for (const char* name : kSixFiles)
        files[name] = {};
    for (const auto& [name, lines] : given)
        files[name] = lines;
    return files;
}

UpdateFixture::~UpdateFixture() {
    SetDefinitionFileReplacer(nullptr);
}

void UpdateFixture::WriteFiles(const DefinitionFiles& files) const {
    for (const char* name : kSixFiles) {
        const auto found = files.find(name);
        if (found == files.end())
            DeleteFileW(Utf8ToWide(data / name).c_str());
        else
            WriteDefinitionFile(name, found->second);
    }
}

DefinitionFiles UpdateFixture::ReadFiles() const {
    DefinitionFiles files;
    for (const char* name : kSixFiles) {
        DefinitionFileReader reader(data / name);
        if (!reader.IsOpen())
            continue;
        Lines& lines = files[name];
        std::string line;
        while (reader.Next(line))
            lines.push_back(line);
    }
    return files;
}

std::optional<std::string> UpdateFixture::StoredBytes(const std::string& name) const {
    HANDLE file = CreateFileW(Utf8ToWide(data / name).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        content.append(buffer, read);
    CloseHandle(file);
    return content;
}

Lines UpdateFixture::OtherFiles() const {
    Lines others;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Utf8ToWide(data / "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return others;
    do {
        const std::string name = WideToUtf8(found.cFileName);
        if (name != "." && name != ".." &&
            std::find(std::begin(kSixFiles), std::end(kSixFiles), name) == std::end(kSixFiles))
            others.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return others;
}
