#include "Form8.h"

#include "AppPath.h"
#include "MachineSettingsStore.h"
#include "ShellLaunch.h"
#include "modLorvane.h"
#include "xfileExists.h"

#include <windows.h>

Form8& HelpWindow() {
    static Form8 window;
    return window;
}

Form8::Form8() : ui::Form("Form8"), HelpFolder(AppPath::Path()) {
    BorderStyle = ui::FormBorder::None;
    ShowInTaskbar = false;
}

void Form8::Form_Load() {
    Height = 0;
    Width = 0;
    const std::string help = HelpFolder + "\\Help.chm";
    // Only a help file that the viewer really took counts as shown.
    helpOpened_ = xfileExists::FileExists(help) && ShellLaunch::Start(help, "", SW_SHOWNORMAL);
    if (helpOpened_)
        SaveMachineSetting(modLorvane::ProgramName, "Settings", "showHelp", "0");
}

void Form8::ShowMsHelp() {
    ShellLaunch::Start(HelpFolder + "\\mshelp.chm", "", SW_SHOWNORMAL);
}
