#include "FormNative.h"

#include "AnsiText.h"

#include <oleauto.h>
#include <windowsx.h>

namespace ui {

using namespace detail;

namespace {

std::string WindowTextOf(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return WideToUtf8(text);
}

} // namespace

LRESULT CALLBACK Form::Impl::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        form->hwnd_ = hwnd;
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form || form->hwnd_ != hwnd)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    Depth depth(*form);
    return FormMessage(*form, hwnd, message, wParam, lParam);
}

LRESULT Form::Impl::FormMessage(Form& f, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        OnCommand(f, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_NOTIFY:
        return OnNotify(f, *reinterpret_cast<NMHDR*>(lParam));
    case WM_TIMER:
        if (Native* n = ById(f, wParam); n && n->kind == Kind::Timer) {
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
    case WM_GETMINMAXINFO: {
        // Whole pixels that hold at least the least size in twips. The system asks for this
        // whenever the size changes, by the user's frame or by code, and keeps to it.
        auto& limits = *reinterpret_cast<MINMAXINFO*>(lParam);
        auto pixels = [](int twips) { return (twips + kTwipsPerPixel - 1) / kTwipsPerPixel; };
        limits.ptMinTrackSize.x = std::max<LONG>(limits.ptMinTrackSize.x, pixels(f.MinWidth));
        limits.ptMinTrackSize.y = std::max<LONG>(limits.ptMinTrackSize.y, pixels(f.MinHeight));
        return 0;
    }
    case WM_MOUSEMOVE:
        Run([&] {
            f.Form_MouseMove(MouseButton(wParam), ShiftState(wParam),
                             GET_X_LPARAM(lParam) * kTwipsPerPixel,
                             GET_Y_LPARAM(lParam) * kTwipsPerPixel);
        });
        return 0;
    case WM_CLOSE:
        AskToUnload(f, vbFormControlMenu);
        return 0;
    case WM_QUERYENDSESSION:
        // The program never holds up a shut-down or a log-off.
        return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            EndSession(f);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        break;
    default:
        // The program's own messages (WM_APP to 0xBFFF) and registered ones (0xC000 up).
        if (message >= WM_APP && message <= 0xFFFF) {
            auto it = f.ownMessages_.find(message);
            if (it != f.ownMessages_.end()) {
                OwnMessageHandler handler = it->second;
                Run([&] { handler(wParam, lParam); });
                return 0;
            }
        }
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void Form::Impl::OnCommand(Form& f, unsigned id, unsigned code, HWND control) {
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

LRESULT Form::Impl::OnNotify(Form& f, const NMHDR& header) {
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
            DTPicker& picker = static_cast<DTPicker&>(*n->model);
            auto changed = [&picker] {
                if (picker.UserChange)
                    picker.UserChange();
            };
            if (change.dwFlags == GDT_NONE) {
                n->value = 0;
                Run([&] {
                    picker.ClearValue();
                    changed();
                });
            } else if (change.dwFlags == GDT_VALID && SystemTimeToVariantTime(&time, &value)) {
                n->value = 1;
                n->date = value;
                Run([&] {
                    picker.SetValue(value);
                    changed();
                });
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

LRESULT CALLBACK Form::Impl::ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR data) {
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, ControlProc, id);
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    Form& f = *reinterpret_cast<Form*>(data);
    Depth depth(f);
    Native* n = ById(f, id);
    if (!n || n->hwnd != hwnd)
        return DefSubclassProc(hwnd, message, wParam, lParam);
    if (n->kind == Kind::ListView && IsSetStateMessage(message) && lParam)
        return OnSetListState(*n, message, wParam, lParam);
    // A list view's header tells the view of every change of a column, the user's widening
    // among them: the next push takes the widths in.
    if (message == WM_NOTIFY && n->kind == Kind::ListView) {
        const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
        if (code == HDN_ITEMCHANGEDW || code == HDN_ITEMCHANGEDA) {
            n->columnsMoved = true;
            n->model->Changed();
        }
    }
    if (!EnabledInside(*n->model))
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
    case WM_GETDLGCODE:
        // The dialog manager would take Enter and Escape for the window's buttons; a text box
        // that handles its keys asks for them itself.
        if (n->kind == Kind::TextBox && static_cast<TextBox&>(c).KeyPress && lParam) {
            const MSG& key = *reinterpret_cast<const MSG*>(lParam);
            if (key.message == WM_KEYDOWN && (key.wParam == VK_RETURN || key.wParam == VK_ESCAPE))
                return DefSubclassProc(hwnd, message, wParam, lParam) | DLGC_WANTMESSAGE;
        }
        break;
    case WM_CHAR: {
        int key = static_cast<int>(wParam);
        Run([&] {
            if (n->kind == Kind::TextBox) {
                // A copy: the handler may replace itself.
                const auto keyPress = static_cast<TextBox&>(c).KeyPress;
                if (keyPress)
                    keyPress(key);
            }
            if (key != 0)
                f.Control_KeyPress(c, key);
        });
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

} // namespace ui
