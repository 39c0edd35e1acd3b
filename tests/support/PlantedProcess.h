// A running program a test may stop: a copy of the suite's dummy program under a name of the
// test's choosing, in a folder of its own. Ended (if still running) and removed with the test.
#pragma once

#include "TempFolder.h"

#include <windows.h>

#include <cstdint>
#include <string>

// A file name no other test process uses at the same time: the stem with this process's id.
std::string UniqueProcessName(const std::string& stem);

class PlantedProcess {
  public:
    enum class Image {
        NoVersion,       // dummy_process.exe: no version information
        MicrosoftCompany // microsoft_company.exe: CompanyName "Microsoft Corporation"
    };
    // `folder`, when given, is a folder the test made; the copy there is removed with the object.
    explicit PlantedProcess(const std::string& fileName, Image image = Image::NoVersion,
                            const std::string& folder = "");
    ~PlantedProcess();
    PlantedProcess(const PlantedProcess&) = delete;
    PlantedProcess& operator=(const PlantedProcess&) = delete;

    uint32_t Id() const { return process_.dwProcessId; }
    const std::string& Path() const { return path_; }
    const std::string& Folder() const { return folderPath_; }
    // True when it has ended within the time.
    bool Ended(unsigned long waitMs = 5000) const;
    bool Running() const { return !Ended(0); }
    unsigned long ExitCode() const;

  private:
    TempFolder folder_;
    std::string folderPath_;
    std::string path_;
    PROCESS_INFORMATION process_ = {};
};
