#include "frmDelete.h"

#include "Clipboard.h"

frmDelete& DeleteFailedWindow() {
    static frmDelete window;
    return window;
}

frmDelete::frmDelete() : ui::Form("frmDelete") {
    Caption = "Delete Failed";
    BorderStyle = ui::FormBorder::Fixed;
    Width = 7200;
    Height = 5400;
    Label1.Caption = "The following files could not be deleted.  You should save your work, close "
                     "all running programs (especially browsers) and try to delete them again.";
    Label1.Move(240, 180, 6600, 600);
    lstProblem.Move(240, 900, 6600, 2400);
    lstProblem.ColumnHeaders.Edit()[0].Width = 6300;
    Label2.Caption = "If you still cannot delete them, you should start your computer in Safe "
                     "Mode and either scan again or delete them manually.";
    Label2.Move(240, 3420, 6600, 600);
    Command1.Caption = "Ok";
    Command1.Move(5400, 4140, 1440, 420);
    Command2.Caption = "Copy List";
    Command2.Move(3840, 4140, 1440, 420);
    for (ui::Control* control :
         std::initializer_list<ui::Control*>{&Label1, &lstProblem, &Label2, &Command1, &Command2})
        Add(*control);
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
}

void frmDelete::Command1_Click() {
    Hide();
}

void frmDelete::Command2_Click() {
    std::string text;
    for (const ui::ListItem& row : lstProblem.Items())
        text += row.Text + "\r\n";
    ui::SetClipboardText(text);
}
