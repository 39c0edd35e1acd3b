// The files around an update: downloaded copies put in place at start-up, "date.dat" written
// in one step, and a whole update from the loopback server whose new definition the next real
// scan finds.
#include "LiveUpdateFixture.h"

#include "AnsiText.h"
#include "DefinitionFile.h"
#include "DefinitionSetBuilder.h"
#include "DefinitionsDate.h"
#include "modGlobals.h"
#include "modLockdown.h"
#include "xfileExists.h"

#include <windows.h>

#include <optional>

#include <gtest/gtest.h>

namespace {

class UpdateFiles : public LiveUpdateFixture {
  protected:
    // Holds a file open the way a virus scanner or an editor might: it cannot be replaced.
    class Locked {
      public:
        explicit Locked(const std::string& path)
            : handle_(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr)) {}
        ~Locked() { CloseHandle(handle_); }
        bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }

      private:
        HANDLE handle_;
    };
};

TEST_F(UpdateFiles, DownloadedCopiesReplaceTheirFilesInOneStep) {
    for (const char* name : {kFileDefinitionFile, kExeDefinitionFile, kRegistryDefinitionFile,
                             kBlockedCookiesFile, kDirectoryDefinitionFile})
        data.WriteFile(name, std::string("old ") + name);
    data.WriteFile(std::string("DL") + kExeDefinitionFile, "new exe");
    data.WriteFile(std::string("DL") + kDirectoryDefinitionFile, "new folders");
    form->Links.InstallDownloadedDefinitions();

    EXPECT_EQ(DataFileContent(kExeDefinitionFile), "new exe");
    EXPECT_EQ(DataFileContent(std::string("DL") + kExeDefinitionFile), "<missing>");
    EXPECT_EQ(DataFileContent(kFileDefinitionFile), std::string("old ") + kFileDefinitionFile);
    // The folder definitions have no downloaded copy to install.
    EXPECT_EQ(DataFileContent(kDirectoryDefinitionFile),
              std::string("old ") + kDirectoryDefinitionFile);
    EXPECT_EQ(DataFileContent(std::string("DL") + kDirectoryDefinitionFile), "new folders");

    // A copy for a missing file takes its place; one for a file held open waits beside it.
    DeleteFileW(Utf8ToWide(data / kBlockedCookiesFile).c_str());
    data.WriteFile(std::string("DL") + kBlockedCookiesFile, "new cookies");
    data.WriteFile(std::string("DL") + kRegistryDefinitionFile, "new registry");
    {
        const Locked held(data / kRegistryDefinitionFile);
        ASSERT_TRUE(held.Held());
        InstallDownloadedDefinitions();
    }
    EXPECT_EQ(DataFileContent(kBlockedCookiesFile), "new cookies");
    EXPECT_EQ(DataFileContent(kRegistryDefinitionFile),
              std::string("old ") + kRegistryDefinitionFile);
    EXPECT_EQ(DataFileContent(std::string("DL") + kRegistryDefinitionFile), "new registry");
}

TEST_F(UpdateFiles, DefinitionsDateIsReplacedWholeOrKept) {
    EXPECT_EQ(ReadDefinitionsDate(), "3/16/2006 12:00:00 AM");
    ASSERT_TRUE(SaveDefinitionsDate("12/2/2026 1:00:00 AM"));
    EXPECT_EQ(DataFileContent(kDateFile), "12/2/2026 1:00:00 AM\r\n");
    EXPECT_EQ(ReadDefinitionsDate(), "12/2/2026 1:00:00 AM");
    ASSERT_TRUE(SaveDefinitionsDate("1/3/2027"));
    EXPECT_EQ(DataFileContent(kDateFile), "1/3/2027\r\n");
    {
        const Locked held(data / kDateFile);
        ASSERT_TRUE(held.Held());
        EXPECT_FALSE(SaveDefinitionsDate("2/3/2027"));
    }
    EXPECT_EQ(DataFileContent(kDateFile), "1/3/2027\r\n");
    EXPECT_EQ(DataFileContent(std::string(kDateFile) + ".new"), "<missing>");
}

