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

#include <gtest/gtest.h>

namespace {

using Reply = LoopbackHttpServer::Reply;

constexpr const char* kStoredDate = "12/1/2025 3:04:05 PM";
constexpr const char* kServerDate = "12/1/2026 3:04:05 PM";
constexpr const char* kServedDate = "12/2/2026 1:00:00 AM";
const std::string kOldLine = "old.exe=Old Threat|C:\\old|Adware";
const std::string kNewLine = "new.exe=New Threat|C:\\new|Adware";

// The date's text as the platform writes it back.
std::string DateTextOf(const char* text) {
    double date = 0;
    EXPECT_TRUE(DateText::FromText(text, date)) << text;
    return DateText::ToText(date);
}

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

const std::vector<std::string> kDateOnly = {"/asp/currentDateNEW.asp"};
const std::vector<std::string> kDateAndDefinitions = {"/asp/currentDateNEW.asp",
                                                      "/asp/getDefsNEW.asp"};
const std::vector<std::string> kWholeExchange = {"/asp/currentDateNEW.asp", "/asp/getDefsNEW.asp",
                                                 "/asp/date.asp"};
const std::vector<std::string> kWebsiteDate = {"/definitions/customdate.html"};
const std::vector<std::string> kWebsiteSet = {"/definitions/customdate.html",
                                              "/definitions/custom.html"};
const std::vector<std::string> kWebsiteExchange = {"/definitions/customdate.html",
                                                   "/definitions/custom.html", "/asp/date.asp"};

class UpdateOutcome : public LiveUpdateFixture, public testing::WithParamInterface<OutcomeRow> {
  protected:
    UpdateOutcome() {
        WriteDefinitionFile(kFileDefinitionFile, {kOldLine});
        for (const char* name : {kDirectoryDefinitionFile, kExeDefinitionFile,
                                 kRegistryDefinitionFile, kBlockedCookiesFile, kSafetyFile})
            WriteDefinitionFile(name, {});
        data.WriteFile(kDateFile, std::string(kStoredDate) + "\r\n");
        const std::string record = DefinitionSetBuilder::RecordText("FILE", "ADD", kNewLine);
        Serve("/asp/currentDateNEW.asp", Text(kServerDate));
        Serve("/asp/getDefsNEW.asp", Text(record + "[BR]"));
        Serve("/asp/date.asp", Text(std::string(kServedDate) + "\r\n"));
        Serve("/definitions/customdate.html", Text(kServerDate));
        Serve("/definitions/custom.html", Text(record));
        oldFiles_ = DataFileContent(kFileDefinitionFile);
    }

  public:
    // Replies that end before their time: the limits are short so the test is.
    void Shorten() {
        update.DateLimits = {2000, 700, 1500, 64u << 10};
        update.DefinitionsLimits = {2000, 700, 1500, 64u << 20};
    }
    static Reply CutShort(std::string body) {
        Reply reply = Text(std::move(body));
        reply.SendOnly = reply.Body.size() / 2;
        return reply;
    }
    static Reply Stalled(std::string body) {
        Reply reply = Text(std::move(body));
        reply.DripBytes = 4;
        reply.DripMs = 400;
        return reply;
    }

