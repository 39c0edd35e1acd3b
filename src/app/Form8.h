// The help window: loading it opens the help file "Help.chm" of the program folder in the
// system's help viewer. It has no controls and no size; its callers unload it right after.
#pragma once

#include "Form.h"

#include <string>

class Form8 : public ui::Form {
  public:
    Form8();

    void Form_Load() override;
    // Opens "mshelp.chm" of the program folder, without looking for it first.
    void ShowMsHelp();

    // The folder the help files lie in: the program folder.
    std::string HelpFolder;
    // The last load handed the help file to the viewer.
    bool HelpOpened() const { return helpOpened_; }

  private:
    bool helpOpened_ = false;
};

// The one help window.
Form8& HelpWindow();
