#include "Controls.h"

namespace ui {

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
    items_.emplace_back();
    items_.back().Text = std::move(text);
    return items_.back();
}

void ListView::Remove(size_t index) {
    if (index < items_.size())
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

} // namespace ui
