// The quarantine: every file, folder and cookie the removal run deletes is first copied into
// DataFolder\quarantine under a name no other copy has, and every removal is written to the
// journal there; registry deletions leave a ".reg" backup and a journal entry too. Nothing is
// deleted without a verified copy, nothing the guard refuses is touched, and no error leaves
// these procedures.
#pragma once

#include <string>

namespace modFileRelated {

// True during the first of the removal run's two passes.
inline bool RemovalFirstPass = false;

// modGlobals::DataFolder & "\quarantine".
std::string QuarantineFolder();
// True when the folder is there afterwards (made when missing).
bool CreateQuarantineFolder();

// Starts a removal run: forgets which copy each item got in the run before, so an item is
// copied once per run however often the passes meet it. Registry deletions are backed up and
// journaled from here until EndRemovalRun (and always while RemovalFirstPass is set); other
// registry deletions of the program (its own run-at-start-up value) are not.
void BeginRemovalRun();
void EndRemovalRun();

// False for paths the program must never remove (RemovalGuard::MayRemove).
bool MayRemove(const std::string& path);

// An ".exe": stops every process whose image is that file (this program excepted), then
// QuarantineAndKillFile. -1 not found, 2 a process of it could not be stopped (the file is left
// alone), 0 not removed (no verified copy, the file could not be deleted, or a refused path),
// 1 copied and deleted.
int QuarantineFile(const std::string& path);
// A ".dll" or ".ocx": copies it, unregisters it (modRegsvr32) and deletes it. -1 not found,
// 0 not deleted, 1 deleted.
int QuarantineAndDeleteFile(const std::string& path);
// A folder with everything in it, or a file of any other extension: up to 8 rounds of copy,
// delete; each round first makes sure a verified copy holds what is there now, so what a program
// changed or added after a failed round is copied before it goes. True when it was removed.
bool QuarantineAndDeleteFolder(const std::string& path);
// The file at `path`, listed under `name`: up to 8 rounds of copy (once), delete. True when it
// was removed.
bool QuarantineAndKillFile(const std::string& path, const std::string& name);
// A cookie file: copy, delete, journal. True when it was deleted.
bool QuarantineCookieFile(const std::string& path);

// Appends a file entry to the journal: the copy's name in the quarantine and the removed
// item's full path. The procedures above write it once per removed item, after its removal, in
// whichever pass removed it; a folder removed only in part is written too, once per copy that
// holds what went.
void WriteQuarantineFileLog(const std::string& path, const std::string& storedName);
// Appends a registry entry to the journal: the key text and the value name (or "All Values").
void WriteQuarantineRegLog(const std::string& key, const std::string& value);

// Connects the registry deletions (ModRegistryRelated) to the ".reg" backups, written before a
// deletion (a deletion whose backup cannot be written does not happen), and to the journal,
// written after it; start-up calls it once.
void ConnectRegistryJournal();

} // namespace modFileRelated
