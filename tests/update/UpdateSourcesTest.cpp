// Where Live Update looks and how it reads the sources' date replies: the cleaning of a date
// reply, the addresses made from the website, the listing's base address, the query of the
// product's names, and the settings that override the built-in source and service.
#include "UpdateSources.h"
#include "../app/MainWindowFixture.h"
#include "identity.h"
#include "modLorvane.h"

#include <gtest/gtest.h>

using namespace UpdateSources;

namespace {

struct Cleaning {
    const char* reply;
    bool cutAtMeridiem;
    const char* cleaned;
};

TEST(UpdateSources, DateRepliesAreCleanedAndCutAfterTheirFirstMeridiem) {
    const Cleaning table[] = {
        {"12/1/2026 3:04:05 PM", true, "12/1/2026 3:04:05 PM"},
        {"  12/1/2026 3:04:05 PM  ", true, "12/1/2026 3:04:05 PM"},
        {"\t12/1/2026\r\n3:04:05 PM\r\n", true, "12/1/20263:04:05 PM"},
        {" \r\n12/1/2026 3:04:05 PM<br>next line\r\n", true, "12/1/2026 3:04:05 PM"},
        {"1/2/2020 1:00:00 pm</html>", true, "1/2/2020 1:00:00 pm"},
        {"1/2/2020 9:00:00 AM\r\nsecond line", true, "1/2/2020 9:00:00 AM"},
        {"1/2/2020 9:00:00 am", true, "1/2/2020 9:00:00 am"},
        // "PM" is looked for first, wherever it stands.
        {"1/2/2020 9:00:00 AM, not PM", true, "1/2/2020 9:00:00 AM, not PM"},
        {"2020-01-02 13:00", true, "2020-01-02 13:00"},
        // Only blanks at the very ends go; those inside TABs stay.
        {" \t 1/2/2020 \t ", true, " 1/2/2020 "},
        {"", true, ""},
        {"   ", true, ""},
        // The website's date is not cut.
        {"1/2/2020 1:00:00 PM<br>", false, "1/2/2020 1:00:00 PM<br>"},
        {" 1/2/2020\r\n ", false, "1/2/2020"},
    };
    for (const Cleaning& row : table)
        EXPECT_EQ(CleanDateReply(row.reply, row.cutAtMeridiem), row.cleaned)
            << "reply \"" << row.reply << "\"";
}

TEST(UpdateSources, TheWebsiteBecomesOneWellFormedAddress) {
    const std::pair<const char*, const char*> table[] = {
        {"www.tidewater-software.example", "http://www.tidewater-software.example"},
        {"WWW.Example.org/", "http://WWW.Example.org"},
        {"example.org", "http://www.example.org"},
        {"  example.org  ", "http://www.example.org"},
        {"http://127.0.0.1:8080", "http://127.0.0.1:8080"},
        {"http://mirror.example.org/defs/", "http://mirror.example.org/defs"},
        {"HTTP://Example.org", "HTTP://Example.org"},
    };
    for (const auto& [website, address] : table)
        EXPECT_EQ(WebsiteAddress(website), address) << website;
}

TEST(UpdateSources, ProductQueryEncodesEveryByteOutsideTheUnreservedSet) {
    EXPECT_EQ(ProductQuery("Tidewater AntiSpyware", "A&B #1%+"),
              "prog=Tidewater%20AntiSpyware&comp=A%26B%20%231%25%2B");
    EXPECT_EQ(ProductQuery("Caf\xC3\xA9", "x_y.z-~"), "prog=Caf%C3%A9&comp=x_y.z-~");
}

class UpdateSettings : public MainWindowFixture {};

TEST_F(UpdateSettings, StoredChoicesOverrideTheBuiltInSourceAndService) {
    EXPECT_EQ(DefinitionsService(), IDENTITY_DEFINITIONS_SERVICE);
    const Source builtIn =
        std::string(IDENTITY_UPDATE_SOURCE) == "website" ? Source::Website : Source::Service;
    EXPECT_EQ(ConfiguredSource(), builtIn);

    const std::pair<const char*, Source> sources[] = {
        {"website", Source::Website}, {"WebSite", Source::Website},  {"service", Source::Service},
        {"SERVICE", Source::Service}, {"anything", Source::Service}, {"", builtIn}};
    for (const auto& [stored, source] : sources) {
        Store(kSettingsSection, kSourceKey, stored);
        EXPECT_EQ(ConfiguredSource(), source) << stored;
    }

    Store(kSettingsSection, kServiceKey, " http://127.0.0.1:9/ ");
    EXPECT_EQ(DefinitionsService(), "http://127.0.0.1:9");
    Store(kSettingsSection, kServiceKey, "");
    EXPECT_EQ(DefinitionsService(), IDENTITY_DEFINITIONS_SERVICE);
}

TEST_F(UpdateSettings, TheListingShowsTheWebsitesBareHostOrTheServiceWithoutOne) {
    Store(kSettingsSection, kServiceKey, "http://defs.example.net");
    const std::pair<const char*, const char*> table[] = {
        {"www.tidewater-software.example", "http://www.tidewater-software.example"},
        {"HTTP://Example.com/path/x.html", "http://www.Example.com"},
        {"http://www.site.org/", "http://www.site.org"},
        {"https://site.org/defs", "http://www.site.org"},
        {"example.com", "http://www.example.com"},
        {"", "http://defs.example.net"},
    };
    for (const auto& [website, base] : table)
        EXPECT_EQ(DefinitionServerUrl(website), base) << website;
}

} // namespace
