#include "ScanResults.h"

#include "ScanProgress.h"
#include "TextRules.h"
#include "modGlobals.h"

ScanResultLists::ScanResultLists()
    : lvwPicRemoveListOfSpywareFoundAndToBeRemoved("lvwPicRemoveListOfSpywareFoundAndToBeRemoved",
                                                   {"File", "Location", "Type", "Risk", "Details"},
                                                   true),
      lvwSpywareFound("lvwSpywareFound", {"Name", "Details"}),
      lvwFilesToBeDeleted("lvwFilesToBeDeleted", {"", ""}),
      lvwRegistryToBeDeleted("lvwRegistryToBeDeleted",
                             {"Main Key", "KeyValue", "Value", "SpywareName"}),
      lvwCookiesToDelete("lvwCookiesToDelete", {"Cookie Name", "CookieLocation"}),
      lvwFileNotFounds("lvwFileNotFounds", {"", ""}),
      lvwBlockedCookies("lvwBlockedCookies", {"", ""}), lvwHardDrives("lvwHardDrives", {""}, true) {
}

ScanResultLists& ScanLists() {
    static ScanResultLists lists;
    return lists;
}

ui::ListItem& AddFoundItemRow(const std::string& name, ItemKind kind, const std::string& location,
                              const std::string& type, const std::string& removalItem) {
    ui::ListItem& row = ScanLists().lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Add(name);
    row.SmallIcon = kind;
    row.SetSubItem(1, location);
    if (!type.empty())
        row.SetSubItem(2, type);
    row.Tag = removalItem;
    return row;
}

void AddSpywareFoundRow(const std::string& name, ItemKind icon, const std::string& details) {
    ui::ListItem& row = ScanLists().lvwSpywareFound.Add(name);
    row.SmallIcon = icon;
    row.SetSubItem(1, details);
}

void AddExcludedRow(const std::string& location) {
    AddSpywareFoundRow("EXCLUDED", ItemExcluded, location);
}

void ReportFileSystemHit(const std::string& path, const std::string& threatName,
                         const std::string& type, ItemKind runningIcon, ItemKind foundIcon,
                         const std::string& foundName) {
    ScanLists().lvwFilesToBeDeleted.Add(path).SetSubItem(1, threatName);
    ui::Label& traces = ScanDisplay().lbltracesFound;
    traces.Caption = std::to_string(TextRules::ToLong(traces.Caption, 0) + 1);
    AddSpywareFoundRow(threatName, runningIcon, path);
    AddFoundItemRow(foundName, foundIcon, path, type, path);
    ++modGlobals::ItemsFound;
}