// A definition file that cannot be replaced, held open by another program or read-only: the
// update says the definitions could not be saved, keeps "date.dat", shows the files as they
// now are, and the next update completes it without adding a line twice.
TEST_F(UpdateFiles, AFileThatCannotBeReplacedFailsTheUpdateAndARetryCompletesIt) {
    constexpr const char* kStoredDate = "12/1/2025 3:04:05 PM";
    const std::string reply = DefinitionSetBuilder()
                                  .Add("FILE", "f.exe=F")
                                  .Add("EXE", "e.exe=E")
                                  .Add("REG", "k=R|2^Software\\X|Spyware")
                                  .Add("COOK", "*.x.com")
                                  .Add("DIR", "d=D")
                                  .Add("SFILE", "s.exe=S|c:\\s")
                                  .Reply();
    // The files in the order an update replaces them, with the lines each gains.
    const struct {
        const char* name;
        std::vector<std::string> lines;
        bool counted; // in the panel's definition count
    } files[] = {
        {kFileDefinitionFile, {"f.exe=F", "e.exe=E"}, true},
        {kExeDefinitionFile, {"e.exe=E"}, true},
        {kRegistryDefinitionFile, {"2^Software\\X^=R|Spyware"}, true},
        {kBlockedCookiesFile, {"*.x.com"}, true},
        {kDirectoryDefinitionFile, {"d=D"}, true},
        {kSafetyFile, {"SFILE|s.exe=S|c:\\s"}, false},
    };
    Serve("/asp/currentDateNEW.asp", Text("12/1/2026 3:04:05 PM"));
    Serve("/asp/getDefsNEW.asp", Text(reply));
    Serve("/asp/date.asp", Text("12/2/2026 1:00:00 AM"));
    size_t linesBefore = 0; // of the counted files before the one that fails
    for (const auto& failing : files) {
        for (const bool readOnly : {false, true}) {
            SCOPED_TRACE(std::string(failing.name) + (readOnly ? " read-only" : " held open"));
            for (const auto& file : files)
                WriteDefinitionFile(file.name, {});
            data.WriteFile(kDateFile, std::string(kStoredDate) + "\r\n");
            Store("OptionAndSettings", "SHOW", "False");
            const std::string path = data / failing.name;
            {
                std::optional<Locked> held;
                if (readOnly)
                    ASSERT_TRUE(
                        SetFileAttributesW(Utf8ToWide(path).c_str(), FILE_ATTRIBUTE_READONLY));
                else
                    ASSERT_TRUE(held.emplace(path).Held());
                form->cmdUpdate.Click();
                SetFileAttributesW(Utf8ToWide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
            }
            EXPECT_EQ(notice.lblUpdateInfo.Caption, Message("MSG_DEFS_NOT_SAVED"));
            EXPECT_EQ(DataFileContent(kDateFile), std::string(kStoredDate) + "\r\n");
            EXPECT_EQ(form->lblDefVersion.Caption, std::string(kStoredDate) + " PST");
            EXPECT_EQ(form->lblDefCount.Caption, std::to_string(linesBefore));
            EXPECT_EQ(DataFileContent(failing.name), "");
            EXPECT_EQ(Stored("OptionAndSettings", "SHOW"), "False");
            notice.Unload();

            form->cmdUpdate.Click();
            EXPECT_EQ(notice.lblUpdateInfo.Caption, Message("MSG_UPDATED_DEFS"));
            EXPECT_EQ(DataFileContent(kDateFile), "12/2/2026 1:00:00 AM\r\n");
            EXPECT_EQ(form->lblDefCount.Caption, "6");
            for (const auto& file : files) {
                std::string stored;
                for (const std::string& line : file.lines)
                    stored += modLockdown::ScrambleString(line) + "\r\n";
                EXPECT_EQ(DataFileContent(file.name), stored) << file.name;
            }
            notice.Unload();
        }
        if (failing.counted)
            linesBefore += failing.lines.size();
    }
}

TEST_F(UpdateFiles, AScanAfterTheUpdateFindsWhatOnlyTheUpdateAdded) {
    const std::string tag = std::to_string(GetCurrentProcessId());
    const std::string threat = "Upd" + tag + ".exe";
    machine.WriteFile(threat, "x");
    for (const char* name : {kFileDefinitionFile, kDirectoryDefinitionFile, kExeDefinitionFile,
                             kRegistryDefinitionFile, kBlockedCookiesFile, kSafetyFile})
        WriteDefinitionFile(name, {});
    form->chkMakeLog.SetValue(0);
    form->optScan[0].SetValue(true);

    form->cmdScanNow_Click();
    EXPECT_EQ(form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 0u);

    Serve("/asp/currentDateNEW.asp", Text("12/1/2026 3:04:05 PM"));
    Serve("/asp/getDefsNEW.asp",
          Text(DefinitionSetBuilder::RecordText(
                   "FILE", "ADD", threat + "=Update Threat|" + machine.Path() + "|Adware") +
               "[BR]"));
    Serve("/asp/date.asp", Text("12/2/2026 1:00:00 AM"));
    form->cmdUpdate.Click();
    ASSERT_EQ(notice.lblUpdateInfo.Caption, Message("MSG_UPDATED_DEFS"));
    EXPECT_EQ(form->lblDefCount.Caption, "1");

    form->cmdScanNow_Click();
    const ui::ListView& found = form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    ASSERT_EQ(found.Count(), 1u);
    EXPECT_EQ(found.Item(0).Text, "Update Threat");
    EXPECT_EQ(found.Item(0).SubItem(1), machine.Path() + "\\" + threat);
}

} // namespace
