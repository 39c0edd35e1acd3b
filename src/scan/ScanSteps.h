// The steps a scan is made of, as the scan driver calls them. Each defaults to the real
// scanner; tests put recording fakes in their place.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct ScanSteps {
    ScanSteps();

    std::function<void()> LoadSafetyList;
    std::function<void()> LoadDefinitions;
    // True when every definition file is present.
    std::function<bool()> CheckDefinitionFiles;
    std::function<void(int32_t& cookieFileCount)> ScanCookies;
    std::function<void()> ScanRunningProcesses;
    std::function<void()> ScanRegistry;
    std::function<void()> ScanFileDefinitions;
    std::function<void()> ScanDirectoryDefinitions;
    std::function<void(const std::string& root)> ScanDrive;
    std::function<void(const std::string& folder)> ScanFolderFiles;
    std::function<void(const std::string& file)> ScanFolderExecutables;
    std::function<void()> AssignThreatDescriptions;
};
