// Servers that flood, drip, stall, break the framing or cut a reply without framing it, on
// every route the program downloads from, met through the real windows: each row ends within
// its bound, the window keeps answering, the user gets the route's failure message and nothing
// changes (the definition files, "date.dat", the language file).
#include "LiveUpdateFixture.h"

#include "DefinitionFile.h"
#include "DoEvents.h"
#include "LanguageFile.h"
#include "TempFolder.h"
#include "frmLanguage.h"
#include "modInternet.h"
#include "modLockdown.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Reply = LoopbackHttpServer::Reply;

// Short bounds, so that a row costs seconds, not minutes; the receive time-out longer than the
// slack, so that a fault only that time-out would end shows.
constexpr unsigned kReceiveTimeoutMs = 3000;
constexpr unsigned kDeadlineMs = 4500;
// How much later than its bound a row may end.
constexpr ULONGLONG kSlackMs = 2000;
// The longest the window may go without a pass of the message loop, on a loaded machine.
constexpr ULONGLONG kAnswerMs = 250;

using namespace update_exchange;

std::string LanguageGroup(const std::string& name) {
    return "<LANGUAGE_GROUP xml:lang=\"x\">\r\n\t<LANGUAGE_NAME>" + name +
           "</LANGUAGE_NAME>\r\n\t<TRANSLATION_ITEMS>\r\n" +
           LanguageFile::ItemLine("MSG_STOP", name + " stop?") +
           "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n";
}
const std::string kInstalledLanguages = LanguageGroup("English") + LanguageGroup("Deutsch");
const std::string kServedLanguages = LanguageGroup("Русский") + LanguageGroup("Français");

constexpr const char* kLanguages = "/Languages/0/Localization.txt";

const std::string kChunkedHead = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
// A broken chunk in the head's packet, the connection then held open.
Reply BrokenChunkInTheHeadsPacket(const std::string& chunk) {
    return {.Script = {{kChunkedHead + chunk, 30000}}};
}
// A few bytes at a time, never pausing long enough for the receive time-out: only the deadline
// ends it.
Reply Drip(std::string body) {
    return {.Body = std::move(body), .DripBytes = 4, .DripMs = 200};
}
// The head, then silence.
Reply Stall(std::string body) {
    return {.Body = std::move(body), .PauseAt = 0, .PauseMs = 30000};
}
// Part of a reply, ended by the close alone: no framing says whether it is whole.
Reply CutWithoutFraming(std::string part) {
    return {.Body = std::move(part), .BodyFraming = LoopbackHttpServer::Framing::CloseDelimited};
}

std::string ManyRecords() {
    std::string body;
    while (body.size() < 1000)
        body += kRecord + "[BR]";
    return body;
}

struct HostileRow {
    const char* name;
    std::string route; // the path of the reply
    Reply reply;
    unsigned boundMs; // the limit that ends the exchange; 0: it ends at once
};

void PrintTo(const HostileRow& row, std::ostream* os) {
    *os << row.name;
}

const HostileRow kRows[] = {
    {"InterimRepliesFlood", kDate, {.Script = {{"HTTP/1.1 100 Continue\r\n\r\n", 0, true}}}, 0},
    {"TrailersFlood",
     kDefs,
     {.Script = {{kChunkedHead + "5\r\nhello\r\n0\r\n"}, {"X-Trailer: more\r\n", 0, true}}},
     0},
    {"ChunkSizeOverflowInTheHeadsPacket", kDefs,
     BrokenChunkInTheHeadsPacket("10000000000000000\r\n"), 0},
    {"NegativeChunkSizeInTheHeadsPacket", kDate, BrokenChunkInTheHeadsPacket("-5\r\nhello\r\n"), 0},
    {"ChunkWithoutItsLineEndInTheHeadsPacket", kSiteSet,
     BrokenChunkInTheHeadsPacket("5\r\nhello0\r\n\r\n"), 0},
    {"DefinitionsDrip", kDefs, Drip(ManyRecords()), kDeadlineMs},
    {"LanguageFileDrips", kLanguages, Drip(kServedLanguages), kDeadlineMs},
    {"DateStalls", kDate, Stall(kServerDate), kReceiveTimeoutMs},
    // Each cut would once have been taken: an older date ("most recent"), a date stored, a
    // set that replaces all six files, a single group that replaces the language file.
    {"ServiceDateCut", kDate, CutWithoutFraming("12/1/20"), 0},
    {"NewDateCut", kNewDate, CutWithoutFraming("12/2/20"), 0},
    {"WebsiteDateCut", kSiteDate, CutWithoutFraming("12/1/20"), 0},
    {"DefinitionsCut", kDefs, CutWithoutFraming(kRecord + "[BR]"), 0},
    {"WebsiteSetCut", kSiteSet, CutWithoutFraming(kRecord), 0},
    {"LanguageFileCut", kLanguages, CutWithoutFraming(LanguageGroup("Русский")), 0},
};

