// The forms layer's native side, shared by its parts: window lifetime and modal show
// (FormWindow.cpp), pushing models to native controls (FormPush.cpp), routing native input to
// the models (FormInput.cpp) and the owner-data list view (FormListView.cpp). Internal to
// src/ui.
#pragma once

#include <windows.h>

#include "Form.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <commctrl.h>

namespace ui {

namespace detail {

inline constexpr int kTwipsPerPixel = 15;
inline constexpr unsigned kFirstControlId = 100;
inline constexpr int kProgressRange = 10000;
// A drop-down list's native height includes its open list.
inline constexpr int kDropDownPixels = 200;

enum class Kind {
    Label,
    Button,
    Frame,
    CheckBox,
    OptionButton,
    TextBox,
    ComboBox,
    ListBox,
    Timer,
    DTPicker,
    TabStrip,
    Menu,
    ImageList,
    ProgressBar,
    ListView,
    Other
};

Kind KindOf(Control& c);
bool HasWindow(Kind kind);
int ToPixels(int twips);
int ContainerDepth(const Control& c);
// Input reaches a control only while it and every container are enabled.
bool EnabledInside(const Control& c);
int MouseButton(WPARAM keys);
int ShiftState(WPARAM keys);
LOGFONTW MessageFont();
// Every form that has a window, in the order they were loaded.
std::vector<Form*>& LoadedForms();
// After a form hid or went: the quit request that QuitWhenNoFormShown asked for.
void QuitIfNoFormShown();
// How many event handlers of any form are on the call stack.
int& HandlersRunning();

} // namespace detail

// One registered model and what was last pushed to its native side.
struct Form::Native {
    Native(Control* control, detail::Kind kind, unsigned id) : model(control), kind(kind), id(id) {}

    Control* model;
    detail::Kind kind;
    unsigned id;
    HWND hwnd = nullptr;
    bool groupBox = false; // a Frame drawn with a border and caption
    int rect[4] = {INT_MIN, 0, 0, 0};
    int shown = -1, enabled = -1;
    std::string text = "\x01"; // never a real caption
    std::string tip;
    int value = INT_MIN;
    int font = 0;
    bool readOnly = false;
    double date = NAN;
    uint64_t revision = UINT64_MAX;
    std::vector<std::string> items;
    std::vector<ColumnHeader> columns;
    int checkboxes = -1;
    int sortArrow = INT_MIN;   // key * 2 + order, or -1 when unsorted
    uint64_t selectedRow = 0;  // the Id of the row the user selected; 0 = none
    bool columnsMoved = false; // the header reported a change of its columns since the last push
    HIMAGELIST icons = nullptr;
    bool timerOn = false;
    int interval = 0;
    bool pushed = false; // the push under way has told the control something
    // The controls this one contains directly, and the container it had when that was noted.
    std::vector<Native*> contents;
    const Control* container = nullptr;
    uint64_t visitedInRound = 0;
};

struct Form::NativeImageList {
    HIMAGELIST handle = nullptr;
    std::vector<int> ids;
};

struct Form::Impl {
    // Counts this form's window procedures and events on the call stack; an unload asked for
    // meanwhile is carried out when the outermost one returns.
    class Depth {
      public:
        explicit Depth(Form& f) : f_(f) { ++f_.depth_; }
        ~Depth() {
            if (--f_.depth_ == 0 && f_.unloadPending_ && !f_.pushing_)
                CarryOutUnload(f_, f_.unloadMode_);
        }
        Depth(const Depth&) = delete;
        Depth& operator=(const Depth&) = delete;

      private:
        Form& f_;
    };

    // Runs window logic, then shows what it changed in every loaded form.
    // The handler is a copy: window logic may replace a control's handler while it runs.
    template <class F> static void Run(F handler) {
        ++detail::HandlersRunning();
        try {
            handler();
        } catch (...) {
            // A handler's failure must not unwind through the window procedure.
        }
        --detail::HandlersRunning();
        RefreshLoadedForms();
    }

