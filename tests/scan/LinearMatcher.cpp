#include "LinearMatcher.h"

#include "Definitions.h"
#include "DrivePath.h"
#include "Exclusions.h"
#include "MScanFolder.h"
#include "ModMemoryItemsInspected.h"
#include "SafetyList.h"
#include "ScanResults.h"
#include "TextRules.h"
#include "X86View.h"
#include "modGenDec.h"
#include "modGlobals.h"

#include <vector>

using TextRules::Compare;
using TextRules::Contains;

namespace LinearMatcher {

namespace {

std::string WithoutTrailing(std::string text, char last) {
    if (!text.empty() && text.back() == last)
        text.pop_back();
    return text;
}

std::string ReplaceDrive(const std::string& text, const std::string& drive) {
    return TextRules::Replace(text, "[drive]", drive, Compare::Text);
}

// The depth, piece-count, ratio and system-folder rules for a definition whose name (file) or
// path (folder) equals the item's.
bool PathRulesMatch(const std::string& folder, const std::string& slotPath) {
    const int depth = MScanFolder::PathDepth(folder);
    if (depth <= 1)
        return MScanFolder::PathDepth(slotPath) == 1;
    const int count = MScanFolder::PathMatchCount(folder, slotPath);
    if (count <= 1)
        return false;
    double ratio = 1;
    if (depth <= 3)
        ratio = static_cast<double>(TextRules::RoundHalfEven(static_cast<double>(count) / depth));
    if (ratio < 0.5)
        return false;
    // The system folder as named, and where the name leads.
    std::string reached = modGenDec::GetSystemDir();
    X86View::TranslatePath(reached);
    for (const std::string& systemDir : {TextRules::ToLower(modGenDec::GetSystemDir()), reached})
        if (Contains(folder, systemDir, Compare::Text))
            return Contains(slotPath, systemDir, Compare::Text);
    return true;
}

bool NamesMicrosoft(const std::string& path) {
    const std::string company = TextRules::Trim(ModMemoryItemsInspected::GetFileCompanyName(path));
    return TextRules::EqualsNoCase(company, "Microsoft Corporation");
}

// True when a Windows or system folder guard sends the search on to the next slot.
bool Guarded(const std::string& path, const std::string& slotPath) {
    if (Contains(path, "system32", Compare::Text) && !Contains(slotPath, "system32", Compare::Text))
        return true;
    if (Contains(path, "system", Compare::Text) && !Contains(slotPath, "system", Compare::Text))
        return true;
    if (Contains(path, "windows", Compare::Text) && !Contains(slotPath, "windows", Compare::Text))
        return true;
    return false;
}

// The safety list's compared form: lower case, trimmed, the first character "c" when the text
// holds ":\", then one trailing "/" and one trailing "\" removed.
std::string SafetyForm(const std::string& text) {
    std::string s = TextRules::ToLower(TextRules::Trim(text));
    if (Contains(s, ":\\")) {
        size_t first = 1;
        while (first < s.size() && (static_cast<unsigned char>(s[first]) & 0xC0) == 0x80)
            ++first;
        s = "c" + s.substr(first);
    }
    return WithoutTrailing(WithoutTrailing(s, '/'), '\\');
}

bool IsHive(const std::string& s) {
    const std::string upper = TextRules::ToUpper(s);
    for (const std::string hive : {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                   "HKEY_USERS", "HKEY_CURRENT_CONFIG"})
        if (upper == hive || upper == hive + "\\")
            return true;
    return false;
}

bool ExclusionHolds(const std::string& item, bool orContains) {
    for (std::string piece : TextRules::Split(modGlobals::ExclusionList, "|")) {
        if (piece.empty())
            continue;
        X86View::TranslatePath(piece);
        if (TextRules::EqualsNoCase(piece, item) ||
            TextRules::EqualsNoCase(piece, TextRules::Trim(item)))
            return true;
        if (orContains && Contains(TextRules::ToLower(item), TextRules::ToLower(piece)))
            return true;
    }
    return false;
}

} // namespace

Tally& Outcomes() {
    static Tally tally;
    return tally;
}

void CheckFileDefinitions(const std::string& item) {
    if (!DrivePath::HasDriveLetter(item))
        return;
    const std::string folder = TextRules::ToLower(MScanFolder::ParentPath(item));
    const std::string name = TextRules::ToLower(TextRules::Trim(MScanFolder::LastPathPart(item)));
    const std::string drive = TextRules::ToLower(MScanFolder::FirstPathPart(item));
    const DefinitionTable& table = modGlobals::FileDefinitionTable;
    for (size_t slot = 0; slot < table.size(); ++slot) {
        const DefinitionEntry entry = table.Entry(slot);
        const std::string defName =
            TextRules::Trim(TextRules::ToLower(ReplaceDrive(entry.Name, drive)));
        if (TextRules::IsBlank(defName))
            return;
        if (defName != name)
            continue;
        bool matched = false;
        if (TextRules::CharacterCount(name) > 16 && Contains(name, ".exe"))
            matched = true;
        else
            matched = PathRulesMatch(folder, entry.Path);
        if (!matched)
            continue;

        const std::string path = folder + name;
        if (MScanFolder::IsInQuarantine(path))
            return;
        if (modGlobals::IsSafeItem(path)) {
            ++Outcomes().safe;
            return;
        }
        if (modGlobals::IsExcluded(path)) {
            ++Outcomes().excluded;
            AddExcludedRow(path);
            return;
        }
        if (NamesMicrosoft(path)) {
            ++Outcomes().microsoft;
            return;
        }
        if (Guarded(path, entry.Path)) {
            ++Outcomes().guarded;
            continue;
        }
        ++Outcomes().reported;
        ReportFileSystemHit(path, entry.ThreatName, entry.Type, ItemFile, ItemFile,
                            entry.ThreatName);
        return;
    }
}

void CheckFolderDefinitions(const std::string& item) {
    if (!DrivePath::HasDriveLetter(item))
        return;
    const std::string parent =
        TextRules::ToLower(TextRules::Trim(WithoutTrailing(MScanFolder::ParentPath(item), '\\')));
    const std::string leaf = MScanFolder::LastPathPart(item);
    const std::string drive = TextRules::ToLower(MScanFolder::FirstPathPart(item));
    const DefinitionTable& table = modGlobals::FolderDefinitionTable;
    for (size_t slot = 0; slot < table.size(); ++slot) {
        const DefinitionEntry entry = table.Entry(slot);
        const std::string defPath = WithoutTrailing(
            TextRules::Trim(TextRules::ToLower(ReplaceDrive(entry.Path, drive))), '\\');
        if (TextRules::IsBlank(defPath))
            return;
        if (defPath != parent)
            continue;
        if (!PathRulesMatch(parent, entry.Path))
            continue;

        const std::string p = parent + leaf;
        if (MScanFolder::IsInQuarantine(item))
            return;
        if (modGlobals::IsSafeItem(p)) {
            ++Outcomes().safe;
            return;
        }
        if (modGlobals::IsExcluded(p)) {
            ++Outcomes().excluded;
            AddExcludedRow(parent + "\\" + leaf);
            return;
        }
        if (NamesMicrosoft(p)) {
            ++Outcomes().microsoft;
            return;
        }
        if (Guarded(p, entry.Path)) {
            ++Outcomes().guarded;
            continue;
        }
        ++Outcomes().reported;
        ReportFileSystemHit(p, entry.ThreatName, entry.Type, ItemFile, ItemFolder,
                            entry.ThreatName + " Directory");
        return;
    }
}

bool IsSafeItem(const std::string& item) {
    const std::string s = SafetyForm(item);
    if (TextRules::IsBlank(s))
        return true;
    for (std::string_view entry : modGlobals::SafetyList) {
        const std::string e = SafetyForm(std::string(entry));
        if (TextRules::IsBlank(e))
            continue;
        if (s == e || e == s + "\\" || s == e + "\\")
            return true;
        if (IsHive(s))
            return true;
    }
    return false;
}

bool IsExcluded(const std::string& item) {
    return ExclusionHolds(item, false);
}

bool IsExcludedOrContains(const std::string& item) {
    return ExclusionHolds(item, true);
}

} // namespace LinearMatcher
