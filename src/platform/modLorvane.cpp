#include "modLorvane.h"

#include "VersionInfo.h"

namespace modLorvane {

void LoadAppIdentity() {
    const std::string exe = OwnExecutablePath();
    ProgramName = ReadVersionString(exe, "ProductName");
    CompanyName = ReadVersionString(exe, "CompanyName");
    WebsiteHost = ReadVersionString(exe, "Comments");
    ProductNumber = 0;
    UseSkin = false;
    BannerUrl = "http://";
}

} // namespace modLorvane