    static Native* ById(Form& f, UINT_PTR id) {
        if (id < detail::kFirstControlId || id - detail::kFirstControlId >= f.natives_.size())
            return nullptr;
        return f.natives_[id - detail::kFirstControlId].get();
    }

    // ----- window lifetime (FormWindow.cpp) -----
    static bool Create(Form& f);
    static void AddNative(Form& f, Control& c);
    static void CreateNative(Form& f, Native& n);

    // Frames and tab strips lie beneath the controls placed on them: the outermost lowest,
    // and a frame above a tab strip of the same container.
    static void RestackBackdrops(Form& f);
    // Inside one of the form's handlers: Form_QueryUnload runs at once, so the form can act on
    // the request while its handler still runs; the rest of the unload waits for the outermost
    // handler to return.
    static void AskToUnload(Form& f, int mode);
    static void CarryOutUnload(Form& f, int mode);
    static void Destroy(Form& f);

    // ----- the shell's side (FormShell.cpp) -----
    // The user's session ends: the unload runs at once, as the system does not wait for it.
    static void EndSession(Form& f);
    // Adds or takes away the taskbar button as TaskVisible says; force: also when unchanged,
    // as showing a window gives it its button again.
    static void PushTaskButton(Form& f, bool force);

    // ----- mirroring (FormPush.cpp) -----
    // Pushes what changed: the window itself, then every control marked since the last push
    // with everything it contains, as a container's place, visibility and state reach them.
    static void Sync(Form& f);
    // Marks every control, for a push that tells the native window everything.
    static void MarkAll(Form& f);
    static void NoteContents(Form& f);
    // Pushes one control and what it contains, once per round.
    static void Visit(Form& f, Native& n, bool& menus);
    static void PushWindow(Form& f);

    // Takes in what the user moved or sized, leaving what code set and did not push yet.
    static void PullWindowRect(Form& f);
    static void SetText(Native& n, const std::string& text);
    static void SetValue(Native& n, int value, UINT message, WPARAM wParam);
    static void PushControl(Form& f, Native& n);
    static TOOLINFOW ToolOf(Form& f, Native& n, std::wstring& text);

    // Forgets the tip of a native control that is about to go.
    static void DropToolTip(Form& f, Native& n);
    static void PushToolTip(Form& f, Native& n);
    static void PushTimer(Form& f, Native& n);

    // The native image list of a model, refilled when its icons changed.
    static HIMAGELIST ImageListOf(Form& f, const ImageList& images, bool& refilled);
    static HFONT FontOf(Form& f, bool italic, bool bold);

    // The menu bar is rebuilt whenever a menu's caption or state changed: menus are few.
    static void PushMenus(Form& f);
    static void AppendMenuItems(Form& f, HMENU into, const Menu* parent);

    // ----- the owner-data list view (FormListView.cpp) -----
    static void PushListView(Form& f, Native& n);
    static void PushSortArrow(Native& n, const ListView& list);
    // Keeps the user's selection on its row when rows move, as a sort moves them.
    static void FollowSelectedRow(Native& n, const ListView& list);
    static void FillListItem(const ListView& list, LVITEMW& item);
    static void OnListNotify(Form& f, Native& n, const NMHDR& header);
    // The user's tick or untick of a row, by mouse, keyboard or an assistive tool.
    static void UserTick(ListView& list, size_t row, bool checked);
    // LVM_SETITEMSTATE, LVM_SETITEMA and LVM_SETITEMW: the tick they carry is the user's
    // tick; the rest of the state is the control's own.
    static bool IsSetStateMessage(UINT message);
    static LRESULT OnSetListState(Native& n, UINT message, WPARAM wParam, LPARAM lParam);

    // ----- user input (FormInput.cpp) -----
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT FormMessage(Form& f, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static void OnCommand(Form& f, unsigned id, unsigned code, HWND control);
    static LRESULT OnNotify(Form& f, const NMHDR& header);
    static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR data);
};

} // namespace ui
