#include "ShownMainWindow.h"

#include "DoEvents.h"
#include "MachineSettingsStore.h"
#include "Screenshot.h"

#include <windows.h>

#include <gtest/gtest.h>

void ShownMainWindow::SetUp() {
    AsOnALaterStart();
    for (const ui::Control* control : form->Controls())
        design.push_back({control->Left, control->Top, control->Width, control->Height});
    ASSERT_TRUE(form->Load());
    form->Show();
    form->Refresh();
    ASSERT_TRUE(IsWindowVisible(form->Handle()));
}

ShownMainWindow::~ShownMainWindow() {
    if (form->Loaded())
        form->Unload();
    TakeQuitRequest();
}

bool ShownMainWindow::TakeQuitRequest() {
    bool taken = false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        taken = true;
    return taken;
}

void ShownMainWindow::ResizeTo(int width, int height) {
    form->Width = width;
    form->Height = height;
    form->Refresh();
}

bool ShownMainWindow::Inside(const ui::Control& control, const ui::Control& container) {
    for (const ui::Control* c = control.Container; c; c = c->Container)
        if (c == &container)
            return true;
    return false;
}

std::vector<const ui::Control*> ShownMainWindow::ShownLeaves() const {
    std::vector<const ui::Control*> leaves;
    for (const ui::Control* control : form->Controls())
        if (control->Shown() && form->ControlHandle(*control) && !Inside(*control, form->Frame) &&
            !dynamic_cast<const ui::Frame*>(control) && !dynamic_cast<const ui::TabStrip*>(control))
            leaves.push_back(control);
    return leaves;
}

void ShownMainWindow::Bounds(const ui::Control& control, int bounds[4]) {
    int left = 0, top = 0;
    for (const ui::Control* c = &control; c; c = c->Container) {
        left += c->Left;
        top += c->Top;
    }
    bounds[0] = left;
    bounds[1] = top;
    bounds[2] = left + control.Width;
    bounds[3] = top + control.Height;
}

void ShownMainWindow::Picture(const std::string& name) {
    CreateDirectoryW(L"C:\\screenshots", nullptr);
    form->Refresh();
    ui::DoEvents();
    EXPECT_TRUE(ui::SaveWindowScreenshot(form->Handle(), "C:\\screenshots\\" + name + ".bmp"));
}
