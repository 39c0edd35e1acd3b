// The places a removal must never touch, whatever a definition file or a result list names:
// every quarantine procedure asks here before it acts.
#pragma once

#include <string>

namespace RemovalGuard {

// The path in the one form the guard compares: "\\?\" dropped, "/" read as "\", repeated
// separators joined, "." and ".." resolved, trailing dots and spaces of each part dropped (the
// system drops them when it opens a path), short (8.3) names made long where the path exists,
// no trailing "\" but after a drive ("C:\"). Empty for a path without a drive letter or with a
// character no file name holds (wildcards, a stream's ":").
std::string NormalizedPath(const std::string& path);

// True when `path` names the same place as `folder` or a place inside it (both normalized,
// compared without regard to case, on "\" boundaries).
bool IsSameOrInside(const std::string& path, const std::string& folder);

// False for a path the program must never remove: one without a drive letter, anything in the
// data folder (the quarantine with it), a drive root, the Windows and system folders, the
// Program Files folders, the profile root and the folder holding the profiles, and every folder
// that contains one of those; whether the path names such a place itself or leads a 32-bit
// program there (X86View::TranslatePath).
bool MayRemove(const std::string& path);
// MayRemove for a path NormalizedPath already gave.
bool MayRemoveNormalized(const std::string& normalized);

// While on, NormalizedPath asks the file system for the long form of each folder on the way
// once and keeps it: the system lists a whole folder to find one name in it, and a removal run
// checks a thousand items in the same few folders. The item's own name is always asked. What
// is kept goes when it is switched (on or off) and on ForgetFolderNames, which the removal
// calls when it has removed a folder, so that no name kept can lead somewhere else.
void KeepFolderNames(bool keep);
void ForgetFolderNames();

} // namespace RemovalGuard
