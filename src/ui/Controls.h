// Controls that hold their own state, so window logic runs and is tested without a window. A
// form that has a native window mirrors this state into its native controls.
//
// The event rules of the toolkit the windows were designed in hold: setting a check box's or
// option button's value, a combo box's or tab strip's selection, a text box's text or a date
// picker's value in code raises its handler whenever the value changes, exactly as the user's
// action does. A list view's ItemCheck is raised only by the user's tick.
//
// A control marks itself changed whenever its model changes (a property takes a new value, a
// setter or a list method runs), and its form's next push visits only the marked controls:
// an idle window that a timer wakes a hundred times a second costs nothing to keep in step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace ui {

using Handler = std::function<void()>;

class Control;

namespace detail {

// The controls of one form whose models changed since the form's last push. Collected only
// while the form has its window; the push takes them.
struct ChangeList {
    bool active = false;
    std::vector<const Control*> controls;
};

} // namespace detail

// One value of a control's model. Assigning a different value marks the control changed;
// reading it costs nothing. Changes in place (an element of a list) go through Edit.
template <class T> class Property {
    static constexpr bool kText = std::is_same_v<T, std::string>;
    static constexpr bool kList = requires(const T& v) { v.begin(); };
    static constexpr bool kPrintable = requires(std::ostream & out, const T& v) { out << v; };

  public:
    explicit Property(const Control* owner, T value = T())
        : owner_(owner), value_(std::move(value)) {}
    Property(const Property&) = delete;
    Property& operator=(const Property& other) { return *this = other.value_; }
    Property& operator=(T value) {
        if (!(value == value_)) {
            value_ = std::move(value);
            MarkOwner();
        }
        return *this;
    }

    operator const T&() const { return value_; }
    operator std::string_view() const requires kText { return value_; }
    const T& Get() const { return value_; }
    // The value for a change in place; the control counts as changed from here on.
    T& Edit() {
        MarkOwner();
        return value_;
    }

    // A pointer, a text or a list reads in place as its value does.
    T operator->() const { return value_; }
    auto size() const requires kList { return value_.size(); }
    bool empty() const requires kList { return value_.empty(); }
    decltype(auto) operator[](size_t i) const requires kList { return value_[i]; }
    auto begin() const requires kList { return value_.begin(); }
    auto end() const requires kList { return value_.end(); }

    friend bool operator==(const Property& a, const Property& b) { return a.value_ == b.value_; }
    friend bool operator==(const Property& a, const T& b) { return a.value_ == b; }
    friend std::string operator+(const Property& a, std::string_view b) requires kText {
        return a.value_ + std::string(b);
    }
    friend std::string operator+(std::string_view a, const Property& b) requires kText {
        return std::string(a) + b.value_;
    }
    friend std::string operator+(const Property& a, const Property& b) requires kText {
        return a.value_ + b.value_;
    }
    friend std::ostream& operator<<(std::ostream& out, const Property& p) requires kPrintable {
        return out << p.value_;
    }

  private:
    void MarkOwner() const;

    const Control* owner_;
    T value_;
};

class Control {
  public:
    explicit Control(std::string name, int index = -1) : Name(std::move(name)), Index(index) {}
    virtual ~Control();
    Control(const Control&) = delete;
    // Takes the other's model; this control keeps its place in its form, marked changed.
    Control& operator=(const Control& other);

    std::string Name;
    int Index; // position in a control array, or -1
    Property<bool> Visible{this, true};
    Property<bool> Enabled{this, true};
    // Position and size in twips, inside the container (a Frame) or the form.
    Property<int> Left{this}, Top{this}, Width{this}, Height{this};
    Property<Control*> Container{this, nullptr};
    Property<std::string> ToolTipText{this};

    void Move(int left, int top, int width, int height);
    // Visible and inside visible containers only.
    bool Shown() const;

    // Marks the model changed, so that the next push of its form visits the control.
    void Changed() const;

  private:
    friend class Form;
    std::shared_ptr<detail::ChangeList> changes_;
    size_t slot_ = 0; // its place among its form's controls
    mutable bool marked_ = false;
};

template <class T> void Property<T>::MarkOwner() const {
    owner_->Changed();
}

class Label : public Control {
  public:
    using Control::Control;
    Property<std::string> Caption{this};
    Property<bool> FontItalic{this, false};
    Property<bool> FontBold{this, false};
    Handler Click;
    Handler MouseMove;
};

class Button : public Control {
  public:
    using Control::Control;
    Property<std::string> Caption{this};
    Handler Click;
};

// A panel that shows or hides the controls it contains.
class Frame : public Control {
  public:
    using Control::Control;
    Property<std::string> Caption{this};
};

class CheckBox : public Control {
  public:
    using Control::Control;
    Property<std::string> Caption{this};
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
    Property<std::string> Caption{this};
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
    bool MultiLine = false; // read when the native box is made
    Property<bool> Locked{this, false};
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

    void AddItem(std::string text);
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
    Property<int> ListIndex{this, -1};
    // Bumped by every change of the items, so a native list knows when to refill.
    uint64_t Revision = 0;

  private:
    std::vector<std::string> list_;
};

class Timer : public Control {
  public:
    Timer(std::string name, int interval, bool enabled = false);
    Property<int> Interval; // milliseconds
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
    Property<std::string> CustomFormat{this};
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
    Property<std::vector<std::string>> Tabs{this};
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
    Property<std::string> Caption;
    Menu* const Parent;
    Property<bool> Checked{this, false};
    Handler Click;
};

// Icons by 1-based number, as the lists refer to them.
class ImageList : public Control {
  public:
    using Control::Control;
    Property<std::vector<int>> IconResources{this}; // resource ids, image 1 first
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
    bool operator==(const ColumnHeader&) const = default;
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

    Property<std::vector<ColumnHeader>> ColumnHeaders{this};
    Property<bool> Checkboxes;
    Property<ImageList*> SmallIcons{this, nullptr};
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
    // Every change of the rows: the native view redraws at the next push.
    void Touch() const;
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
