#include "frmSplash.h"

#include "FrmMain.h"
#include "modLorvane.h"

frmSplash& SplashWindow() {
    static frmSplash window;
    return window;
}

frmSplash::frmSplash() : ui::Form("frmSplash") {
    BorderStyle = ui::FormBorder::None;
    ShowInTaskbar = false;
    Width = 6000;
    Height = 2400;
    Image1.Move(300, 500, 5400, 700);
    Image1.FontBold = true;
    Label3.Move(300, 1400, 5400, 600);
    Add(Image1);
    Add(Label3);
    Add(Timer2);
    Timer2.Tick = [this] { Timer2_Timer(); };
}

void frmSplash::Form_Load() {
    modLorvane::LoadAppIdentity();
    Caption = modLorvane::ProgramName;
    Image1.Caption = modLorvane::ProgramName;
    Label3.Caption = "Finds and removes adware and spyware.";
    Timer2.Enabled = true;
}

void frmSplash::Timer2_Timer() {
    counter_ = static_cast<int16_t>(counter_ + 2);
    if (counter_ != 150)
        return;
    Timer2.Enabled = false;
    FrmMain& main = MainWindow();
    main.Load();
    if (!main.StartedInTray)
        main.Show();
    Hide();
}
