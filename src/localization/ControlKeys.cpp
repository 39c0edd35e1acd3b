#include "ControlKeys.h"

#include "Controls.h"
#include "Form.h"

namespace ControlKeys {

namespace {

std::string Key(const ui::Form& window, const ui::Control& control) {
    return window.Name + "_" + control.Name;
}

std::string IndexedKey(const ui::Form& window, const ui::Control& control) {
    return Key(window, control) + std::to_string(control.Index < 0 ? 0 : control.Index);
}

// A caption of a kind that has no index outside a control array.
KeyedText Caption(const ui::Form& window, const ui::Control& control, std::string& text) {
    if (control.Index < 0)
        return {Key(window, control), {}, &text};
    return {IndexedKey(window, control), control.Index == 0 ? Key(window, control) : "", &text};
}

} // namespace

std::vector<KeyedText> KeyedTexts(ui::Form& window) {
    std::vector<KeyedText> texts;
    for (ui::Control* control : window.Controls()) {
        if (auto* label = dynamic_cast<ui::Label*>(control))
            texts.push_back(Caption(window, *control, label->Caption.Edit()));
        else if (auto* button = dynamic_cast<ui::Button*>(control))
            texts.push_back(Caption(window, *control, button->Caption.Edit()));
        else if (auto* frame = dynamic_cast<ui::Frame*>(control))
            texts.push_back(Caption(window, *control, frame->Caption.Edit()));
        else if (auto* check = dynamic_cast<ui::CheckBox*>(control))
            texts.push_back(Caption(window, *control, check->Caption.Edit()));
        else if (auto* option = dynamic_cast<ui::OptionButton*>(control))
            texts.push_back({IndexedKey(window, *control), {}, &option->Caption.Edit()});
        else if (auto* menu = dynamic_cast<ui::Menu*>(control))
            texts.push_back({IndexedKey(window, *control), {}, &menu->Caption.Edit()});
        else if (auto* tabs = dynamic_cast<ui::TabStrip*>(control)) {
            for (size_t tab = 0; tab < tabs->Tabs.Get().size(); ++tab)
                texts.push_back({Key(window, *control) + "_TABS" + std::to_string(tab + 1),
                                 {},
                                 &tabs->Tabs.Edit()[tab]});
        } else if (auto* list = dynamic_cast<ui::ListView*>(control)) {
            for (size_t column = 0; column < list->ColumnHeaders.Get().size(); ++column)
                texts.push_back({Key(window, *control) + "_COL" + std::to_string(column + 1),
                                 {},
                                 &list->ColumnHeaders.Edit()[column].Text});
        }
    }
    return texts;
}

} // namespace ControlKeys
