// The keys under which the language file names the texts of a window's controls.
#pragma once

#include <string>
#include <vector>

namespace ui {
class Form;
}

namespace ControlKeys {

struct KeyedText {
    // Window "_" control, then, as the kind asks: the index, "_TABS" and the tab's number or
    // "_COL" and the column's number.
    std::string Key;
    // Read when Key is absent: the plain key that files written before captioned control
    // arrays had indices used for element 0. Empty for every other text.
    std::string OlderKey;
    std::string* Text;
};

// Every text of the window's controls that the file keys, in control order: the caption of a
// label, button, frame, check box, option button or menu, each tab, each column header. An
// option button or menu always carries its index (0 outside a control array); a label, button,
// frame or check box carries it only inside an array, so every element has a key of its own.
std::vector<KeyedText> KeyedTexts(ui::Form& window);

} // namespace ControlKeys
