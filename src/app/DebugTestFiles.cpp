#include <windows.h>

#include "DebugTestFiles.h"

#include "AnsiText.h"
#include "AppPath.h"
#include "DrivePath.h"
#include "MessageBox.h"
#include "TextRules.h"
#include "xfileExists.h"

namespace DebugTestFiles {

namespace {

// Known adware and spyware on the system drive, as the definitions name them.
const char* const kTestPaths[] = {
    "C:\\WINDOWS\\System32\\atmtd.dll",
    "c:\\WINDOWS\\System32\\adsldpbc.dll",
    "c:\\WINDOWS\\System32\\bxproxy.exe",
    "c:\\WINDOWS\\System32\\ctfmonx.exe",
    "c:\\WINDOWS\\System32\\dlmax.dll",
    "c:\\WINDOWS\\System32\\ezsidmv.dll",
    "c:\\WINDOWS\\System32\\hpmtbx.ocx",
    "c:\\WINDOWS\\System32\\iesrch32.dll",
    "c:\\WINDOWS\\System32\\ipod.raw.exe",
    "c:\\WINDOWS\\System32\\kbdwtch.sys",
    "c:\\WINDOWS\\System32\\lnkcheck.dll_",
    "c:\\WINDOWS\\System32\\mcbarnav.dll",
    "c:\\WINDOWS\\System32\\msvcpdll.exe",
    "c:\\WINDOWS\\System32\\nvpopups.exe",
    "c:\\WINDOWS\\System32\\oleadm32.dll",
    "c:\\WINDOWS\\System32\\pmmon.exe",
    "c:\\WINDOWS\\System32\\qqdown.sys",
    "c:\\WINDOWS\\System32\\rundllx.exe",
    "c:\\WINDOWS\\System32\\sachostx.exe",
    "c:\\WINDOWS\\System32\\srchbar32.ocx",
    "c:\\WINDOWS\\System32\\twaintec.dll",
    "c:\\WINDOWS\\System32\\wbeconm.dll",
    "c:\\WINDOWS\\System32\\winsrvx.sys",
    "c:\\WINDOWS\\System32\\zxdnt3.dll",
    "c:\\WINDOWS\\optimize.exe",
    "c:\\WINDOWS\\bargain.exe",
    "c:\\WINDOWS\\adtomi.exe",
    "c:\\WINDOWS\\cpush.dll",
    "c:\\WINDOWS\\hotbar.ocx",
    "c:\\WINDOWS\\istsvc.exe",
    "c:\\WINDOWS\\mxtarget.sys",
    "c:\\WINDOWS\\popdis.exe",
    "c:\\WINDOWS\\winupd32.exe",
    "C:\\defender25.exe",
    "C:\\spyaxe.exe",
    "C:\\ezulasetup.exe",
    "c:\\Program Files\\Internet Optimizer",
    "c:\\Program Files\\Internet Optimizer\\optimize.exe",
    "c:\\Program Files\\Internet Optimizer\\optproxy.dll",
    "c:\\Program Files\\Internet Optimizer\\ioupdate.exe",
    "c:\\Program Files\\BargainBuddy",
    "c:\\Program Files\\BargainBuddy\\bargains.exe",
    "c:\\Program Files\\BargainBuddy\\bbhelper.dll",
    "c:\\Program Files\\BargainBuddy\\bbtray.ocx",
    "c:\\Program Files\\SearchAssistant",
    "c:\\Program Files\\SearchAssistant\\sasearch.exe",
    "c:\\Program Files\\SearchAssistant\\sahook.dll",
    "c:\\Program Files\\SearchAssistant\\saupdate.exe",
    "c:\\Program Files\\PopupMaster",
    "c:\\Program Files\\PopupMaster\\popmast.exe",
    "c:\\Program Files\\PopupMaster\\pmshell.dll",
    "c:\\Program Files\\PopupMaster\\pmdrv.sys",
    "c:\\Program Files\\WebRebates",
    "c:\\Program Files\\WebRebates\\webrebates0.exe",
    "c:\\Program Files\\WebRebates\\wrhelper.dll",
    "c:\\Program Files\\WebRebates\\wrtoolbar.ocx",
    "c:\\Program Files\\CoolSearchBar",
    "c:\\Program Files\\CoolSearchBar\\csbar.dll",
    "c:\\Program Files\\CoolSearchBar\\csupdate.exe",
    "c:\\Program Files\\CoolSearchBar\\csnav.ocx",
    "c:\\Program Files\\DealHelper",
    "c:\\Program Files\\DealHelper\\dealhlpr.exe",
    "c:\\Program Files\\DealHelper\\dhbho.dll",
    "c:\\Program Files\\DealHelper\\dhsvc.exe",
    "C:\\Documents and Settings\\All Users\\Application Data\\SpySheriff\\sheriff.exe",
    "C:\\Documents and Settings\\All Users\\Application Data\\SpySheriff\\ssupdate.dll",
    "c:\\WINDOWS\\System32\\actalert32.exe",
    "c:\\WINDOWS\\System32\\bridgedll.dll",
    "c:\\WINDOWS\\System32\\cashback.exe",
    "c:\\WINDOWS\\System32\\dlhost32.dll",
    "c:\\WINDOWS\\System32\\elitebar.dll",
    "c:\\WINDOWS\\System32\\falconx.sys",
    "c:\\WINDOWS\\System32\\gmtray.exe",
    "c:\\WINDOWS\\System32\\hxiul.dll",
    "c:\\WINDOWS\\System32\\ieplgn.ocx",
    "c:\\WINDOWS\\System32\\kazupd.exe",
    "c:\\WINDOWS\\System32\\lzmsvc.dll",
    "c:\\WINDOWS\\System32\\mtwirl32.dll",
    "c:\\WINDOWS\\System32\\nsdrv16.sys",
    "c:\\WINDOWS\\System32\\outerinfo.exe",
    "c:\\WINDOWS\\System32\\pbsysie.dll",
    "c:\\WINDOWS\\System32\\qdialer.exe",
    "c:\\WINDOWS\\System32\\rblsrch.ocx",
    "c:\\WINDOWS\\System32\\searchx.exe",
    "c:\\WINDOWS\\System32\\tbsrchy.dll",
    "c:\\WINDOWS\\System32\\uadpop.exe",
    "c:\\WINDOWS\\System32\\vxgame3.dll",
    "c:\\WINDOWS\\System32\\winad32.sys",
    "c:\\WINDOWS\\System32\\xpupd86.exe",
    "c:\\WINDOWS\\System32\\zlbw.dll",
    "c:\\WINDOWS\\System32\\senssrv.dll",
};
static_assert(std::size(kTestPaths) == 91);

// Appends the bytes in one write, creating the file when it is missing; false on failure.
bool AppendToFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool done =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    CloseHandle(file);
    return done;
}

// The listed paths up to the first empty slot.
std::vector<std::string> ListedPaths() {
    std::vector<std::string> paths;
    for (const std::string& path : TestFileList) {
        if (path.empty())
            break;
        paths.push_back(path);
    }
    return paths;
}

// ".dll" wins over ".exe" wherever in the path they stand.
std::string TypeOf(const std::string& path) {
    using TextRules::Compare;
    if (TextRules::Contains(path, ".dll", Compare::Text))
        return "DLL";
    return TextRules::Contains(path, ".exe", Compare::Text) ? "EXE" : "FILE";
}

} // namespace

