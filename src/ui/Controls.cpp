#include <windows.h>

#include "Controls.h"

#include "AnsiText.h"

#include <algorithm>

namespace ui {

Control::~Control() {
    if (!marked_ || !changes_)
        return;
    auto& marked = changes_->controls;
    marked.erase(std::remove(marked.begin(), marked.end(), this), marked.end());
}

Control& Control::operator=(const Control& other) {
    Name = other.Name;
    Index = other.Index;
    Visible = other.Visible;
    Enabled = other.Enabled;
    Left = other.Left;
    Top = other.Top;
    Width = other.Width;
    Height = other.Height;
    Container = other.Container;
    ToolTipText = other.ToolTipText;
    Changed();
    return *this;
}

void Control::Changed() const {
    if (marked_ || !changes_ || !changes_->active)
        return;
    marked_ = true;
    changes_->controls.push_back(this);
}

void Control::Move(int left, int top, int width, int height) {
    Left = left;
    Top = top;
    Width = width;
    Height = height;
}

bool Control::Shown() const {
    for (const Control* c = this; c; c = c->Container)
        if (!c->Visible)
            return false;
    return true;
}

void CheckBox::SetValue(int value) {
    if (value == value_)
        return;
    value_ = value;
    Changed();
    if (Click)
        Click();
}

void CheckBox::UserToggle() {
    SetValue(value_ == 0 ? 1 : 0);
    if (UserClick)
        UserClick();
}

OptionButton::OptionButton(std::string name, int index, OptionGroup& group)
    : Control(std::move(name), index), group_(group) {
    group_.Buttons.push_back(this);
}

void OptionButton::SetValue(bool value) {
    if (value == value_)
        return;
    value_ = value;
    Changed();
    if (!value)
        return;
    for (OptionButton* other : group_.Buttons)
        if (other != this && other->value_) {
            other->value_ = false;
            other->Changed();
        }
    if (Click)
        Click();
}

void TextBox::SetText(std::string text) {
    if (text == text_)
        return;
    text_ = std::move(text);
    Changed();
    if (Change)
        Change();
}

void ComboBox::AddItem(std::string text) {
    list_.push_back(std::move(text));
    Changed();
}

void ComboBox::Clear() {
    list_.clear();
    listIndex_ = -1;
    Changed();
}

void ComboBox::SetListIndex(int index) {
    if (index < 0 || static_cast<size_t>(index) >= list_.size())
        index = -1;
    if (index == listIndex_)
        return;
    listIndex_ = index;
    Changed();
    if (Click)
        Click();
}

std::string ComboBox::Text() const {
    return listIndex_ < 0 ? std::string() : list_[listIndex_];
}

void ListBox::AddItem(std::string text) {
    list_.push_back(std::move(text));
    ++Revision;
    Changed();
}

void ListBox::Clear() {
    list_.clear();
    ListIndex = -1;
    ++Revision;
    Changed();
}

Timer::Timer(std::string name, int interval, bool enabled)
    : Control(std::move(name)), Interval(this, interval) {
    Enabled = enabled;
    Visible = false;
}

void DTPicker::SetValue(double value) {
    if (hasValue_ && value == value_)
        return;
    value_ = value;
    hasValue_ = true;
    Changed();
    if (Change)
        Change();
}

void DTPicker::ClearValue() {
    if (!hasValue_)
        return;
    hasValue_ = false;
    Changed();
    if (Change)
        Change();
}

void TabStrip::SetSelectedIndex(int index) {
    if (index == selected_)
        return;
    selected_ = index;
    Changed();
    if (Click)
        Click();
}

Menu::Menu(std::string name, int index, std::string caption, Menu* parent)
    : Control(std::move(name), index), Caption(this, std::move(caption)), Parent(parent) {}

void ProgressBar::SetValue(double value) {
    value = value < min_ ? min_ : (value > max_ ? max_ : value);
    if (value == value_)
        return;
    value_ = value;
    Changed();
}

void ProgressBar::SetMax(double max) {
    max = max < min_ ? min_ : max;
    if (max == max_)
        return;
    max_ = max;
    Changed();
    SetValue(value_);
}

const std::string& ListItem::SubItem(int index) const {
    static const std::string empty;
    return index >= 1 && static_cast<size_t>(index) <= subItems_.size() ? subItems_[index - 1]
                                                                        : empty;
}

void ListItem::SetSubItem(int index, std::string text) {
    if (index < 1)
        return;
    if (subItems_.size() < static_cast<size_t>(index))
        subItems_.resize(index);
    subItems_[index - 1] = std::move(text);
}

ListView::ListView(std::string name, std::vector<std::string> columns, bool checkboxes)
    : Control(std::move(name)), Checkboxes(this, checkboxes) {
    for (std::string& text : columns)
        ColumnHeaders.Edit().push_back({std::move(text)});
}

namespace {

// The list view's own text sort: without regard to case, in the user's locale.
int CompareText(const std::wstring& a, const std::wstring& b) {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(),
                          static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size())) -
           CSTR_EQUAL;
}

