// The folder walker and the matchers that decide whether a file or folder on disk is a known
// threat, and the Smart Scan steps that test the known locations of the definitions.
#pragma once

#include <string>

namespace MScanFolder {

// Path helpers. Paths use "\" and may start with a drive such as "c:".
int PathDepth(const std::string& path);                         // the number of "\"
int PathMatchCount(const std::string& a, const std::string& b); // equal trailing pieces
std::string LastPathPart(const std::string& path);              // empty when the path ends in "\"
std::string ParentPath(const std::string& path);                // keeps the trailing "\"
std::string FirstPathPart(const std::string& path);             // such as "c:"

// True for the quarantine folder (DataFolder + "\quarantine") and everything in it, which
// hold the only copies of removed items: nothing there is walked or reported.
bool IsInQuarantine(const std::string& path);

// True for an entry the walker enters: a folder with no further classic attribute (read-only,
// archive, ...); any other entry is checked as a file.
bool IsWalkedFolder(unsigned long attributes);

// The matchers, the walker and the scan steps act only on paths that start with a drive letter
// (DrivePath::HasDriveLetter); given any other path they do nothing.

// Matches one file (full path) against the file definitions; reports it at most once.
void CheckFileDefinitions(const std::string& item);
// Matches one folder (full path ending in "\") against the folder definitions.
void CheckFolderDefinitions(const std::string& item);

// Walks a folder (ending in "\") depth first, checking every entry before entering sub-folders.
void ScanFolder(const std::string& path);
// Walks a whole drive, such as "C:\"; a drive without a readable volume is skipped.
void ScanDrive(const std::string& root);
// Folder Scan: the chosen folder (ending in "\") and everything below it.
void ScanFolderFiles(const std::string& folder);
// File Scan: the chosen file.
void ScanFolderExecutables(const std::string& file);

// Smart Scan: the known files and folders the definition files name.
void ScanFileDefinitions();
void ScanDirectoryDefinitions();

// Fills the drive list with every removable, ready fixed, remote and CD-ROM drive.
void ListDrives();

} // namespace MScanFolder
