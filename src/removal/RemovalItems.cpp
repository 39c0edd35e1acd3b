#include "RemovalItems.h"

#include "RegistryScanner.h"
#include "TextRules.h"

ui::ListView* RemovalList(ScanResultLists& lists, int smallIcon) {
    switch (smallIcon) {
    case ItemCookie:
        return &lists.lvwCookiesToDelete;
    case ItemRegistry:
        return &lists.lvwRegistryToBeDeleted;
    case ItemFile:
    case ItemFolder:
        return &lists.lvwFilesToBeDeleted;
    default:
        return nullptr;
    }
}

std::string RemovalItemOf(const ScanResultLists& lists, const ui::ListView& list,
                          const ui::ListItem& row) {
    if (&list != &lists.lvwRegistryToBeDeleted)
        return row.Text;
    return RegistryScanner::RegistryRemovalItem(
        static_cast<int32_t>(TextRules::ToLong(row.Text, -1)), row.SubItem(1), row.SubItem(2));
}
