// Copying into the quarantine and removing files and folder trees, without ever following a
// link (a junction or symbolic link) out of the folder: a link is copied and removed as itself,
// and its target is left alone. Other reparse points (deduplicated, cloud placeholders,
// compressed by the system) are no links: their content is copied like any file's.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace FolderCopy {

// How a link is recorded in a copy: a text file of the link's name with this ending, holding
// the place it pointed to. A live link in the quarantine would still reach its target.
inline constexpr char kLinkRecordEnding[] = ".link.txt";

// The reparse tag of an entry with these attributes: 0 for an entry that is no reparse point,
// nothing when the tag cannot be read. Tests replace it, as reparse points cannot be made on
// every system; an empty function restores the system's own.
using ReparseTagReader =
    std::function<std::optional<unsigned long>(const std::string& path, unsigned long attributes)>;
void SetReparseTagReader(ReparseTagReader reader);

// The entry's attributes, or INVALID_FILE_ATTRIBUTES when there is none.
unsigned long Attributes(const std::string& path);
// True for a name surrogate (a junction or symbolic link), and for a folder whose reparse tag
// cannot be read, which is never entered.
bool IsLink(const std::string& path, unsigned long attributes);

// Copies a file, a folder with everything in it, or a link (as its record) to a target that
// does not exist yet; links inside a folder become records named after them. True only when
// every entry was copied and verified (files of the source's size); a failed copy leaves
// nothing behind.
bool CopyItem(const std::string& source, const std::string& target);
// True when an earlier copy still holds everything of the source (files of the same bytes,
// records of links), so what is left to remove has its copy.
bool CopyHolds(const std::string& source, const std::string& copy);

// Deletes one file, read-only or not; a file that stays keeps its attributes. True when gone.
bool RemoveFile(const std::string& path);
// Removes a file, or a folder with everything in it; a link is removed as itself, never
// entered. True when nothing is left of it; removedAny tells whether any entry went.
bool RemoveTree(const std::string& path, bool& removedAny);
bool RemoveTree(const std::string& path);

} // namespace FolderCopy
