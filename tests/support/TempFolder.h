// A fresh folder inside the sandbox prefix's temporary folder, removed with all its content
// when the test ends.
#pragma once

#include <string>

// A file's bytes, or "<missing>" when it cannot be opened (shared with any other user of it).
std::string ReadFileBytes(const std::string& path);
// True when a file or folder of that name exists, hidden and system ones included.
bool PathExists(const std::string& path);

// Removes a folder and everything in it; a linked folder is unlinked, never entered.
void RemoveFolderTree(const std::wstring& folder);

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's path without a trailing "\".
    const std::string& Path() const { return path_; }
    // Path() + "\" + relative.
    std::string operator/(const std::string& relative) const { return path_ + "\\" + relative; }

    // Writes a file (creating its folders), with the given attributes.
    std::string WriteFile(const std::string& relative, const std::string& content,
                          unsigned long attributes = 0x80 /* FILE_ATTRIBUTE_NORMAL */) const;
    std::string MakeFolder(const std::string& relative) const;

  private:
    std::string path_;
};
