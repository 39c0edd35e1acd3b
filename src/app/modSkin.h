// The skin switch of the windows. This build has no skin control and modLorvane::UseSkin is
// False, so skinning a window leaves it as designed; only the region call does real work.
#pragma once

namespace ui {
class Form;
}

namespace modSkin {

// True on the NT family from major version 6 on, as the system reports its version.
bool IsVistaOrLater();
// The same decision over a version the system reported: platform 2 is the NT family.
bool IsVistaOrLaterVersion(unsigned long platformId, unsigned long majorVersion);

// What a window's load does when skinning is on: without a skin control there are no colours
// to read and no skinning method to call, which leaves the rectangular region on Vista and
// later. Does nothing while UseSkin is False.
void ApplySkin(ui::Form& window);
// Gives a loaded window a rectangular region of its own size, redrawn at once.
void SetFormRectRegion(ui::Form& window);

} // namespace modSkin
