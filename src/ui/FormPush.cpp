#include "FormNative.h"

#include "AnsiText.h"

#include <oleauto.h>

namespace ui {

using namespace detail;

namespace {

HICON BlankIcon() {
    static const HICON blank = [] {
        BYTE transparent[16 * 16 / 8], black[16 * 16 / 8] = {};
        std::fill(std::begin(transparent), std::end(transparent), 0xFF);
        return CreateIcon(GetModuleHandleW(nullptr), 16, 16, 1, 1, transparent, black);
    }();
    return blank;
}

} // namespace

void Form::Impl::Sync(Form& f) {
    if (!f.hwnd_)
        return;
    if (f.pushing_) {
        f.syncAgain_ = true;
        return;
    }
    f.pushing_ = true;
    f.visitedControls_ = f.pushedControls_ = 0;
    std::vector<const Control*> marked;
    for (int pass = 0; pass < 3 && f.hwnd_; ++pass) {
        f.syncAgain_ = false;
        PushWindow(f);
        // Taken first: what a push sets off marks its controls for the next pass.
        marked.clear();
        marked.swap(f.changes_->controls);
        for (const Control* c : marked)
            c->marked_ = false;
        if (f.contentsStale_)
            NoteContents(f);
        ++f.pushRound_;
        bool menus = false;
        for (size_t i = 0; f.hwnd_ && i < marked.size(); ++i)
            if (marked[i]->slot_ < f.natives_.size())
                Visit(f, *f.natives_[marked[i]->slot_], menus);
        if (f.hwnd_ && menus)
            PushMenus(f);
        if (!f.syncAgain_ && f.changes_->controls.empty())
            break;
    }
    f.pushing_ = false;
    if (f.depth_ == 0 && f.unloadPending_)
        CarryOutUnload(f, f.unloadMode_);
}

void Form::Impl::MarkAll(Form& f) {
    for (Control* c : f.controls_)
        c->Changed();
}

void Form::Impl::NoteContents(Form& f) {
    f.contentsStale_ = false;
    for (auto& n : f.natives_)
        n->contents.clear();
    for (auto& n : f.natives_) {
        n->container = n->model->Container;
        if (const Control* container = n->container;
            container && container->changes_ == f.changes_ && container->slot_ < f.natives_.size())
            f.natives_[container->slot_]->contents.push_back(n.get());
    }
}

void Form::Impl::Visit(Form& f, Native& n, bool& menus) {
    if (n.visitedInRound == f.pushRound_)
        return;
    n.visitedInRound = f.pushRound_;
    ++f.visitedControls_;
    if (n.container != n.model->Container) {
        // Moved into another container: the next push works out the contents again.
        f.contentsStale_ = true;
        f.syncAgain_ = true;
    }
    if (n.kind == Kind::Menu) {
        menus = true;
        return;
    }
    PushControl(f, n);
    if (n.pushed)
        ++f.pushedControls_;
    n.pushed = false;
    // A list view shows its image list's icons.
    if (n.kind == Kind::ImageList)
        for (auto& other : f.natives_)
            if (f.hwnd_ && other->kind == Kind::ListView &&
                static_cast<ListView&>(*other->model).SmallIcons == n.model)
                Visit(f, *other, menus);
    for (Native* inner : n.contents)
        if (f.hwnd_)
            Visit(f, *inner, menus);
}

void Form::Impl::PushWindow(Form& f) {
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
    PushTaskButton(f, false);
    const int rect[4] = {ToPixels(f.Left), ToPixels(f.Top), ToPixels(f.Width), ToPixels(f.Height)};
    // A minimised or maximised window keeps its normal position for later.
    if (std::equal(rect, rect + 4, f.pushedRect_) || IsIconic(f.hwnd_) || IsZoomed(f.hwnd_))
        return;
    std::copy(rect, rect + 4, f.pushedRect_);
    SetWindowPos(f.hwnd_, nullptr, rect[0], rect[1], rect[2], rect[3],
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Impl::PullWindowRect(Form& f) {
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

void Form::Impl::SetText(Native& n, const std::string& text) {
    if (text == n.text)
        return;
    n.text = text;
    n.pushed = true;
    SetWindowTextW(n.hwnd, Utf8ToWide(text).c_str());
}

void Form::Impl::SetValue(Native& n, int value, UINT message, WPARAM wParam) {
    if (value == n.value)
        return;
    n.value = value;
    n.pushed = true;
    SendMessageW(n.hwnd, message, wParam, 0);
}

void Form::Impl::PushControl(Form& f, Native& n) {
    if (n.kind == Kind::Timer) {
        PushTimer(f, n);
        return;
    }
    if (!n.hwnd)
        return;
    Control& c = *n.model;
    if (n.kind == Kind::Frame && static_cast<Frame&>(c).Caption.Get().empty() == n.groupBox) {
        // Border and caption come and go with the caption: only a new window can change.
        Native fresh(n.model, n.kind, n.id);
        fresh.contents = std::move(n.contents);
        fresh.container = n.container;
        fresh.visitedInRound = n.visitedInRound;
        DropToolTip(f, n);
        DestroyWindow(n.hwnd);
        n = std::move(fresh);
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
        n.pushed = true;
        SetWindowPos(n.hwnd, nullptr, rect[0], rect[1], rect[2], rect[3],
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const int enabled = EnabledInside(c) ? 1 : 0;
    if (enabled != n.enabled) {
        n.enabled = enabled;
        n.pushed = true;
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
            n.pushed = true;
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
            n.pushed = true;
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
        const auto& picker = static_cast<DTPicker&>(c);
        // The format rides in the text field, which a picker has no other use for.
        if (picker.CustomFormat != n.text) {
            n.text = picker.CustomFormat;
            n.pushed = true;
            const std::wstring format = Utf8ToWide(n.text);
            SendMessageW(n.hwnd, DTM_SETFORMATW, 0,
                         format.empty() ? 0 : reinterpret_cast<LPARAM>(format.c_str()));
        }
        // value: 1 while a date is shown, 0 while none is.
        SYSTEMTIME time{};
        if (!picker.HasValue()) {
            if (n.value != 0) {
                n.value = 0;
                n.pushed = true;
                // The time is ignored, but some pickers refuse the call without one.
                SendMessageW(n.hwnd, DTM_SETSYSTEMTIME, GDT_NONE, reinterpret_cast<LPARAM>(&time));
            }
        } else if ((n.value != 1 || picker.Value() != n.date) &&
                   VariantTimeToSystemTime(picker.Value(), &time)) {
            n.value = 1;
            n.date = picker.Value();
            n.pushed = true;
            SendMessageW(n.hwnd, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
        }
        break;
    }
    case Kind::TabStrip: {
        auto& tabs = static_cast<TabStrip&>(c);
        if (tabs.Tabs != n.items) {
            n.items = tabs.Tabs;
            SendMessageW(n.hwnd, TCM_DELETEALLITEMS, 0, 0);
            for (size_t i = 0; i < n.items.size(); ++i) {
                std::wstring text = Utf8ToWide(n.items[i]);
                TCITEMW item{};
                item.mask = TCIF_TEXT;
                item.pszText = text.data();
                SendMessageW(n.hwnd, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
            }
            n.value = INT_MIN;
        }
        SetValue(n, tabs.SelectedIndex(), TCM_SETCURSEL, static_cast<WPARAM>(tabs.SelectedIndex()));
        break;
    }
    case Kind::ProgressBar: {
        auto& bar = static_cast<ProgressBar&>(c);
        const double span = bar.Max() - bar.Min();
        const int pos =
            span > 0
                ? static_cast<int>(std::lround((bar.Value() - bar.Min()) / span * kProgressRange))
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
        n.pushed = true;
        ShowWindow(n.hwnd, shown ? SW_SHOWNA : SW_HIDE);
    }
}

TOOLINFOW Form::Impl::ToolOf(Form& f, Native& n, std::wstring& text) {
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = f.hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(n.hwnd);
    tool.lpszText = text.data();
    return tool;
}

void Form::Impl::DropToolTip(Form& f, Native& n) {
    if (!f.tooltip_ || n.tip.empty())
        return;
    std::wstring none;
    TOOLINFOW tool = ToolOf(f, n, none);
    SendMessageW(f.tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Form::Impl::PushToolTip(Form& f, Native& n) {
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
    n.pushed = true;
}

void Form::Impl::PushTimer(Form& f, Native& n) {
    auto& timer = static_cast<Timer&>(*n.model);
    const bool on = timer.Enabled && timer.Interval > 0;
    if (on == n.timerOn && (!on || timer.Interval == n.interval))
        return;
    n.timerOn = on;
    n.interval = timer.Interval;
    n.pushed = true;
    if (on)
        SetTimer(f.hwnd_, n.id, static_cast<UINT>(timer.Interval), nullptr);
    else
        KillTimer(f.hwnd_, n.id);
}

HIMAGELIST Form::Impl::ImageListOf(Form& f, const ImageList& images, bool& refilled) {
    auto& entry = f.imageLists_[&images];
    if (!entry) {
        entry = std::make_unique<NativeImageList>();
        entry->handle = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 8);
    }
    if (entry->handle && entry->ids != images.IconResources) {
        entry->ids = images.IconResources;
        ImageList_Remove(entry->handle, -1);
        for (int id : entry->ids) {
            HICON icon = static_cast<HICON>(LoadImageW(
                GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, LR_SHARED));
            // A blank place keeps the numbering when an icon is missing.
            ImageList_ReplaceIcon(entry->handle, -1, icon ? icon : BlankIcon());
        }
        refilled = true;
    }
    return entry->handle;
}

HFONT Form::Impl::FontOf(Form& f, bool italic, bool bold) {
    void*& font = f.fonts_[(italic ? 2 : 0) + (bold ? 1 : 0)];
    if (!font) {
        LOGFONTW shape = MessageFont();
        shape.lfItalic = italic;
        shape.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        font = CreateFontIndirectW(&shape);
    }
    return static_cast<HFONT>(font);
}

void Form::Impl::PushMenus(Form& f) {
    std::string state;
    for (auto& n : f.natives_)
        if (n->kind == Kind::Menu) {
            auto& menu = static_cast<Menu&>(*n->model);
            state += menu.Caption.Get() + '\x01' +
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

void Form::Impl::AppendMenuItems(Form& f, HMENU into, const Menu* parent) {
    for (auto& n : f.natives_) {
        if (n->kind != Kind::Menu)
            continue;
        auto& menu = static_cast<Menu&>(*n->model);
        if (menu.Parent != parent || !menu.Visible)
            continue;
        const UINT flags =
            (menu.Checked ? MF_CHECKED : MF_UNCHECKED) | (menu.Enabled ? MF_ENABLED : MF_GRAYED);
        const std::wstring caption = Utf8ToWide(menu.Caption);
        const bool hasItems = std::any_of(f.natives_.begin(), f.natives_.end(), [&](auto& m) {
            return m->kind == Kind::Menu && static_cast<Menu&>(*m->model).Parent == &menu;
        });
        if (hasItems) {
            HMENU popup = CreatePopupMenu();
            AppendMenuItems(f, popup, &menu);
            AppendMenuW(into, MF_POPUP | flags, reinterpret_cast<UINT_PTR>(popup), caption.c_str());
        } else if (menu.Caption == "-") {
            AppendMenuW(into, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(into, MF_STRING | flags, n->id, caption.c_str());
        }
    }
}

} // namespace ui
