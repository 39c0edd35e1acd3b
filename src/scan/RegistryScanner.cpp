#include "RegistryScanner.h"

#include "DefinitionFile.h"
#include "DoEvents.h"
#include "Exclusions.h"
#include "ModRegistryRelated.h"
#include "RegistryKeyGuard.h"
#include "SafetyList.h"
#include "ScanPercent.h"
#include "ScanProgress.h"
#include "ScanResults.h"
#include "TextRules.h"
#include "modGenDec.h"
#include "modGlobals.h"
#include "xfileExists.h"

using TextRules::Replace;
using TextRules::Trim;

namespace RegistryScanner {

namespace {

// One registry definition entry and the texts built from it.
struct RegistryHit {
    int32_t root;
    std::string subkey;    // as written in the definition
    std::string valueName; // empty for a whole key
    std::string itemText;  // root name, "\", subkey, directly followed by the value name
    std::string data;      // name, "|", type
};

// A subkey of nothing but blanks and backslashes names a whole hive, which is never a threat.
bool NamesAHive(const std::string& subkey) {
    return subkey.find_first_not_of(" \\") == std::string::npos;
}

void ShowProgress(const std::string& subkey, const std::string& valueName) {
    using namespace modGlobals;
    if (RegistryDefinitionCount == 0 || DefinitionCount == 0)
        return;
    UpdateScanProgress(
        ScanPhasePrefix + "\r\n" + TextRules::ToLower(subkey + "\\" + valueName),
        ScanPercent(RegistryItemsInspected, RegistryDefinitionCount),
        ScanPercent(int64_t(RegistryItemsInspected) + CookieDefinitionCount + ExeDefinitionCount,
                    DefinitionCount));
}

void Report(const RegistryHit& hit) {
    const size_t bar = hit.data.find('|');
    const std::string name = hit.data.substr(0, bar);
    const std::string type = bar == std::string::npos
                                 ? std::string()
                                 : hit.data.substr(bar + 1, hit.data.find('|', bar + 1) - bar - 1);

    ui::ListItem& removal = ScanLists().lvwRegistryToBeDeleted.Add(std::to_string(hit.root));
    removal.SetSubItem(1, hit.subkey);
    removal.SetSubItem(2, hit.valueName);
    removal.SetSubItem(3, name);
    ui::Label& traces = ScanDisplay().lbltracesFound;
    traces.Caption = std::to_string(TextRules::ToLong(traces.Caption, 0) + 1);

    // A value hit without a name gets its removal row only.
    const std::string tag = RegistryRemovalItem(hit.root, hit.subkey, hit.valueName);
    if (!Trim(name).empty()) {
        AddSpywareFoundRow(name, ItemRegistry, hit.itemText);
        AddFoundItemRow(name, ItemRegistry, hit.itemText, type, tag);
        ++modGlobals::ItemsFound;
    } else if (hit.valueName.empty()) {
        ScanLists().lvwSpywareFound.Add("RegKey " + hit.subkey).SetSubItem(1, hit.itemText);
        AddFoundItemRow(hit.subkey, ItemRegistry, hit.itemText, "", tag);
        ++modGlobals::ItemsFound;
    }
}

void ScanLine(const std::string& line, const std::string& drive) {
    using namespace ModRegistryRelated;
    const size_t equals = line.rfind('=');
    if (equals == std::string::npos)
        return;
    std::string location = Replace(line.substr(0, equals), "[drive]", drive);
    // A location in a special folder this system lacks would name some other key.
    std::string missingToken;
    modGenDec::ExpandPathMacros(location, &missingToken);
    if (!missingToken.empty())
        return;
    const std::vector<std::string> fields = TextRules::Split(location, "^");
    if (fields.size() < 3 || Trim(fields[0]).empty() || NamesAHive(fields[1]))
        return;
    RegistryHit hit{GetRootKey(fields[0]), fields[1], fields[2], RootKeyName + "\\" + fields[1],
                    Trim(line.substr(equals + 1))};
    const bool wholeKey = hit.valueName.empty();
    // A key the system depends on is never a threat as a whole, whatever a definition says.
    if (hit.root == -1 || (wholeKey && !RegistryKeyGuard::MayDeleteKey(hit.root, hit.subkey)))
        return;
    ++modGlobals::RegistryItemsInspected;
    ShowProgress(hit.subkey, hit.valueName);

    const std::string keyText = hit.itemText;
    hit.valueName = Replace(hit.valueName, "\\\\", "\\");
    hit.itemText += hit.valueName;
    // Any value type counts: a threat's value stored as binary or multi-string data is there.
    const bool present = wholeKey ? RegistryKeyExists(hit.root, Trim(hit.subkey))
                                  : RegistryValueExists(hit.root, hit.subkey, hit.valueName);
    if (!present || modGlobals::IsSafeItem(hit.itemText))
        return;
    if (modGlobals::IsExcluded(hit.itemText) || modGlobals::IsExcluded(keyText)) {
        AddExcludedRow(hit.itemText);
        return;
    }
    Report(hit);
}

} // namespace

std::string RegistryRemovalItem(int32_t root, const std::string& subkey,
                                const std::string& valueName) {
    return std::to_string(root) + "^" + subkey + "^" + valueName;
}

void ScanRegistry() {
    const std::string drive = modGenDec::GetSystemDriveRoot();
    const std::string definitions = modGlobals::DataFile(kRegistryDefinitionFile);
    if (!xfileExists::FileExists(definitions))
        return;
    DefinitionFileReader reader(definitions);
    std::string line;
    for (;;) {
        ui::YieldToMessageLoop();
        if (modGlobals::StopScanRequested || !reader.Next(line))
            break;
        ScanLine(line, drive);
        ui::YieldToMessageLoop();
    }
}

} // namespace RegistryScanner
