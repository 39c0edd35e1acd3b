#include "RegistryKeyGuard.h"

#include "TextRules.h"

#include <span>
#include <vector>

namespace RegistryKeyGuard {

namespace {

using Parts = std::vector<std::string>;

constexpr uint32_t kClassesRoot = 0x80000000u;
constexpr uint32_t kCurrentUser = 0x80000001u;
constexpr uint32_t kLocalMachine = 0x80000002u;
constexpr uint32_t kUsers = 0x80000003u;

// Where a protected key lives: below Software of the machine and of every user, below the
// machine's root only, below every user's root, or directly in a class root (HKEY_CLASSES_ROOT,
// or the Software\Classes key it is made of).
enum class Scope { Software, Machine, User, Classes };

struct ProtectedKey {
    Scope scope;
    const char* path;
};

// Protected keys: every key below that may never be deleted as a whole, by where it lives; nor
// may any key that holds one of them (Software\Microsoft, for one, holds them all).
constexpr ProtectedKey kProtectedKeys[] = {
    {Scope::Software, "Software\\Classes"},
    {Scope::Software, "Software\\Policies"},
    {Scope::Software, "Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
    {Scope::Software, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
    {Scope::Software, "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices"},
    {Scope::Software, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies"},
    {Scope::Software, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer"},
    {Scope::Software, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
    {Scope::Software, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"},
    {Scope::Machine, "System\\CurrentControlSet\\Services"},
    {Scope::User, "Control Panel"},
    {Scope::User, "Environment"},
    {Scope::Classes, "CLSID"},
    {Scope::Classes, "Interface"},
    {Scope::Classes, "TypeLib"},
    {Scope::Classes, "AppID"},
    {Scope::Classes, "*"},
    {Scope::Classes, "Directory"},
    {Scope::Classes, "Folder"},
    {Scope::Classes, "Drive"},
    {Scope::Classes, "exefile"},
    {Scope::Classes, "batfile"},
    {Scope::Classes, "comfile"},
    {Scope::Classes, "htmlfile"},
    {Scope::Classes, "http"},
    {Scope::Classes, "https"},
};

// The parts of a subkey path as the registry reads them, with the 32-bit view's own level left
// out: "Software\Wow6432Node\Microsoft" is the same key to a 32-bit program as
// "Software\Microsoft".
Parts KeyParts(const std::string& subkey) {
    Parts parts;
    for (std::string& part : TextRules::Split(TextRules::Trim(subkey), "\\"))
        if (!part.empty() && !TextRules::EqualsNoCase(part, "Wow6432Node"))
            parts.push_back(std::move(part));
    return parts;
}

// True when `parts` names the listed key or one of the keys that hold it: deleting a parent
// deletes the key.
bool Holds(std::span<const std::string> parts, const char* path) {
    const Parts listed = TextRules::Split(path, "\\");
    if (parts.size() > listed.size())
        return false;
    for (size_t i = 0; i < parts.size(); ++i)
        if (!TextRules::EqualsNoCase(parts[i], listed[i]))
            return false;
    return true;
}

bool Listed(std::span<const std::string> parts, std::initializer_list<Scope> scopes) {
    for (const ProtectedKey& key : kProtectedKeys)
        for (Scope scope : scopes)
            if (key.scope == scope && Holds(parts, key.path))
                return true;
    return false;
}

// "ControlSet001", "ControlSet002", ...: the control sets that CurrentControlSet links to one
// of, each as precious as the current one.
bool IsControlSet(const std::string& part) {
    constexpr std::string_view kPrefix = "ControlSet";
    return part.size() > kPrefix.size() &&
           TextRules::StartsWith(part, kPrefix, TextRules::Compare::Text) &&
           part.find_first_not_of("0123456789", kPrefix.size()) == std::string::npos;
}

// A machine key as the list names it: any control set as CurrentControlSet.
Parts AsCurrentControlSet(Parts parts) {
    if (parts.size() >= 2 && TextRules::EqualsNoCase(parts[0], "System") && IsControlSet(parts[1]))
        parts[1] = "CurrentControlSet";
    return parts;
}

// A key below a class root: the root itself, a file type or one of the system's classes.
bool ProtectedClass(std::span<const std::string> parts) {
    return parts.empty() || (parts.size() == 1 && (TextRules::StartsWith(parts[0], ".") ||
                                                   Listed(parts, {Scope::Classes})));
}

// A key below the machine's or a user's root (`scope` tells which).
bool ProtectedInHive(std::span<const std::string> parts, Scope scope) {
    if (parts.size() <= 1 || Listed(parts, {Scope::Software, scope}))
        return true;
    if (TextRules::EqualsNoCase(parts[0], "Software") &&
        TextRules::EqualsNoCase(parts[1], "Classes"))
        return ProtectedClass(parts.subspan(2));
    return false;
}

} // namespace

bool MayDeleteKey(int32_t root, const std::string& subkey) {
    const Parts parts = KeyParts(subkey);
    if (parts.empty())
        return false;
    switch (static_cast<uint32_t>(root)) {
    case kClassesRoot:
        return !ProtectedClass(parts);
    case kLocalMachine:
        return !ProtectedInHive(AsCurrentControlSet(parts), Scope::Machine);
    case kCurrentUser:
        return !ProtectedInHive(parts, Scope::User);
    case kUsers: {
        if (parts.size() == 1)
            return false;
        // Each user's classes are a key of their own beside the user's root.
        const std::span<const std::string> below = std::span(parts).subspan(1);
        return TextRules::EndsWith(parts[0], "_Classes", TextRules::Compare::Text)
                   ? !ProtectedClass(below)
                   : !ProtectedInHive(below, Scope::User);
    }
    default:
        // HKEY_CURRENT_CONFIG and HKEY_DYN_DATA: the keys right below them are the system's.
        return parts.size() > 1;
    }
}

} // namespace RegistryKeyGuard
