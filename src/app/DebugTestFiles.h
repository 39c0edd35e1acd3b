// Debug tools behind two hidden items of the Quarantine menu: they plant dummy files at the
// paths of known threats, and after a removal run report which of them are still there.
#pragma once

#include <string>
#include <vector>

namespace DebugTestFiles {

// Slots 0 to 90 hold the threat paths (files, and program folders followed by their files),
// slots 91 to 100 stay empty; every walk over it stops at the first empty slot. Empty until
// the first LoadTestFileList.
inline constexpr size_t kTestFileSlots = 101;
inline std::vector<std::string> TestFileList;

// Re-creates TestFileList with its fixed paths.
void LoadTestFileList();
// Gives every listed path that holds no file yet its folders and a file of one "TEST FILE"
// line; a folder entry becomes a folder. Failures are ignored.
void GenerateTestFiles();
// Shows the listed files still present in a message box and appends one line per file to
// "lstdefs.txt" in the program folder ("NAME|path|type|NAME|TYPE", type EXE, DLL or FILE).
void ShowRemainingTestFiles();
// Makes the folders of a path one by one from its drive on; parts holding a "." (the file
// name) are skipped.
void CreateFolderPath(const std::string& path);
// Creates one folder; a folder that exists, or one that cannot be made, is no error.
void MakeFolder(const std::string& path);

} // namespace DebugTestFiles
