#include <cstdio>
#include "Exclusions.h"
#include "LinearMatcher.h"
#include "MScanFolder.h"
#include "ScanFixture.h"
#include "VersionInfo.h"
#include "modGenDec.h"

TEST_F(ScanFixture, IndexedProbe) {
    const char* pairs[][2] = {
        {"c:\\\xC3\xA4rger.exe", "C:\\\xC3\x84RGER.EXE"},
        {"\xE2\x84\xAA.exe", "k.exe"},
        {"\xE2\x84\xAA.exe", "K.exe"},
        {"\xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82", "\xCE\x9B\xCE\x8C\xCE\x93\xCE\x9F\xCE\xA3"},
        {"stra\xC3\x9F"
         "e",
         "STRASSE"},
        {"\xCF\x82", "\xCF\x83"},
        {"\xCF\x82", "\xCE\xA3"},
        {"\xCF\x83", "\xCE\xA3"},
        {"\xC7\x85", "\xC7\x86"},
        {"\xC7\x85", "\xC7\x84"},
        {"\xC4\xB0", "i"},
        {"\xC4\xB1", "I"},
        {"\xC5\xBF", "s"}};
    for (auto& p : pairs) {
        for (int dir = 0; dir < 2; ++dir) {
            modGlobals::ExclusionList = std::string(p[dir]) + "|";
            printf("%s vs entry %s: real %d linear %d | contains real %d linear %d\n", p[1 - dir],
                   p[dir], modGlobals::IsExcluded(p[1 - dir]),
                   LinearMatcher::IsExcluded(p[1 - dir]),
                   modGlobals::IsExcludedOrContains(p[1 - dir]),
                   LinearMatcher::IsExcludedOrContains(p[1 - dir]));
            modGlobals::ExclusionList.clear();
            modGlobals::IsExcluded("x");
        }
    }
    printf("sys %s own %s\n", modGenDec::GetSystemDir().c_str(), OwnExecutablePath().c_str());
}
