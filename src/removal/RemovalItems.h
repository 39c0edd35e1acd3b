// Which per-kind removal list holds a found item, and the removal item a per-kind row stands
// for: the text a combined row carries in its Tag.
#pragma once

#include "Controls.h"
#include "ScanResults.h"

#include <string>

// The per-kind list of a combined row's kind (its small icon), or null for any other kind.
ui::ListView* RemovalList(ScanResultLists& lists, int smallIcon);
// A file, folder or cookie row stands for its path; a registry row for its root, subkey and
// value as the registry scanner writes them into the Tag.
std::string RemovalItemOf(const ScanResultLists& lists, const ui::ListView& list,
                          const ui::ListItem& row);
