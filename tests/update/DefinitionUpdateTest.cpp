#include "DefinitionUpdate.h"
#include "AnsiText.h"
#include "DefinitionFile.h"
#include "DefinitionSetBuilder.h"
#include "Definitions.h"
#include "UpdateFixture.h"
#include "modGlobals.h"
#include "modLockdown.h"

#include <windows.h>

namespace {

const std::string F = kFileDefinitionFile;
const std::string E = kExeDefinitionFile;
const std::string R = kRegistryDefinitionFile;
const std::string C = kBlockedCookiesFile;
const std::string D = kDirectoryDefinitionFile;
const std::string S = kSafetyFile;

using B = DefinitionSetBuilder;

std::string Scrambled(const std::string& text) {
    return modLockdown::ScrambleString(text);
}

struct UpdateCase {
    const char* name;
    DefinitionFiles before;
    std::string reply;
    bool custom;
    int32_t count;
    DefinitionFiles after;
};

const DefinitionFiles kInstalled = SixFiles({{F, {"old.exe=Old|c:\\old", "keep.exe=Keep"}},
                                             {E, {"old.exe=Old"}},
                                             {R, {"2^Software\\Old^=Old|Spyware"}},
                                             {C, {"*.old.com"}},
                                             {D, {"old=Old|c:\\old"}},
                                             {S, {"SFILE|safe.exe=x|c:\\safe.exe"}}});

DefinitionFiles Installed(const DefinitionFiles& changed) {
    DefinitionFiles files = kInstalled;
    for (const auto& [name, lines] : changed)
        files[name] = lines;
    return files;
}

std::vector<UpdateCase> Cases() {
    return {
        {"EmptyReplyChangesNothing", kInstalled, "", false, 0, kInstalled},
        {"BlanksOnly", kInstalled, "   [BR]  \r\n ", false, 0, kInstalled},
        {"AnExeGoesToTwoFiles", kInstalled, B().Add("EXE", "bad.exe=Bad|c:\\bad").Reply(), false, 2,
         Installed({{F, {"old.exe=Old|c:\\old", "keep.exe=Keep", "bad.exe=Bad|c:\\bad"}},
                    {E, {"old.exe=Old", "bad.exe=Bad|c:\\bad"}}})},
        {"SafetyKindsInAnyCaseGoToSafetyOnly", kInstalled,
         B().Add("SEXE", "good.exe=G|c:\\g.exe").Add("sfile", "ok.dll=O|c:\\ok.dll").Reply(), false,
         2,
         Installed({{S,
                     {"SFILE|safe.exe=x|c:\\safe.exe", "SEXE|good.exe=G|c:\\g.exe",
                      "sfile|ok.dll=O|c:\\ok.dll"}}})},
        {"LowerCaseBrSeparates", kInstalled,
         B().Add("FILE", "a.exe=A").Add("DLL", "b.dll=B").Reply("[br]"), false, 2,
         Installed({{F, {"old.exe=Old|c:\\old", "keep.exe=Keep", "a.exe=A", "b.dll=B"}}})},
        {"LowerCaseDefIsMalformedAndSkipped", kInstalled,
         B().Add("FILE", "a.exe=A")
             .Raw(Scrambled("FILE") + "|ADD[def]" + B::ScrambledPayload("x.exe=X"))
             .Add("FILE", "b.exe=B")
             .Reply(),
         false, 2,
         Installed({{F, {"old.exe=Old|c:\\old", "keep.exe=Keep", "a.exe=A", "b.exe=B"}}})},
        {"DelThenAddKeepsOldAndNew", kInstalled,
         B().Del("FILE", "old.exe").Add("FILE", "old.exe=New").Reply(), false, 1,
         Installed({{F, {"old.exe=Old|c:\\old", "keep.exe=Keep", "old.exe=New"}}})},
        {"AddThenDelRemovesEveryLineOfTheName", kInstalled,
         B().Add("FILE", "old.exe=New").Del("FILE", "OLD.EXE").Reply(), false, 2,
         Installed({{F, {"keep.exe=Keep"}}})},
        {"TwoDelsOneRewrite", Installed({{F, {"a.exe=A", "b.exe=B", "c.exe=C"}}}),
         B().Del("FILE", "a.exe").Add("FILE", "d.exe=D").Del("FILE", "b.exe").Reply(), false, 2,
         Installed({{F, {"c.exe=C", "d.exe=D"}}})},
        {"DelsInSeveralFiles", kInstalled,
         B().Del("EXE", "old.exe").Del("COOK", "*.OLD.com").Del("DIR", "old").Reply(), false, 4,
         Installed({{F, {"keep.exe=Keep"}}, {E, {}}, {C, {}}, {D, {}}})},
        {"CustomSetReplacesAllSixAndAppliesNoDel", kInstalled,
         B().Add("FILE", "c.exe=C").Add("COOK", "*.new.com").Del("FILE", "c.exe").Reply(), true, 2,
         SixFiles({{F, {"c.exe=C"}}, {C, {"*.new.com"}}})},
        {"RegistryRecords", kInstalled,
         B().Add("REG", "k=Evil Reg|2^Software\\Evil^Run|Spyware")
             .Add("REG", "no equals|2^x|Spyware")
             .Add("REG", "k=two|fields")
             .Reply(),
         false, 1,
         Installed(
             {{R, {"2^Software\\Old^=Old|Spyware", "2^Software\\Evil^Run^=Evil Reg|Spyware"}}})},
        {"MalformedRecordsBetweenGoodOnes", kInstalled,
         B().Add("FILE", "a.exe=A")
             .Raw(Scrambled("FILE"))
             .Raw(Scrambled("FILE") + "|ADD")
             .Raw(Scrambled("FILE") + "[DEF]" + B::ScrambledPayload("x.exe=X"))
             .Raw("<html>Server Error</html>")
             .Add("FILE", "b.exe=B")
             .Reply(),
         false, 2,
         Installed({{F, {"old.exe=Old|c:\\old", "keep.exe=Keep", "a.exe=A", "b.exe=B"}}})},
        {"PayloadsHoldingLineBreaksOrNul", kInstalled,
         B().Add("FILE", "crlf.exe=XÌÉY")
             .Raw(B::RecordText("FILE", "ADD", "nul.exe=N") + std::string(1, '\0') + "x")
             .Add("FILE", "cr.exe=AÌB")
             .Add("FILE", "lf.exe=CAFÉ")
             .Reply(),
         false, 2,
         Installed({{F, {"old.exe=Old|c:\\old", "keep.exe=Keep", "cr.exe=AÌB", "lf.exe=CAFÉ"}}})},
        {"CookieLinesAreTheNames", kInstalled,
         B().Add("COOK", "*.ads.com").Add("COOK", "t.com=ignored").Reply(), false, 2,
         Installed({{C, {"*.old.com", "*.ads.com", "t.com"}}})},
        {"FolderRecord", kInstalled, B().Add("DIR", "evil=Evil|c:\\evil|Adware").Reply(), false, 1,
         Installed({{D, {"old=Old|c:\\old", "evil=Evil|c:\\evil|Adware"}}})},
        {"OtherActionsDoNothing", kInstalled,
         B().Record("FILE", "MOVE", "a.exe=A").Record("FILE", "del", "old.exe").Reply(), false, 0,
         kInstalled},
        {"MissingFilesAreCreated",
         {},
         B().Add("FILE", "a.exe=A").Reply(),
         false,
         1,
         SixFiles({{F, {"a.exe=A"}}})},
        {"ALineAlreadyHeldIsNotAddedAgain", kInstalled,
         B().Add("FILE", "keep.exe=Keep").Add("FILE", "n.exe=N").Add("FILE", "n.exe=N").Reply(),
         false, 3, Installed({{F, {"old.exe=Old|c:\\old", "keep.exe=Keep", "n.exe=N"}}})},
    };
}

class DefinitionUpdateTable : public UpdateFixture {};

TEST_F(DefinitionUpdateTable, RecordsChangeTheFilesOfTheirKinds) {
    for (const UpdateCase& test : Cases()) {
        SCOPED_TRACE(test.name);
        WriteFiles(test.before);
        EXPECT_EQ(ApplyDefinitionUpdate(test.reply, test.custom), test.count);
        EXPECT_EQ(ReadFiles(), test.after);
        EXPECT_EQ(OtherFiles(), Lines{});
        // Applied again, an incremental reply leaves the files as they are.
        if (!test.custom) {
            ApplyDefinitionUpdate(test.reply, test.custom);
            EXPECT_EQ(ReadFiles(), test.after);
        }
    }
}

class DefinitionUpdate : public UpdateFixture {};

TEST_F(DefinitionUpdate, BlankLinesLeaveARewrittenFileOnly) {
    const std::string kept = Scrambled("b.exe=B") + "\r\n\r\n \r\n" + Scrambled("c.exe=C") + "\r\n";
    data.WriteFile(F, Scrambled("a.exe=A") + "\r\n" + kept);
    data.WriteFile(E, kept);
    EXPECT_EQ(ApplyDefinitionUpdate(B().Del("FILE", "a.exe").Add("EXE", "d.exe=D").Reply(), false),
              3);
    EXPECT_EQ(StoredBytes(F), Scrambled("b.exe=B") + "\r\n" + Scrambled("c.exe=C") + "\r\n" +
                                  Scrambled("d.exe=D") + "\r\n");
    EXPECT_EQ(StoredBytes(E), kept + Scrambled("d.exe=D") + "\r\n");
}

TEST_F(DefinitionUpdate, ALastLineWithoutItsLineEndKeepsItsOwnLine) {
    data.WriteFile(F, Scrambled("a.exe=A") + "\r\n" + Scrambled("b.exe=B"));
    EXPECT_EQ(ApplyDefinitionUpdate(B().Add("FILE", "c.exe=C").Reply(), false), 1);
    EXPECT_EQ(ReadFiles()[F], (Lines{"a.exe=A", "b.exe=B", "c.exe=C"}));
}

TEST_F(DefinitionUpdate, StatusTextsFollowTheFilesAndEveryHundredthLineOfTheCall) {
    Lines files(250), folders(60);
    for (size_t i = 0; i < files.size(); ++i)
        files[i] = "f" + std::to_string(i) + ".exe=F";
    for (size_t i = 0; i < folders.size(); ++i)
        folders[i] = "d" + std::to_string(i) + "=D|c:\\d";
    WriteFiles(SixFiles({{F, files}, {D, folders}}));
    Lines said;
    const int32_t count =
        ApplyDefinitionUpdate(B().Del("FILE", "f1.exe").Del("DIR", "d2").Reply(), false,
                              [&said](const std::string& text) { said.push_back(text); });
    EXPECT_EQ(count, 2);
    const std::string applying = "Applying new updates...";
    const std::string checking = "Removing outdated definitions: checking entry ";
    EXPECT_EQ(said, (Lines{applying, checking + "100", checking + "200", applying, applying,
                           applying, applying, checking + "50", applying}));
    EXPECT_EQ(ReadFiles()[F].size(), 249u);
    EXPECT_EQ(ReadFiles()[D].size(), 59u);
}

TEST_F(DefinitionUpdate, ACustomReplyWithoutAnAddLeavesTheFilesUntouched) {
    const std::string replies[] = {
        "",
        "  \r\n",
        "<html><head><title>404 Not Found</title></head><body>Not Found</body></html>",
        B().Add("FILE", "a.exe=A").Reply().substr(0, 3), // cut short in the head
        B().Del("FILE", "old.exe").Reply(),
        B().Add("NONE", "a.exe=A").Record("FILE", "KEEP", "a.exe=A").Reply(),
    };
    for (const std::string& reply : replies) {
        SCOPED_TRACE(reply);
        WriteFiles(kInstalled);
        std::optional<std::string> before = StoredBytes(F);
        EXPECT_FALSE(HasValidUpdateRecord(reply, true));
        EXPECT_EQ(ApplyDefinitionUpdate(reply, true), 0);
        EXPECT_EQ(ReadFiles(), kInstalled);
        EXPECT_EQ(StoredBytes(F), before);
    }
    EXPECT_TRUE(HasValidUpdateRecord(B().Del("FILE", "old.exe").Reply()));
    EXPECT_TRUE(HasValidUpdateRecord(B().Add("SDIR", "d=x|c:\\d").Reply(), true));
}

TEST_F(DefinitionUpdate, AFailingReplaceLeavesEveryFileWholeAndARetryCompletesIt) {
    const std::string reply = B().Add("EXE", "new.exe=New")
                                  .Del("FILE", "old.exe")
                                  .Add("REG", "k=R|2^Software\\New|Spyware")
                                  .Add("COOK", "*.new.com")
                                  .Reply();
    WriteFiles(kInstalled);
    const DefinitionFiles expected =
        Installed({{F, {"keep.exe=Keep", "new.exe=New"}},
                   {E, {"old.exe=Old", "new.exe=New"}},
                   {R, {"2^Software\\Old^=Old|Spyware", "2^Software\\New^=R|Spyware"}},
                   {C, {"*.old.com", "*.new.com"}}});

    // At every replace, each file holds its old or its new lines, whole.
    int replaces = 0;
    SetDefinitionFileReplacer([&](const std::string& from, const std::string& to) {
        for (const auto& [name, lines] : ReadFiles())
            EXPECT_TRUE(lines == kInstalled.at(name) || lines == expected.at(name)) << name;
        return ++replaces != 3 && replaces != 4 &&
               MoveFileExW(Utf8ToWide(from).c_str(), Utf8ToWide(to).c_str(),
                           MOVEFILE_REPLACE_EXISTING);
    });
    EXPECT_EQ(ApplyDefinitionUpdate(reply, false), kDefinitionUpdateFailed);
    EXPECT_EQ(replaces, 4); // the third file failed, and again at its retry
    const DefinitionFiles interrupted = ReadFiles();
    EXPECT_EQ(interrupted.at(F), expected.at(F));
    EXPECT_EQ(interrupted.at(E), expected.at(E));
    EXPECT_EQ(interrupted.at(R), kInstalled.at(R));
    EXPECT_EQ(interrupted.at(C), kInstalled.at(C));
    EXPECT_EQ(OtherFiles(), Lines{});

    // A replace that fails once is tried again within the call.
    replaces = 0;
    SetDefinitionFileReplacer([&](const std::string& from, const std::string& to) {
        return ++replaces != 1 && MoveFileExW(Utf8ToWide(from).c_str(), Utf8ToWide(to).c_str(),
                                              MOVEFILE_REPLACE_EXISTING);
    });
    EXPECT_EQ(ApplyDefinitionUpdate(reply, false), 5);
    EXPECT_EQ(ReadFiles(), expected);
    EXPECT_EQ(OtherFiles(), Lines{});
}

TEST_F(DefinitionUpdate, AnUnreadableFileEndsTheCallBeforeAnyFileChanges) {
    WriteFiles(kInstalled);
    HANDLE locked = CreateFileW(Utf8ToWide(data / R).c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_EQ(
        ApplyDefinitionUpdate(B().Add("FILE", "a.exe=A").Add("REG", "k=R|2^x|T").Reply(), false),
        kDefinitionUpdateFailed);
    CloseHandle(locked);
    EXPECT_EQ(ReadFiles(), kInstalled);
    EXPECT_EQ(OtherFiles(), Lines{});
}

TEST_F(DefinitionUpdate, ACallFromWithinAStatusTextDoesNothing) {
    WriteFiles(kInstalled);
    int32_t nested = -1;
    const std::string reply = B().Add("FILE", "a.exe=A").Reply();
    EXPECT_EQ(ApplyDefinitionUpdate(reply, false,
                                    [&](const std::string&) {
                                        if (nested < 0)
                                            nested = ApplyDefinitionUpdate(reply, false);
                                    }),
              1);
    EXPECT_EQ(nested, 0);
    EXPECT_EQ(ReadFiles()[F], (Lines{"old.exe=Old|c:\\old", "keep.exe=Keep", "a.exe=A"}));
}

TEST_F(DefinitionUpdate, TheLoaderSeesAnUpdateThatKeepsSizeAndTimeStamp) {
    using modGlobals::FileDefinitionTable;
    WriteFiles(SixFiles({{F, {"a.exe=A"}}}));
    modGlobals::LoadDefinitions();
    ASSERT_EQ(FileDefinitionTable.size(), 1u);
    EXPECT_EQ(FileDefinitionTable[0].Name, "a.exe");

    const FileStamp before = StampOf(data / F);
    HANDLE file = CreateFileW(Utf8ToWide(data / F).c_str(), FILE_READ_ATTRIBUTES, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    FILETIME written;
    ASSERT_TRUE(GetFileTime(file, nullptr, nullptr, &written));
    CloseHandle(file);
    EXPECT_EQ(ApplyDefinitionUpdate(B().Del("FILE", "a.exe").Add("FILE", "b.exe=B").Reply(), false),
              2);
    file = CreateFileW(Utf8ToWide(data / F).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &written));
    CloseHandle(file);
    ASSERT_EQ(StampOf(data / F), before);

    modGlobals::LoadDefinitions();
    ASSERT_EQ(FileDefinitionTable.size(), 1u);
    EXPECT_EQ(FileDefinitionTable[0].Name, "b.exe");
}

} // namespace
