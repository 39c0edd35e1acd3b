#include <windows.h>

#include "Form.h"

#include "DoEvents.h"

#include "AnsiText.h"
#include "TextRules.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <commctrl.h>
#include <oleauto.h>
#include <windowsx.h>

namespace ui {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr unsigned kFirstControlId = 100;
constexpr UINT_PTR kSyncTimer = 0xF000; // above every control id
constexpr UINT kSyncInterval = 50;
constexpr int kProgressRange = 10000;
// A drop-down list's native height includes its open list.
constexpr int kDropDownPixels = 200;

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

Kind KindOf(Control& c) {
    if (dynamic_cast<Label*>(&c))
        return Kind::Label;
    if (dynamic_cast<Button*>(&c))
        return Kind::Button;
    if (dynamic_cast<Frame*>(&c))
        return Kind::Frame;
    if (dynamic_cast<CheckBox*>(&c))
        return Kind::CheckBox;
    if (dynamic_cast<OptionButton*>(&c))
        return Kind::OptionButton;
    if (dynamic_cast<TextBox*>(&c))
        return Kind::TextBox;
    if (dynamic_cast<ComboBox*>(&c))
        return Kind::ComboBox;
    if (dynamic_cast<ListBox*>(&c))
        return Kind::ListBox;
    if (dynamic_cast<Timer*>(&c))
        return Kind::Timer;
    if (dynamic_cast<DTPicker*>(&c))
        return Kind::DTPicker;
    if (dynamic_cast<TabStrip*>(&c))
        return Kind::TabStrip;
    if (dynamic_cast<Menu*>(&c))
        return Kind::Menu;
    if (dynamic_cast<ImageList*>(&c))
        return Kind::ImageList;
    if (dynamic_cast<ProgressBar*>(&c))
        return Kind::ProgressBar;
    if (dynamic_cast<ListView*>(&c))
        return Kind::ListView;
    return Kind::Other;
}

bool HasWindow(Kind kind) {
    return kind != Kind::Timer && kind != Kind::Menu && kind != Kind::ImageList &&
           kind != Kind::Other;
}

int ToPixels(int twips) {
    return twips >= 0 ? twips / kTwipsPerPixel : -((-twips + kTwipsPerPixel - 1) / kTwipsPerPixel);
}

int ContainerDepth(const Control& c) {
    int depth = 0;
    for (const Control* p = c.Container; p; p = p->Container)
        ++depth;
    return depth;
}

// Input reaches a control only while it and every container are enabled.
bool EnabledInside(const Control& c) {
    for (const Control* p = &c; p; p = p->Container)
        if (!p->Enabled)
            return false;
    return true;
}

int MouseButton(WPARAM keys) {
    return ((keys & MK_LBUTTON) ? 1 : 0) | ((keys & MK_RBUTTON) ? 2 : 0) |
           ((keys & MK_MBUTTON) ? 4 : 0);
}

int ShiftState(WPARAM keys) {
    return ((keys & MK_SHIFT) ? 1 : 0) | ((keys & MK_CONTROL) ? 2 : 0) |
           ((GetKeyState(VK_MENU) < 0) ? 4 : 0);
}

std::vector<Form*>& LoadedForms() {
    static std::vector<Form*> forms;
    return forms;
}

void InitNativeControls() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_DATE_CLASSES |
                                                  ICC_TAB_CLASSES | ICC_PROGRESS_CLASS |
                                                  ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)done;
}

LOGFONTW MessageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return metrics.lfMessageFont;
    LOGFONTW font{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    return font;
}

HICON BlankIcon() {
    static const HICON blank = [] {
        BYTE transparent[16 * 16 / 8], black[16 * 16 / 8] = {};
        std::fill(std::begin(transparent), std::end(transparent), 0xFF);
        return CreateIcon(GetModuleHandleW(nullptr), 16, 16, 1, 1, transparent, black);
    }();
    return blank;
}

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM list) {
    if (IsWindowVisible(window) && IsWindowEnabled(window))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::string WindowTextOf(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return WideToUtf8(text);
}

} // namespace

// One registered model and what was last pushed to its native side.
struct Form::Native {
    Native(Control* control, Kind kind, unsigned id) : model(control), kind(kind), id(id) {}

