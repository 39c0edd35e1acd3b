// The result lists of a scan. Each row of the combined list carries in its Tag the one item
// that removing it acts on, so ticking, excluding, removing and reporting reach exactly that item.
#pragma once

#include "Controls.h"

#include <string>

// The small-icon number of a found item.
enum ItemKind { ItemCookie = 1, ItemRegistry = 2, ItemFile = 3, ItemFolder = 4, ItemExcluded = 5 };

struct ScanResultLists {
    ScanResultLists();

    // The combined results list: one FoundItemRow per item offered for removal.
    ui::ListView lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    // One line per hit as the scan runs, "EXCLUDED" hits and stopped processes included.
    ui::ListView lvwSpywareFound;
    // The per-kind removal lists, never shown.
    ui::ListView lvwFilesToBeDeleted;
    ui::ListView lvwRegistryToBeDeleted;
    ui::ListView lvwCookiesToDelete;
    ui::ListView lvwFileNotFounds;
    ui::ListView lvwBlockedCookies;
    // One row per drive a full scan walks; the text is the drive letter alone.
    ui::ListView lvwHardDrives;
};

// The one set of result lists, shown by the main window.
ScanResultLists& ScanLists();

// Appends a FoundItemRow: Text = name, SubItems 1 = location, 2 = type (when not empty).
ui::ListItem& AddFoundItemRow(const std::string& name, ItemKind kind, const std::string& location,
                              const std::string& type, const std::string& removalItem);
// Appends a running-list row of lvwSpywareFound.
void AddSpywareFoundRow(const std::string& name, ItemKind icon, const std::string& details);
// The running-list row of an item the exclusion list holds.
void AddExcludedRow(const std::string& location);

// Reports a file or folder hit: the removal row, the running-list row, the combined row, and the
// found counters. The removal row names the threat, by which the results page links the rows.
void ReportFileSystemHit(const std::string& path, const std::string& threatName,
                         const std::string& type, ItemKind runningIcon, ItemKind foundIcon,
                         const std::string& foundName);