std::wstring SortText(const ListItem& row, int key) {
    return Utf8ToWide(key == 0 ? row.Text : row.SubItem(key));
}

} // namespace

void ListView::SetSorted(bool sorted) {
    PlaceAddedRow();
    if (sorted == sorted_)
        return;
    sorted_ = sorted;
    if (sorted_)
        Sort();
}

void ListView::SetSortKey(int key) {
    PlaceAddedRow();
    if (key == sortKey_)
        return;
    sortKey_ = key;
    if (sorted_)
        Sort();
}

void ListView::SetSortOrder(int order) {
    PlaceAddedRow();
    order = order == 1 ? 1 : 0;
    if (order == sortOrder_)
        return;
    sortOrder_ = order;
    if (sorted_)
        Sort();
}

void ListView::Sort() {
    Touch();
    std::vector<std::wstring> keys;
    keys.reserve(items_.size());
    for (const ListItem& row : items_)
        keys.push_back(SortText(row, sortKey_));
    std::vector<size_t> order(items_.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    const bool descending = sortOrder_ == 1;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int compared = CompareText(keys[a], keys[b]);
        return descending ? compared > 0 : compared < 0;
    });
    std::vector<ListItem> sorted;
    sorted.reserve(items_.size());
    for (size_t i : order)
        sorted.push_back(std::move(items_[i]));
    items_.swap(sorted);
}

void ListView::PlaceAddedRow() const {
    if (!placeLast_)
        return;
    placeLast_ = false;
    if (!sorted_ || items_.size() < 2)
        return;
    Touch();
    // After every row that sorts before it or level with it. A walk from the end, because rows
    // changed since the last sort may stand out of order and most rows arrive in order.
    const std::wstring key = SortText(items_.back(), sortKey_);
    size_t place = items_.size() - 1;
    while (place > 0) {
        const int compared = CompareText(SortText(items_[place - 1], sortKey_), key);
        if (sortOrder_ == 1 ? compared >= 0 : compared <= 0)
            break;
        --place;
    }
    std::rotate(items_.begin() + static_cast<std::ptrdiff_t>(place), items_.end() - 1,
                items_.end());
}

ListItem& ListView::Add(std::string text) {
    PlaceAddedRow();
    Touch();
    items_.emplace_back();
    items_.back().Text = std::move(text);
    items_.back().id_ = ++lastId_;
    placeLast_ = sorted_;
    return items_.back();
}

void ListView::Remove(size_t index) {
    PlaceAddedRow();
    Touch();
    if (index < items_.size())
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

void ListView::Clear() {
    Touch();
    items_.clear();
    placeLast_ = false;
    sorted_ = false;
    sortKey_ = 0;
    sortOrder_ = 0;
}

ListItem& ListView::Item(size_t index) {
    PlaceAddedRow();
    Touch();
    return items_.at(index);
}

const ListItem& ListView::Item(size_t index) const {
    PlaceAddedRow();
    return items_.at(index);
}

const std::vector<ListItem>& ListView::Items() const {
    PlaceAddedRow();
    return items_;
}

uint64_t ListView::Revision() const {
    PlaceAddedRow();
    return revision_;
}

void ListView::Touch() const {
    ++revision_;
    Changed();
}

void ListView::UserCheck(size_t index, bool checked) {
    ListItem& item = Item(index);
    item.Checked = checked;
    if (ItemCheck)
        ItemCheck(item);
}

} // namespace ui
