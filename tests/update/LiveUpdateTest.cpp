// Whole updates through Update Now against the loopback server, one row per way the exchange
// can end: what the definition files, "date.dat", the notice and the timers are afterwards.
#include "LiveUpdateFixture.h"

#include "AnsiText.h"
#include "BusyState.h"
#include "DateText.h"
#include "DefinitionFile.h"
#include "DefinitionSetBuilder.h"
#include "SettingsStore.h"
#include "modLockdown.h"
#include "modLorvane.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

using Reply = LoopbackHttpServer::Reply;
constexpr auto kChunked = LoopbackHttpServer::Framing::Chunked;

using namespace update_exchange;

std::string StoredLine(const std::string& line) {
    return modLockdown::ScrambleString(Utf8ToAnsi(line)) + "\r\n";
}

// What the file definitions hold afterwards.
enum class Files { Kept, Appended, Replaced, Emptied };

class UpdateOutcome;

struct OutcomeRow {
    const char* name;
    void (*arrange)(UpdateOutcome&);
    const char* notice;
    Files files;
    const char* dateDat; // the line of "date.dat" afterwards
    std::vector<std::string> paths;
};

// Rows are named by their name alone.
void PrintTo(const OutcomeRow& row, std::ostream* os) {
    *os << row.name;
}

const std::vector<std::string> kNothing = {};
const std::vector<std::string> kDateOnly = {kDate};
const std::vector<std::string> kDateAndDefinitions = {kDate, kDefs};
const std::vector<std::string> kWholeExchange = {kDate, kDefs, kNewDate};
const std::vector<std::string> kWebsiteDate = {kSiteDate};
const std::vector<std::string> kWebsiteSet = {kSiteDate, kSiteSet};
const std::vector<std::string> kWebsiteExchange = {kSiteDate, kSiteSet, kNewDate};

class UpdateOutcome : public UpdateExchangeFixture, public testing::WithParamInterface<OutcomeRow> {
  public:
    void ServeOnWebsite(const char* path, const Reply& reply) {
        UseWebsite();
        Serve(path, reply);
    }
    static Reply CutShort(const std::string& body) {
        return {.Body = body, .SendOnly = body.size() / 2};
    }
    // Seven records sent in chunks of a few bytes; the connection closes right after the sixth
    // record and its separator, and the last chunk never comes.
    static Reply ChunkedCutAfterTheSixthRecord() {
        DefinitionSetBuilder records;
        for (int i = 1; i <= 7; ++i)
            records.Add("FILE", "n" + std::to_string(i) + ".exe=Threat " + std::to_string(i));
        const std::string body = records.Reply();
        size_t cut = 0;
        for (int separators = 0; separators < 6; ++separators)
            cut = body.find("[BR]", cut) + 4;
        return {.Body = body, .BodyFraming = kChunked, .SendOnly = cut, .ChunkBytes = 7};
    }
};

