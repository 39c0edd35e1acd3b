// A main window without a native window, its results panel and delete-failed window, over a
// fresh data folder, with the English messages, no System Restore and launches scripted.
#pragma once

#include "ExpectedLaunches.h"
#include "MainWindowFixture.h"
#include "QuarantineFixture.h"
#include "ResultsPanel.h"
#include "ScriptedMessageBoxes.h"
#include "SystemRestore.h"
#include "frmDelete.h"

#include <string>
#include <vector>

class RemovalFixture : public MainWindowFixture {
  protected:
    RemovalFixture();
    ~RemovalFixture() override;

    // Found items as the scanners list them: the per-kind row and the combined row.
    void AddFile(const std::string& path, const std::string& threat, ItemKind kind = ItemFile);
    void AddCookie(const std::string& path);
    void AddRegistry(int32_t root, const std::string& subkey, const std::string& value,
                     const std::string& threat);
    // Ticks a combined row as the user does.
    void Tick(size_t row, bool checked = true);
    // The ticks of a list, as a string of 0 and 1.
    static std::string Ticks(const ui::ListView& list);
    std::vector<std::string> FailedList() const;
    std::string QuarantineFile(const std::string& name) const;

    frmDelete failed;
    ResultsPanel panel{*form, failed};
    std::vector<std::string> restorePointCalls;
};
