// The ways into an update: Update Now with its Shift+click listing, the options' button, the
// File menu, the welcome box's link, the delayed timUpdate, and the requests an update makes;
// and every way in again while an update waits for the server.
#include "LiveUpdateFixture.h"

#include "AnsiText.h"
#include "BusyState.h"
#include "DateText.h"
#include "DefinitionFile.h"
#include "DefinitionSetBuilder.h"
#include "DoEvents.h"
#include "ScriptedMessageBoxes.h"
#include "TextRules.h"
#include "modInternet.h"
#include "modLorvane.h"

#include <windows.h>

#include <functional>

#include <gtest/gtest.h>

namespace {

constexpr const char* kStoredDate = "12/1/2025 3:04:05 PM";

// The action waiting for the next yield of an update.
std::function<void()> yieldAction;

void CALLBACK RunYieldAction(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    const std::function<void()> action = std::move(yieldAction);
    yieldAction = nullptr;
    if (action)
        action();
}

class UpdateEntry : public LiveUpdateFixture {
  protected:
    UpdateEntry() {
        for (const char* name : {kFileDefinitionFile, kDirectoryDefinitionFile, kExeDefinitionFile,
                                 kRegistryDefinitionFile, kBlockedCookiesFile, kSafetyFile})
            WriteDefinitionFile(name, {});
        data.WriteFile(kDateFile, std::string(kStoredDate) + "\r\n");
        Serve("/asp/currentDateNEW.asp", Text(kStoredDate));
    }
    ~UpdateEntry() override { yieldAction = nullptr; }

    // The date arrives a few bytes at a time, so the update yields between its reads.
    void SlowDate(const std::string& date) {
        LoopbackHttpServer::Reply slow = Text(date);
        slow.DripBytes = 2;
        slow.DripMs = 60;
        Serve("/asp/currentDateNEW.asp", slow);
    }
    // Runs the action once, from the message loop's next pass after 50 ms: inside an update,
    // during one of its yields.
    void DuringNextYield(std::function<void()> action) {
        yieldAction = std::move(action);
        SetTimer(nullptr, 0, 50, RunYieldAction);
    }
    bool YieldActionRan() const { return !yieldAction; }

    // Presses the main window's close box from the update's first yield after the server has
    // received a request for the path; a timer keeps messages coming while the network is
    // silent, as a user's screen does. Returns when the update has unwound.
    void ClickUpdateAndCloseOnceRequested(const std::string& path, bool& closeDeferred,
                                          ULONGLONG& closedAt) {
        modInternet::SetYieldHook([&, path] {
            ui::DoEvents();
            if (closedAt == 0 && TextRules::Contains(Joined(RequestedPaths()), path)) {
                closedAt = GetTickCount64();
                form->Form_QueryUnload(closeDeferred, ui::vbFormControlMenu);
            }
        });
        const UINT_PTR ticks = SetTimer(nullptr, 0, 20, KeepMessagesComing);
        form->cmdUpdate.Click();
        KillTimer(nullptr, ticks);
        modInternet::SetYieldHook(ui::DoEvents);
    }
    static void CALLBACK KeepMessagesComing(HWND, UINT, UINT_PTR, DWORD) {}
    static std::string Joined(const std::vector<std::string>& paths) {
        std::string joined;
        for (const std::string& path : paths)
            joined += path + " ";
        return joined;
    }

    size_t DateRequests() const {
        size_t count = 0;
        for (const std::string& path : RequestedPaths())
            count += path == "/asp/currentDateNEW.asp";
        return count;
    }
};

std::string ShiftedDate(const char* text, double seconds) {
    double date = 0;
    EXPECT_TRUE(DateText::FromText(text, date));
    return DateText::ToText(date + seconds / 86400.0);
}

TEST_F(UpdateEntry, RequestsNameTheProductAndTheInstalledDateAsText) {
    modLorvane::CompanyName = "Tide & Water #1 100%";
    // One second later than the installed definitions is later.
    Serve("/asp/currentDateNEW.asp", Text(ShiftedDate(kStoredDate, 1)));
    Serve("/asp/getDefsNEW.asp", Text(""));
    form->cmdUpdate.Click();

    const std::vector<LoopbackHttpServer::Request> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const LoopbackHttpServer::Request& request : requests) {
        EXPECT_EQ(request.Query.at("prog"), kTestProduct);
        EXPECT_EQ(request.Query.at("comp"), "Tide & Water #1 100%");
    }
    EXPECT_NE(requests[0].Target.find("&comp=Tide%20%26%20Water%20%231%20100%25"),
              std::string::npos)
        << requests[0].Target;
    EXPECT_EQ(requests[1].Path, "/asp/getDefsNEW.asp");
    EXPECT_EQ(requests[1].Query.at("date"), ShiftedDate(kStoredDate, 0));
    // The installed date goes as its text stands: only the blanks, which no request line can
    // carry, leave as %20 on the wire.
    EXPECT_NE(requests[1].Target.find("&date=" +
                                      TextRules::Replace(ShiftedDate(kStoredDate, 0), " ", "%20")),
              std::string::npos)
        << requests[1].Target;
}

