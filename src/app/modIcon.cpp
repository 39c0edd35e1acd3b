#include "modIcon.h"

#include "AnsiText.h"

#include <windows.h>

namespace modIcon {

void SetFormIcon(void* window, const char* resourceName, bool setOnOwner) {
    HWND handle = static_cast<HWND>(window);
    if (!handle)
        return;
    HWND owner = handle;
    if (setOnOwner)
        for (HWND next = GetWindow(owner, GW_OWNER); next; next = GetWindow(owner, GW_OWNER))
            owner = next;
    const std::wstring name = Utf8ToWide(resourceName);
    const struct {
        int width, height;
        WPARAM kind;
    } sizes[] = {{SM_CXICON, SM_CYICON, ICON_BIG}, {SM_CXSMICON, SM_CYSMICON, ICON_SMALL}};
    for (const auto& size : sizes) {
        HANDLE icon =
            LoadImageW(GetModuleHandleW(nullptr), name.c_str(), IMAGE_ICON,
                       GetSystemMetrics(size.width), GetSystemMetrics(size.height), LR_SHARED);
        if (!icon)
            continue;
        if (setOnOwner)
            SendMessageW(owner, WM_SETICON, size.kind, reinterpret_cast<LPARAM>(icon));
        SendMessageW(handle, WM_SETICON, size.kind, reinterpret_cast<LPARAM>(icon));
    }
}

} // namespace modIcon
