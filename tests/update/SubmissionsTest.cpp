// The three submissions against the loopback service: each request decoded at the server (path,
// every query key and value, scrambled values unscrambled back), and what each kind of reply
// leads to: accepted, refused, an error page holding the accepted word, unreachable, cut short.
#include "LiveUpdateFixture.h"

#include "AnsiText.h"
#include "BusyState.h"
#include "CommonDialogs.h"
#include "PlantedProcess.h"
#include "ScriptedInputBoxes.h"
#include "ScriptedMessageBoxes.h"
#include "Submissions.h"
#include "TextRules.h"
#include "modLockdown.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <utility>

using modLockdown::ScrambleString;
using modLockdown::UnscrambleString;

namespace {

// Bytes of the ANSI code page that scramble to "&", "#", "%" and "+": sent raw, they would end
// the value, cut the request or change on the way.
const std::string kAwkwardAnsi = "\xE5\xE2\xE4\xEA";

// The catalog gives every message with its first letter upper-cased.
constexpr const char* kThanks = "Results: abc.exe Submitted.  Thank you!";

// How one reply of the service reaches the program.
// Unframed: the whole body, ended by the connection's close alone, so nothing proves it whole.
enum class Delivery { Whole, Unreachable, CutShort, Unframed };

struct Outcome {
    const char* name;
    unsigned status;
    std::string body;
    Delivery delivery;
    bool accepted;
};

// The same kinds of reply for both submissions that look at the answer.
std::vector<Outcome> Outcomes(const std::string& word) {
    return {
        {"accepted", 200, "Result: " + word + "\r\n", Delivery::Whole, true},
        {"accepted in lower case", 200, TextRules::ToLower(word), Delivery::Whole, true},
        {"refused", 200, "Refused", Delivery::Whole, false},
        {"error page holding the word", 500, "<html>Error: " + word + " failed</html>",
         Delivery::Whole, false},
        {"unreachable", 200, "", Delivery::Unreachable, false},
        {"cut short", 200, word + " and the rest never came", Delivery::CutShort, false},
        {"unframed", 200, word, Delivery::Unframed, false},
    };
}

class SubmissionsTest : public LiveUpdateFixture {
  protected:
    SubmissionsTest() {
        submissions.Connect();
        form->cmdExclude.Click = [this] { ++exclusions; };
    }
    ~SubmissionsTest() override { ui::SetOpenFileDialogHandler(nullptr); }

    // The results row of a location, ticked or not.
    void AddResult(const std::string& location, bool ticked) {
        ui::ListItem& row = form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Add("Threat");
        row.SetSubItem(1, location);
        row.Checked = ticked;
    }

    // Serves the path with the outcome's reply, or points the service at nobody.
    void Arrange(const std::string& path, const Outcome& outcome) {
        if (outcome.delivery == Delivery::Unreachable) {
            UseService(LoopbackHttpServer::UnusedBaseUrl());
            return;
        }
        LoopbackHttpServer::Reply reply = Text(outcome.body, outcome.status);
        if (outcome.delivery == Delivery::CutShort)
            reply.SendOnly = outcome.body.size() / 2;
        if (outcome.delivery == Delivery::Unframed)
            reply.BodyFraming = LoopbackHttpServer::Framing::CloseDelimited;
        Serve(path, reply);
    }

    LoopbackHttpServer::Request OnlyRequest() const {
        const std::vector<LoopbackHttpServer::Request> requests = server.Requests();
        EXPECT_EQ(requests.size(), 1u);
        return requests.empty() ? LoopbackHttpServer::Request{} : requests.front();
    }

