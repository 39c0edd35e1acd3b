// Copying into the quarantine and removing files and folder trees, without ever following a
// link (a junction or symbolic link, any reparse point) out of the folder: a link is copied and
// removed as itself, and its target is left alone.
#pragma once

#include <functional>
#include <string>

namespace FolderCopy {

// How a link is recorded in a copy: a text file of the link's name with this ending, holding
// the place it pointed to. A live link in the quarantine would still reach its target.
inline constexpr char kLinkRecordEnding[] = ".link.txt";

// Whether an entry with these attributes is a link. Tests replace it, as links cannot be made
// on every system; an empty function restores the attribute test.
using LinkTest = std::function<bool(const std::string& path, unsigned long attributes)>;
void SetLinkTest(LinkTest test);

// The entry's attributes, or INVALID_FILE_ATTRIBUTES when there is none.
unsigned long Attributes(const std::string& path);
bool IsLink(const std::string& path, unsigned long attributes);

// Copies a file, a folder with everything in it, or a link (as its record) to a target that
// does not exist yet; links inside a folder become records named after them. True only when
// every entry was copied and verified (files of the source's size); a failed copy leaves
// nothing behind.
bool CopyItem(const std::string& source, const std::string& target);
// True when an earlier copy still holds everything of the source (files of the same size,
// records of links), so what is left to remove has its copy.
bool CopyHolds(const std::string& source, const std::string& copy);

// Deletes one file, read-only or not; a file that stays keeps its attributes. True when gone.
bool RemoveFile(const std::string& path);
// Removes a file, or a folder with everything in it; a link is removed as itself, never
// entered. True when nothing is left of it.
bool RemoveTree(const std::string& path);

} // namespace FolderCopy
