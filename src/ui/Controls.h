// Controls that hold their own state, so window logic runs and is tested without a window. A
// form that has a native window mirrors this state into its native controls.
//
// The event rules of the toolkit the windows were designed in hold: setting a check box's or
// option button's value, a combo box's or tab strip's selection, a text box's text or a date
// picker's value in code raises its handler whenever the value changes, exactly as the user's
// action does. A list view's ItemCheck is raised only by the user's tick.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ui {

using Handler = std::function<void()>;

class Control {
  public:
    explicit Control(std::string name, int index = -1) : Name(std::move(name)), Index(index) {}
    virtual ~Control() = default;

    std::string Name;
    int Index; // position in a control array, or -1
    bool Visible = true;
    bool Enabled = true;
    // Position and size in twips, inside the container (a Frame) or the form.
    int Left = 0, Top = 0, Width = 0, Height = 0;
    Control* Container = nullptr;
    std::string ToolTipText;

    void Move(int left, int top, int width, int height);
    // Visible and inside visible containers only.
    bool Shown() const;
};

class Label : public Control {
  public:
    using Control::Control;
    std::string Caption;
    bool FontItalic = false;
    bool FontBold = false;
    Handler Click;
    Handler MouseMove;
};

class Button : public Control {
  public:
    using Control::Control;
    std::string Caption;
    Handler Click;
};

// A panel that shows or hides the controls it contains.
class Frame : public Control {
  public:
    using Control::Control;
    std::string Caption;
};

class CheckBox : public Control {
  public:
    using Control::Control;
    std::string Caption;
    Handler Click;
    // Raised after Click when the user toggled the box (mouse or keyboard), never by code.
    Handler UserClick;

    int Value() const { return value_; } // 0 unticked, 1 ticked
    // Raises Click when the value changes, whoever sets it.
    void SetValue(int value);
    // The user's toggle: flips the value (raising Click), then raises UserClick.
    void UserToggle();

  private:
    int value_ = 0;
};

class OptionButton;

// Option buttons of one container: choosing one clears the others.
class OptionGroup {
  public:
    std::vector<OptionButton*> Buttons;
};

class OptionButton : public Control {
  public:
    OptionButton(std::string name, int index, OptionGroup& group);
    std::string Caption;
    Handler Click;

    bool Value() const { return value_; }
    // Setting True clears the rest of the group and raises Click of this button only, when it
    // was not already chosen. Setting False clears it without an event.
    void SetValue(bool value);

  private:
    OptionGroup& group_;
    bool value_ = false;
};

class TextBox : public Control {
  public:
    using Control::Control;
    bool MultiLine = false;
    bool Locked = false;
    Handler Change;
    // A character the user typed, before the box takes it; setting keyAscii to 0 swallows it.
    // A box with this handler is also given Enter and Escape, which otherwise press a window's
    // default or cancel button.
    std::function<void(int& keyAscii)> KeyPress;

    const std::string& Text() const { return text_; }
    // Raises Change when the text changes.
    void SetText(std::string text);

  private:
    std::string text_;
};

// A drop-down list (the user picks; no typing).
class ComboBox : public Control {
  public:
    using Control::Control;
    Handler Click;

    void AddItem(std::string text) { list_.push_back(std::move(text)); }
    void Clear();
    size_t ListCount() const { return list_.size(); }
    const std::string& List(size_t index) const { return list_.at(index); }
    int ListIndex() const { return listIndex_; } // -1 = none
    // Raises Click when the selection changes; an index outside the list selects none.
    void SetListIndex(int index);
    // The selected item's text, or empty.
    std::string Text() const;

  private:
    std::vector<std::string> list_;
    int listIndex_ = -1;
};

class ListBox : public Control {
  public:
    using Control::Control;

    void AddItem(std::string text);
    void Clear();
    size_t ListCount() const { return list_.size(); }
    const std::string& List(size_t index) const { return list_.at(index); }
    const std::vector<std::string>& Items() const { return list_; }
    int ListIndex = -1;
    // Bumped by every change of the items, so a native list knows when to refill.
    uint64_t Revision = 0;

  private:
    std::vector<std::string> list_;
};

class Timer : public Control {
  public:
    Timer(std::string name, int interval, bool enabled = false);
    int Interval; // milliseconds
    // The tick's handler; a form calls it only while Enabled is set.
    Handler Tick;
};