    Control* model;
    Kind kind;
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
    HIMAGELIST icons = nullptr;
    bool timerOn = false;
    int interval = 0;
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
        try {
            handler();
        } catch (...) {
            // A handler's failure must not unwind through the window procedure.
        }
        std::vector<Form*> forms = LoadedForms();
        for (Form* form : forms)
            if (std::find(LoadedForms().begin(), LoadedForms().end(), form) != LoadedForms().end())
                Sync(*form);
    }

    static Native* ById(Form& f, UINT_PTR id) {
        if (id < kFirstControlId || id - kFirstControlId >= f.natives_.size())
            return nullptr;
        return f.natives_[id - kFirstControlId].get();
    }

    // ----- window lifetime -----

    static bool Create(Form& f) {
        InitNativeControls();
        static const bool registered = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.style = CS_DBLCLKS;
            wc.lpfnWndProc = WindowProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
            wc.lpszClassName = kFormWindowClass;
            return RegisterClassExW(&wc) != 0;
        }();
        if (!registered)
            return false;

        DWORD style = WS_OVERLAPPEDWINDOW;
        if (f.BorderStyle == FormBorder::Fixed)
            style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
        else if (f.BorderStyle == FormBorder::None)
            style = WS_POPUP;
        const DWORD exStyle = f.ShowInTaskbar ? 0 : WS_EX_TOOLWINDOW;
        const int rect[4] = {ToPixels(f.Left), ToPixels(f.Top), ToPixels(f.Width),
                             ToPixels(f.Height)};
        std::copy(rect, rect + 4, f.pushedRect_);
        // The window procedure takes the handle already at WM_NCCREATE.
        if (!CreateWindowExW(exStyle, kFormWindowClass, Utf8ToWide(f.Caption).c_str(), style,
                             rect[0], rect[1], rect[2], rect[3], nullptr, nullptr,
                             GetModuleHandleW(nullptr), &f)) {
            f.hwnd_ = nullptr;
            return false;
        }
        LoadedForms().push_back(&f);
        f.pushedCaption_ = f.Caption;
        PullWindowRect(f);

        LOGFONTW font = MessageFont();
        font.lfItalic = FALSE;
        font.lfWeight = FW_NORMAL;
        f.fonts_[0] = CreateFontIndirectW(&font);
        f.tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                     WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, f.hwnd_, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);

        f.natives_.clear();
        for (Control* c : f.controls_)
            AddNative(f, *c);
        std::vector<Native*> order;
        for (auto& n : f.natives_)
            order.push_back(n.get());
        // Containers first, so they exist before what they hold.
        std::stable_sort(order.begin(), order.end(), [](const Native* a, const Native* b) {
            return ContainerDepth(*a->model) < ContainerDepth(*b->model);
        });
        for (Native* n : order)
            CreateNative(f, *n);
        RestackBackdrops(f);
        SetTimer(f.hwnd_, kSyncTimer, kSyncInterval, nullptr);
        return true;
    }

    static void AddNative(Form& f, Control& c) {
        f.natives_.push_back(std::make_unique<Native>(
            &c, KindOf(c), kFirstControlId + static_cast<unsigned>(f.natives_.size())));
    }

    static void CreateNative(Form& f, Native& n) {
        if (!HasWindow(n.kind))
            return;
        const wchar_t* cls = L"STATIC";
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
        DWORD exStyle = 0;
        switch (n.kind) {
        case Kind::Label:
            style |= SS_LEFT | SS_NOTIFY;
            break;
        case Kind::Button:
            cls = L"BUTTON";
            style |= BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP;
            break;
        case Kind::Frame:
            n.groupBox = !static_cast<Frame*>(n.model)->Caption.empty();
            if (n.groupBox) {
                cls = L"BUTTON";
                style |= BS_GROUPBOX;
            }
            break;
        case Kind::CheckBox:
            cls = L"BUTTON";
            style |= BS_CHECKBOX | BS_MULTILINE | WS_TABSTOP;
            break;
        case Kind::OptionButton:
            cls = L"BUTTON";
            style |= BS_RADIOBUTTON | BS_MULTILINE | WS_TABSTOP;
            break;
        case Kind::TextBox:
            cls = L"EDIT";
            exStyle = WS_EX_CLIENTEDGE;
            style |= WS_TABSTOP | ES_AUTOHSCROLL;
            if (static_cast<TextBox*>(n.model)->MultiLine)
                style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
            break;
        case Kind::ComboBox:
            cls = L"COMBOBOX";
            style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
            break;
        case Kind::ListBox:
            cls = L"LISTBOX";
            exStyle = WS_EX_CLIENTEDGE;
            style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
            break;
        case Kind::DTPicker:
            cls = DATETIMEPICK_CLASSW;
            style |= WS_TABSTOP | (static_cast<DTPicker*>(n.model)->TimeOnly ? DTS_TIMEFORMAT
                                                                             : DTS_SHORTDATEFORMAT);
            break;
        case Kind::TabStrip:
            cls = WC_TABCONTROLW;
            style |= WS_TABSTOP;
            break;
        case Kind::ProgressBar:
            cls = PROGRESS_CLASSW;
            break;
        case Kind::ListView:
            cls = WC_LISTVIEWW;
            exStyle = WS_EX_CLIENTEDGE;
            style |= LVS_REPORT | LVS_OWNERDATA | LVS_SHAREIMAGELISTS | LVS_SHOWSELALWAYS |
                     LVS_SINGLESEL | WS_TABSTOP;
            break;
        default:
            break;
        }
        n.hwnd = CreateWindowExW(exStyle, cls, L"", style, 0, 0, 0, 0, f.hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(n.id)),
                                 GetModuleHandleW(nullptr), nullptr);
        if (!n.hwnd)
            return;
        SendMessageW(n.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(f.fonts_[0]), FALSE);
        SetWindowSubclass(n.hwnd, ControlProc, n.id, reinterpret_cast<DWORD_PTR>(&f));
        if (n.kind == Kind::ProgressBar)
            SendMessageW(n.hwnd, PBM_SETRANGE32, 0, kProgressRange);
        if (n.kind == Kind::ListView)
            SendMessageW(n.hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                         LVS_EX_FULLROWSELECT);
    }

    // Frames and tab strips lie beneath the controls placed on them: the outermost lowest,
    // and a frame above a tab strip of the same container.
    static void RestackBackdrops(Form& f) {
        std::vector<std::pair<int, HWND>> backdrops;
        for (auto& n : f.natives_)
            if (n->hwnd && (n->kind == Kind::Frame || n->kind == Kind::TabStrip))
                backdrops.emplace_back(
                    ContainerDepth(*n->model) * 2 + (n->kind == Kind::Frame ? 1 : 0), n->hwnd);
        std::stable_sort(backdrops.begin(), backdrops.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
        for (const auto& backdrop : backdrops)
            SetWindowPos(backdrop.second, HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

    static void CarryOutUnload(Form& f, int mode) {
        f.unloadPending_ = false;
        if (!f.hwnd_)
            return;
        Sync(f); // takes in the user's last column widths
        bool cancel = false;
        ++f.depth_;
        try {
            f.Form_QueryUnload(cancel, mode);
            if (!cancel)
                f.Form_Unload(cancel);
        } catch (...) {
        }
        --f.depth_;
        f.unloadPending_ = false;
        if (cancel) {
            Sync(f);
            return;
        }
        Destroy(f);
    }

    static void Destroy(Form& f) {
        if (!f.hwnd_)
            return;
        HWND hwnd = f.hwnd_;
        for (auto& n : f.natives_)
            if (n->timerOn)
                KillTimer(hwnd, n->id);
        KillTimer(hwnd, kSyncTimer);
        f.natives_.clear();
        f.visible_ = false;
        DestroyWindow(hwnd); // takes the controls, the tool tips and the menu bar with it
        f.hwnd_ = nullptr;
        f.tooltip_ = nullptr;
        f.menuBar_ = nullptr;
        f.pushedMenus_.clear();
        for (auto& images : f.imageLists_)
            ImageList_Destroy(images.second->handle);
        f.imageLists_.clear();
        for (void*& font : f.fonts_) {
            if (font)
                DeleteObject(static_cast<HFONT>(font));
            font = nullptr;
        }
        auto& forms = LoadedForms();
        forms.erase(std::remove(forms.begin(), forms.end(), &f), forms.end());
    }

    // ----- mirroring -----

    static void Sync(Form& f) {
        if (!f.hwnd_)
            return;
        if (f.pushing_) {
            f.syncAgain_ = true;
            return;
        }
        f.pushing_ = true;
        for (int pass = 0; pass < 3 && f.hwnd_; ++pass) {
            f.syncAgain_ = false;
            PushWindow(f);
            for (size_t i = 0; f.hwnd_ && i < f.natives_.size(); ++i)
                PushControl(f, *f.natives_[i]);
            if (f.hwnd_)
                PushMenus(f);
            if (!f.syncAgain_)
                break;
        }
        f.pushing_ = false;
        if (f.depth_ == 0 && f.unloadPending_)
            CarryOutUnload(f, f.unloadMode_);
    }

    static void PushWindow(Form& f) {
        if (f.Caption != f.pushedCaption_) {
            f.pushedCaption_ = f.Caption;
            SetWindowTextW(f.hwnd_, Utf8ToWide(f.Caption).c_str());
        }
        if (f.IconResource != f.pushedIcon_) {
            f.pushedIcon_ = f.IconResource;
            HINSTANCE module = GetModuleHandleW(nullptr);
            const int sizes[2][3] = {{ICON_BIG, SM_CXICON, SM_CYICON},
                                     {ICON_SMALL, SM_CXSMICON, SM_CYSMICON}};
            for (const auto& size : sizes) {
                HANDLE icon = f.IconResource ? LoadImageW(module, MAKEINTRESOURCEW(f.IconResource),
                                                          IMAGE_ICON, GetSystemMetrics(size[1]),
                                                          GetSystemMetrics(size[2]), LR_SHARED)
                                             : nullptr;
                SendMessageW(f.hwnd_, WM_SETICON, size[0], reinterpret_cast<LPARAM>(icon));
            }
        }
        // A minimised or maximised window keeps its normal position for later.
        if (IsIconic(f.hwnd_) || IsZoomed(f.hwnd_))
            return;
        const int rect[4] = {ToPixels(f.Left), ToPixels(f.Top), ToPixels(f.Width),
                             ToPixels(f.Height)};
        if (!std::equal(rect, rect + 4, f.pushedRect_)) {
            std::copy(rect, rect + 4, f.pushedRect_);
            SetWindowPos(f.hwnd_, nullptr, rect[0], rect[1], rect[2], rect[3],
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }

    // Takes in what the user moved or sized, leaving what code set and did not push yet.
    static void PullWindowRect(Form& f) {
        RECT r;
        if (!f.hwnd_ || IsIconic(f.hwnd_) || IsZoomed(f.hwnd_) || !GetWindowRect(f.hwnd_, &r))
            return;
        const int native[4] = {r.left, r.top, r.right - r.left, r.bottom - r.top};
        int* fields[4] = {&f.Left, &f.Top, &f.Width, &f.Height};
        for (int i = 0; i < 4; ++i)
            if (native[i] != f.pushedRect_[i]) {
                f.pushedRect_[i] = native[i];
                *fields[i] = native[i] * kTwipsPerPixel;
            }
    }

    static void SetText(Native& n, const std::string& text) {
        if (text == n.text)
            return;
        n.text = text;
        SetWindowTextW(n.hwnd, Utf8ToWide(text).c_str());
    }

    static void SetValue(Native& n, int value, UINT message, WPARAM wParam) {
        if (value == n.value)
            return;
        n.value = value;
        SendMessageW(n.hwnd, message, wParam, 0);
    }

    static void PushControl(Form& f, Native& n) {
        if (n.kind == Kind::Timer) {
            PushTimer(f, n);
            return;
        }
        if (!n.hwnd)
            return;
        Control& c = *n.model;
        if (n.kind == Kind::Frame && static_cast<Frame&>(c).Caption.empty() == n.groupBox) {
            // Border and caption come and go with the caption: only a new window can change.
            Native fresh(n.model, n.kind, n.id);
            DropToolTip(f, n);
            DestroyWindow(n.hwnd);
            n = fresh;
            CreateNative(f, n);
            RestackBackdrops(f);
            if (!n.hwnd)
                return;
        }

        int left = 0, top = 0;
        for (const Control* p = &c; p; p = p->Container) {
            left += p->Left;
            top += p->Top;
        }
        int rect[4] = {ToPixels(left), ToPixels(top), ToPixels(c.Width), ToPixels(c.Height)};
        if (n.kind == Kind::ComboBox)
            rect[3] += kDropDownPixels;
        if (!std::equal(rect, rect + 4, n.rect)) {
            std::copy(rect, rect + 4, n.rect);
            SetWindowPos(n.hwnd, nullptr, rect[0], rect[1], rect[2], rect[3],
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        const int enabled = EnabledInside(c) ? 1 : 0;
        if (enabled != n.enabled) {
            n.enabled = enabled;
            EnableWindow(n.hwnd, enabled);
        }
        PushToolTip(f, n);

        switch (n.kind) {
        case Kind::Label: {
            auto& label = static_cast<Label&>(c);
            SetText(n, label.Caption);
            const int font = (label.FontItalic ? 2 : 0) + (label.FontBold ? 1 : 0);
            if (font != n.font) {
                n.font = font;
                SendMessageW(n.hwnd, WM_SETFONT,
                             reinterpret_cast<WPARAM>(FontOf(f, label.FontItalic, label.FontBold)),
                             TRUE);
            }
            break;
        }
        case Kind::Button:
            SetText(n, static_cast<Button&>(c).Caption);
            break;
        case Kind::Frame:
            SetText(n, static_cast<Frame&>(c).Caption);
            break;
        case Kind::CheckBox: {
            auto& box = static_cast<CheckBox&>(c);
            SetText(n, box.Caption);
            SetValue(n, box.Value(), BM_SETCHECK, box.Value() == 1 ? BST_CHECKED : BST_UNCHECKED);
            break;
        }
        case Kind::OptionButton: {
            auto& option = static_cast<OptionButton&>(c);
            SetText(n, option.Caption);
            SetValue(n, option.Value(), BM_SETCHECK, option.Value() ? BST_CHECKED : BST_UNCHECKED);
            break;
        }
        case Kind::TextBox: {
            auto& box = static_cast<TextBox&>(c);
            SetText(n, box.Text());
            if (box.Locked != n.readOnly) {
                n.readOnly = box.Locked;
                SendMessageW(n.hwnd, EM_SETREADONLY, box.Locked, 0);
            }
            break;
        }
        case Kind::ComboBox: {
            auto& combo = static_cast<ComboBox&>(c);
            bool same = combo.ListCount() == n.items.size();
            for (size_t i = 0; same && i < n.items.size(); ++i)
                same = combo.List(i) == n.items[i];
            if (!same) {
                n.items.clear();
                SendMessageW(n.hwnd, CB_RESETCONTENT, 0, 0);
                for (size_t i = 0; i < combo.ListCount(); ++i) {
                    n.items.push_back(combo.List(i));
                    SendMessageW(n.hwnd, CB_ADDSTRING, 0,
                                 reinterpret_cast<LPARAM>(Utf8ToWide(combo.List(i)).c_str()));
                }
                n.value = INT_MIN;
            }
            SetValue(n, combo.ListIndex(), CB_SETCURSEL, static_cast<WPARAM>(combo.ListIndex()));
            break;
        }
        case Kind::ListBox: {
            auto& list = static_cast<ListBox&>(c);
            if (list.Revision != n.revision) {
                n.revision = list.Revision;
                SendMessageW(n.hwnd, LB_RESETCONTENT, 0, 0);
                for (const std::string& item : list.Items())
                    SendMessageW(n.hwnd, LB_ADDSTRING, 0,
                                 reinterpret_cast<LPARAM>(Utf8ToWide(item).c_str()));
                n.value = INT_MIN;
            }
            SetValue(n, list.ListIndex, LB_SETCURSEL, static_cast<WPARAM>(list.ListIndex));
            break;
        }
        case Kind::DTPicker: {
            const double value = static_cast<DTPicker&>(c).Value();
            SYSTEMTIME time;
            if (value != n.date && VariantTimeToSystemTime(value, &time)) {
                n.date = value;
                SendMessageW(n.hwnd, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
            }
            break;
        }
        case Kind::TabStrip: {
            auto& tabs = static_cast<TabStrip&>(c);
            if (tabs.Tabs != n.items) {
                n.items = tabs.Tabs;
                SendMessageW(n.hwnd, TCM_DELETEALLITEMS, 0, 0);
                for (size_t i = 0; i < tabs.Tabs.size(); ++i) {
                    std::wstring text = Utf8ToWide(tabs.Tabs[i]);
                    TCITEMW item{};
                    item.mask = TCIF_TEXT;
                    item.pszText = text.data();
                    SendMessageW(n.hwnd, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
                }
                n.value = INT_MIN;
            }
            SetValue(n, tabs.SelectedIndex(), TCM_SETCURSEL,
                     static_cast<WPARAM>(tabs.SelectedIndex()));
            break;
        }
        case Kind::ProgressBar: {
            auto& bar = static_cast<ProgressBar&>(c);
            const double span = bar.Max() - bar.Min();
            const int pos = span > 0 ? static_cast<int>(std::lround((bar.Value() - bar.Min()) /
                                                                    span * kProgressRange))
                                     : 0;
            SetValue(n, pos, PBM_SETPOS, static_cast<WPARAM>(pos));
            break;
        }
        case Kind::ListView:
            PushListView(f, n);
            break;
        default:
            break;
        }

        // Shown last, so a control appears with its state.
        const int shown = c.Shown() ? 1 : 0;
        if (shown != n.shown) {
            n.shown = shown;
            ShowWindow(n.hwnd, shown ? SW_SHOWNA : SW_HIDE);
        }
    }

    static TOOLINFOW ToolOf(Form& f, Native& n, std::wstring& text) {
        TOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = f.hwnd_;
        tool.uId = reinterpret_cast<UINT_PTR>(n.hwnd);
        tool.lpszText = text.data();
        return tool;
    }

    // Forgets the tip of a native control that is about to go.
    static void DropToolTip(Form& f, Native& n) {
        if (!f.tooltip_ || n.tip.empty())
            return;
        std::wstring none;
        TOOLINFOW tool = ToolOf(f, n, none);
        SendMessageW(f.tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }

    static void PushToolTip(Form& f, Native& n) {
        if (!f.tooltip_ || n.model->ToolTipText == n.tip)
            return;
        std::wstring text = Utf8ToWide(n.model->ToolTipText);
        TOOLINFOW tool = ToolOf(f, n, text);
        if (n.tip.empty())
            SendMessageW(f.tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        else if (text.empty())
            SendMessageW(f.tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        else
            SendMessageW(f.tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
        n.tip = n.model->ToolTipText;
    }

    static void PushTimer(Form& f, Native& n) {
        auto& timer = static_cast<Timer&>(*n.model);
        const bool on = timer.Enabled && timer.Interval > 0;
        if (on == n.timerOn && (!on || timer.Interval == n.interval))
            return;
        n.timerOn = on;
        n.interval = timer.Interval;
        if (on)
            SetTimer(f.hwnd_, n.id, static_cast<UINT>(timer.Interval), nullptr);
        else
            KillTimer(f.hwnd_, n.id);
    }

    static void PushListView(Form& f, Native& n) {
        auto& list = static_cast<ListView&>(*n.model);
        // The user's column widths first, unless code changed them since.
        for (size_t i = 0; i < n.columns.size() && i < list.ColumnHeaders.size(); ++i) {
            const int pixels = static_cast<int>(SendMessageW(n.hwnd, LVM_GETCOLUMNWIDTH, i, 0));
            if (pixels != ToPixels(n.columns[i].Width) &&
                list.ColumnHeaders[i].Width == n.columns[i].Width)
                list.ColumnHeaders[i].Width = n.columns[i].Width = pixels * kTwipsPerPixel;
        }

        const int checkboxes = list.Checkboxes ? 1 : 0;
        if (checkboxes != n.checkboxes) {
            n.checkboxes = checkboxes;
            SendMessageW(n.hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES,
                         checkboxes ? LVS_EX_CHECKBOXES : 0);
            // The ticks live in the model: the view asks for them.
            SendMessageW(n.hwnd, LVM_SETCALLBACKMASK, checkboxes ? LVIS_STATEIMAGEMASK : 0, 0);
            InvalidateRect(n.hwnd, nullptr, FALSE);
        }

        bool redraw = false;
        HIMAGELIST icons = list.SmallIcons ? ImageListOf(f, *list.SmallIcons, redraw) : nullptr;
        if (icons != n.icons) {
            n.icons = icons;
            SendMessageW(n.hwnd, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(icons));
            redraw = true;
        }

        bool sameColumns = list.ColumnHeaders.size() == n.columns.size();
        if (!sameColumns) {
            for (size_t i = n.columns.size(); i > 0; --i)
                SendMessageW(n.hwnd, LVM_DELETECOLUMN, i - 1, 0);
            n.columns.clear();
        }
        for (size_t i = 0; i < list.ColumnHeaders.size(); ++i) {
            const ColumnHeader& header = list.ColumnHeaders[i];
            std::wstring text = Utf8ToWide(header.Text);
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.pszText = text.data();
            column.cx = ToPixels(header.Width);
            if (!sameColumns) {
                SendMessageW(n.hwnd, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
                n.columns.push_back(header);
                continue;
            }
            if (header.Text != n.columns[i].Text) {
                column.mask = LVCF_TEXT;
                SendMessageW(n.hwnd, LVM_SETCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
            }
            if (header.Width != n.columns[i].Width)
                SendMessageW(n.hwnd, LVM_SETCOLUMNWIDTH, i, column.cx);
            n.columns[i] = header;
        }

        if (list.Revision() != n.revision) {
            n.revision = list.Revision();
            SendMessageW(n.hwnd, LVM_SETITEMCOUNT, list.Count(), LVSICF_NOSCROLL);
            redraw = true;
        }
        if (redraw)
            InvalidateRect(n.hwnd, nullptr, FALSE);
    }

    // The native image list of a model, refilled when its icons changed.
    static HIMAGELIST ImageListOf(Form& f, const ImageList& images, bool& refilled) {
        auto& entry = f.imageLists_[&images];
        if (!entry) {
            entry = std::make_unique<NativeImageList>();
            entry->handle = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 8);
        }
        if (entry->handle && entry->ids != images.IconResources) {
            entry->ids = images.IconResources;
            ImageList_Remove(entry->handle, -1);
            for (int id : entry->ids) {
                HICON icon =
                    static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                                  IMAGE_ICON, 16, 16, LR_SHARED));
                // A blank place keeps the numbering when an icon is missing.
                ImageList_ReplaceIcon(entry->handle, -1, icon ? icon : BlankIcon());
            }
            refilled = true;
        }
        return entry->handle;
    }

    static HFONT FontOf(Form& f, bool italic, bool bold) {
        void*& font = f.fonts_[(italic ? 2 : 0) + (bold ? 1 : 0)];
        if (!font) {
            LOGFONTW shape = MessageFont();
            shape.lfItalic = italic;
            shape.lfWeight = bold ? FW_BOLD : FW_NORMAL;
            font = CreateFontIndirectW(&shape);
        }
        return static_cast<HFONT>(font);
    }

    // The menu bar is rebuilt whenever a menu's caption or state changed: menus are few.
    static void PushMenus(Form& f) {
        std::string state;
        for (auto& n : f.natives_)
            if (n->kind == Kind::Menu) {
                auto& menu = static_cast<Menu&>(*n->model);
                state += menu.Caption + '\x01' +
                         std::to_string(reinterpret_cast<UINT_PTR>(menu.Parent)) +
                         (menu.Visible ? 'v' : '-') + (menu.Enabled ? 'e' : '-') +
                         (menu.Checked ? 'c' : '-') + '\x02';
            }
        if (state == f.pushedMenus_)
            return;
        f.pushedMenus_ = state;
        HMENU bar = CreateMenu();
        AppendMenuItems(f, bar, nullptr);
        HMENU old = static_cast<HMENU>(f.menuBar_);
        if (GetMenuItemCount(bar) > 0) {
            SetMenu(f.hwnd_, bar);
            f.menuBar_ = bar;
        } else {
            SetMenu(f.hwnd_, nullptr);
            DestroyMenu(bar);
            f.menuBar_ = nullptr;
        }
        if (old)
            DestroyMenu(old);
        DrawMenuBar(f.hwnd_);
    }

    static void AppendMenuItems(Form& f, HMENU into, const Menu* parent) {
        for (auto& n : f.natives_) {
            if (n->kind != Kind::Menu)
                continue;
            auto& menu = static_cast<Menu&>(*n->model);
            if (menu.Parent != parent || !menu.Visible)
                continue;
            const UINT flags = (menu.Checked ? MF_CHECKED : MF_UNCHECKED) |
                               (menu.Enabled ? MF_ENABLED : MF_GRAYED);
            const std::wstring caption = Utf8ToWide(menu.Caption);
            const bool hasItems = std::any_of(f.natives_.begin(), f.natives_.end(), [&](auto& m) {
                return m->kind == Kind::Menu && static_cast<Menu&>(*m->model).Parent == &menu;
            });
            if (hasItems) {
                HMENU popup = CreatePopupMenu();
                AppendMenuItems(f, popup, &menu);
                AppendMenuW(into, MF_POPUP | flags, reinterpret_cast<UINT_PTR>(popup),
                            caption.c_str());
            } else if (menu.Caption == "-") {
                AppendMenuW(into, MF_SEPARATOR, 0, nullptr);
            } else {
                AppendMenuW(into, MF_STRING | flags, n->id, caption.c_str());
            }
        }
    }

    // ----- user input -----

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* form =
                static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
            form->hwnd_ = hwnd;
        }
        auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!form || form->hwnd_ != hwnd)
            return DefWindowProcW(hwnd, message, wParam, lParam);
        Depth depth(*form);
        return FormMessage(*form, hwnd, message, wParam, lParam);
    }

    static LRESULT FormMessage(Form& f, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_COMMAND:
            OnCommand(f, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_NOTIFY:
            return OnNotify(f, *reinterpret_cast<NMHDR*>(lParam));
        case WM_TIMER:
            if (wParam == kSyncTimer)
                Sync(f);
            else if (Native* n = ById(f, wParam); n && n->kind == Kind::Timer) {
                // A tick already queued when code switched the timer off is dropped.
                auto& timer = static_cast<Timer&>(*n->model);
                if (timer.Enabled && timer.Interval > 0 && timer.Tick)
                    Run(timer.Tick);
            }
            return 0;
        case WM_SIZE:
            if (wParam == SIZE_MINIMIZED)
                f.windowState_ = vbMinimized;
            else if (wParam == SIZE_MAXIMIZED)
                f.windowState_ = vbMaximized;
            else if (wParam == SIZE_RESTORED)
                f.windowState_ = vbNormal;
            PullWindowRect(f);
            if (f.visible_) {
                f.resized_ = true;
                Run([&] { f.Form_Resize(); });
            }
            return 0;
        case WM_MOVE:
            PullWindowRect(f);
            return 0;
        case WM_MOUSEMOVE:
            Run([&] {
                f.Form_MouseMove(MouseButton(wParam), ShiftState(wParam),
                                 GET_X_LPARAM(lParam) * kTwipsPerPixel,
                                 GET_Y_LPARAM(lParam) * kTwipsPerPixel);
            });
            return 0;
        case WM_CLOSE:
            if (!f.unloadPending_) {
                f.unloadPending_ = true;
                f.unloadMode_ = vbFormControlMenu;
            }
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            break;
        default:
            break;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    static void OnCommand(Form& f, unsigned id, unsigned code, HWND control) {
        Native* n = ById(f, id);
        if (!n || f.pushing_ || !EnabledInside(*n->model))
            return;
        Control& c = *n->model;
        switch (n->kind) {
        case Kind::Menu:
            if (!control && code == 0 && static_cast<Menu&>(c).Click)
                Run(static_cast<Menu&>(c).Click);
            break;
        case Kind::Button:
            if (code == BN_CLICKED && static_cast<Button&>(c).Click)
                Run(static_cast<Button&>(c).Click);
            break;
        case Kind::Label:
            if (code == STN_CLICKED && static_cast<Label&>(c).Click)
                Run(static_cast<Label&>(c).Click);
            break;
        case Kind::CheckBox:
            if (code == BN_CLICKED) {
                auto& box = static_cast<CheckBox&>(c);
                Run([&] { box.UserToggle(); });
            }
            break;
        case Kind::OptionButton:
            if (code == BN_CLICKED)
                Run([&] { static_cast<OptionButton&>(c).SetValue(true); });
            break;
        case Kind::TextBox:
            if (code == EN_CHANGE) {
                n->text = WindowTextOf(n->hwnd);
                std::string text = n->text;
                Run([&] { static_cast<TextBox&>(c).SetText(std::move(text)); });
            }
            break;
        case Kind::ComboBox:
            if (code == CBN_SELCHANGE) {
                n->value = static_cast<int>(SendMessageW(n->hwnd, CB_GETCURSEL, 0, 0));
                const int index = n->value;
                Run([&] { static_cast<ComboBox&>(c).SetListIndex(index); });
            }
            break;
        case Kind::ListBox:
            if (code == LBN_SELCHANGE) {
                n->value = static_cast<int>(SendMessageW(n->hwnd, LB_GETCURSEL, 0, 0));
                const int index = n->value;
                Run([&] { static_cast<ListBox&>(c).ListIndex = index; });
            }
            break;
        default:
            break;
        }
    }

    static LRESULT OnNotify(Form& f, const NMHDR& header) {
        Native* n = ById(f, header.idFrom);
        if (!n || n->hwnd != header.hwndFrom)
            return 0;
        if (n->kind == Kind::ListView && header.code == LVN_GETDISPINFOW) {
            FillListItem(static_cast<ListView&>(*n->model),
                         reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header))->item);
            return 0;
        }
        if (f.pushing_ || !EnabledInside(*n->model))
            return 0;
        switch (n->kind) {
        case Kind::TabStrip:
            if (header.code == TCN_SELCHANGE) {
                n->value = static_cast<int>(SendMessageW(n->hwnd, TCM_GETCURSEL, 0, 0));
                const int index = n->value;
                Run([&] { static_cast<TabStrip&>(*n->model).SetSelectedIndex(index); });
            }
            break;
        case Kind::DTPicker:
            if (header.code == DTN_DATETIMECHANGE) {
                const auto& change = reinterpret_cast<const NMDATETIMECHANGE&>(header);
                SYSTEMTIME time = change.st;
                double value;
                if (change.dwFlags == GDT_VALID && SystemTimeToVariantTime(&time, &value)) {
                    n->date = value;
                    DTPicker& picker = static_cast<DTPicker&>(*n->model);
                    Run([&] { picker.SetValue(value); });
                }
            }
            break;
        case Kind::ListView:
            OnListNotify(f, *n, header);
            break;
        default:
            break;
        }
        return 0;
    }

    static void FillListItem(const ListView& list, LVITEMW& item) {
        if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= list.Count())
            return;
        const ListItem& row = list.Items()[static_cast<size_t>(item.iItem)];
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
            const std::wstring text =
                Utf8ToWide(item.iSubItem == 0 ? row.Text : row.SubItem(item.iSubItem));
            lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
        }
        if (item.mask & LVIF_IMAGE)
            item.iImage = item.iSubItem == 0 && list.SmallIcons && row.SmallIcon > 0
                              ? row.SmallIcon - 1
                              : I_IMAGENONE;
        if ((item.mask & LVIF_STATE) && list.Checkboxes) {
            item.state =
                (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(row.Checked ? 2 : 1);
            item.stateMask |= LVIS_STATEIMAGEMASK;
        }
    }

    static void OnListNotify(Form& f, Native& n, const NMHDR& header) {
        auto& list = static_cast<ListView&>(*n.model);
        switch (header.code) {
        case NM_CLICK: {
            // An owner-data view keeps no ticks: a click on the state icon ticks the model.
            LVHITTESTINFO hit{};
            hit.pt = reinterpret_cast<const NMITEMACTIVATE&>(header).ptAction;
            const int row = static_cast<int>(
                SendMessageW(n.hwnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
            if (list.Checkboxes && row >= 0 && static_cast<size_t>(row) < list.Count() &&
                (hit.flags & LVHT_ONITEMSTATEICON))
                Run([&] { list.UserCheck(static_cast<size_t>(row), !list.Items()[row].Checked); });
            break;
        }
        case LVN_KEYDOWN:
            if (list.Checkboxes && reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_SPACE) {
                const int row = static_cast<int>(
                    SendMessageW(n.hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
                if (row >= 0 && static_cast<size_t>(row) < list.Count())
                    Run([&] {
                        list.UserCheck(static_cast<size_t>(row), !list.Items()[row].Checked);
                    });
            }
            break;
        case NM_DBLCLK: {
            const int row = static_cast<int>(
                SendMessageW(n.hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
            Run([&] { f.ListView_DblClick(list, row); });
            break;
        }
        case LVN_COLUMNCLICK: {
            const int column = reinterpret_cast<const NMLISTVIEW&>(header).iSubItem;
            Run([&] { f.ListView_ColumnClick(list, column); });
            break;
        }
        default:
            break;
        }
    }

    static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR data) {
        if (message == WM_NCDESTROY) {
            RemoveWindowSubclass(hwnd, ControlProc, id);
            return DefSubclassProc(hwnd, message, wParam, lParam);
        }
        Form& f = *reinterpret_cast<Form*>(data);
        Depth depth(f);
        Native* n = ById(f, id);
        if (!n || n->hwnd != hwnd || !EnabledInside(*n->model))
            return DefSubclassProc(hwnd, message, wParam, lParam);
        Control& c = *n->model;
        const int x = GET_X_LPARAM(lParam) * kTwipsPerPixel;
        const int y = GET_Y_LPARAM(lParam) * kTwipsPerPixel;
        switch (message) {
        case WM_MOUSEMOVE:
            if (n->kind == Kind::Label && static_cast<Label&>(c).MouseMove)
                Run(static_cast<Label&>(c).MouseMove);
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            const int button = message == WM_LBUTTONDOWN ? 1 : message == WM_RBUTTONDOWN ? 2 : 4;
            Run([&] { f.Control_MouseDown(c, button, ShiftState(wParam), x, y); });
            break;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            // After the control's own handling, as a check box has toggled by then.
            const int button = message == WM_LBUTTONUP ? 1 : message == WM_RBUTTONUP ? 2 : 4;
            const int shift = ShiftState(wParam);
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            if (IsWindow(hwnd) && ById(f, id) == n && f.hwnd_)
                Run([&] { f.Control_MouseUp(c, button, shift, x, y); });
            return result;
        }
        case WM_CHAR: {
            int key = static_cast<int>(wParam);
            Run([&] { f.Control_KeyPress(c, key); });
            if (key == 0 || !IsWindow(hwnd))
                return 0;
            wParam = static_cast<WPARAM>(key);
            break;
        }
        default:
            break;
        }
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
};

Form::Form(std::string name) : Name(std::move(name)) {}

Form::~Form() {
    Impl::Destroy(*this);
}

void Form::Add(Control& control) {
    if (std::find(controls_.begin(), controls_.end(), &control) != controls_.end())
        return;
    controls_.push_back(&control);
    if (!hwnd_)
        return;
    Impl::AddNative(*this, control);
    Impl::CreateNative(*this, *natives_.back());
    Impl::RestackBackdrops(*this);
    Impl::Sync(*this);
}

Control* Form::Find(const std::string& name, int index) const {
    for (Control* c : controls_)
        if (c->Index == index && TextRules::EqualsNoCase(c->Name, name))
            return c;
    return nullptr;
}

bool Form::Load() {
    if (hwnd_)
        return true;
    if (!Impl::Create(*this))
        return false;
    Impl::Depth depth(*this);
    Impl::Sync(*this);
    Impl::Run([&] { Form_Load(); });
    return true;
}

void Form::Show() {
    if (!hwnd_ && !Load())
        return;
    if (!hwnd_)
        return; // unloaded by its own load
    Impl::Depth depth(*this);
    const bool wasVisible = visible_;
    visible_ = true;
    Impl::Sync(*this);
    resized_ = false;
    int command = SW_SHOW;
    if (windowState_ == vbMinimized)
        command = SW_SHOWMINIMIZED;
    else if (windowState_ == vbMaximized)
        command = SW_SHOWMAXIMIZED;
    else if (IsIconic(hwnd_) || IsZoomed(hwnd_))
        command = SW_RESTORE;
    ShowWindow(hwnd_, command);
    if (!wasVisible && !resized_ && hwnd_)
        Impl::Run([&] { Form_Resize(); });
}

void Form::Hide() {
    visible_ = false;
    if (hwnd_)
        ShowWindow(hwnd_, SW_HIDE);
}

void Form::ShowModal() {
    const HWND previous = GetActiveWindow();
    std::vector<HWND> disabled;
    EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow,
                      reinterpret_cast<LPARAM>(&disabled));
    Show();
    disabled.erase(std::remove(disabled.begin(), disabled.end(), hwnd_), disabled.end());
    for (HWND window : disabled)
        EnableWindow(window, FALSE);
    while (hwnd_ && visible_ && !unloadPending_) {
        WaitMessage();
        if (!PumpPendingMessages())
            break;
    }
    for (HWND window : disabled)
        if (IsWindow(window))
            EnableWindow(window, TRUE);
    // The system gave the activation away while the others were still disabled.
    if (previous && IsWindow(previous))
        SetActiveWindow(previous);
}

void Form::Unload() {
    if (!hwnd_)
        return;
    if (depth_ > 0) {
        if (!unloadPending_) {
            unloadPending_ = true;
            unloadMode_ = vbFormCode;
        }
        return;
    }
    Impl::CarryOutUnload(*this, vbFormCode);
}

void Form::SetWindowState(int state) {
    windowState_ = state;
    if (!hwnd_ || !visible_)
        return;
    Impl::Depth depth(*this);
    ShowWindow(hwnd_, state == vbMinimized   ? SW_MINIMIZE
                      : state == vbMaximized ? SW_MAXIMIZE
                                             : SW_RESTORE);
}

void Form::Refresh() {
    Impl::Sync(*this);
}

HWND Form::ControlHandle(const Control& control) const {
    for (const auto& n : natives_)
        if (n->model == &control)
            return n->hwnd;
    return nullptr;
}

unsigned Form::CommandId(const Control& control) const {
    auto it = std::find(controls_.begin(), controls_.end(), &control);
    return it == controls_.end() ? 0
                                 : kFirstControlId + static_cast<unsigned>(it - controls_.begin());
}

} // namespace ui
