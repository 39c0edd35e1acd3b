#include "CommonDialogs.h"

#include "AnsiText.h"
#include "Form.h"

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

namespace ui {

namespace {

ChooserHandler openFileHandler;
ChooserHandler folderHandler;

std::string RealOpenFileDialog(HWND owner) {
    RefreshLoadedForms(); // the dialog waits for the user in front of them
    wchar_t path[MAX_PATH * 4] = {};
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFile = path;
    dialog.nMaxFile = static_cast<DWORD>(std::size(path));
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
    return GetOpenFileNameW(&dialog) ? WideToUtf8(path) : std::string();
}

std::string RealBrowseForFolder(HWND owner) {
    RefreshLoadedForms(); // the dialog waits for the user in front of them
    // The new-style chooser needs a single-threaded apartment; only a call that entered one
    // leaves it again.
    const HRESULT entered = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_EDITBOX | BIF_VALIDATE;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    wchar_t path[MAX_PATH] = {};
    const bool found = chosen && SHGetPathFromIDListW(chosen, path);
    CoTaskMemFree(chosen);
    if (SUCCEEDED(entered))
        CoUninitialize();
    return found ? WideToUtf8(path) : std::string();
}

} // namespace

std::string ShowOpenFileDialog(void* ownerWindow) {
    return openFileHandler ? openFileHandler() : RealOpenFileDialog(static_cast<HWND>(ownerWindow));
}

std::string BrowseForFolder(void* ownerWindow) {
    return folderHandler ? folderHandler() : RealBrowseForFolder(static_cast<HWND>(ownerWindow));
}

void SetOpenFileDialogHandler(ChooserHandler handler) {
    openFileHandler = std::move(handler);
}

void SetBrowseForFolderHandler(ChooserHandler handler) {
    folderHandler = std::move(handler);
}

} // namespace ui
