// Controls that hold their own state, so window logic runs and is tested without a window. A
// form that has a native window mirrors this state into its native controls.
#pragma once

#include <string>
#include <vector>

namespace ui {

class Control {
  public:
    explicit Control(std::string name, int index = -1) : Name(std::move(name)), Index(index) {}
    virtual ~Control() = default;

    std::string Name;
    int Index; // position in a control array, or -1
    bool Visible = true;
    bool Enabled = true;
};

class Label : public Control {
  public:
    using Control::Control;
    std::string Caption;
};

class Button : public Control {
  public:
    using Control::Control;
    std::string Caption;
};

class ProgressBar : public Control {
  public:
    using Control::Control;

    // Values are not bound to 32 bits: a drive's used bytes serve as a maximum.
    double Min() const { return min_; }
    double Max() const { return max_; }
    double Value() const { return value_; }
    // A value outside Min..Max is brought to the nearer end.
    void SetValue(double value);
    // Keeps Value inside the new range.
    void SetMax(double max);

  private:
    double min_ = 0;
    double max_ = 100;
    double value_ = 0;
};

struct ColumnHeader {
    std::string Text;
};

// One row of a list view. SubItems are numbered from 1, as the column after the item's text.
class ListItem {
  public:
    std::string Text;
    bool Checked = false;
    int SmallIcon = 0; // 1-based image number; 0 = none
    std::string Key;
    std::string Tag;

    // The sub-item's text; empty when never set.
    const std::string& SubItem(int index) const;
    void SetSubItem(int index, std::string text);

  private:
    std::vector<std::string> subItems_;
};

class ListView : public Control {
  public:
    ListView(std::string name, std::vector<std::string> columns, bool checkboxes = false);

    std::vector<ColumnHeader> ColumnHeaders;
    bool Checkboxes;

    // Appends a row and returns it; the reference stays valid until the list changes again.
    ListItem& Add(std::string text);
    void Remove(size_t index);
    void Clear() { items_.clear(); }
    size_t Count() const { return items_.size(); }
    ListItem& Item(size_t index) { return items_.at(index); }
    const ListItem& Item(size_t index) const { return items_.at(index); }
    const std::vector<ListItem>& Items() const { return items_; }

  private:
    std::vector<ListItem> items_;
};

} // namespace ui