    Submissions submissions{*form};
    int exclusions = 0;
};

TEST_F(SubmissionsTest, FalsePositiveReportSendsTheTickedLocationsAndTheExplanationAsTyped) {
    const std::string awkward = AnsiToUtf8(kAwkwardAnsi);
    AddResult("C:\\Program Files\\Tool\\a b.exe", true);
    AddResult("C:\\Skipped\\untick.exe", false);
    AddResult("C:\\odd&name#1 100%+" + awkward + ".dll", true);
    Serve("/asp/submitFP.asp", Text("OK"));
    ScriptedMessageBoxes boxes;
    ScriptedInputBoxes inputs;
    boxes.Expect(IDOK);
    inputs.Answer("  a b & c=d #1 100%+ ");
    boxes.Expect(IDNO);
    form->cmdFalsePos.Click();

    const LoopbackHttpServer::Request request = OnlyRequest();
    EXPECT_EQ(request.Path, "/asp/submitFP.asp");
    EXPECT_EQ(request.Query.size(), 2u);
    EXPECT_EQ(request.Query.at("files"),
              Utf8ToAnsi("C:\\Program Files\\Tool\\a b.exe|C:\\odd&name#1 "
                         "100%+" +
                         awkward + ".dll|"));
    EXPECT_EQ(request.Query.at("details"), "  a b & c=d #1 100%+ ");
    // Blanks leave as %20, as the service has always read them.
    EXPECT_NE(request.Target.find("&details=%20%20a%20b%20%26%20c%3Dd%20%231%20100%25%2B%20"),
              std::string::npos)
        << request.Target;

    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].prompt, Message("MSG_FALSE_POS") + "\r\n\r\n" +
                                           "C:\\Program Files\\Tool\\a b.exe\r\n"
                                           "C:\\odd&name#1 100%+" +
                                           awkward + ".dll\r\n");
    EXPECT_EQ(boxes.Shown()[0].style, static_cast<unsigned>(MB_OKCANCEL));
    EXPECT_EQ(boxes.Shown()[0].title, kTestProduct);
    ASSERT_EQ(inputs.Shown().size(), 1u);
    EXPECT_EQ(inputs.Shown()[0].prompt, Message("MSG_FALSE_POS2"));
    EXPECT_EQ(inputs.Shown()[0].title, kTestProduct);
    EXPECT_EQ(inputs.Shown()[0].defaultText, "");
    EXPECT_EQ(boxes.Shown()[1].prompt, Message("MSG_FALSE_POS4"));
    EXPECT_EQ(boxes.Shown()[1].style, static_cast<unsigned>(MB_YESNO));
    EXPECT_EQ(exclusions, 0);
}

TEST_F(SubmissionsTest, FalsePositiveReportWithoutTickedRowsStillAsksAndSendsNoFiles) {
    AddResult("C:\\a.exe", false);
    Serve("/asp/submitFP.asp", Text("OK"));
    ScriptedMessageBoxes boxes;
    ScriptedInputBoxes inputs;
    boxes.Expect(IDOK);
    inputs.Answer("why");
    boxes.Expect(IDYES);
    form->cmdFalsePos.Click();

    const LoopbackHttpServer::Request request = OnlyRequest();
    EXPECT_NE(request.Target.find("?files=&details=why"), std::string::npos) << request.Target;
    EXPECT_EQ(boxes.Shown()[0].prompt, Message("MSG_FALSE_POS") + "\r\n\r\n");
    // Yes hands the rows to Exclude, which asks its own question.
    EXPECT_EQ(exclusions, 1);
}

