// A window that slides up from the taskbar at the bottom right of the screen and back down: the
// tray popup and the definitions-updated notice. Its position values are in twips.
#pragma once

#include "Form.h"

#include <cstdint>
#include <functional>
#include <string>

// What the placement reads from the screen: client rectangles in pixels, the screen's height
// in twips.
struct PopupScreen {
    int taskbarBottom = 0;
    int desktopRight = 0;
    int desktopBottom = 0;
    int screenHeight = 0;
};

// The taskbar's and the desktop's client rectangles, and the screen at 15 twips to a pixel.
PopupScreen ReadPopupScreen();

class SlidingPopup : public ui::Form {
  public:
    explicit SlidingPopup(std::string name) : ui::Form(std::move(name)) {}

    // Replaced in tests, so the slide runs on a screen of known size.
    std::function<PopupScreen()> Screen = ReadPopupScreen;
    int32_t TargetTop() const { return targetTop_; }

  protected:
    // Starts at the taskbar's upper edge, aiming at a rest just above it, and shows the window.
    void PlaceAboveTaskbar();
    // The slide timers show the window on every tick, also after it was hidden.
    void MakeVisible();
    // One tick of the slide in: true once the window has reached its rest.
    bool SlideIn(int step);

  private:
    int32_t targetTop_ = 0;
};
