#include "FormNative.h"

#include "AnsiText.h"

namespace ui {

using namespace detail;

void Form::Impl::PushListView(Form& f, Native& n) {
    auto& list = static_cast<ListView&>(*n.model);
    // The user's column widths first, unless code changed them since. Only after the header
    // reported a change: asking the view costs a round of messages at every push.
    for (size_t i = 0;
         n.columnsMoved && i < n.columns.size() && i < list.ColumnHeaders.Get().size(); ++i) {
        const int pixels = static_cast<int>(SendMessageW(n.hwnd, LVM_GETCOLUMNWIDTH, i, 0));
        if (pixels != ToPixels(n.columns[i].Width) &&
            list.ColumnHeaders.Get()[i].Width == n.columns[i].Width)
            list.ColumnHeaders.Edit()[i].Width = n.columns[i].Width = pixels * kTwipsPerPixel;
    }
    n.columnsMoved = false;

    const int checkboxes = list.Checkboxes ? 1 : 0;
    if (checkboxes != n.checkboxes) {
        n.checkboxes = checkboxes;
        n.pushed = true;
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
        n.pushed = true;
        SendMessageW(n.hwnd, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(icons));
        redraw = true;
    }

    const std::vector<ColumnHeader>& headers = list.ColumnHeaders;
    bool sameColumns = headers.size() == n.columns.size();
    if (!sameColumns) {
        n.pushed = true;
        for (size_t i = n.columns.size(); i > 0; --i)
            SendMessageW(n.hwnd, LVM_DELETECOLUMN, i - 1, 0);
        n.columns.clear();
    }
    for (size_t i = 0; i < headers.size(); ++i) {
        const ColumnHeader& header = headers[i];
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
        if (header.Text != n.columns[i].Text || header.Width != n.columns[i].Width)
            n.pushed = true;
        if (header.Text != n.columns[i].Text) {
            column.mask = LVCF_TEXT;
            SendMessageW(n.hwnd, LVM_SETCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
        }
        if (header.Width != n.columns[i].Width)
            SendMessageW(n.hwnd, LVM_SETCOLUMNWIDTH, i, column.cx);
        n.columns[i] = header;
    }

    if (!sameColumns)
        n.sortArrow = INT_MIN;
    PushSortArrow(n, list);

    if (list.Revision() != n.revision) {
        n.revision = list.Revision();
        n.pushed = true;
        SendMessageW(n.hwnd, LVM_SETITEMCOUNT, list.Count(), LVSICF_NOSCROLL);
        FollowSelectedRow(n, list);
        redraw = true;
    }
    if (redraw) {
        n.pushed = true;
        InvalidateRect(n.hwnd, nullptr, FALSE);
    }
}

void Form::Impl::PushSortArrow(Native& n, const ListView& list) {
    const int arrow = list.Sorted() ? list.SortKey() * 2 + list.SortOrder() : -1;
    if (arrow == n.sortArrow)
        return;
    n.sortArrow = arrow;
    n.pushed = true;
    HWND header = reinterpret_cast<HWND>(SendMessageW(n.hwnd, LVM_GETHEADER, 0, 0));
    for (int i = 0; header && i < static_cast<int>(n.columns.size()); ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        if (!SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item)))
            continue;
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (list.Sorted() && i == list.SortKey())
            item.fmt |= list.SortOrder() == 1 ? HDF_SORTDOWN : HDF_SORTUP;
        SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
}

void Form::Impl::FollowSelectedRow(Native& n, const ListView& list) {
    if (n.selectedRow == 0)
        return;
    const std::vector<ListItem>& rows = list.Items();
    int place = -1;
    for (size_t i = 0; i < rows.size() && place < 0; ++i)
        if (rows[i].Id() == n.selectedRow)
            place = static_cast<int>(i);
    const int selected = static_cast<int>(
        SendMessageW(n.hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (place == selected)
        return;
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(n.hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&state));
    if (place < 0) {
        n.selectedRow = 0; // its row is gone
        return;
    }
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(n.hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(place),
                 reinterpret_cast<LPARAM>(&state));
}

void Form::Impl::FillListItem(const ListView& list, LVITEMW& item) {
    if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= list.Count())
        return;
    const ListItem& row = list.Items()[static_cast<size_t>(item.iItem)];
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const std::wstring text =
            Utf8ToWide(item.iSubItem == 0 ? row.Text : row.SubItem(item.iSubItem));
        lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
    }
    if (item.mask & LVIF_IMAGE)
        item.iImage = item.iSubItem == 0 && list.SmallIcons && row.SmallIcon > 0 ? row.SmallIcon - 1
                                                                                 : I_IMAGENONE;
    if ((item.mask & LVIF_STATE) && list.Checkboxes) {
        item.state =
            (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(row.Checked ? 2 : 1);
        item.stateMask |= LVIS_STATEIMAGEMASK;
    }
}

void Form::Impl::OnListNotify(Form& f, Native& n, const NMHDR& header) {
    auto& list = static_cast<ListView&>(*n.model);
    switch (header.code) {
    case NM_CLICK: {
        // An owner-data view keeps no ticks: a click on the state icon ticks the model.
        LVHITTESTINFO hit{};
        hit.pt = reinterpret_cast<const NMITEMACTIVATE&>(header).ptAction;
        const int row =
            static_cast<int>(SendMessageW(n.hwnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        if (list.Checkboxes && row >= 0 && static_cast<size_t>(row) < list.Count() &&
            (hit.flags & LVHT_ONITEMSTATEICON))
            UserTick(list, static_cast<size_t>(row), !list.Items()[row].Checked);
        break;
    }
    case LVN_KEYDOWN:
        if (list.Checkboxes && reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_SPACE) {
            const int row = static_cast<int>(
                SendMessageW(n.hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
            if (row >= 0 && static_cast<size_t>(row) < list.Count())
                UserTick(list, static_cast<size_t>(row), !list.Items()[row].Checked);
        }
        break;
    case NM_DBLCLK: {
        const int row = static_cast<int>(
            SendMessageW(n.hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        Run([&] { f.ListView_DblClick(list, row); });
        break;
    }
    case LVN_ITEMCHANGED: {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if (!(change.uChanged & LVIF_STATE) ||
            !((change.uNewState ^ change.uOldState) & LVIS_SELECTED))
            break;
        if (change.uNewState & LVIS_SELECTED) {
            if (change.iItem >= 0 && static_cast<size_t>(change.iItem) < list.Count())
                n.selectedRow = list.Items()[static_cast<size_t>(change.iItem)].Id();
        } else if (change.iItem < 0 || (static_cast<size_t>(change.iItem) < list.Count() &&
                                        list.Items()[change.iItem].Id() == n.selectedRow)) {
            n.selectedRow = 0;
        }
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

void Form::Impl::UserTick(ListView& list, size_t row, bool checked) {
    Run([&] { list.UserCheck(row, checked); });
}

bool Form::Impl::IsSetStateMessage(UINT message) {
    return message == LVM_SETITEMSTATE || message == LVM_SETITEMW || message == LVM_SETITEMA;
}

LRESULT Form::Impl::OnSetListState(Native& n, UINT message, WPARAM wParam, LPARAM lParam) {
    auto& list = static_cast<ListView&>(*n.model);
    // The fields used here lie alike in LVITEMA and LVITEMW, and in every size of them.
    auto& item = *reinterpret_cast<LVITEMW*>(lParam);
    const bool setsState = message == LVM_SETITEMSTATE || (item.mask & LVIF_STATE);
    if (!list.Checkboxes || !setsState || !(item.stateMask & LVIS_STATEIMAGEMASK))
        return DefSubclassProc(n.hwnd, message, wParam, lParam);

    // An owner-data list keeps no ticks: this is how assistive and automation tools tick a row,
    // so it acts as the user's click does. Image 1 is the empty box, 2 the ticked one.
    const int row = message == LVM_SETITEMSTATE ? static_cast<int>(wParam) : item.iItem;
    const UINT image = (item.state & LVIS_STATEIMAGEMASK) >> 12;
    bool done = (row == -1 && message == LVM_SETITEMSTATE) ||
                (row >= 0 && static_cast<size_t>(row) < list.Count());
    if (done && (image == 1 || image == 2)) {
        done = EnabledInside(list); // no more than the user can do
        const size_t first = row < 0 ? 0 : static_cast<size_t>(row);
        const size_t end = row < 0 ? list.Count() : first + 1;
        for (size_t i = first; done && i < end && i < list.Count(); ++i)
            if (list.Items()[i].Checked != (image == 2))
                UserTick(list, i, image == 2);
    }

    // Selection, focus and what else the message sets are the control's own: it gets the
    // message without the tick, and the caller's record back as it was.
    const UINT mask = item.mask, state = item.state, stateMask = item.stateMask;
    item.stateMask &= ~LVIS_STATEIMAGEMASK;
    item.state &= ~LVIS_STATEIMAGEMASK;
    if (item.stateMask == 0 && message != LVM_SETITEMSTATE)
        item.mask &= ~LVIF_STATE;
    const bool more = message == LVM_SETITEMSTATE ? item.stateMask != 0 : item.mask != 0;
    if (more && IsWindow(n.hwnd))
        done = DefSubclassProc(n.hwnd, message, wParam, lParam) && done;
    item.mask = mask;
    item.state = state;
    item.stateMask = stateMask;
    return done;
}

} // namespace ui
