// Registry primitives, and the root-index mapping that the definition files, the safety list and
// the removal list share.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>

namespace ModRegistryRelated {

// The name of the root that GetRootKey mapped last; empty after an index not in the table.
// Read it right after one's own GetRootKey call.
inline std::string RootKeyName;

// Maps a root index "0".."5" (HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
// HKEY_USERS, HKEY_CURRENT_CONFIG, HKEY_DYN_DATA) to its predefined handle as a signed 32-bit
// number, or -1 for any other text.
int32_t GetRootKey(const std::string& index);

// Every operation below takes a root as GetRootKey gives it; any other number names no key.
// Each opens its keys in the registry's 32-bit view, the one the definitions describe (on
// 64-bit Windows HKLM\Software of that view is "Software\Wow6432Node"). It is a 32-bit
// process's own view, so both builds reach the same keys. Whoever else reads what these write
// opens it with the same flag.
constexpr REGSAM RegistryView = KEY_WOW64_32KEY;

// Reads a string, expandable string (unexpanded) or 32-bit number (as signed decimal digits)
// from root\subkey, opened with the mask 0x3F, so a key the user may not change counts as
// missing. An empty name reads the default value. False, with an empty text, for a missing
// value, any other type, or a key that cannot be opened.
bool GetRegistryValue(int32_t root, const std::string& subkey, const std::string& valueName,
                      std::string& value);
// The value's text from an open key: 0 when read, the platform's status when reading failed,
// or -1 for a missing value or a type other than 1, 2 and 4.
long QueryValueEx(HKEY key, const std::string& valueName, std::string& value);
// True when root\subkey opens with the mask 0x3F.
bool RegistryKeyExists(int32_t root, const std::string& subkey);
// True when root\subkey opens with the mask 0x3F and holds the value, whatever its type.
bool RegistryValueExists(int32_t root, const std::string& subkey, const std::string& valueName);

// Writes a value under root\subkey, creating the key and its parents: a text that reads as a
// number fitting in 32 bits as a REG_DWORD (rounded half to even), anything else, trimmed of
// spaces, as a REG_SZ. Nothing is reported.
void SetRegistryValue(int32_t root, const std::string& subkey, const std::string& valueName,
                      const std::string& value);

// One value as the registry held it: its raw bytes (strings in UTF-16, as stored), enough for
// a ".reg" export.
struct RegistryValueData {
    std::string Name; // empty for the key's default value
    DWORD Type = REG_NONE;
    std::vector<unsigned char> Data;
};

// A key with its values and everything below it, each key named by its full text: the root's
// name, "\" and the subkey path where the key really is, as the system's own registry editor
// names it ("...\Software\Wow6432Node\..." for a key of the 32-bit view that lives there).
struct RegistryKeyTree {
    std::string Key;
    std::vector<RegistryValueData> Values;
    std::vector<RegistryKeyTree> Subkeys;
};

// What a deletion removes, as captured before it.
struct RegistryDeletion {
    std::string Key;      // the root's name, "\" and the subkey path, as the caller named it
    std::string Value;    // the value name ("" for the default value), or "All Values" for a key
    RegistryKeyTree Data; // a value deletion: its key holding just that value
};

// Called with what a deletion is about to remove, before anything is deleted; false keeps the
// data where it is. The quarantine fills it in to write its ".reg" backups, so nothing is
// deleted that no backup holds. An empty function lets every deletion go ahead.
using RegistryBackupHook = std::function<bool(const RegistryDeletion&)>;
void SetRegistryBackupHook(RegistryBackupHook hook);

// Receives every registry deletion once it succeeded; the quarantine fills it in to write its
// journal. An empty function drops them.
using RegistryDeletionSink = std::function<void(const RegistryDeletion&)>;
void SetRegistryDeletionSink(RegistryDeletionSink sink);

// Deletes root\subkey with everything below it, in the view above, and gives the platform's
// status. Tests replace it, as no test system can be made to refuse part of a deletion; an
// empty function restores the system's own.
using KeyTreeDeleter = std::function<long(HKEY root, const std::wstring& subkey)>;
void SetKeyTreeDeleter(KeyTreeDeleter deleter);

// A subkey that is empty or holds only blanks and backslashes would name the whole root: both
// deletions refuse it.

// Deletes root\subkey with all its subkeys and values, after the backup hook agreed to the
// captured tree, and hands the tree to the sink, also when the key went only in part (a subkey
// refused). A key RegistryKeyGuard protects is refused. True when the key was deleted whole.
bool DeleteRegistryKey(int32_t root, const std::string& subkey);
// Deletes a value of root\subkey (an empty name: the default value), after the backup hook agreed
// to it. A deleted named value goes to the sink; the default value does not, as the key deletion
// that follows it is the entry that reports the key. True when the value was deleted.
bool DeleteRegistryValue(int32_t root, const std::string& subkey, const std::string& valueName);

} // namespace ModRegistryRelated
