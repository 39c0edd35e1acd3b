#include "SafetyList.h"

#include "DefinitionFile.h"
#include "DoEvents.h"
#include "ModRegistryRelated.h"
#include "TextRules.h"
#include "modGenDec.h"
#include "modGlobals.h"
#include "xfileExists.h"

#include <optional>
#include <unordered_set>

using TextRules::Replace;

namespace modGlobals {

namespace {

// Builds the entry of one line; `kind` carries over to lines that have no "|". Nothing for a
// line whose location lies in a special folder this system does not have.
std::optional<std::string> BuildEntry(const std::string& line, const std::string& drive,
                                      std::string& kind, const std::string& previous) {
    std::string namePart = line;
    std::string location;
    if (TextRules::Contains(line, "|")) {
        const std::vector<std::string> pieces = TextRules::Split(line, "|");
        kind = pieces[0];
        namePart = pieces[1];
        location = pieces.size() > 2 ? pieces[2] : std::string();
        location = Replace(location, "[drive]", drive);
        std::string missingToken;
        modGenDec::ExpandPathMacros(location, &missingToken);
        if (!missingToken.empty())
            return std::nullopt;
        location = Replace(location, "\\\\", "\\");
    }
    const std::vector<std::string> nameParts = TextRules::Split(namePart, "=");
    const std::string name = nameParts.empty() ? std::string() : TextRules::Trim(nameParts[0]);

    std::string entry;
    if (kind == "SFILE" || kind == "SEXE" || kind == "SDLL") {
        if (location.empty())
            return name;
        entry = location;
    } else if (kind == "SREG") {
        const std::vector<std::string> parts = TextRules::Split(location, "^");
        ModRegistryRelated::GetRootKey(parts.empty() ? std::string() : parts[0]);
        entry = ModRegistryRelated::RootKeyName + "\\" + (parts.size() > 1 ? parts[1] : "");
        if (parts.size() > 2 && !parts[2].empty())
            entry += "\\" + parts[2];
    } else if (kind == "SDIR") {
        entry = location;
    } else {
        return previous;
    }
    return Replace(Replace(entry, "\\\\", "\\"), "//", "/");
}

// The form both sides are compared in: lower case, trimmed, any drive letter as "c", and one
// trailing "/" and then one trailing "\" removed.
std::string ComparableForm(const std::string& text) {
    std::string s = TextRules::ToLower(TextRules::Trim(text));
    if (TextRules::Contains(s, ":\\")) {
        s.erase(0, TextRules::LeftCharacters(s, 1).size());
        s.insert(s.begin(), 'c');
    }
    if (TextRules::EndsWith(s, "/"))
        s.pop_back();
    if (TextRules::EndsWith(s, "\\"))
        s.pop_back();
    return s;
}

bool IsBareHive(const std::string& s) {
    const std::string upper = TextRules::ToUpper(s);
    for (const char* hive : {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                             "HKEY_USERS", "HKEY_CURRENT_CONFIG"})
        if (upper == hive || upper == std::string(hive) + "\\")
            return true;
    return false;
}

// The list's entries in their compared form, so an item is looked up instead of compared with
// every entry. Rebuilt when the list is loaded anew or changed in size.
struct SafetyIndex {
    size_t size = ~size_t(0);
    uint64_t generation = ~uint64_t(0);
    std::unordered_set<std::string> entries;
};
SafetyIndex safetyIndex;

const std::unordered_set<std::string>& SafeEntries() {
    if (safetyIndex.size != SafetyList.size() || safetyIndex.generation != SafetyListGeneration) {
        safetyIndex.entries.clear();
        for (const std::string& entry : SafetyList) {
            std::string e = ComparableForm(entry);
            if (!TextRules::IsBlank(e))
                safetyIndex.entries.insert(std::move(e));
        }
        safetyIndex.size = SafetyList.size();
        safetyIndex.generation = SafetyListGeneration;
    }
    return safetyIndex.entries;
}

} // namespace

bool LoadSafetyList() {
    SafetyList.clear();
    ++SafetyListGeneration;
    const std::string drive = modGenDec::GetSystemDriveRoot();
    const std::string path = DataFile(kSafetyFile);
    if (xfileExists::FileExists(path)) {
        DefinitionFileReader reader(path);
        std::string line, kind, previous;
        while (!StopScanRequested && reader.Next(line)) {
            const std::optional<std::string> entry = BuildEntry(line, drive, kind, previous);
            if (entry)
                previous = *entry;
            SafetyList.push_back(entry.value_or(std::string()));
            ui::YieldToMessageLoop();
        }
        SafetyList.emplace_back();
    }
    return true;
}

bool IsSafeItem(const std::string& item) {
    const std::string s = ComparableForm(item);
    if (TextRules::IsBlank(s))
        return true;
    const std::unordered_set<std::string>& entries = SafeEntries();
    if (entries.empty())
        return false;
    // The item equals an entry, or one of them is the other followed by "\".
    if (entries.count(s) || entries.count(s + "\\") ||
        (TextRules::EndsWith(s, "\\") && entries.count(s.substr(0, s.size() - 1))))
        return true;
    // Once the list holds a usable entry, a bare hive is always safe.
    return IsBareHive(s);
}

} // namespace modGlobals
