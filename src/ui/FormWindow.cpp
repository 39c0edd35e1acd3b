#include "FormNative.h"

#include "DoEvents.h"

#include "AnsiText.h"
#include "TextRules.h"

namespace ui {

namespace detail {

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
    // Never destroyed: forms still loaded when the program ends leave the list as they go.
    static auto* forms = new std::vector<Form*>;
    return *forms;
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

} // namespace detail

using namespace detail;

namespace {

void InitNativeControls() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_DATE_CLASSES |
                                                  ICC_TAB_CLASSES | ICC_PROGRESS_CLASS |
                                                  ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)done;
}

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM list) {
    if (IsWindowVisible(window) && IsWindowEnabled(window))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

} // namespace

bool Form::Impl::Create(Form& f) {
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
    const int rect[4] = {ToPixels(f.Left), ToPixels(f.Top), ToPixels(f.Width), ToPixels(f.Height)};
    std::copy(rect, rect + 4, f.pushedRect_);
    // The window procedure takes the handle already at WM_NCCREATE.
    if (!CreateWindowExW(exStyle, kFormWindowClass, Utf8ToWide(f.Caption).c_str(), style, rect[0],
                         rect[1], rect[2], rect[3], nullptr, nullptr, GetModuleHandleW(nullptr),
                         &f)) {
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
    f.changes_->active = true;
    f.contentsStale_ = true;
    MarkAll(f);
    return true;
}

void Form::Impl::AddNative(Form& f, Control& c) {
    f.natives_.push_back(std::make_unique<Native>(
        &c, KindOf(c), kFirstControlId + static_cast<unsigned>(f.natives_.size())));
}

void Form::Impl::CreateNative(Form& f, Native& n) {
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
        n.groupBox = !static_cast<Frame*>(n.model)->Caption.Get().empty();
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
        style |= WS_TABSTOP;
        // A multi-line box wraps its lines at its width, under a vertical scroll bar.
        if (static_cast<TextBox*>(n.model)->MultiLine)
            style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
        else
            style |= ES_AUTOHSCROLL;
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
    case Kind::DTPicker: {
        const auto& picker = static_cast<const DTPicker&>(*n.model);
        cls = DATETIMEPICK_CLASSW;
        style |= WS_TABSTOP | (picker.TimeOnly ? DTS_TIMEFORMAT : DTS_SHORTDATEFORMAT) |
                 (picker.ShowNone ? DTS_SHOWNONE : 0);
        break;
    }
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

void Form::Impl::RestackBackdrops(Form& f) {
    std::vector<std::pair<int, HWND>> backdrops;
    for (auto& n : f.natives_)
        if (n->hwnd && (n->kind == Kind::Frame || n->kind == Kind::TabStrip))
            backdrops.emplace_back(ContainerDepth(*n->model) * 2 + (n->kind == Kind::Frame ? 1 : 0),
                                   n->hwnd);
    std::stable_sort(backdrops.begin(), backdrops.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& backdrop : backdrops)
        SetWindowPos(backdrop.second, HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Form::Impl::AskToUnload(Form& f, int mode) {
    if (f.unloadPending_)
        return;
    bool cancel = false;
    ++f.depth_;
    try {
        f.Form_QueryUnload(cancel, mode);
    } catch (...) {
    }
    --f.depth_;
    if (cancel || !f.hwnd_)
        return;
    f.unloadPending_ = true;
    f.unloadMode_ = mode;
    f.unloadQueried_ = true;
}

void Form::Impl::CarryOutUnload(Form& f, int mode) {
    const bool queried = f.unloadQueried_;
    f.unloadPending_ = f.unloadQueried_ = false;
    if (!f.hwnd_)
        return;
    Sync(f); // takes in the user's last column widths
    bool cancel = false;
    ++f.depth_;
    try {
        if (!queried)
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

void Form::Impl::Destroy(Form& f) {
    if (!f.hwnd_)
        return;
    HWND hwnd = f.hwnd_;
    for (auto& n : f.natives_)
        if (n->timerOn)
            KillTimer(hwnd, n->id);
    f.natives_.clear();
    f.changes_->active = false;
    for (const Control* c : f.changes_->controls)
        c->marked_ = false;
    f.changes_->controls.clear();
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
    QuitIfNoFormShown();
}

Form::Form(std::string name) : Name(std::move(name)) {}

Form::~Form() {
    Impl::Destroy(*this);
}

void Form::Add(Control& control) {
    if (std::find(controls_.begin(), controls_.end(), &control) != controls_.end())
        return;
    controls_.push_back(&control);
    control.changes_ = changes_;
    control.slot_ = controls_.size() - 1;
    if (!hwnd_)
        return;
    Impl::AddNative(*this, control);
    Impl::CreateNative(*this, *natives_.back());
    Impl::RestackBackdrops(*this);
    contentsStale_ = true;
    control.Changed();
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
    if (hwnd_ && !TaskVisible)
        Impl::PushTaskButton(*this, true);
}

void Form::Hide() {
    visible_ = false;
    if (hwnd_)
        ShowWindow(hwnd_, SW_HIDE);
    QuitIfNoFormShown();
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
        Impl::AskToUnload(*this, vbFormCode);
        return;
    }
    Impl::CarryOutUnload(*this, vbFormCode);
}

void Form::CenterOnScreen() {
    Left = (GetSystemMetrics(SM_CXSCREEN) * kTwipsPerPixel - Width) / 2;
    Top = (GetSystemMetrics(SM_CYSCREEN) * kTwipsPerPixel - Height) / 2;
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

void Form::SetOwnMessageHandler(unsigned message, OwnMessageHandler handler) {
    if (handler)
        ownMessages_[message] = std::move(handler);
    else
        ownMessages_.erase(message);
}

unsigned Form::SetRegisteredMessageHandler(const std::string& messageName,
                                           OwnMessageHandler handler) {
    const unsigned message = RegisterWindowMessageW(Utf8ToWide(messageName).c_str());
    if (message)
        SetOwnMessageHandler(message, std::move(handler));
    return message;
}

unsigned Form::CommandId(const Control& control) const {
    auto it = std::find(controls_.begin(), controls_.end(), &control);
    return it == controls_.end() ? 0
                                 : kFirstControlId + static_cast<unsigned>(it - controls_.begin());
}

} // namespace ui