class HostileServer : public UpdateExchangeFixture, public testing::WithParamInterface<HostileRow> {
  protected:
    HostileServer() : previousLanguageLimits_(LanguageWindow().DownloadLimits) {
        Serve(kLanguages, Text(kServedLanguages));
        LanguageFile::SetFolder(languages_.Path());
        languages_.WriteFile(LanguageFile::kFileName, kInstalledLanguages);
        Store("Languages", "Host", server.BaseUrl());

        const modInternet::HttpLimits quick{2000, kReceiveTimeoutMs, kDeadlineMs, 64u << 10};
        update.DateLimits = quick;
        update.DefinitionsLimits = quick;
        LanguageWindow().DownloadLimits = quick;
    }
    ~HostileServer() override {
        if (LanguageWindow().Loaded())
            LanguageWindow().Unload();
        LanguageWindow().DownloadLimits = previousLanguageLimits_;
        LanguageFile::SetFolder({});
    }

    // Runs the route's command as the user would, noting the longest time between two passes
    // of the message loop from the client's first: what comes before it is the progress
    // window being made, which under a loaded wineserver alone can take longer than the bound.
    void RunFromTheWindow(const std::string& route) {
        const ULONGLONG start = GetTickCount64();
        ULONGLONG lastPass = 0;
        modInternet::SetYieldHook([&] {
            const ULONGLONG now = GetTickCount64();
            if (lastPass)
                longestGapMs = std::max(longestGapMs, now - lastPass);
            lastPass = now;
            ui::DoEvents();
        });
        if (route == kLanguages) {
            ASSERT_TRUE(LanguageWindow().Load());
            LanguageWindow().Command1_Click();
        } else {
            if (route == kSiteDate || route == kSiteSet)
                UseWebsite();
            form->cmdUpdate.Click();
        }
        tookMs = GetTickCount64() - start;
        modInternet::SetYieldHook(ui::DoEvents);
    }

    ULONGLONG tookMs = 0;
    ULONGLONG longestGapMs = 0;

  private:
    TempFolder languages_;
    modInternet::HttpLimits previousLanguageLimits_;
};

TEST_P(HostileServer, EndsInTimeWithTheWindowAnsweringAndChangesNothing) {
    const HostileRow& row = GetParam();
    Serve(row.route, row.reply);
    RunFromTheWindow(row.route);

    // Only the definitions' own date comes after the definitions are in: its cut reply keeps
    // the date the check received.
    const bool applied = row.route == kNewDate;
    EXPECT_EQ(DataFileContent(kFileDefinitionFile),
              oldFiles_ + (applied ? modLockdown::ScrambleString(kNewLine) + "\r\n" : ""));
    EXPECT_EQ(DataFileContent(kDateFile),
              std::string(applied ? kServerDate : kStoredDate) + "\r\n");
    EXPECT_EQ(ReadFileBytes(LanguageFile::FilePath()), kInstalledLanguages);
    // The language download fails silently; any box would have failed the test.
    if (row.route == kLanguages) {
        EXPECT_FALSE(notice.Loaded());
    } else {
        EXPECT_EQ(notice.lblUpdateInfo.Caption,
                  Message(applied ? "MSG_UPDATED_DEFS" : "MSG_INTERNET"));
    }
    EXPECT_GE(tookMs + 100, row.boundMs);
    EXPECT_LE(tookMs, row.boundMs + kSlackMs);
    EXPECT_LE(longestGapMs, kAnswerMs);
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileServer, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<HostileRow>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
