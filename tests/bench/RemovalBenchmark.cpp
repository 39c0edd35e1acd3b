// Measures the removal run of 1,000 planted, ticked files: from the Yes of the confirmation to
// "100% complete", each file copied, verified, deleted and journaled, and the longest wait for
// the message loop meanwhile. With the argument "window" the main window is loaded and shown
// first, and the run goes the user's way: the results page opened, Select All and Repair Now
// clicked, the page and its list on the screen throughout (this needs a display). Everything it
// writes lies in temporary folders it removes again.
//   build/wine-sandbox build/tests/removal_benchmark.exe
//   xvfb-run -a build/wine-sandbox build/tests/removal_benchmark.exe window

#include "AnsiText.h"
#include "BenchSupport.h"
#include "ExpectedLaunches.h"
#include "FrmMain.h"
#include "MachineSettingsStore.h"
#include "QuarantineJournal.h"
#include "ResultsPanel.h"
#include "ScanResults.h"
#include "ScriptedMessageBoxes.h"
#include "SettingsStore.h"
#include "SystemRestore.h"
#include "TempFolder.h"
#include "TwinMachineKey.h"
#include "clsLanguages.h"
#include "frmDelete.h"
#include "modFileRelated.h"
#include "modGlobals.h"
#include "modLanguages.h"
#include "modLorvane.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr size_t kFiles = 1000;
// The settings the window and the run write go under names of the benchmark's own.
const std::string kBenchProduct = "TidewaterRemovalBenchmark";
const std::string kBenchCompany = "TidewaterRemovalBenchmarkCompany";

void DeleteBenchSettings() {
    RegDeleteTreeW(
        HKEY_CURRENT_USER,
        (L"Software\\VB and VBA Program Settings\\" + Utf8ToWide(kBenchProduct)).c_str());
    DeleteKeyInBothViews(HKEY_LOCAL_MACHINE, L"SOFTWARE\\" + Utf8ToWide(kBenchCompany));
}

std::string FileContent(size_t i) {
    return "planted file " + std::to_string(i) + "\r\n" + std::string(i % 200, 'x');
}

// The longest time between two passes of the message loop, seen by a timer that asks for one
// every 10 ms.
class LoopWatch {
  public:
    LoopWatch() : timer_(SetTimer(nullptr, 0, 10, OnTick)) { last_ = GetTickCount(); }
    ~LoopWatch() { KillTimer(nullptr, timer_); }
    static DWORD Longest() { return longest_; }

  private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
        const DWORD now = GetTickCount();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
    }
    static inline DWORD last_ = 0, longest_ = 0;
    UINT_PTR timer_;
};

// What the user's click on a button of the shown window does: the window gets its command.
void Click(FrmMain& form, ui::Button& button) {
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(form.CommandId(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(form.ControlHandle(button)));
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const bool window = argc > 1 && std::strcmp(argv[1], "window") == 0;
    const std::string previousProduct = modLorvane::ProgramName;
    const std::string previousCompany = modLorvane::CompanyName;
    modLorvane::ProgramName = kBenchProduct;
    modLorvane::CompanyName = kBenchCompany;
    DeleteBenchSettings();
    // Nothing is launched and no box is shown but the confirmation.
    ExpectedLaunches launches;
    InstallUnexpectedMessageBoxHandler();
    modLanguages::LoadDefaultMessages();
    // No System Restore: the run removes the same without a restore point.
    SystemRestore::SetVersionOverride(SystemRestore::OsVersion{2, 5, 0});

    TempFolder data, items;
    modGlobals::DataFolder = data.Path();
    std::vector<std::string> paths;
    for (size_t i = 0; i < kFiles; ++i)
        paths.push_back(items.WriteFile("planted" + std::to_string(i) + ".dat", FileContent(i)));

    bool complete = true;
    double ms = 0;
    {
        auto form = std::make_unique<FrmMain>();
        frmDelete failed;
        ResultsPanel panel(*form, failed);
        panel.Connect();
        if (window) {
            // Start-up as on a later start: no language chooser, help or welcome.
            SaveProgramSetting("Settings", "Language", "English");
            SaveProgramSetting("Settings", "showHelp", "0");
            SaveMachineSetting(kBenchProduct, "Settings", "FirstTime", "Yes");
            form->Links.PrevInstance = [] { return false; };
            if (!form->Load()) {
                std::printf("the main window could not be created (no display?)\n");
                return 1;
            }
            form->Show();
            // Start-up set the data folder of the program's own.
            modGlobals::DataFolder = data.Path();
            Click(*form, form->cmdResults);
        }
        for (const std::string& path : paths) {
            form->lists.lvwFilesToBeDeleted.Add(path).SetSubItem(1, "Bench Threat");
            AddFoundItemRow("Bench Threat", ItemFile, path, "Adware", path);
        }
        ScriptedMessageBoxes boxes;
        boxes.Expect(IDYES);
        if (window)
            Click(*form, form->cmdSelectAll);
        else
            panel.cmdSelectAll_Click();
        // The question comes at once: the run is timed from its Yes.
        LoopWatch loop;
        Stopwatch watch;
        if (window)
            Click(*form, form->Command4);
        else
            panel.Command4_Click();
        ms = watch.Milliseconds();
        complete = boxes.Pending() == 0 && panel.FailureCount() == 0 &&
                   form->lblDeletingPercentageCompleted.Caption.empty() == false;
        std::printf("%s: \"%s\"\n", window ? "with the window shown" : "without a window",
                    form->lblDeletingPercentageCompleted.Caption.Get().c_str());
        if (window)
            form->Unload();
        failed.Unload();
    }

    // Every file gone, with a byte-equal copy in the quarantine and a journal entry.
    const std::string journal =
        ReadFileBytes(modFileRelated::QuarantineFolder() + "\\" + QuarantineJournal::kFileName);
    size_t gone = 0, copied = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
        gone += !PathExists(paths[i]);
        copied += ReadFileBytes(modFileRelated::QuarantineFolder() + "\\planted" +
                                std::to_string(i) + ".dat") == FileContent(i);
    }
    const size_t entries = Count(journal, " - File: ");
    std::printf("files gone: %zu of %zu; byte-equal copies: %zu; journal entries: %zu\n", gone,
                kFiles, copied, entries);
    if (!complete || gone != kFiles || copied != kFiles || entries != kFiles)
        std::printf("WARNING: the removal is not complete\n");
    std::printf("removal of %zu ticked files: %.1f s, %.1f ms per file (goal < 5 s)\n", kFiles,
                ms / 1000, ms / kFiles);
    std::printf("longest wait for the message loop: %lu ms (goal < 100 ms)\n",
                LoopWatch::Longest());

    modGlobals::DataFolder.clear();
    SystemRestore::SetVersionOverride(std::nullopt);
    DeleteBenchSettings();
    modLorvane::ProgramName = previousProduct;
    modLorvane::CompanyName = previousCompany;
    return 0;
}
