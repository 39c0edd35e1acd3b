// A window of the program: it holds its controls' models, and while it is loaded it keeps one
// native control per model and mirrors the models into them. Window logic changes the models
// (plain fields or setters); the form pushes what changed after every event handler it runs,
// whenever long operations or modal waits pump messages, and on Refresh. User input on a
// native control goes to the same model setters and handlers that code uses.
//
// A window class derives from Form, holds its controls as members, registers them with Add
// and overrides the form events it needs.
#pragma once

#include "Controls.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct HWND__;
using HWND = HWND__*;

namespace ui {

// The window class of every form.
inline constexpr wchar_t kFormWindowClass[] = L"UiForm";

enum class FormBorder { Sizable, Fixed, None };

// The toolkit's window states.
constexpr int vbNormal = 0, vbMinimized = 1, vbMaximized = 2;
// Why a form unloads: its close box, code, or the end of the user's session (shut-down or
// log-off), which the system does not wait for.
constexpr int vbFormControlMenu = 0, vbFormCode = 1, vbAppWindows = 2;

class Form {
  public:
    explicit Form(std::string name);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    std::string Name;
    std::string Caption;
    // The outer window's position and size in twips; follows the user's moves and resizes.
    int Left = 0, Top = 0, Width = 6000, Height = 4500;
    // The least outer size, in twips, that the user or code can size the window to; 0 = none.
    int MinWidth = 0, MinHeight = 0;
    int IconResource = 0; // icon resource id of the program's own file; 0 = none
    // Read when the window is created.
    FormBorder BorderStyle = FormBorder::Sizable;
    bool ShowInTaskbar = true;
    // Whether a window created with a taskbar button shows it now; follows changes at once.
    bool TaskVisible = true;

    // Registers a control (also menus, timers and image lists); kind = the model's type.
    void Add(Control& control);
    // The control with this name (any case) and control-array index (-1 = not in an array).
    Control* Find(const std::string& name, int index = -1) const;
    const std::vector<Control*>& Controls() const { return controls_; }

    // Creates the window (hidden) with its native controls, then raises Form_Load. False when
    // the window cannot be created.
    bool Load();
    bool Loaded() const { return hwnd_ != nullptr; }
    // Loads when needed and shows the window.
    void Show();
    void Hide();
    bool Visible() const { return visible_; }
    // Shows the window with every other visible window of the program disabled and returns
    // when it hides or unloads.
    void ShowModal();
    // Form_QueryUnload, Form_Unload, then the window goes. Inside one of this form's handlers
    // Form_QueryUnload runs at once and the rest when the outermost of them returns.
    void Unload();

    int WindowState() const { return windowState_; }
    // Minimises, maximises or restores at once (Form_Resize runs inside); a hidden window takes
    // the state when it is shown.
    void SetWindowState(int state);
    // Places the window in the middle of the screen.
    void CenterOnScreen();

    // Pushes every model change to the native window now.
    void Refresh();
    // How many controls the last push visited: only those whose models changed since the push
    // before, with what they contain.
    int VisitedControls() const { return visitedControls_; }
    // How many of them it told something: a model that holds what its native control was last
    // given costs no call to the platform.
    int PushedControls() const { return pushedControls_; }

    HWND Handle() const { return hwnd_; }
    // The native control of a model, or null (not loaded, or no window of its own).
    HWND ControlHandle(const Control& control) const;
    // The id a control's or menu item's messages carry (WM_COMMAND, WM_NOTIFY, WM_TIMER);
    // 0 when not registered.
    unsigned CommandId(const Control& control) const;

    // A message of the program's own (WM_APP to 0xBFFF) that reaches this form's window runs
    // its handler as an event does. Other programs call back this way (the notification area),
    // so what they report never mixes with the user's input. An empty handler removes it.
    using OwnMessageHandler = std::function<void(uintptr_t wParam, intptr_t lParam)>;
    void SetOwnMessageHandler(unsigned message, OwnMessageHandler handler);
    // The same for a message registered by name, which the system and other programs send to
    // every top-level window to announce an event (the shell's "TaskbarCreated"). Gives the
    // message's number; 0 when it cannot be registered, and then nothing is handled.
    unsigned SetRegisteredMessageHandler(const std::string& messageName, OwnMessageHandler handler);

