// The main window loaded and shown under the test display as start-up leaves it, over the
// settings of MainWindowFixture. Whatever quit request its close posted is taken back at the end.
#pragma once

#include "MainWindowFixture.h"

#include <array>
#include <string>
#include <vector>

class ShownMainWindow : public MainWindowFixture {
  protected:
    ~ShownMainWindow() override;
    void SetUp() override;

    // Takes back a pending quit request; true when there was one.
    static bool TakeQuitRequest();
    // Resizes the window as the user would and lets it lay itself out.
    void ResizeTo(int width, int height);
    static bool Inside(const ui::Control& control, const ui::Control& container);
    // Every control of the form that is shown, with a window of its own, and no frame or tab
    // strip (which only hold others), leaving out the frame of invisible controls below the
    // window's lower edge.
    std::vector<const ui::Control*> ShownLeaves() const;
    // Left, top, right and bottom inside the form's client area, in twips.
    static void Bounds(const ui::Control& control, int bounds[4]);
    void Picture(const std::string& name);

    // Every control's left, top, width and height as the window was designed, before it showed.
    std::vector<std::array<int, 4>> design;
};
