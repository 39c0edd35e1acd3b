#include "FolderCopy.h"

#include "AnsiText.h"

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <vector>

namespace FolderCopy {

namespace {

ReparseTagReader& CurrentTagReader() {
    static ReparseTagReader reader;
    return reader;
}

std::optional<unsigned long> SystemReparseTag(const std::string& path, unsigned long attributes) {
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return 0;
    // A listing gives the tag of a reparse point without opening it.
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Utf8ToWide(path).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return std::nullopt;
    FindClose(search);
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return std::nullopt;
    return found.dwReserved0;
}

struct Entry {
    std::string name;
    DWORD attributes;
};

// The entries of a folder but "." and "..".
std::vector<Entry> ListFolder(const std::string& folder) {
    std::vector<Entry> entries;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Utf8ToWide(folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            entries.push_back({WideToUtf8(name), found.dwFileAttributes});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return entries;
}

bool FileSize(const std::string& path, ULONGLONG& size) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

// The layout shared by junctions and symbolic links (a symbolic link has a flags field before
// its names), as the file system gives it back.
struct LinkData {
    DWORD Tag;
    WORD DataLength;
    WORD Reserved;
    WORD SubstituteOffset, SubstituteLength, PrintOffset, PrintLength;
};
constexpr DWORD kJunctionTag = 0xA0000003;
constexpr DWORD kSymbolicLinkTag = 0xA000000C;

// The place a link points to, as far as it can be read.
std::wstring LinkTarget(const std::string& link) {
    HANDLE handle = CreateFileW(
        Utf8ToWide(link).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {};
    std::vector<unsigned char> buffer(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
    DWORD size = 0;
    const BOOL read = DeviceIoControl(handle, FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.data(),
                                      static_cast<DWORD>(buffer.size()), &size, nullptr);
    CloseHandle(handle);
    if (!read || size < sizeof(LinkData))
        return {};
    LinkData header;
    memcpy(&header, buffer.data(), sizeof header);
    size_t names = sizeof header;
    if (header.Tag == kSymbolicLinkTag)
        names += sizeof(ULONG);
    else if (header.Tag != kJunctionTag)
        return {};
    const bool usePrint = header.PrintLength > 0;
    const size_t offset = names + (usePrint ? header.PrintOffset : header.SubstituteOffset);
    const size_t length = usePrint ? header.PrintLength : header.SubstituteLength;
    if (offset + length > size)
        return {};
    std::wstring target(length / sizeof(wchar_t), L'\0');
    memcpy(target.data(), buffer.data() + offset, target.size() * sizeof(wchar_t));
    return target;
}

// Writes the record of a link at `target`.
bool RecordLink(const std::string& link, const std::string& target) {
    const std::wstring pointsTo = LinkTarget(link);
    const std::string text =
        "Link to: " +
        (pointsTo.empty() ? std::string("(unknown)") : Utf8ToAnsi(WideToUtf8(pointsTo))) + "\r\n";
    HANDLE file = CreateFileW(Utf8ToWide(target).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool complete =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size();
    CloseHandle(file);
    if (!complete)
        DeleteFileW(Utf8ToWide(target).c_str());
    return complete;
}

bool SameSize(const std::string& source, const std::string& copy) {
    ULONGLONG sourceSize = 0, copySize = 0;
    return FileSize(source, sourceSize) && FileSize(copy, copySize) && sourceSize == copySize;
}

// A file opened for reading beside the program that may hold it open, closed when it goes.
class ReadHandle {
  public:
    explicit ReadHandle(const std::string& path)
        : handle_(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {}
    ~ReadHandle() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    ReadHandle(const ReadHandle&) = delete;
    ReadHandle& operator=(const ReadHandle&) = delete;

    // The next bytes into `buffer`; false when the file cannot be read.
    bool Read(std::vector<char>& buffer, DWORD& count) const {
        return handle_ != INVALID_HANDLE_VALUE &&
               ReadFile(handle_, buffer.data(), static_cast<DWORD>(buffer.size()), &count, nullptr);
    }

  private:
    HANDLE handle_;
};

// True when both files hold the same bytes. A file rewritten with as many bytes keeps its size,
// so a copy made before it changed would not hold what a deletion now removes.
bool SameContent(const std::string& source, const std::string& copy) {
    if (!SameSize(source, copy))
        return false;
    constexpr size_t kChunk = 64 * 1024;
    const ReadHandle sourceFile(source), copyFile(copy);
    std::vector<char> sourceBytes(kChunk), copyBytes(kChunk);
    for (;;) {
        DWORD sourceCount = 0, copyCount = 0;
        if (!sourceFile.Read(sourceBytes, sourceCount) || !copyFile.Read(copyBytes, copyCount) ||
            sourceCount != copyCount ||
            memcmp(sourceBytes.data(), copyBytes.data(), sourceCount) != 0)
            return false;
        if (sourceCount == 0)
            return true;
    }
}

// How a copy is checked against its source: a fresh copy by its files' sizes (the copy itself
// read every byte), one made earlier by their bytes, which may have changed since.
enum class Check { Size, Content };

// The name an entry of a copied folder takes in the copy.
std::string CopyName(const std::string& folder, const Entry& entry) {
    return IsLink(folder + "\\" + entry.name, entry.attributes) ? entry.name + kLinkRecordEnding
                                                                : entry.name;
}

bool CopyEntry(const std::string& source, DWORD attributes, const std::string& target) {
    if (IsLink(source, attributes))
        return RecordLink(source, target);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return CopyFileW(Utf8ToWide(source).c_str(), Utf8ToWide(target).c_str(), TRUE) &&
               SameSize(source, target);
    if (!CreateDirectoryW(Utf8ToWide(target).c_str(), nullptr))
        return false;
    for (const Entry& entry : ListFolder(source))
        if (!CopyEntry(source + "\\" + entry.name, entry.attributes,
                       target + "\\" + CopyName(source, entry)))
            return false;
    return true;
}

bool EntryHeld(const std::string& source, DWORD attributes, const std::string& copy, Check check) {
    const DWORD copyAttributes = Attributes(copy);
    if (copyAttributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if (IsLink(source, attributes))
        return !(copyAttributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return check == Check::Content ? SameContent(source, copy) : SameSize(source, copy);
    if (!(copyAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    for (const Entry& entry : ListFolder(source))
        if (!EntryHeld(source + "\\" + entry.name, entry.attributes,
                       copy + "\\" + CopyName(source, entry), check))
            return false;
    return true;
}

// removedAny becomes true when an entry went.
bool RemoveEntry(const std::string& path, DWORD attributes, bool& removedAny) {
    const std::wstring wide = Utf8ToWide(path);
    bool removed = false;
    if (IsLink(path, attributes)) {
        removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(wide.c_str()) != FALSE
                                                          : DeleteFileW(wide.c_str()) != FALSE;
    } else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        removed = RemoveFile(path);
    } else {
        for (const Entry& entry : ListFolder(path))
            RemoveEntry(path + "\\" + entry.name, entry.attributes, removedAny);
        // A read-only folder cannot be removed.
        if (attributes & FILE_ATTRIBUTE_READONLY)
            SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        removed = RemoveDirectoryW(wide.c_str()) != FALSE;
        if (!removed)
            SetFileAttributesW(wide.c_str(), attributes);
    }
    removedAny |= removed;
    return removed;
}

} // namespace

void SetReparseTagReader(ReparseTagReader reader) {
    CurrentTagReader() = std::move(reader);
}

unsigned long Attributes(const std::string& path) {
    return GetFileAttributesW(Utf8ToWide(path).c_str());
}

bool IsLink(const std::string& path, unsigned long attributes) {
    const ReparseTagReader& reader = CurrentTagReader();
    const std::optional<unsigned long> tag =
        reader ? reader(path, attributes) : SystemReparseTag(path, attributes);
    // Entering a folder that may be a link could reach far outside it; a file of unknown kind
    // is copied with its content, and deleting it never touches what it may point to.
    if (!tag)
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    return IsReparseTagNameSurrogate(*tag) != 0;
}

bool CopyItem(const std::string& source, const std::string& target) {
    const DWORD attributes = Attributes(source);
    if (attributes == INVALID_FILE_ATTRIBUTES || Attributes(target) != INVALID_FILE_ATTRIBUTES)
        return false;
    if (CopyEntry(source, attributes, target) && EntryHeld(source, attributes, target, Check::Size))
        return true;
    RemoveTree(target);
    return false;
}

bool CopyHolds(const std::string& source, const std::string& copy) {
    const DWORD attributes = Attributes(source);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           EntryHeld(source, attributes, copy, Check::Content);
}

bool RemoveFile(const std::string& path) {
    const std::wstring wide = Utf8ToWide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (DeleteFileW(wide.c_str()))
        return true;
    SetFileAttributesW(wide.c_str(), attributes);
    return false;
}

bool RemoveTree(const std::string& path, bool& removedAny) {
    removedAny = false;
    const DWORD attributes = Attributes(path);
    return attributes == INVALID_FILE_ATTRIBUTES || RemoveEntry(path, attributes, removedAny);
}

bool RemoveTree(const std::string& path) {
    bool removedAny = false;
    return RemoveTree(path, removedAny);
}

} // namespace FolderCopy
