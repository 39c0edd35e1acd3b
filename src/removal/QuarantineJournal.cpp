#include "QuarantineJournal.h"

#include "AnsiText.h"

#include <windows.h>

namespace QuarantineJournal {

std::string FileEntry(const std::string& dateTime, const std::string& storedName,
                      const std::string& path) {
    return dateTime + " - File: " + storedName + "\r\n - Location: " + path + "\r\n\r\n\r\n";
}

std::string RegistryEntry(const std::string& dateTime, const std::string& key,
                          const std::string& value) {
    return dateTime + " - Key: " + key + "\r\nValue: " + value + "\r\n\r\n\r\n";
}

bool Append(const std::string& folder, const std::string& entry) {
    HANDLE file =
        CreateFileW(Utf8ToWide(folder + "\\" + kFileName).c_str(), FILE_APPEND_DATA,
                    FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const std::string bytes = Utf8ToAnsi(entry);
    DWORD written = 0;
    const bool complete =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    return CloseHandle(file) && complete;
}

} // namespace QuarantineJournal