TEST_P(UpdateOutcome, LeavesFilesDateNoticeAndTimersAsTheExchangeEnded) {
    const OutcomeRow& row = GetParam();
    row.arrange(*this);
    const std::string shownDate = form->lblDefVersion.Caption;
    form->cmdUpdate.Click();

    switch (row.files) {
    case Files::Kept:
        EXPECT_EQ(DataFileContent(kFileDefinitionFile), oldFiles_);
        break;
    case Files::Appended:
        EXPECT_EQ(DataFileContent(kFileDefinitionFile), oldFiles_ + StoredLine(kNewLine));
        break;
    case Files::Replaced:
        EXPECT_EQ(DataFileContent(kFileDefinitionFile), StoredLine(kNewLine));
        break;
    case Files::Emptied:
        EXPECT_EQ(DataFileContent(kFileDefinitionFile), "");
        break;
    }
    // "date.dat" keeps the service's form, and the panel shows it.
    EXPECT_EQ(DataFileContent(kDateFile), std::string(row.dateDat) + "\r\n");
    EXPECT_EQ(form->lblDefVersion.Caption,
              row.files == Files::Kept ? shownDate : std::string(row.dateDat) + " PST");
    EXPECT_EQ(notice.lblUpdateInfo.Caption, Message(row.notice));
    EXPECT_TRUE(notice.Visible());
    EXPECT_EQ(RequestedPaths(), row.paths);

    // Everything the update switched off is back, and nothing stays busy.
    EXPECT_FALSE(BusyState::IsBusy());
    EXPECT_TRUE(form->cmdLiveUpdate.Enabled);
    EXPECT_TRUE(form->tmrMemoryInspected.Enabled);
    EXPECT_TRUE(form->tmrCheckHomePage.Enabled);
    EXPECT_FALSE(form->tmrScheduler.Enabled);
    EXPECT_FALSE(form->tmrTimeOut.Enabled);
    EXPECT_FALSE(download.Loaded());
    ASSERT_FALSE(trayCalls.empty());
    EXPECT_EQ(trayCalls.back().first, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(Stored("OptionAndSettings", "SHOW"), row.files == Files::Kept ? "<none>" : "True");
    EXPECT_EQ(Stored("OptionAndSettings", "RESTART"), row.files == Files::Kept ? "<none>" : "True");
}

const OutcomeRow kOutcomes[] = {
    {"ServiceUnreachable",
     [](UpdateOutcome& t) { t.UseService(LoopbackHttpServer::UnusedBaseUrl()); }, "MSG_INTERNET",
     Files::Kept, kStoredDate, kNothing},
    {"DateStatus500", [](UpdateOutcome& t) { t.Serve(kDate, t.Text(kServerDate, 500)); },
     "MSG_INTERNET", Files::Kept, kStoredDate, kDateOnly},
    {"DateCutShort", [](UpdateOutcome& t) { t.Serve(kDate, t.CutShort(kServerDate)); },
     "MSG_INTERNET", Files::Kept, kStoredDate, kDateOnly},
    {"DateOversized",
     [](UpdateOutcome& t) { t.Serve(kDate, t.Text(kServerDate + std::string(70000, ' '))); },
     "MSG_INTERNET", Files::Kept, kStoredDate, kDateOnly},
    {"DateIsNoDate",
     [](UpdateOutcome& t) { t.Serve(kDate, t.Text("<html>Down for maintenance</html>")); },
     "MSG_INTERNET", Files::Kept, kStoredDate, kDateOnly},
    {"DateNotLater", [](UpdateOutcome& t) { t.Serve(kDate, t.Text(kStoredDate)); },
     "MSG_RECENT_DEFS", Files::Kept, kStoredDate, kDateOnly},
    {"Later", [](UpdateOutcome&) {}, "MSG_UPDATED_DEFS", Files::Appended, kServedDate,
     kWholeExchange},
    {"DefinitionsStatus500", [](UpdateOutcome& t) { t.Serve(kDefs, t.Text(kRecord, 500)); },
     "MSG_INTERNET", Files::Kept, kStoredDate, kDateAndDefinitions},
    {"DefinitionsCutShort",
     [](UpdateOutcome& t) { t.Serve(kDefs, t.CutShort(kRecord + "[BR]" + kRecord)); },
     "MSG_INTERNET", Files::Kept, kStoredDate, kDateAndDefinitions},
    {"DefinitionsOversized",
     [](UpdateOutcome& t) {
         t.update.DefinitionsLimits.MaxBody = 1000;
         std::string body;
         while (body.size() <= 1000)
             body += kRecord + "[BR]";
         t.Serve(kDefs, t.Text(body));
     },
     "MSG_INTERNET", Files::Kept, kStoredDate, kDateAndDefinitions},
    // After a later date, a page without records is a failed download, not "most recent".
    {"DefinitionsAreAnHtmlPage",
     [](UpdateOutcome& t) {
         t.Serve(kDefs, t.Text("<html><body>Service busy, try later</body></html>"));
     },
     "MSG_INTERNET", Files::Kept, kStoredDate, kDateAndDefinitions},
    {"DefinitionsEmpty", [](UpdateOutcome& t) { t.Serve(kDefs, t.Text("")); }, "MSG_INTERNET",
     Files::Kept, kStoredDate, kDateAndDefinitions},
    // Only the framing can tell a reply cut at a record boundary; a close proves nothing.
    {"DefinitionsChunkedCutAtARecordBoundary",
     [](UpdateOutcome& t) { t.Serve(kDefs, t.ChunkedCutAfterTheSixthRecord()); }, "MSG_INTERNET",
     Files::Kept, kStoredDate, kDateAndDefinitions},
    {"DefinitionsChunked",
     [](UpdateOutcome& t) {
         t.Serve(kDefs, Reply{.Body = kRecord + "[BR]", .BodyFraming = kChunked});
     },
     "MSG_UPDATED_DEFS", Files::Appended, kServedDate, kWholeExchange},
    // A deletion alone is a change too.
    {"OnlyDeletions",
     [](UpdateOutcome& t) {
         t.Serve(kDefs, t.Text(DefinitionSetBuilder().Del("FILE", "old.exe").Reply()));
     },
     "MSG_UPDATED_DEFS", Files::Emptied, kServedDate, kWholeExchange},
    {"DateOfTheNewDefinitionsFailing",
     [](UpdateOutcome& t) { t.Serve(kNewDate, t.Text("oops", 500)); }, "MSG_UPDATED_DEFS",
     Files::Appended, kServerDate, kWholeExchange},
    {"WebsiteLater", [](UpdateOutcome& t) { t.UseWebsite(); }, "MSG_UPDATED_DEFS", Files::Replaced,
     kServedDate, kWebsiteExchange},
    {"WebsiteDateMissing",
     [](UpdateOutcome& t) { t.ServeOnWebsite(kSiteDate, t.Text("Not Found", 404)); },
     "MSG_INTERNET", Files::Kept, kStoredDate, kWebsiteDate},
    {"WebsiteSetCutShort",
     [](UpdateOutcome& t) { t.ServeOnWebsite(kSiteSet, t.CutShort(kRecord + "[BR]" + kRecord)); },
     "MSG_INTERNET", Files::Kept, kStoredDate, kWebsiteSet},
    {"WebsiteSetChunkedCutAtARecordBoundary",
     [](UpdateOutcome& t) { t.ServeOnWebsite(kSiteSet, t.ChunkedCutAfterTheSixthRecord()); },
     "MSG_INTERNET", Files::Kept, kStoredDate, kWebsiteSet},
    {"WebsiteSetWithoutRecords",
     [](UpdateOutcome& t) { t.ServeOnWebsite(kSiteSet, t.Text("<html>Moved</html>")); },
     "MSG_INTERNET", Files::Kept, kStoredDate, kWebsiteSet},
    {"WebsiteDateOfTheNewDefinitionsFailing",
     [](UpdateOutcome& t) { t.ServeOnWebsite(kNewDate, t.Text("", 503)); }, "MSG_UPDATED_DEFS",
     Files::Replaced, kServerDate, kWebsiteExchange},
};

INSTANTIATE_TEST_SUITE_P(Rows, UpdateOutcome, testing::ValuesIn(kOutcomes),
                         [](const testing::TestParamInfo<OutcomeRow>& info) {
                             return std::string(info.param.name);
                         });

// The service's dates, and "date.dat", are read in the service's US-English form on any system:
// else on a day-first one the later "2/1/2026" would look earlier than "1/2/2026".
class UpdateInALocale : public UpdateOutcome {
  protected:
    ~UpdateInALocale() override { DateText::SetLocale(0); }
};

TEST_F(UpdateInALocale, DatesAreReadInTheServicesFormWhateverTheUsersLocale) {
    const struct {
        const char* name;
        unsigned long lcid;
    } locales[] = {
        {"US English", MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT)},
        {"British English, day first",
         MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK), SORT_DEFAULT)},
        {"German, 24 hours without AM/PM",
         MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT)},
    };
    for (const auto& locale : locales) {
        SCOPED_TRACE(locale.name);
        DateText::SetLocale(locale.lcid);
        data.WriteFile(kDateFile, "1/2/2026 3:04:05 PM\r\n");
        WriteDefinitionFile(kFileDefinitionFile, {kOldLine});
        Serve(kDate, Text("2/1/2026 3:04:05 PM"));
        Serve(kNewDate, Text("2/3/2026 1:00:00 AM"));
        const size_t before = server.Requests().size();
        form->cmdUpdate.Click();

        const auto requests = server.Requests();
        ASSERT_EQ(requests.size(), before + 3);
        EXPECT_EQ(requests[before + 1].Path, kDefs);
        EXPECT_EQ(requests[before + 1].Query.at("date"), "1/2/2026 3:04:05 PM");
        EXPECT_EQ(notice.lblUpdateInfo.Caption, Message("MSG_UPDATED_DEFS"));
        EXPECT_EQ(DataFileContent(kDateFile), "2/3/2026 1:00:00 AM\r\n");
        EXPECT_EQ(form->lblDefVersion.Caption, "2/3/2026 1:00:00 AM PST");

        // The same date again is no later: nothing is fetched.
        Serve(kDate, Text("2/3/2026 1:00:00 AM"));
        form->cmdUpdate.Click();
        EXPECT_EQ(server.Requests().size(), before + 4);
        EXPECT_EQ(notice.lblUpdateInfo.Caption, Message("MSG_RECENT_DEFS"));
        notice.Unload();
    }
}

} // namespace
