// Applies the reply of a definitions update to the six definition files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Applies an update reply to the six definition files in modGlobals::DataFolder and returns
// the count of changes: 1 for every ADD record per file that takes it, and 1 for every file
// that its DEL records made rewrite. An incremental reply (`customResponse` false) appends
// the added lines and removes the lines its DEL records name; the custom set replaces the six
// files with its ADD records alone. A malformed record is skipped and the rest applied. A line
// a file already holds is not added again (it still counts), so applying a reply twice leaves
// the files as applying it once does.
//
// Every file is replaced in one step by a finished copy, so each is always whole, old or new.
// A reply without a record that changes a file (empty, cut short, an error page) leaves all
// six untouched and returns 0. When a file cannot be read, written or replaced even at the
// second try, the call ends and returns kDefinitionUpdateFailed: the files not yet replaced
// keep their old lines, and applying the same reply again completes the update.
//
// `status` receives "Applying new updates..." after each file's records and "Removing
// outdated definitions: checking entry N" at every 100th line of the call that a DEL makes it
// look at; the caller shows them and lets the message loop run. A call made while another is
// still running (from a message handled in `status`) does nothing and returns 0.
inline constexpr int32_t kDefinitionUpdateFailed = -1;
int32_t ApplyDefinitionUpdate(const std::string& response, bool customResponse,
                              const std::function<void(const std::string&)>& status = nullptr);

// True when applying the reply would change a file: it holds a well-formed ADD record of a kind
// some definition file takes, or, in an incremental reply, such a DEL record.
bool HasValidUpdateRecord(const std::string& response, bool customResponse = false);

// The step that puts a finished copy in place of a definition file (MoveFileExW, replacing and
// writing through). Tests put in one that fails; an empty function restores the real one.
using DefinitionFileReplacer = std::function<bool(const std::string& from, const std::string& to)>;
void SetDefinitionFileReplacer(DefinitionFileReplacer replacer);