TEST_F(SubmissionsTest, FalsePositiveReportEndsWithoutAnExplanationOrWithoutOk) {
    AddResult("C:\\a.exe", true);
    struct Case {
        const char* name;
        int firstAnswer;
        bool asked;              // the explanation was asked for
        const char* explanation; // null: Cancel
    } cases[] = {
        {"cancelled question", IDCANCEL, false, nullptr},
        {"closed question", 0, false, nullptr},
        {"cancelled input box", IDOK, true, nullptr},
        {"empty explanation", IDOK, true, ""},
        {"blanks only", IDOK, true, "   "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedMessageBoxes boxes;
        ScriptedInputBoxes inputs;
        boxes.Expect(c.firstAnswer);
        if (c.asked) {
            if (c.explanation)
                inputs.Answer(c.explanation);
            else
                inputs.Cancel();
            boxes.Expect(IDOK);
        }
        form->cmdFalsePos.Click();
        EXPECT_EQ(inputs.Shown().size(), c.asked ? 1u : 0u);
        if (c.asked) {
            ASSERT_EQ(boxes.Shown().size(), 2u);
            EXPECT_EQ(boxes.Shown()[1].prompt, Message("MSG_FALSE_POS3"));
            EXPECT_EQ(boxes.Shown()[1].style, static_cast<unsigned>(MB_OK));
        }
    }
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(exclusions, 0);
}

TEST_F(SubmissionsTest, FalsePositiveReportCountsOnlyAWholeSuccessfulReplyHoldingOk) {
    AddResult("C:\\a.exe", true);
    for (const Outcome& outcome : Outcomes("OK")) {
        SCOPED_TRACE(outcome.name);
        UseService(server.BaseUrl());
        Arrange("/asp/submitFP.asp", outcome);
        ScriptedMessageBoxes boxes;
        ScriptedInputBoxes inputs;
        boxes.Expect(IDOK);
        inputs.Answer("mine");
        boxes.Expect(IDYES);
        const int before = exclusions;
        form->cmdFalsePos.Click();
        ASSERT_EQ(boxes.Shown().size(), 2u);
        if (outcome.accepted) {
            EXPECT_EQ(boxes.Shown()[1].prompt, Message("MSG_FALSE_POS4"));
            EXPECT_EQ(exclusions, before + 1);
        } else {
            // The box shows what came, which is nothing when nothing could be reached.
            const std::string shown = outcome.delivery == Delivery::Unreachable ? ""
                                      : outcome.delivery == Delivery::CutShort
                                          ? outcome.body.substr(0, outcome.body.size() / 2)
                                          : outcome.body;
            EXPECT_EQ(boxes.Shown()[1].prompt, Message("MSG_FALSE_POS5") + "\r\n\r\n" + shown);
            EXPECT_EQ(boxes.Shown()[1].style, static_cast<unsigned>(MB_OK));
            EXPECT_EQ(exclusions, before);
        }
    }
}

TEST_F(SubmissionsTest, ALongErrorPageShowsOnlyItsStartInTheBox) {
    AddResult("C:\\a.exe", true);
    std::string page = "<html>";
    while (page.size() < 5000)
        page += "Internal error at line 1234 of the script. ";
    page.insert(20, std::string(1, '\0'));
    Serve("/asp/submitFP.asp", Text(page, 500));
    ScriptedMessageBoxes boxes;
    ScriptedInputBoxes inputs;
    boxes.Expect(IDOK);
    inputs.Answer("mine");
    boxes.Expect(IDOK);
    form->cmdFalsePos.Click();

    ASSERT_EQ(boxes.Shown().size(), 2u);
    std::string expected = page;
    expected.erase(20, 1);
    EXPECT_EQ(boxes.Shown()[1].prompt,
              Message("MSG_FALSE_POS5") + "\r\n\r\n" + expected.substr(0, 300) + "...");
}

TEST_F(SubmissionsTest, FalsePositiveDoesNothingWhileAnotherOperationRuns) {
    AddResult("C:\\a.exe", true);
    BusyState::Operation scan;
    form->cmdFalsePos.Click();
    EXPECT_TRUE(server.Requests().empty());
}

// A press of the user's (the close box, a button), made from the message loop's next pass after
// 50 ms.
std::function<void()> pendingPress;
void CALLBACK PressLater(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (auto press = std::exchange(pendingPress, nullptr))
        press();
}

TEST_F(SubmissionsTest, ACloseDuringTheReportEndsItWithoutAnotherQuestion) {
    AddResult("C:\\a.exe", true);
    // The service falls silent inside its reply: the close must not wait for it.
    LoopbackHttpServer::Reply stalled = Text("OK, received");
    stalled.PauseAt = 2;
    stalled.PauseMs = 30000;
    Serve("/asp/submitFP.asp", stalled);
    enum class At { Question, Explanation, Reply };
    for (const At at : {At::Question, At::Explanation, At::Reply}) {
        SCOPED_TRACE(static_cast<int>(at));
        bool closeDeferred = false;
        ULONGLONG closedAt = 0;
        auto close = [&] {
            closedAt = GetTickCount64();
            form->Form_QueryUnload(closeDeferred, ui::vbFormControlMenu);
        };
        int boxes = 0, inputs = 0;
        ui::SetMessageBoxHandler([&](const ui::MessageBoxRequest&) {
            if (++boxes == 1 && at == At::Question)
                close();
            return IDOK;
        });
        ui::SetInputBoxHandler([&](const ui::InputBoxRequest&) {
            ++inputs;
            if (at == At::Explanation)
                close();
            if (at == At::Reply) {
                pendingPress = close;
                SetTimer(nullptr, 0, 50, PressLater);
            }
            return std::string("why");
        });
        const size_t requestsBefore = server.Requests().size();
        form->cmdFalsePos.Click();
        const ULONGLONG returnedAt = GetTickCount64();
        InstallUnexpectedMessageBoxHandler();
        InstallUnexpectedInputBoxHandler();

        EXPECT_TRUE(closeDeferred);
        ASSERT_NE(closedAt, 0u);
        EXPECT_LT(returnedAt - closedAt, 2000u);
        EXPECT_EQ(boxes, 1);
        EXPECT_EQ(inputs, at == At::Question ? 0 : 1);
        EXPECT_EQ(server.Requests().size() - requestsBefore, at == At::Reply ? 1u : 0u);
        EXPECT_EQ(exclusions, 0);
        EXPECT_FALSE(BusyState::IsBusy());
        EXPECT_FALSE(BusyState::StopRequested());
        pendingPress = nullptr;
    }
}

TEST_F(SubmissionsTest, FileNameGoesScrambledWithItsBarAndComesBackWhole) {
    const std::string name = "My Tool " + AnsiToUtf8(kAwkwardAnsi) + " 100%.exe";
    ASSERT_EQ(AnsiToUtf8(Utf8ToAnsi(name)), name);
    Serve("/asp/getData.asp", Text("Added"));
    form->txtFilename.SetText(name);
    form->cmdSubmit.Click();

    const LoopbackHttpServer::Request request = OnlyRequest();
    EXPECT_EQ(request.Path, "/asp/getData.asp");
    EXPECT_EQ(request.Query.size(), 1u);
    const std::string data = request.Query.at("data");
    ASSERT_FALSE(data.empty());
    EXPECT_EQ(data.back(), '|');
    EXPECT_EQ(AnsiToUtf8(UnscrambleString(data.substr(0, data.size() - 1))), name);
    // The scrambled bytes that fell on "&", "#", "%" and "+" arrived as themselves.
    EXPECT_EQ(data, ScrambleString(Utf8ToAnsi(name)) + "|");
    EXPECT_NE(data.find("&#%+"), std::string::npos);
}

TEST_F(SubmissionsTest, AnEmptyFileNameIsSentAsTheBarAlone) {
    Serve("/asp/getData.asp", Text("Skipped"));
    form->cmdSubmit.Click();
    EXPECT_EQ(OnlyRequest().Query.at("data"), "|");
    EXPECT_EQ(form->Label26.Caption, Message("MSG_RESULTS") + "  " + Message("MSG_RESULTS_THANK"));
}

TEST_F(SubmissionsTest, FileNameOutcomeShowsInTheResultsLabel) {
    std::vector<Outcome> outcomes = Outcomes("Added");
    outcomes.push_back({"skipped", 200, "SKIPPED: known", Delivery::Whole, true});
    for (const Outcome& outcome : outcomes) {
        SCOPED_TRACE(outcome.name);
        UseService(server.BaseUrl());
        Arrange("/asp/getData.asp", outcome);
        form->txtFilename.SetText("abc.exe");
        form->cmdSubmit.Click();
        EXPECT_EQ(form->Label26.Caption,
                  outcome.accepted ? kThanks
                                   : "Results: There was a problem submitting abc.exe.  Please "
                                     "make sure you are connected to the internet, or try again "
                                     "later.");
        EXPECT_EQ(form->txtFilename.Text(), "");
    }
}

TEST_F(SubmissionsTest, EnterInTheFileNameBoxSubmitsAndPassesTheKeyOn) {
    Serve("/asp/getData.asp", Text("Added"));
    form->txtFilename.SetText("abc.exe");
    int key = 'x';
    form->txtFilename.KeyPress(key);
    EXPECT_EQ(key, 'x');
    EXPECT_TRUE(server.Requests().empty());
    key = 13;
    form->txtFilename.KeyPress(key);
    EXPECT_EQ(key, 13);
    EXPECT_EQ(OnlyRequest().Query.at("data"), ScrambleString("abc.exe") + "|");
    EXPECT_EQ(form->Label26.Caption, kThanks);
}

TEST_F(SubmissionsTest, ASecondPressWhileASubmissionRunsSendsNothing) {
    LoopbackHttpServer::Reply slow = Text("Added");
    slow.DripBytes = 1;
    slow.DripMs = 60;
    Serve("/asp/getData.asp", slow);
    AddResult("C:\\a.exe", true);
    form->txtFilename.SetText("abc.exe");
    bool pressed = false;
    pendingPress = [&] {
        pressed = true;
        EXPECT_TRUE(BusyState::IsBusy());
        form->cmdSubmit.Click();
        int enter = 13;
        form->txtFilename.KeyPress(enter);
        form->cmdFalsePos.Click();
    };
    SetTimer(nullptr, 0, 50, PressLater);
    form->cmdSubmit.Click();
    pendingPress = nullptr;

    EXPECT_TRUE(pressed);
    EXPECT_EQ(OnlyRequest().Query.at("data"), ScrambleString("abc.exe") + "|");
    EXPECT_EQ(form->Label26.Caption, kThanks);
    EXPECT_FALSE(BusyState::IsBusy());
}

TEST_F(SubmissionsTest, BrowseTakesTheChosenFilesNameWithoutItsFolder) {
    struct Case {
        const char* chosen;
        const char* expected;
    } cases[] = {
        {"C:\\Some Folder\\tool.exe", "tool.exe"},
        {"tool2.exe", "tool2.exe"},
        {"C:\\ends\\", ""},
        // Cancelled: the box keeps what it holds.
        {"", "kept.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        form->txtFilename.SetText("kept.exe");
        const std::string chosen = c.chosen;
        ui::SetOpenFileDialogHandler([chosen] { return chosen; });
        form->Command2.Click();
        EXPECT_EQ(form->txtFilename.Text(), c.expected);
    }
}

TEST_F(SubmissionsTest, ProcessListGoesAsItIsAndNothingGoesWithoutProcesses) {
    // Two names joined as the scanner joins them, one of them scrambling onto "&#%+".
    const std::string list = ScrambleString("tool.exe") + "|" + ScrambleString(kAwkwardAnsi);
    submissions.RunningProcesses = [&list] { return list; };
    Serve("/asp/getData.asp", Text("whatever"));
    form->Links.SendProcessData();
    const LoopbackHttpServer::Request request = OnlyRequest();
    EXPECT_EQ(request.Path, "/asp/getData.asp");
    EXPECT_EQ(request.Query.size(), 1u);
    EXPECT_EQ(request.Query.at("data"), list);

    submissions.RunningProcesses = [] { return std::string(); };
    form->Links.SendProcessData();
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(SubmissionsTest, OpeningAnEmptyResultsPageSendsTheRunningProcesses) {
    const std::string name = UniqueProcessName("Submitted.exe");
    PlantedProcess planted(name);
    // The service is down: the submission fails silently.
    UseService(LoopbackHttpServer::UnusedBaseUrl());
    form->chkSendData.SetValue(1);
    form->cmdResults_Click();

    UseService(server.BaseUrl());
    Serve("/asp/getData.asp", Text("<html>404</html>", 404));
    form->cmdResults_Click();
    const std::vector<std::string> names = TextRules::Split(OnlyRequest().Query.at("data"), "|");
    EXPECT_NE(std::find(names.begin(), names.end(), ScrambleString(name)), names.end());

    // With rows in the list nothing is sent.
    AddResult("C:\\a.exe", false);
    form->cmdResults_Click();
    EXPECT_EQ(server.Requests().size(), 1u);
}

} // namespace
