#include "clsLanguages.h"
#include "modLanguages.h"
#include "modLorvane.h"

#include <gtest/gtest.h>

#include <iterator>

namespace {

// The identity as the catalog's macros see it, restored afterwards for the other tests.
class Catalog : public testing::Test {
  protected:
    void SetUp() override {
        modLorvane::ProgramName = "sweeper Pro";
        modLorvane::CompanyName = "Maker Inc";
        modLorvane::WebsiteHost = "www.maker.example";
        Lang = clsLanguages();
        modLanguages::LoadDefaultMessages();
    }
    void TearDown() override {
        modLorvane::ProgramName = program_;
        modLorvane::CompanyName = company_;
        modLorvane::WebsiteHost = website_;
        Lang = clsLanguages();
    }

  private:
    std::string program_ = modLorvane::ProgramName;
    std::string company_ = modLorvane::CompanyName;
    std::string website_ = modLorvane::WebsiteHost;
};

TEST_F(Catalog, DefaultsFillTheFirstSeventyFourSlotsInOrder) {
    const char* const ids[] = {
        "MSG_THANK1",
        "MSG_THANK2",
        "MSG_THANK3",
        "MSG_THANK4",
        "MSG_MISSING",
        "MSG_PAUSED",
        "MSG_SURE",
        "MSG_EXCLUDE1",
        "MSG_EXCLUDE2",
        "MSG_INTERNET",
        "MSG_ANON1",
        "MSG_ANON2",
        "MSG_ANON3",
        "MSG_ANON4",
        "MSG_SORRY",
        "MSG_SORRY2",
        "MSG_EXC_SURE1",
        "MSG_EXC_SURE2",
        "MSG_EXC_SURE3",
        "MSG_EXC_SURE4",
        "MSG_DATE",
        "MSG_STOP",
        "MSG_SELECTED",
        "MSG_CONFIRM1",
        "MSG_CONFIRM2",
        "MSG_CONFIRM3",
        "MSG_CONFIRM4",
        "MSG_ERROR_STOPPED",
        "MSG_FOUND1",
        "MSG_FOUND2",
        "MSG_FOUND3",
        "MSG_CLOSING",
        "MSG_REALLY",
        "MSG_REMOVING",
        "MSG_REMOVING2",
        "MSG_COMPLETED",
        "MSG_MISSINGFILES",
        "MSG_NOCOMPANY",
        "MSG_DOWNLOADING",
        "MSG_CONNECTING",
        "MSG_CHECKING",
        "MSG_CONNECTING2",
        "MSG_SENDING",
        "MSG_SENT",
        "MSG_RECEIVING",
        "MSG_SCAN_CANCELLED",
        "MSG_SCAN_COMPLETED",
        "MSG_RESULTS",
        "MSG_RESULTS_THANK",
        "MSG_PROBLEM",
        "MSG_PROBLEM2",
        "MSG_UPDATED_DEFS",
        "MSG_RECENT_DEFS",
        "MSG_WEBSITE",
        "MSG_CAPTION",
        "MSG_CAPTION2",
        "MSG_COOKIES",
        "MSG_COOKIES_FINISHED",
        "MSG_MEMORY",
        "MSG_NOTSELECED",
        "MSG_REGISTRY",
        "MSG_SPYWARE",
        "MSG_INFORMATION",
        "MSG_RESTOREPOINT",
        "MSG_COMPLETE",
        "MSG_FALSE_POS",
        "MSG_FALSE_POS2",
        "MSG_FALSE_POS3",
        "MSG_FALSE_POS4",
        "MSG_FALSE_POS5",
        "MSG_TITLELANGUAGE",
        "MSG_DOWNLOADED",
        "MSG_LANGUAGE_TOO_LARGE",
        "MSG_DEFS_NOT_SAVED",
    };
    static_assert(std::size(ids) == 74);
    const clsLanguages::MessageTable& table = Lang.Messages();
    for (size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].used, i < 74) << "slot " << i;
        if (i < 74) {
            EXPECT_EQ(table[i].id, ids[i]) << "slot " << i;
        }
    }
    // Stored as shipped: macros unreplaced, odd spellings and double blanks kept.
    EXPECT_EQ(table[54].text, "[ProgramName] by [CompanyName]");
    EXPECT_EQ(Lang.getMessages("MSG_COOKIES_FINISHED"), "Finished Inpecting Cookies");
    EXPECT_EQ(Lang.getMessages("MSG_SELECTED"),
              "No entries are selected.  You must check the box next to at least one item in the "
              "list.");
    EXPECT_EQ(Lang.getMessages("MSG_FALSE_POS"),
              "This will submit the following files to our research team for investigation.  You "
              "will be prompted to supply details about the susptected false positives.  Are you "
              "sure you want to continue?");
    EXPECT_EQ(Lang.getMessages("MSG_CONFIRM4"),
              "Start > Programs > Accessories > System Tools > System Restore");
}