void LoadTestFileList() {
    TestFileList.assign(kTestFileSlots, std::string());
    for (size_t i = 0; i < std::size(kTestPaths); ++i)
        TestFileList[i] = kTestPaths[i];
}

void GenerateTestFiles() {
    for (const std::string& path : ListedPaths()) {
        // A path without a drive letter may lead out of the machine's own drives.
        if (!DrivePath::HasDriveLetter(path) || xfileExists::FileExists(path))
            continue;
        CreateFolderPath(path);
        AppendToFile(path, "TEST FILE\r\n"); // fails on a folder entry, as it should
    }
}

void ShowRemainingTestFiles() {
    std::string report, lines;
    for (const std::string& path : ListedPaths()) {
        if (!xfileExists::FileExists(path))
            continue;
        report += path + "\r\n";
        lines += "NAME|" + path + "|" + TypeOf(path) + "|NAME|TYPE\r\n";
    }
    ui::MsgBox("The following files were still on the hard drive:\r\n\r\n" + report, MB_OK);
    AppendToFile(AppPath::Path() + "\\lstdefs.txt", Utf8ToAnsi(lines + "\r\n"));
}

void CreateFolderPath(const std::string& path) {
    const std::vector<std::string> parts = TextRules::Split(path, "\\");
    if (parts.empty())
        return;
    std::string folder = parts[0];
    for (size_t i = 1; i < parts.size(); ++i) {
        if (parts[i].find('.') != std::string::npos)
            continue;
        folder += "\\" + parts[i];
        MakeFolder(folder);
    }
}

void MakeFolder(const std::string& path) {
    if (DrivePath::HasDriveLetter(path))
        CreateDirectoryW(Utf8ToWide(path).c_str(), nullptr);
}

} // namespace DebugTestFiles
