#include "PlantedProcess.h"

#include "AnsiText.h"
#include "ProcessControl.h"
#include "VersionInfo.h"
#include "xfileExists.h"

#include <gtest/gtest.h>

std::string UniqueProcessName(const std::string& stem) {
    return "tw" + std::to_string(GetCurrentProcessId()) + stem;
}

PlantedProcess::PlantedProcess(const std::string& fileName, Image image, const std::string& folder)
    : folderPath_(folder.empty() ? folder_.Path() : folder), path_(folderPath_ + "\\" + fileName) {
    // The build puts the dummy programs beside the test programs.
    const std::string own = OwnExecutablePath();
    const std::string source =
        own.substr(0, own.size() - xfileExists::FileNamePart(own).size()) +
        (image == Image::NoVersion ? "dummy_process.exe" : "microsoft_company.exe");
    EXPECT_TRUE(CopyFileW(Utf8ToWide(source).c_str(), Utf8ToWide(path_).c_str(), FALSE)) << source;
    std::wstring commandLine = L"\"" + Utf8ToWide(path_) + L"\" --seconds 60";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    EXPECT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process_))
        << path_;
    // Listed by name only once its image is mapped; until its modules can be read, it is
    // "unknown".
    for (int wait = 0; wait < 100; ++wait) {
        const std::string name = ProcessControl::ProcessNameFromId(Id());
        if (!name.empty() && name != "unknown")
            break;
        Sleep(50);
    }
}

PlantedProcess::~PlantedProcess() {
    if (process_.hProcess) {
        if (Running())
            TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 10000);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    if (folderPath_ != folder_.Path())
        DeleteFileW(Utf8ToWide(path_).c_str());
}

bool PlantedProcess::Ended(unsigned long waitMs) const {
    return WaitForSingleObject(process_.hProcess, waitMs) == WAIT_OBJECT_0;
}

unsigned long PlantedProcess::ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}
