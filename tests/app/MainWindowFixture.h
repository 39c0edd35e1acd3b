// A main window without a native window, over a fresh scan state and settings of its own
// product and company names (removed again afterwards). Message identifiers stand for their texts,
// so tests name the message they expect; RecordSteps puts recorders in place of the scanners.
#pragma once

#include "FrmMain.h"
#include "ScanFixture.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class MainWindowFixture : public ScanFixture {
  protected:
    MainWindowFixture();
    ~MainWindowFixture() override;

    // Replaces every scan step and link with one that appends its name to `calls`.
    void RecordSteps();
    // Start-up as on a later start: the language chosen, the help seen, the welcome given, no
    // other copy running.
    void AsOnALaterStart();
    std::string Stored(const std::string& section, const std::string& key) const;
    void Store(const std::string& section, const std::string& key, const std::string& value);

    std::unique_ptr<FrmMain> form;
    std::string previousProduct_, previousCompany_;
    std::vector<std::string> calls;
};

// The product name the tests' settings are stored under.
// Tests run in parallel processes, which share the registry: each has names of its own.
inline std::string PerProcess(const std::string& stem) {
    return stem + std::to_string(GetCurrentProcessId());
}
inline const std::string kTestProduct = PerProcess("TidewaterAppTest");
inline const std::string kTestCompany = PerProcess("TidewaterAppTestCompany");