TEST_F(Catalog, LookupIgnoresCaseAndUnknownIdsGiveNothing) {
    EXPECT_EQ(Lang.getMessages("msg_stop"), "Are you sure you want to stop the scan?");
    EXPECT_EQ(Lang.getMessages("Msg_Scan_Completed"), "Scanning complete.");
    EXPECT_EQ(Lang.getMessages("msg_titlelanguage"), "Language Selection");
    EXPECT_EQ(Lang.getMessages("MSG_UNKNOWN"), "");
    EXPECT_EQ(Lang.getMessages("MSG_STOP "), "");
    EXPECT_EQ(Lang.getMessages(""), "");
}

TEST_F(Catalog, MacrosAreReplacedAndTheFirstLetterUpperCased) {
    EXPECT_EQ(Lang.getMessages("MSG_PAUSED"), "Sweeper Pro has been paused.  Click OK to resume.");
    EXPECT_EQ(Lang.getMessages("MSG_CAPTION"), "Sweeper Pro by Maker Inc");
    EXPECT_EQ(Lang.getMessages("MSG_WEBSITE"), "Visit www.maker.example");
    EXPECT_EQ(Lang.getMessages("MSG_COMPLETE"), "Complete");
    EXPECT_EQ(Lang.getMessages("MSG_RESULTS_THANK"), "Submitted.  Thank you!");
    EXPECT_EQ(Lang.getMessages("MSG_FOUND2"), "] using you system memory. Click YES to stop [");
    EXPECT_EQ(Lang.getMessages("MSG_FOUND1"), "Sweeper Pro has found [");

    clsLanguages catalog;
    catalog.setMessage("MSG_T", "über [programname], [COMPANYNAME] at [website]: [ProgramName]");
    EXPECT_EQ(catalog.getMessages("MSG_T"),
              "Über sweeper Pro, Maker Inc at www.maker.example: sweeper Pro");
}

TEST_F(Catalog, TableHoldsTwoHundredOneEntriesAndTheFirstOfAnIdWins) {
    // The defaults leave 127 slots free.
    for (int i = 0; i < 128; ++i)
        Lang.setMessage("MSG_EXTRA" + std::to_string(i), "extra " + std::to_string(i));
    EXPECT_EQ(Lang.getMessages("MSG_EXTRA126"), "Extra 126");
    EXPECT_EQ(Lang.getMessages("MSG_EXTRA127"), "");

    clsLanguages catalog;
    catalog.setMessage("MSG_TWICE", "first");
    catalog.setMessage("msg_twice", "second");
    EXPECT_EQ(catalog.getMessages("MSG_TWICE"), "First");
    EXPECT_TRUE(catalog.Messages()[1].used);
}

TEST_F(Catalog, CaptionsComeFromTheLoadedItemLines) {
    clsLanguages catalog;
    EXPECT_EQ(catalog.getCaption("FRMMAIN_CMDSTOP"), "");

    catalog.SetTranslationLines({
        "",
        "\t\t<frmmain_cmdstop>stop [ProgramName]</FRMMAIN_CMDSTOP>",
        "\t\t<FRMMAIN_CMDSTOP>Second</FRMMAIN_CMDSTOP>",
        "<K>short key, not indented</K>",
        "\t\t<Q>indented</Q>",
        "\t\t<FRMMAIN_LBLOPEN>never closed",
        "\t\t<FRMMAIN_EMPTY></FRMMAIN_EMPTY>",
    });
    EXPECT_EQ(catalog.getCaption("FrmMain_cmdStop"), "Stop sweeper Pro");
    EXPECT_EQ(catalog.getCaption("K"), "");
    EXPECT_EQ(catalog.getCaption("q"), "Indented");
    EXPECT_EQ(catalog.getCaption("FRMMAIN_LBLOPEN"), "");
    EXPECT_EQ(catalog.getCaption("FRMMAIN_EMPTY"), "");
    EXPECT_EQ(catalog.getCaption("FRMMAIN_MISSING"), "");

    // Another language's lines replace every key of the first.
    catalog.SetTranslationLines({"\t\t<Q>other</Q>"});
    EXPECT_EQ(catalog.getCaption("FRMMAIN_CMDSTOP"), "");
    EXPECT_EQ(catalog.getCaption("Q"), "Other");
    EXPECT_EQ(catalog.TranslationLines()->size(), 1u);
}

} // namespace