TEST_F(UpdateEntry, WithoutDateDatTheShippedDateIsAskedAbout) {
    DeleteFileW(Utf8ToWide(data / kDateFile).c_str());
    Serve("/asp/currentDateNEW.asp", Text("3/16/2006 12:00:01 AM"));
    Serve("/asp/getDefsNEW.asp", Text(""));
    form->cmdUpdate.Click();

    const std::vector<LoopbackHttpServer::Request> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].Query.at("date"), ShiftedDate("3/16/2006", 0));
}

TEST_F(UpdateEntry, EveryCommandAndTheWelcomeBoxRunTheSameUpdate) {
    form->mnuFileItem_Click(4);
    form->cmdLiveUpdate.Click();
    form->Links.RunLiveUpdate();
    EXPECT_EQ(DateRequests(), 3u);
    EXPECT_EQ(notice.lblUpdateInfo.Caption, Message("MSG_RECENT_DEFS"));

    notice.Unload();
    form->mnuDebugItem_Click(1);
    EXPECT_TRUE(notice.Visible());
    EXPECT_EQ(DateRequests(), 3u);
}

TEST_F(UpdateEntry, TimUpdateRunsOnceAfterThreeHundredTicksWithoutAScan) {
    RecordSteps();
    form->timUpdate.Enabled = true;
    for (int tick = 0; tick < 300; ++tick)
        form->timUpdate.Tick();
    EXPECT_EQ(update.UpdateTickCount, 300);
    EXPECT_EQ(DateRequests(), 0u);

    // A tick while a scan runs neither counts nor starts the update.
    int ticksDuringScan = 0;
    form->Steps.ScanFileDefinitions = [&] {
        ASSERT_TRUE(form->ScanRunning());
        form->timUpdate.Tick();
        ++ticksDuringScan;
    };
    form->optScan[0].SetValue(true);
    form->cmdScanNow_Click();
    ASSERT_EQ(ticksDuringScan, 1);
    EXPECT_EQ(update.UpdateTickCount, 300);
    EXPECT_EQ(DateRequests(), 0u);
    EXPECT_TRUE(form->timUpdate.Enabled);

    // The timer is off and its count 0 before the update runs.
    SlowDate(kStoredDate);
    bool onDuringUpdate = true;
    int32_t countDuringUpdate = -1;
    DuringNextYield([&] {
        onDuringUpdate = form->timUpdate.Enabled;
        countDuringUpdate = update.UpdateTickCount;
    });
    form->timUpdate.Tick();
    ASSERT_TRUE(YieldActionRan());
    EXPECT_FALSE(onDuringUpdate);
    EXPECT_EQ(countDuringUpdate, 0);
    EXPECT_EQ(DateRequests(), 1u);
    EXPECT_FALSE(form->timUpdate.Enabled);
    EXPECT_EQ(update.UpdateTickCount, 0);

    // Switched on again, it waits its 300 ticks again.
    form->timUpdate.Enabled = true;
    for (int tick = 0; tick < 300; ++tick)
        form->timUpdate.Tick();
    EXPECT_EQ(DateRequests(), 1u);
    form->timUpdate.Tick();
    EXPECT_EQ(DateRequests(), 2u);
}

TEST_F(UpdateEntry, NothingStartsWhileAnUpdateWaitsForTheServer) {
    RecordSteps();
    form->timUpdate.Enabled = true;
    SlowDate(ShiftedDate(kStoredDate, 60));
    Serve("/asp/getDefsNEW.asp", Text(""));
    bool busy = false;
    DuringNextYield([&] {
        busy = BusyState::IsBusy();
        form->cmdUpdate.Click();
        form->mnuFileItem_Click(4);
        form->cmdLiveUpdate.Click();
        form->Links.RunLiveUpdate();
        update.UpdateTickCount = 300;
        form->timUpdate.Tick();
        form->cmdScanNow_Click();
    });
    form->cmdUpdate.Click();

    ASSERT_TRUE(YieldActionRan());
    EXPECT_TRUE(busy);
    EXPECT_EQ(RequestedPaths(),
              (std::vector<std::string>{"/asp/currentDateNEW.asp", "/asp/getDefsNEW.asp"}));
    EXPECT_TRUE(calls.empty()) << "a scan started";
    EXPECT_EQ(update.UpdateTickCount, 300);
    EXPECT_TRUE(form->timUpdate.Enabled);
    EXPECT_FALSE(BusyState::IsBusy());
}

