#include <windows.h>

#include "modSkin.h"

#include "Form.h"
#include "modLorvane.h"

namespace modSkin {

bool IsVistaOrLaterVersion(unsigned long platformId, unsigned long majorVersion) {
    return platformId == VER_PLATFORM_WIN32_NT && majorVersion >= 6;
}

bool IsVistaOrLater() {
    // The extended record of 156 bytes; a system that does not know it refuses the call.
    OSVERSIONINFOEXA version{};
    static_assert(sizeof(version) == 156);
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version)))
        return false;
    return IsVistaOrLaterVersion(version.dwPlatformId, version.dwMajorVersion);
}

void ApplySkin(ui::Form& window) {
    if (modLorvane::UseSkin && IsVistaOrLater())
        SetFormRectRegion(window);
}

void SetFormRectRegion(ui::Form& window) {
    RECT bounds;
    if (!window.Handle() || !GetWindowRect(window.Handle(), &bounds))
        return;
    HRGN region = CreateRectRgn(0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top);
    // The window owns a region it took; one it refused is still ours.
    if (region && !SetWindowRgn(window.Handle(), region, TRUE))
        DeleteObject(region);
}

} // namespace modSkin
