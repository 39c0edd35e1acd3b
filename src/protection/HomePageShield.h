// The start-page shield: every 5 seconds it compares the browser's start page with the one the
// program remembers and, as the options say, asks the user or puts the remembered page back.
// Every third tick first runs the process shield.
#pragma once

#include <string>

class FrmMain;
class frmHomePageChangedAlert;

class HomePageShield {
  public:
    HomePageShield(FrmMain& form, frmHomePageChangedAlert& alert);

    // Connects the main window's timer and the Debug menu's first window.
    void Connect();

    void tmrCheckHomePage_Timer();

    // The ticks counted towards the next process-shield pass (0 to 2).
    int HomePageTickCount = 0;

  private:
    // The start page read, compared with the remembered one, and the options' answer.
    void CheckStartPage();

    FrmMain& form_;
    frmHomePageChangedAlert& alert_;
};

// What the alert tells the user: the remembered page that Yes keeps and the new one that No
// takes.
std::string HomePageChangedMessage(const std::string& savedPage, const std::string& currentPage);

// The start-page shield of the main window.
HomePageShield& MainHomePageShield();