TEST_F(UpdateEntry, ACloseWhileAnUpdateWaitsStopsItBeforeItFetchesOrChangesAnything) {
    SlowDate(ShiftedDate(kStoredDate, 60));
    Serve("/asp/getDefsNEW.asp", Text(""));
    bool closeDeferred = false;
    ULONGLONG closedAt = 0;
    // The close box: it asks the update to stop and waits until the update has unwound.
    ClickUpdateAndCloseOnceRequested("/asp/currentDateNEW.asp", closeDeferred, closedAt);

    EXPECT_TRUE(closeDeferred);
    EXPECT_EQ(RequestedPaths(), std::vector<std::string>{"/asp/currentDateNEW.asp"});
    EXPECT_EQ(DataFileContent(kDateFile), std::string(kStoredDate) + "\r\n");
    // Nothing announced while the program ends.
    EXPECT_FALSE(notice.Visible());
    EXPECT_FALSE(download.Loaded());
    EXPECT_FALSE(BusyState::IsBusy());
    EXPECT_FALSE(BusyState::StopRequested());
}

// A server that falls silent, before its reply or inside the definitions, does not hold up a
// close: the request in hand ends at once and the update unwinds without a notice.
TEST_F(UpdateEntry, ACloseEndsAStalledRequestAtOnce) {
    const struct {
        const char* name;
        const char* stalledPath;
        bool inTheBody;
    } stalls[] = {
        {"date before its reply", "/asp/currentDateNEW.asp", false},
        {"definitions inside their body", "/asp/getDefsNEW.asp", true},
    };
    for (const auto& stall : stalls) {
        SCOPED_TRACE(stall.name);
        Serve("/asp/currentDateNEW.asp", Text(ShiftedDate(kStoredDate, 60)));
        LoopbackHttpServer::Reply stalled =
            Text(DefinitionSetBuilder::RecordText("FILE", "ADD", "a.exe=A") + "[BR]");
        if (stall.inTheBody)
            stalled.PauseAt = 5;
        else
            stalled.DelayMs = 30000;
        stalled.PauseMs = 30000;
        Serve(stall.stalledPath, stalled);
        bool closeDeferred = false;
        ULONGLONG closedAt = 0;
        const size_t requestsBefore = server.Requests().size();
        ClickUpdateAndCloseOnceRequested(stall.stalledPath, closeDeferred, closedAt);
        const ULONGLONG returnedAt = GetTickCount64();

        ASSERT_NE(closedAt, 0u);
        EXPECT_TRUE(closeDeferred);
        EXPECT_LT(returnedAt - closedAt, 2000u);
        const auto requests = server.Requests();
        ASSERT_GT(requests.size(), requestsBefore);
        EXPECT_EQ(requests.back().Path, stall.stalledPath);
        EXPECT_EQ(DataFileContent(kDateFile), std::string(kStoredDate) + "\r\n");
        EXPECT_EQ(DataFileContent(kFileDefinitionFile), "");
        EXPECT_FALSE(notice.Visible());
        EXPECT_FALSE(BusyState::IsBusy());
    }
}

TEST_F(UpdateEntry, ShiftClickListsTheDefinitionAddressesAndStartsNothing) {
    modLorvane::WebsiteHost = "HTTP://Example.com/path/x.html";
    const std::string base = "http://www.Example.com";
    const std::string listing =
        base + "/definitions/version/R.HTM\r\n" + base + "/definitions/version/F.HTM\r\n" + base +
        "/definitions/version/E.HTM\r\n" + base + "/definitions/version/C.HTM\r\n" + base +
        "/definitions/data/BlockedCookies.dat\r\n" + base +
        "/definitions/data/RegistryDefinition.dat\r\n" + base +
        "/definitions/data/FileDefinition.dat\r\n" + base +
        "/definitions/data/ExeDefinition.dat\r\n";
    ScriptedMessageBoxes boxes;
    boxes.Expect(IDOK);
    boxes.Expect(IDOK);

    // Shift and the left button: the list comes with the click the press makes.
    form->Links.UpdateButtonMouseDown(1, 1);
    EXPECT_TRUE(boxes.Shown().empty());
    form->cmdUpdate.Click();
    form->Links.UpdateButtonMouseUp();
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].prompt, listing);
    EXPECT_EQ(boxes.Shown()[0].style, static_cast<unsigned>(MB_OK));
    EXPECT_EQ(update.DefinitionServerUrl, base);
    // Any other button with Shift lists at once.
    form->Links.UpdateButtonMouseDown(2, 1);
    form->Links.UpdateButtonMouseUp();
    EXPECT_EQ(boxes.Shown().size(), 2u);
    EXPECT_TRUE(RequestedPaths().empty());
    EXPECT_FALSE(download.Loaded());

    // Shift with Ctrl, or a Shift press let go outside the button, lists nothing; clicks update.
    form->Links.UpdateButtonMouseDown(1, 3);
    form->cmdUpdate.Click();
    form->Links.UpdateButtonMouseUp();
    form->Links.UpdateButtonMouseDown(1, 1);
    form->Links.UpdateButtonMouseUp();
    form->cmdUpdate.Click();
    EXPECT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(DateRequests(), 2u);
}

} // namespace