// A date or a time of day: an OLE date (days since 30 December 1899, time as the fraction).
class DTPicker : public Control {
  public:
    using Control::Control;
    bool TimeOnly = false; // shows the time of day instead of the date
    // The user can take the value away (a tick box beside it). Set before the form loads.
    bool ShowNone = false;
    // The display format in the platform's picture letters ("dd/MM/yyyy", "HH:mm:ss" for
    // 24-hour time); empty shows the system's short date or time. Only the display changes.
    std::string CustomFormat;
    Handler Change;
    // Raised after Change when the user changed the picker, never by code.
    Handler UserChange;

    // The value last held; meaningful only while HasValue().
    double Value() const { return value_; }
    bool HasValue() const { return hasValue_; }
    // Raises Change when the value changes or the picker had none.
    void SetValue(double value);
    // No value; raises Change when the picker had one.
    void ClearValue();

  private:
    double value_ = 0;
    bool hasValue_ = true;
};

class TabStrip : public Control {
  public:
    using Control::Control;
    std::vector<std::string> Tabs;
    Handler Click;

    int SelectedIndex() const { return selected_; } // 0-based
    // Raises Click when the selection changes.
    void SetSelectedIndex(int index);

  private:
    int selected_ = 0;
};

// A menu or menu item. A top-level menu has no Parent; a caption of "-" is a separator.
class Menu : public Control {
  public:
    Menu(std::string name, int index, std::string caption, Menu* parent = nullptr);
    std::string Caption;
    Menu* Parent;
    bool Checked = false;
    Handler Click;
};

// Icons by 1-based number, as the lists refer to them.
class ImageList : public Control {
  public:
    using Control::Control;
    std::vector<int> IconResources; // resource ids, image 1 first
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
    int Width = 1440; // twips
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
    // Names the row for the life of its list, wherever sorting moves it (0 = not in a list).
    uint64_t Id() const { return id_; }

  private:
    friend class ListView;
    std::vector<std::string> subItems_;
    uint64_t id_ = 0;
};

class ListView : public Control {
  public:
    ListView(std::string name, std::vector<std::string> columns, bool checkboxes = false);

    std::vector<ColumnHeader> ColumnHeaders;
    bool Checkboxes;
    ImageList* SmallIcons = nullptr;
    // Raised by the user's tick or untick of a row only, never by code.
    std::function<void(ListItem&)> ItemCheck;

    // Sorting by one column's text with the list view's own text sort: without regard to case,
    // in the user's locale, ties in their earlier order. Switching it on, or a new key or order
    // while it is on, sorts the rows at once. Rows changed later keep their place until the
    // next sort. Clear switches sorting off and resets key and order.
    bool Sorted() const { return sorted_; }
    int SortKey() const { return sortKey_; }     // 0 = Text, k = SubItem(k)
    int SortOrder() const { return sortOrder_; } // 0 ascending, 1 descending
    void SetSorted(bool sorted);
    void SetSortKey(int key);
    // Any order but 1 is ascending.
    void SetSortOrder(int order);

    // Appends a row and returns it. While the list is sorted, the row goes to its sorted place
    // at the list's next use, so that the caller fills it first. The reference stays valid
    // until the list is used again.
    ListItem& Add(std::string text);
    void Remove(size_t index);
    void Clear();
    size_t Count() const { return items_.size(); }
    // Access for change: the native view redraws after it.
    ListItem& Item(size_t index);
    const ListItem& Item(size_t index) const;
    const std::vector<ListItem>& Items() const;
    // Bumped by every access that may change the rows, so a native view knows when to redraw.
    uint64_t Revision() const;
    // The user's tick of a row: sets it and raises ItemCheck.
    void UserCheck(size_t index, bool checked);

  private:
    void Sort();
    // Moves a row added while sorted to its place.
    void PlaceAddedRow() const;

    // Mutable: the reading accessors place an added row first.
    mutable std::vector<ListItem> items_;
    mutable uint64_t revision_ = 0;
    mutable bool placeLast_ = false;
    uint64_t lastId_ = 0;
    bool sorted_ = false;
    int sortKey_ = 0;
    int sortOrder_ = 0;
};

} // namespace ui
