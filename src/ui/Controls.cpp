#include "Controls.h"

namespace ui {

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
    if (!value)
        return;
    for (OptionButton* other : group_.Buttons)
        if (other != this)
            other->value_ = false;
    if (Click)
        Click();
}

void TextBox::SetText(std::string text) {
    if (text == text_)
        return;
    text_ = std::move(text);
    if (Change)
        Change();
}

void ComboBox::Clear() {
    list_.clear();
    listIndex_ = -1;
}

void ComboBox::SetListIndex(int index) {
    if (index < 0 || static_cast<size_t>(index) >= list_.size())
        index = -1;
    if (index == listIndex_)
        return;
    listIndex_ = index;
    if (Click)
        Click();
}

std::string ComboBox::Text() const {
    return listIndex_ < 0 ? std::string() : list_[listIndex_];
}

void ListBox::AddItem(std::string text) {
    list_.push_back(std::move(text));
    ++Revision;
}

void ListBox::Clear() {
    list_.clear();
    ListIndex = -1;
    ++Revision;
}

Timer::Timer(std::string name, int interval, bool enabled)
    : Control(std::move(name)), Interval(interval) {
    Enabled = enabled;
    Visible = false;
}

void DTPicker::SetValue(double value) {
    if (value == value_)
        return;
    value_ = value;
    if (Change)
        Change();
}

void TabStrip::SetSelectedIndex(int index) {
    if (index == selected_)
        return;
    selected_ = index;
    if (Click)
        Click();
}

Menu::Menu(std::string name, int index, std::string caption, Menu* parent)
    : Control(std::move(name), index), Caption(std::move(caption)), Parent(parent) {}

void ProgressBar::SetValue(double value) {
    value_ = value < min_ ? min_ : (value > max_ ? max_ : value);
}

void ProgressBar::SetMax(double max) {
    max_ = max < min_ ? min_ : max;
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
    : Control(std::move(name)), Checkboxes(checkboxes) {
    for (std::string& text : columns)
        ColumnHeaders.push_back({std::move(text)});
}

ListItem& ListView::Add(std::string text) {
    ++revision_;
    items_.emplace_back();
    items_.back().Text = std::move(text);
    return items_.back();
}

void ListView::Remove(size_t index) {
    ++revision_;
    if (index < items_.size())
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

void ListView::Clear() {
    ++revision_;
    items_.clear();
}

ListItem& ListView::Item(size_t index) {
    ++revision_;
    return items_.at(index);
}

void ListView::UserCheck(size_t index, bool checked) {
    ListItem& item = Item(index);
    item.Checked = checked;
    if (ItemCheck)
        ItemCheck(item);
}

} // namespace ui
