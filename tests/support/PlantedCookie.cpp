#include "PlantedCookie.h"

#include "AnsiText.h"
#include "MCookies.h"
#include "modGenDec.h"

#include <windows.h>

std::string CookieContent(const std::string& domainAndPath) {
    return "id\nabc123\n" + domainAndPath + "\n1024\n3567587328\n30824740\n1234\n30000000\n*\n";
}

PlantedCookie::PlantedCookie()
    : site_("tw" + std::to_string(GetCurrentProcessId()) + "trk"),
      fileName_("tester@" + site_ + "[1].txt") {
    const std::string folder = modGenDec::GetSpecialFolderPath(MCookies::kCookiesFolder);
    if (folder.empty())
        return;
    path_ = folder + fileName_;
    HANDLE file = CreateFileW(Utf8ToWide(path_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::string content = CookieContent("www." + site_ + ".com/");
    DWORD written = 0;
    written_ =
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
        written == content.size();
    CloseHandle(file);
}

PlantedCookie::~PlantedCookie() {
    if (!path_.empty())
        DeleteFileW(Utf8ToWide(path_).c_str());
}