  protected:
    std::string oldFiles_;
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
    const std::string dateLine = DateTextOf(row.dateDat);
    EXPECT_EQ(DataFileContent(kDateFile),
              row.files == Files::Kept ? std::string(kStoredDate) + "\r\n" : dateLine + "\r\n");
    EXPECT_EQ(form->lblDefVersion.Caption,
              row.files == Files::Kept ? shownDate : dateLine + " PST");
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
     [](UpdateOutcome& t) { t.UseService(LoopbackHttpServer::UnusedBaseUrl()); },
     "MSG_INTERNET",
     Files::Kept,
     kStoredDate,
     {}},
    {"DateStatus500",
     [](UpdateOutcome& t) {
         t.Serve("/asp/currentDateNEW.asp", UpdateOutcome::Text(kServerDate, 500));
     },
     "MSG_INTERNET", Files::Kept, kStoredDate, kDateOnly},
    {"DateCutShort",
     [](UpdateOutcome& t) {
         t.Serve("/asp/currentDateNEW.asp", UpdateOutcome::CutShort(kServerDate));
     },
     "MSG_INTERNET", Files::Kept, kStoredDate, kDateOnly},
    {"DateStalledPastTheDeadline",
     [](UpdateOutcome& t) {
         t.Shorten();
         t.Serve("/asp/currentDateNEW.asp", UpdateOutcome::Stalled(kServerDate));
     },
     "MSG_INTERNET", Files::Kept, kStoredDate, kDateOnly},
    {"DateOversized",
     [](UpdateOutcome& t) {
         t.Serve("/asp/currentDateNEW.asp",
                 UpdateOutcome::Text(kServerDate + std::string(70000, ' ')));
     },
     "MSG_INTERNET", Files::Kept, kStoredDate, kDateOnly},
    {"DateIsNoDate",
     [](UpdateOutcome& t) {
         t.Serve("/asp/currentDateNEW.asp",
                 UpdateOutcome::Text("<html>Down for maintenance</html>"));
     },
     "MSG_INTERNET", Files::Kept, kStoredDate, kDateOnly},
    {"DateNotLater",
     [](UpdateOutcome& t) { t.Serve("/asp/currentDateNEW.asp", UpdateOutcome::Text(kStoredDate)); },
     "MSG_RECENT_DEFS", Files::Kept, kStoredDate, kDateOnly},
    {"Later", [](UpdateOutcome&) {}, "MSG_UPDATED_DEFS", Files::Appended, kServedDate,
     kWholeExchange},
    {"DefinitionsStatus500",
     [](UpdateOutcome& t) {
         t.Serve(
             "/asp/getDefsNEW.asp",
             UpdateOutcome::Text(DefinitionSetBuilder::RecordText("FILE", "ADD", kNewLine), 500));
     },
     "MSG_INTERNET", Files::Kept, kStoredDate, kDateAndDefinitions},
    {"DefinitionsCutShort",
     [](UpdateOutcome& t) {
         t.Serve("/asp/getDefsNEW.asp",
                 UpdateOutcome::CutShort(
                     DefinitionSetBuilder::RecordText("FILE", "ADD", kNewLine) + "[BR]" +
                     DefinitionSetBuilder::RecordText("FILE", "ADD", kNewLine)));
     },
     "MSG_INTERNET", Files::Kept, kStoredDate, kDateAndDefinitions},
    {"DefinitionsStalledPastTheDeadline",
     [](UpdateOutcome& t) {
         t.Shorten();
         t.Serve("/asp/getDefsNEW.asp",
                 UpdateOutcome::Stalled(DefinitionSetBuilder::RecordText("FILE", "ADD", kNewLine)));
     },
     "MSG_INTERNET", Files::Kept, kStoredDate, kDateAndDefinitions},
    {"DefinitionsOversized",
     [](UpdateOutcome& t) {
         t.update.DefinitionsLimits.MaxBody = 1000;
         std::string body;
         while (body.size() <= 1000)
             body += DefinitionSetBuilder::RecordText("FILE", "ADD", kNewLine) + "[BR]";
         t.Serve("/asp/getDefsNEW.asp", UpdateOutcome::Text(body));
     },
     "MSG_INTERNET", Files::Kept, kStoredDate, kDateAndDefinitions},
    {"DefinitionsWithoutRecords",
     [](UpdateOutcome& t) { t.Serve("/asp/getDefsNEW.asp", UpdateOutcome::Text("No updates")); },
     "MSG_RECENT_DEFS", Files::Kept, kStoredDate, kDateAndDefinitions},
    // A deletion alone is a change too.
    {"OnlyDeletions",
     [](UpdateOutcome& t) {
         t.Serve("/asp/getDefsNEW.asp",
                 UpdateOutcome::Text(DefinitionSetBuilder().Del("FILE", "old.exe").Reply()));
     },
     "MSG_UPDATED_DEFS", Files::Emptied, kServedDate, kWholeExchange},
    {"DateOfTheNewDefinitionsFailing",
     [](UpdateOutcome& t) { t.Serve("/asp/date.asp", UpdateOutcome::Text("oops", 500)); },
     "MSG_UPDATED_DEFS", Files::Appended, kServerDate, kWholeExchange},
    {"WebsiteLater", [](UpdateOutcome& t) { t.UseWebsite(); }, "MSG_UPDATED_DEFS", Files::Replaced,
     kServedDate, kWebsiteExchange},
    {"WebsiteDateMissing",
     [](UpdateOutcome& t) {
         t.UseWebsite();
         t.Serve("/definitions/customdate.html", UpdateOutcome::Text("Not Found", 404));
     },
     "MSG_INTERNET", Files::Kept, kStoredDate, kWebsiteDate},
    {"WebsiteSetCutShort",
     [](UpdateOutcome& t) {
         t.UseWebsite();
         t.Serve("/definitions/custom.html",
                 UpdateOutcome::CutShort(
                     DefinitionSetBuilder::RecordText("FILE", "ADD", kNewLine) + "[BR]" +
                     DefinitionSetBuilder::RecordText("FILE", "ADD", kOldLine)));
     },
     "MSG_INTERNET", Files::Kept, kStoredDate, kWebsiteSet},
    {"WebsiteSetWithoutRecords",
     [](UpdateOutcome& t) {
         t.UseWebsite();
         t.Serve("/definitions/custom.html", UpdateOutcome::Text("<html>Moved</html>"));
     },
     "MSG_INTERNET", Files::Kept, kStoredDate, kWebsiteSet},
    {"WebsiteDateOfTheNewDefinitionsFailing",
     [](UpdateOutcome& t) {
         t.UseWebsite();
         t.Serve("/asp/date.asp", UpdateOutcome::Text("", 503));
     },
     "MSG_UPDATED_DEFS", Files::Replaced, kServerDate, kWebsiteExchange},
};

INSTANTIATE_TEST_SUITE_P(Rows, UpdateOutcome, testing::ValuesIn(kOutcomes),
                         [](const testing::TestParamInfo<OutcomeRow>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
