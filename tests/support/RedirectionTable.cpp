#include "RedirectionTable.h"

#include "AnsiText.h"

#include <windows.h>
#include <shlobj.h>

#include <utility>

namespace {

const bool k64BitProcess = sizeof(void*) == 8;

std::string Folder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE) ? WideToUtf8(path) : "";
}

// The folders the rows are written with, as this system names them.
std::vector<std::pair<std::string, std::string>> FolderNames() {
    wchar_t windows[MAX_PATH] = {}, system[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    GetSystemDirectoryW(system, MAX_PATH);
    // A 32-bit program is given the x86 program-files folders as its own.
    return {
        {"{windows}", WideToUtf8(windows)},
        {"{system}", WideToUtf8(system)},
        {"{x86}", Folder(CSIDL_SYSTEMX86)},
        {"{progfiles}", Folder(k64BitProcess ? CSIDL_PROGRAM_FILESX86 : CSIDL_PROGRAM_FILES)},
        {"{common}",
         Folder(k64BitProcess ? CSIDL_PROGRAM_FILES_COMMONX86 : CSIDL_PROGRAM_FILES_COMMON)},
    };
}

std::string Filled(std::string text) {
    for (const auto& [token, folder] : FolderNames())
        for (size_t at = text.find(token); at != std::string::npos; at = text.find(token, at))
            text.replace(at, token.size(), folder);
    return text;
}

struct WrittenRow {
    const char* file; // "" for "regedit.exe", which the redirection names itself
    std::vector<std::pair<const char*, const char*>> spellings; // folder, its 32-bit name
    const char* place;                                          // the folder of the place
};

// The system's documented rules: %windir%\System32 leads a 32-bit program to %windir%\SysWOW64,
// but for catroot, catroot2, drivers\etc, logfiles, spool and (from Windows 7 on) driverstore;
// %windir%\lastgood\System32 to %windir%\lastgood\SysWOW64; %windir%\regedit.exe to
// %windir%\SysWOW64\regedit.exe; %windir%\Sysnative to the system's own System32.
// clang-format off
const WrittenRow kRows[] = {
    {"system", {{"[system]", "{system}"}, {"[system]\\", "{system}"},
                {"[windir]System32", "{windows}\\System32"},
                {"[WINDIR]\\SYSTEM32", "{windows}\\SYSTEM32"},
                {"{windows}\\System32\\", "{windows}\\System32"},
                {"[windir]SysWOW64", "{windows}\\SysWOW64"}}, "{x86}"},
    {"native", {{"[windir]Sysnative", "{windows}\\Sysnative"},
                {"[windir]\\Sysnative\\", "{windows}\\Sysnative"},
                {"{windows}\\sysnative", "{windows}\\sysnative"}}, "{system}"},
    {"bracket", {{"[windir]Sysnative\\name[1]", "{windows}\\Sysnative\\name[1]"},
                 {"{windows}\\Sysnative\\\\name[1]", "{windows}\\Sysnative\\name[1]"}},
     "{system}\\name[1]"},
    {"catroot", {{"[system]catroot", "{system}\\catroot"},
                 {"[windir]\\System32\\CatRoot", "{windows}\\System32\\CatRoot"},
                 {"[windir]Sysnative\\catroot", "{windows}\\Sysnative\\catroot"}},
     "{system}\\catroot"},
    {"catroot2", {{"[system]catroot2", "{system}\\catroot2"},
                  {"[windir]system32\\\\catroot2", "{windows}\\system32\\catroot2"}},
     "{system}\\catroot2"},
    {"catroot3", {{"[system]catroot3", "{system}\\catroot3"},
                  {"[windir]\\system32\\catroot3", "{windows}\\system32\\catroot3"}},
     "{x86}\\catroot3"},
    {"etc", {{"[system]drivers\\etc", "{system}\\drivers\\etc"},
             {"[system]\\Drivers\\ETC\\", "{system}\\Drivers\\ETC"},
             {"[windir]Sysnative\\drivers\\etc", "{windows}\\Sysnative\\drivers\\etc"}},
     "{system}\\drivers\\etc"},
    {"drivers", {{"[system]drivers", "{system}\\drivers"},
                 {"[windir]\\system32\\drivers", "{windows}\\system32\\drivers"}},
     "{x86}\\drivers"},
    {"logfiles", {{"[system]LogFiles", "{system}\\LogFiles"},
                  {"{windows}\\System32\\logfiles", "{windows}\\System32\\logfiles"}},
     "{system}\\LogFiles"},
    {"spool", {{"[system]spool\\drivers", "{system}\\spool\\drivers"},
               {"[system]\\spool\\\\drivers", "{system}\\spool\\drivers"},
               {"[windir]Sysnative\\spool\\drivers", "{windows}\\Sysnative\\spool\\drivers"}},
     "{system}\\spool\\drivers"},
    {"driverstore", {{"[system]DriverStore", "{system}\\DriverStore"},
                     {"[windir]\\system32\\driverstore", "{windows}\\system32\\driverstore"}},
     "{system}\\DriverStore"},
    {"", {{"[windir]", "{windows}"}, {"[windir]\\", "{windows}"}, {"{windows}", "{windows}"},
          {"[windir]SysWOW64", "{windows}\\SysWOW64"}}, "{x86}"},
    {"lastgood", {{"[windir]lastgood\\system32", "{windows}\\lastgood\\system32"},
                  {"[windir]\\LastGood\\System32\\", "{windows}\\LastGood\\System32"},
                  {"[windir]lastgood\\SysWOW64", "{windows}\\lastgood\\SysWOW64"}},
     "{windows}\\lastgood\\SysWOW64"},
    {"windows", {{"[windir]", "{windows}"}, {"[windir]\\", "{windows}"},
                 {"{windows}", "{windows}"}}, "{windows}"},
    {"progfiles", {{"[progfil]Tidewater Row", "{progfiles}\\Tidewater Row"},
                   {"[progfil]\\Tidewater Row\\", "{progfiles}\\Tidewater Row"}},
     "{progfiles}\\Tidewater Row"},
    {"common", {{"[comprogfil]Tidewater Row", "{common}\\Tidewater Row"},
                {"[comprogfil]\\Tidewater Row", "{common}\\Tidewater Row"}},
     "{common}\\Tidewater Row"},
};
// clang-format on

std::string WithoutTrailingBackslash(std::string path) {
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

} // namespace

const std::vector<RedirectionRow>& RedirectionRows() {
    static const std::vector<RedirectionRow> rows = [] {
        std::vector<RedirectionRow> filled;
        const std::string unique = "tw" + std::to_string(GetCurrentProcessId()) + "-";
        for (const WrittenRow& written : kRows) {
            RedirectionRow row;
            row.fileName =
                *written.file ? unique + written.file + ".dll" : std::string("regedit.exe");
            for (const auto& [folder, name] : written.spellings)
                row.spellings.push_back({Filled(folder), Filled(name)});
            row.place = WithoutTrailingBackslash(Filled(written.place)) + "\\" + row.fileName;
            filled.push_back(std::move(row));
        }
        return filled;
    }();
    return rows;
}

std::string SpelledPath(const RedirectionRow& row, const RedirectionSpelling& spelling) {
    const bool separated = !spelling.folder.empty() && spelling.folder.back() == '\\';
    return spelling.folder + (separated ? "" : "\\") + row.fileName;
}

std::string ReachedPath(const RedirectionRow& row, const RedirectionSpelling& spelling) {
    return k64BitProcess ? row.place : spelling.name + "\\" + row.fileName;
}
