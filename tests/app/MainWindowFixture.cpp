#include "MainWindowFixture.h"

#include "AnsiText.h"
#include "MachineSettingsStore.h"
#include "ScanMessages.h"
#include "SettingsStore.h"
#include "TwinMachineKey.h"
#include "clsLanguages.h"
#include "modGlobals.h"
#include "modLorvane.h"

#include <windows.h>

namespace {

// Everything the program writes under the test's names: its settings, the sibling handshake
// and the machine-wide store.
void DeleteTestSettings() {
    const std::wstring settings = L"Software\\VB and VBA Program Settings\\";
    const std::wstring company = Utf8ToWide(kTestCompany);
    RegDeleteTreeW(HKEY_CURRENT_USER, (settings + Utf8ToWide(kTestProduct)).c_str());
    for (const wchar_t* app : {L"Pellimar2", L"Quintrel2"})
        RegDeleteTreeW(HKEY_CURRENT_USER, (settings + app + L"\\" + company).c_str());
    DeleteKeyInBothViews(HKEY_LOCAL_MACHINE, L"SOFTWARE\\" + company);
}

} // namespace

MainWindowFixture::MainWindowFixture()
    : previousProduct_(modLorvane::ProgramName), previousCompany_(modLorvane::CompanyName) {
    modLorvane::ProgramName = kTestProduct;
    modLorvane::CompanyName = kTestCompany;
    DeleteTestSettings();
    SetScanMessageLookup([](const std::string& id) { return id; });
    form = std::make_unique<FrmMain>();
}

MainWindowFixture::~MainWindowFixture() {
    form.reset();
    SetScanMessageLookup(nullptr);
    SetMachineSettingPrompt(nullptr);
    Lang = clsLanguages();
    DeleteTestSettings();
    modGlobals::AutoRemoveAfterScan = false;
    modLorvane::ProgramName = previousProduct_;
    modLorvane::CompanyName = previousCompany_;
}

void MainWindowFixture::RecordSteps() {
    auto record = [this](const char* name) { return [this, name] { calls.push_back(name); }; };
    ScanSteps& steps = form->Steps;
    steps.LoadSafetyList = record("LoadSafetyList");
    steps.LoadDefinitions = record("LoadDefinitions");
    steps.CheckDefinitionFiles = [this] {
        calls.push_back("CheckDefinitionFiles");
        return true;
    };
    steps.ScanCookies = [this](int32_t&) { calls.push_back("ScanCookies"); };
    steps.ScanRunningProcesses = record("ScanRunningProcesses");
    steps.ScanRegistry = record("ScanRegistry");
    steps.ScanFileDefinitions = record("ScanFileDefinitions");
    steps.ScanDirectoryDefinitions = record("ScanDirectoryDefinitions");
    steps.ScanDrive = [this](const std::string& root) { calls.push_back("ScanDrive " + root); };
    steps.ScanFolderFiles = [this](const std::string& f) {
        calls.push_back("ScanFolderFiles " + f);
    };
    steps.ScanFolderExecutables = [this](const std::string& f) {
        calls.push_back("ScanFolderExecutables " + f);
    };
    steps.AssignThreatDescriptions = record("AssignThreatDescriptions");
    MainWindowLinks& links = form->Links;
    links.ClearDeleteFailedList = record("ClearDeleteFailedList");
    links.SelectAllResults = record("SelectAllResults");
    links.RunRemoval = record("RunRemoval");
    links.MakeReport = record("MakeReport");
    links.SendProcessData = record("SendProcessData");
}

void MainWindowFixture::AsOnALaterStart() {
    Store("Settings", "Language", "English");
    Store("Settings", "showHelp", "0");
    SaveMachineSetting(kTestProduct, "Settings", "FirstTime", "Yes");
    form->Links.PrevInstance = [] { return false; };
}

std::string MainWindowFixture::Stored(const std::string& section, const std::string& key) const {
    return GetProgramSetting(section, key, "<none>");
}

void MainWindowFixture::Store(const std::string& section, const std::string& key,
                              const std::string& value) {
    SaveProgramSetting(section, key, value);
}
