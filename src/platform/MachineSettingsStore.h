// The machine-wide settings store: text values shared by all users under
// HKEY_LOCAL_MACHINE\SOFTWARE\<company>\<app>\<section> in the registry's 32-bit view, the
// company being the application identity's. Users without write access to it are told so once,
// in a box they can silence.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Asks the user in a message box (prompt, the platform's MB_ style flags, title) and gives the
// platform's answer (IDABORT, IDRETRY, IDIGNORE, ...).
using MachineSettingPrompt =
    std::function<int(const std::string& prompt, unsigned style, const std::string& title)>;

// The message boxes live above the platform layer, so start-up connects them here
// (SetMachineSettingPrompt(ui::MsgBox)). While none is connected, a failed write is given up
// without a word.
void SetMachineSettingPrompt(MachineSettingPrompt prompt);

// Stores the text. When the store cannot be written and the user has not chosen to ignore it
// before, the "Permission Denied" box offers Abort, Retry (writes again) and Ignore (silences
// the box for good, through the per-user "Settings" / "IgnorePermissionDeniedError").
// The caller learns nothing of a failure.
void SaveMachineSetting(const std::string& appName, const std::string& section,
                        const std::string& key, const std::string& value);

constexpr uint32_t kMachineSettingErrorBase = 0x80040000;

struct MachineSettingError {
    uint32_t number = 0; // 0: no error
    std::string description;
};

// The stored text, or `defaultValue` when the key or the value does not exist. A value that is
// only in the 64-bit view, where an earlier 64-bit build kept the store, is read. Fails, giving
// the empty text and the error in `error` (when given), for an empty application name,
// section or key (base + 1000, 1001, 1002, tested in that order), a key that cannot be opened
// for another reason (base + 2000 + the system error code) or a value that is not REG_SZ
// (base + 2000 + its type code).
std::string GetMachineSetting(const std::string& appName, const std::string& section,
                              const std::string& key, const std::string& defaultValue,
                              MachineSettingError* error = nullptr);