  protected:
    // Form events; the defaults do nothing.
    virtual void Form_Load() {}
    virtual void Form_Resize() {}
    virtual void Form_QueryUnload(bool& /*cancel*/, int /*unloadMode*/) {}
    virtual void Form_Unload(bool& /*cancel*/) {}
    // Mouse moves over the form's own surface, x and y in twips; button 1 left, 2 right,
    // 4 middle; shift 1 Shift, 2 Ctrl, 4 Alt.
    virtual void Form_MouseMove(int /*button*/, int /*shift*/, int /*x*/, int /*y*/) {}
    // Mouse buttons and keys on a control, x and y in twips inside it.
    virtual void Control_MouseDown(Control&, int /*button*/, int /*shift*/, int /*x*/, int /*y*/) {}
    virtual void Control_MouseUp(Control&, int /*button*/, int /*shift*/, int /*x*/, int /*y*/) {}
    // A typed character; setting keyAscii to 0 swallows it.
    virtual void Control_KeyPress(Control&, int& /*keyAscii*/) {}
    // A click on a column header; column indexes ColumnHeaders.
    virtual void ListView_ColumnClick(ListView&, int /*column*/) {}
    // A double click; selectedRow is the selected row or -1.
    virtual void ListView_DblClick(ListView&, int /*selectedRow*/) {}

  private:
    struct Native;
    struct NativeImageList;
    struct Impl; // the window side, in FormNative.h

    std::vector<Control*> controls_;
    // The controls marked changed since the last push; shared with them, as they may outlive
    // the form.
    std::shared_ptr<detail::ChangeList> changes_ = std::make_shared<detail::ChangeList>();
    std::vector<std::unique_ptr<Native>> natives_;
    std::map<const ImageList*, std::unique_ptr<NativeImageList>> imageLists_;
    std::map<unsigned, OwnMessageHandler> ownMessages_;
    HWND hwnd_ = nullptr;
    HWND tooltip_ = nullptr;
    void* fonts_[4] = {}; // by italic * 2 + bold
    void* menuBar_ = nullptr;
    bool visible_ = false;
    int windowState_ = vbNormal;
    bool resized_ = false;
    // Window procedures and form events of this form on the call stack.
    int depth_ = 0;
    bool unloadPending_ = false;
    bool unloadQueried_ = false; // the pending unload's Form_QueryUnload has run
    int unloadMode_ = vbFormCode;
    bool pushing_ = false;
    bool syncAgain_ = false;
    int visitedControls_ = 0;
    int pushedControls_ = 0;
    uint64_t pushRound_ = 0;
    bool contentsStale_ = true; // a container changed: who holds whom is worked out again
    // What was last pushed to the window itself.
    std::string pushedCaption_;
    std::string pushedMenus_;
    int pushedRect_[4] = {}; // pixels: left, top, width, height
    int pushedIcon_ = 0;
    bool pushedTaskVisible_ = true;
};

// The loaded form of this name (any case), or null. A window reaches the windows of later parts
// of the program by name this way, without depending on them.
Form* LoadedForm(const std::string& name);

// Pushes what changed in every loaded form now. Event handlers are followed by it; an idle
// program pushes nothing.
void RefreshLoadedForms();
// The same for every pass of the message loop that long operations and modal waits run, so a
// window shows what code set while the program waits. Inside an event handler a pass pushes at
// most every 100 ms, and what it left is pushed within 100 ms all the same; outside handlers at
// once.
void RefreshLoadedFormsInPass();

// Ends the program's message loop (a quit request) once no form is shown any more: at once when
// none is, otherwise when the last one shown hides or unloads.
void QuitWhenNoFormShown();

} // namespace ui
