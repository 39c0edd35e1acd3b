// The file and folder choosers, behind one replaceable handler each so tests can answer them.
#pragma once

#include <functional>
#include <string>

namespace ui {

// The Open dialog, no filter and no title of its own: the chosen file's full path, or empty
// when cancelled.
std::string ShowOpenFileDialog(void* ownerWindow);
// A modal folder chooser: the chosen folder's full path, or empty when cancelled.
std::string BrowseForFolder(void* ownerWindow);

using ChooserHandler = std::function<std::string()>;
// Replaces how the dialogs are answered; an empty handler restores the real dialog.
void SetOpenFileDialogHandler(ChooserHandler handler);
void SetBrowseForFolderHandler(ChooserHandler handler);

} // namespace ui
