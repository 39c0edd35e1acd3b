// The language file: finding a language's group, applying it to a window's controls by key and
// to the message table, and writing the English file back.
#include "LanguageFile.h"
#include "Controls.h"
#include "Form.h"
#include "TempFolder.h"
#include "TextRules.h"
#include "clsLanguages.h"
#include "modLanguages.h"
#include "modLorvane.h"
#include "xfileExists.h"

#include <gtest/gtest.h>

namespace {

// One control of every kind the file keys, and one it does not.
class TestWindow : public ui::Form {
  public:
    TestWindow() : ui::Form("frmTest") {
        Caption = "Design caption";
        lblTitle.Caption = "Title";
        cmdGo.Caption = "Go";
        fraBox.Caption = "Box";
        chkOn.Caption = "On";
        optSingle.Caption = "Single";
        optMode[0].Caption = "Mode zero";
        optMode[1].Caption = "Mode one";
        tabPages.Tabs = {"First", "Second"};
        lblLine[0].Caption = "Line zero";
        lblLine[1].Caption = "Line one";
        fraPage[0].Caption = "Page zero";
        fraPage[1].Caption = "Page one";
        for (ui::Control* control : std::initializer_list<ui::Control*>{
                 &lblTitle, &cmdGo, &fraBox, &chkOn, &optSingle, &optMode[0], &optMode[1],
                 &tabPages, &lvwItems, &txtName, &mnuTop, &mnuItem[0], &mnuItem[1], &lblLine[0],
                 &lblLine[1], &fraPage[0], &fraPage[1]})
            Add(*control);
    }
    ui::Label lblTitle{"lblTitle"};
    ui::Button cmdGo{"cmdGo"};
    ui::Frame fraBox{"fraBox"};
    ui::CheckBox chkOn{"chkOn"};
    ui::OptionGroup group;
    ui::OptionButton optSingle{"optSingle", -1, group};
    ui::OptionButton optMode[2] = {{"optMode", 0, group}, {"optMode", 1, group}};
    ui::TabStrip tabPages{"tabPages"};
    ui::ListView lvwItems{"lvwItems", {"Name", "Size"}};
    ui::TextBox txtName{"lblTitle"}; // a kind without a key, though its name has one
    ui::Menu mnuTop{"mnuTop", -1, "Top"};
    ui::Menu mnuItem[2] = {{"mnuItem", 0, "Open", &mnuTop}, {"mnuItem", 1, "Close", &mnuTop}};
    // Captioned control arrays: each element is keyed with its index.
    ui::Label lblLine[2] = {ui::Label{"lblLine", 0}, ui::Label{"lblLine", 1}};
    ui::Frame fraPage[2] = {ui::Frame{"fraPage", 0}, ui::Frame{"fraPage", 1}};
};

std::string Group(const std::string& name, const std::string& items) {
    return "<LANGUAGE_GROUP xml:lang=\"x\">\r\n\t<LANGUAGE_NAME>" + name +
           "</LANGUAGE_NAME>\r\n\t<TRANSLATION_ITEMS>\r\n" + items +
           "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n";
}

std::string Item(const std::string& key, const std::string& text) {
    return LanguageFile::ItemLine(key, text);
}

const std::string kEnglish =
    Group("English", Item("FRMTEST_CMDGO", "Go English") + Item("MSG_STOP", "Stop English?"));
// Greek, with Cyrillic and Han in its texts: any script reaches the controls intact.
const std::string kGreek =
    Group("Ελληνικά",
          Item("FRMTEST_LBLTITLE", "Τίτλος") + Item("frmTest_cmdGo", "Πάμε") +
              Item("FRMTEST_FRABOX", "Κουτί") + Item("FRMTEST_CHKON", "Ναι") +
              Item("FRMTEST_OPTSINGLE0", "Μόνο") + Item("FRMTEST_OPTMODE1", "Ένα") +
              Item("FRMTEST_TABPAGES_TABS2", "Δεύτερο") + Item("FRMTEST_LVWITEMS_COL1", "Όνομα") +
              Item("FRMTEST_MNUITEM1", "Κλείσιμο") + Item("FRMTEST_MNUTOP0", "Πάνω") +
              Item("FRMTEST_LBLLINE0", "Γραμμή 0") + Item("FRMTEST_LBLLINE1", "Γραμμή 1") +
              Item("FRMTEST_FRAPAGE1", "Σελίδα 1") +
              Item("FRMTEST_CAPTION", "Παράθυρο [ProgramName]") + Item("MSG_STOP", "Стоп 停止?"));

class LanguageFileTest : public testing::Test {
  protected:
    LanguageFileTest() {
        modLorvane::ProgramName = "Sweeper";
        LanguageFile::SetFolder(folder.Path());
        Lang = clsLanguages();
        modLanguages::LoadDefaultMessages();
        CurrentLanguage.clear();
    }
    ~LanguageFileTest() override {
        LanguageFile::SetFolder({});
        modLanguages::FormModels = nullptr;
        Lang = clsLanguages();
        modLorvane::ProgramName = program_;
    }
    void WriteFile(const std::string& content) {
        folder.WriteFile(LanguageFile::kFileName, content);
    }

    TempFolder folder;
    TestWindow window;

  private:
    std::string program_ = modLorvane::ProgramName;
};

TEST(LanguageGroups, WalkFindsEveryWholeGroupAndStopsAtAnUnterminatedOne) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::string> names;
    } cases[] = {
        {"two groups in file order", kEnglish + kGreek, {"English", "Ελληνικά"}},
        {"tags in any case",
         "<language_group><Language_Name>Low</language_name>"
         "<translation_items></translation_items></Language_Group>",
         {"Low"}},
        {"an unterminated group ends the walk",
         kEnglish + "<LANGUAGE_GROUP><LANGUAGE_NAME>Cut",
         {"English"}},
        {"a group after an unterminated one is never reached",
         "<LANGUAGE_GROUP><LANGUAGE_NAME>Cut</LANGUAGE_NAME>" + kGreek.substr(0, 10),
         {}},
        {"no groups", "plain text", {}},
        {"empty", "", {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> names;
        for (const LanguageFile::Group& group : LanguageFile::Groups(c.text))
            names.push_back(group.Name);
        EXPECT_EQ(names, c.names) << c.what;
    }
}

TEST(LanguageGroups, FirstMatchingGroupWinsWithoutRegardToCase) {
    const std::string text = kEnglish + Group("english", Item("K", "second")) + kGreek;
    EXPECT_EQ(LanguageFile::FindItems(text, "ENGLISH"),
              "\r\n" + Item("FRMTEST_CMDGO", "Go English") + Item("MSG_STOP", "Stop English?") +
                  "\t");
    EXPECT_TRUE(LanguageFile::FindItems(text, "ελληνικά").has_value());
    EXPECT_FALSE(LanguageFile::FindItems(text, "English ").has_value()); // names are not trimmed
    EXPECT_FALSE(LanguageFile::FindItems(text, "Klingon").has_value());
    // A group whose items lack their closing tag gives nothing.
    EXPECT_FALSE(LanguageFile::FindItems("<LANGUAGE_GROUP><LANGUAGE_NAME>A</LANGUAGE_NAME>"
                                         "<TRANSLATION_ITEMS>x</LANGUAGE_GROUP>",
                                         "A")
                     .has_value());
}

TEST(LanguageGroups, CompleteGroupNeedsNameItemsAndClosingTag) {
    EXPECT_TRUE(LanguageFile::HasCompleteGroup(kGreek));
    EXPECT_FALSE(LanguageFile::HasCompleteGroup(kGreek.substr(0, kGreek.size() - 20)));
    EXPECT_FALSE(LanguageFile::HasCompleteGroup("<TRANSLATION_ITEMS>"));
    EXPECT_FALSE(LanguageFile::HasCompleteGroup(""));
}

TEST(LanguageGroups, TrimPathKeepsTheLastLevel) {
    EXPECT_EQ(clsLanguages::LangTrimPath("C:\\One\\Two\\Localization.txt"), "Localization.txt");
    EXPECT_EQ(clsLanguages::LangTrimPath("Localization.txt"), "Localization.txt");
    EXPECT_EQ(clsLanguages::LangTrimPath(""), "");
    EXPECT_EQ(clsLanguages::LangTrimPath("C:\\One\\"), "");
}

TEST_F(LanguageFileTest, FileExistsFindsHiddenFilesButNoFolders) {
    EXPECT_FALSE(clsLanguages::LangFileExists(LanguageFile::FilePath()));
    folder.WriteFile("hidden.txt", "x", 0x2 /* FILE_ATTRIBUTE_HIDDEN */);
    folder.MakeFolder("sub");
    WriteFile(kEnglish);
    EXPECT_TRUE(clsLanguages::LangFileExists(LanguageFile::FilePath()));
    EXPECT_TRUE(clsLanguages::LangFileExists(folder / "HIDDEN.TXT"));
    EXPECT_FALSE(clsLanguages::LangFileExists(folder / "sub"));
    EXPECT_FALSE(clsLanguages::LangFileExists(folder / "*.txt"));
}

TEST_F(LanguageFileTest, ChangeLanguageSetsEveryKindOfControlByKey) {
    WriteFile(kEnglish + kGreek);
    Lang.ChangeLanguage(window, "ΕΛΛΗΝΙΚΆ");
    EXPECT_EQ(CurrentLanguage, "ΕΛΛΗΝΙΚΆ");
    EXPECT_EQ(window.lblTitle.Caption, "Τίτλος");
    EXPECT_EQ(window.cmdGo.Caption, "Πάμε");
    EXPECT_EQ(window.fraBox.Caption, "Κουτί");
    EXPECT_EQ(window.chkOn.Caption, "Ναι");
    EXPECT_EQ(window.optSingle.Caption, "Μόνο"); // outside an array: index 0
    EXPECT_EQ(window.optMode[0].Caption, "Mode zero");
    EXPECT_EQ(window.optMode[1].Caption, "Ένα");
    EXPECT_EQ(window.tabPages.Tabs, (std::vector<std::string>{"First", "Δεύτερο"}));
    EXPECT_EQ(window.lvwItems.ColumnHeaders[0].Text, "Όνομα");
    EXPECT_EQ(window.lvwItems.ColumnHeaders[1].Text, "Size");
    EXPECT_EQ(window.mnuTop.Caption, "Πάνω");
    EXPECT_EQ(window.mnuItem[0].Caption, "Open");
    EXPECT_EQ(window.mnuItem[1].Caption, "Κλείσιμο");
    EXPECT_EQ(window.txtName.Text(), "");
    EXPECT_EQ(window.lblLine[0].Caption, "Γραμμή 0");
    EXPECT_EQ(window.lblLine[1].Caption, "Γραμμή 1");
    EXPECT_EQ(window.fraPage[0].Caption, "Page zero");
    EXPECT_EQ(window.fraPage[1].Caption, "Σελίδα 1");
    EXPECT_EQ(window.Caption, "Παράθυρο Sweeper");
    EXPECT_EQ(Lang.getMessages("MSG_STOP"), "Стоп 停止?");
    // A message the language lacks keeps its text.
    EXPECT_EQ(Lang.getMessages("MSG_SURE"), "Are you sure?");
}

TEST_F(LanguageFileTest, PlainKeyOfAnArrayStillNamesItsFirstElement) {
    // As files were written before the elements of captioned arrays had keys of their own: the
    // plain key once per element, so the first text would have won for all of them.
    WriteFile(Group("Old", Item("FRMTEST_LBLLINE", "Alt 0") + Item("FRMTEST_LBLLINE", "Alt 1") +
                               Item("FRMTEST_FRAPAGE", "Seite 0") +
                               Item("FRMTEST_FRAPAGE1", "Seite 1")));
    Lang.ChangeLanguage(window, "Old");
    EXPECT_EQ(window.lblLine[0].Caption, "Alt 0");
    EXPECT_EQ(window.lblLine[1].Caption, "Line one");
    EXPECT_EQ(window.fraPage[0].Caption, "Seite 0");
    EXPECT_EQ(window.fraPage[1].Caption, "Seite 1");
    // The element's own key comes first.
    WriteFile(Group("New", Item("FRMTEST_LBLLINE", "Plain") + Item("FRMTEST_LBLLINE0", "Own")));
    Lang.ChangeLanguage(window, "New");
    EXPECT_EQ(window.lblLine[0].Caption, "Own");
}

TEST_F(LanguageFileTest, FileOverTheBoundIsNeverRead) {
    const std::string group = Group("Big", Item("FRMTEST_CMDGO", "Big go"));
    struct Case {
        const char* what;
        size_t size;
        bool read;
    } cases[] = {
        {"exactly the bound", LanguageFile::kMaxFileSize, true},
        {"one byte over", LanguageFile::kMaxFileSize + 1, false},
        {"five times the bound", 5 * LanguageFile::kMaxFileSize, false},
    };
    for (const Case& c : cases) {
        // A whole group, padded after it to the size wanted.
        WriteFile(group + std::string(c.size - group.size(), 'x'));
        EXPECT_EQ(LanguageFile::TooLarge(LanguageFile::FilePath()), !c.read) << c.what;
        const std::optional<std::string> text = LanguageFile::Read(LanguageFile::FilePath());
        EXPECT_EQ(text.has_value(), c.read) << c.what;
        if (text) {
            EXPECT_EQ(text->size(), c.size) << c.what;
        }
        Lang = clsLanguages();
        modLanguages::LoadDefaultMessages();
        window.cmdGo.Caption = "Go";
        Lang.ChangeLanguage(window, "Big");
        EXPECT_EQ(window.cmdGo.Caption, c.read ? "Big go" : "Go") << c.what;
        // A file too large to read is as good as none: English.
        EXPECT_EQ(CurrentLanguage, c.read ? "Big" : "English") << c.what;
    }
    EXPECT_FALSE(LanguageFile::TooLarge(folder / "absent.txt"));
    EXPECT_FALSE(LanguageFile::TooLarge(folder.Path()));
}

TEST_F(LanguageFileTest, MissingKeyKeepsThePreviousLanguagesText) {
    WriteFile(kGreek + kEnglish);
    Lang.ChangeLanguage(window, "Ελληνικά");
    Lang.ChangeLanguage(window, "English");
    EXPECT_EQ(window.cmdGo.Caption, "Go English");
    EXPECT_EQ(window.lblTitle.Caption, "Τίτλος");
    EXPECT_EQ(Lang.getMessages("MSG_STOP"), "Stop English?");
}

TEST_F(LanguageFileTest, FallsBackToEnglishOnlyWhenNothingOrOneLineWasLoaded) {
    struct Case {
        const char* what;
        std::string file;
        std::string caption;
    } cases[] = {
        {"unknown language", kEnglish, "Go English"},
        {"items on a single line",
         "<LANGUAGE_GROUP><LANGUAGE_NAME>One</LANGUAGE_NAME><TRANSLATION_ITEMS>"
         "<FRMTEST_CMDGO>Uno</FRMTEST_CMDGO></TRANSLATION_ITEMS></LANGUAGE_GROUP>" +
             kEnglish,
         "Go English"},
        {"LF-only line ends",
         TextRules::Replace(Group("One", Item("FRMTEST_CMDGO", "Uno")), "\r\n", "\n") + kEnglish,
         "Go English"},
        {"empty items, no fallback",
         "<LANGUAGE_GROUP><LANGUAGE_NAME>One</LANGUAGE_NAME><TRANSLATION_ITEMS>"
         "</TRANSLATION_ITEMS></LANGUAGE_GROUP>" +
             kEnglish,
         "Go"},
    };
    for (const Case& c : cases) {
        Lang = clsLanguages();
        modLanguages::LoadDefaultMessages();
        window.cmdGo.Caption = "Go";
        WriteFile(c.file);
        Lang.ChangeLanguage(window, c.what[0] == 'u' ? "Klingon" : "One");
        EXPECT_EQ(window.cmdGo.Caption, c.caption) << c.what;
    }
}

TEST_F(LanguageFileTest, NoFileChangesNothing) {
    Lang.ChangeLanguage(window, "Ελληνικά");
    EXPECT_EQ(window.cmdGo.Caption, "Go");
    EXPECT_EQ(window.Caption, "Design caption");
    EXPECT_EQ(CurrentLanguage, "English");
    EXPECT_FALSE(Lang.TranslationLines().has_value());
}

TEST_F(LanguageFileTest, UnterminatedGroupEndsTheWalkInsteadOfHanging) {
    WriteFile(kEnglish + "<LANGUAGE_GROUP><LANGUAGE_NAME>Cut</LANGUAGE_NAME>"
                         "<TRANSLATION_ITEMS>\r\n<FRMTEST_CMDGO>X</FRMTEST_CMDGO>\r\n");
    Lang.ChangeLanguage(window, "Cut");
    EXPECT_EQ(window.cmdGo.Caption, "Go English");
}

TEST_F(LanguageFileTest, ItemWithoutClosingTagGivesNoText) {
    WriteFile(Group("One", Item("FRMTEST_LBLTITLE", "Ok") + "\t\t<FRMTEST_CMDGO>Broken\r\n"));
    Lang.ChangeLanguage(window, "One");
    EXPECT_EQ(window.lblTitle.Caption, "Ok");
    EXPECT_EQ(window.cmdGo.Caption, "Go");
}

TEST_F(LanguageFileTest, WrittenFileGivesBackEveryKey) {
    modLanguages::FormModels = [this] { return std::vector<ui::Form*>{&window}; };
    Lang.makeLocalizationFile();
    const std::optional<std::string> text = LanguageFile::Read(LanguageFile::FilePath());
    ASSERT_TRUE(text);
    EXPECT_TRUE(TextRules::StartsWith(*text, LanguageFile::Header()));
    EXPECT_TRUE(TextRules::EndsWith(*text, LanguageFile::Footer()));
    EXPECT_EQ(text->find("\n"), text->find("\r\n") + 1);
    EXPECT_NE(text->find("\t\t<FRMTEST_OPTSINGLE0>Single</FRMTEST_OPTSINGLE0>\r\n"),
              std::string::npos);
    // No plain key for an array's elements.
    EXPECT_EQ(text->find("<FRMTEST_LBLLINE>"), std::string::npos);
    // Messages are written with their macros as they stand.
    EXPECT_NE(text->find("<MSG_PAUSED>[ProgramName] has been paused."), std::string::npos);

    Lang.LoadLanguageGroup("English");
    const std::pair<const char*, const char*> keys[] = {
        {"FRMTEST_LBLTITLE", "Title"},
        {"FRMTEST_CMDGO", "Go"},
        {"FRMTEST_FRABOX", "Box"},
        {"FRMTEST_CHKON", "On"},
        {"FRMTEST_OPTSINGLE0", "Single"},
        {"FRMTEST_OPTMODE0", "Mode zero"},
        {"FRMTEST_OPTMODE1", "Mode one"},
        {"FRMTEST_TABPAGES_TABS1", "First"},
        {"FRMTEST_TABPAGES_TABS2", "Second"},
        {"FRMTEST_LVWITEMS_COL1", "Name"},
        {"FRMTEST_LVWITEMS_COL2", "Size"},
        {"FRMTEST_MNUTOP0", "Top"},
        {"FRMTEST_MNUITEM0", "Open"},
        {"FRMTEST_MNUITEM1", "Close"},
        {"FRMTEST_LBLLINE0", "Line zero"},
        {"FRMTEST_LBLLINE1", "Line one"},
        {"FRMTEST_FRAPAGE0", "Page zero"},
        {"FRMTEST_FRAPAGE1", "Page one"},
        {"FRMTEST_CAPTION", "Design caption"},
        {"MSG_TITLELANGUAGE", "Language Selection"},
    };
    for (const auto& [key, caption] : keys)
        EXPECT_EQ(Lang.getCaption(key), caption) << key;
    for (const MessageEntry& entry : Lang.Messages()) {
        if (entry.used) {
            EXPECT_EQ(Lang.getCaption(entry.id), Lang.getMessages(entry.id)) << entry.id;
        }
    }
}

TEST_F(LanguageFileTest, ReplaceLeavesNoTemporaryFileBehind) {
    ASSERT_TRUE(xfileExists::ReplaceFileContent(LanguageFile::FilePath(), "one"));
    ASSERT_TRUE(xfileExists::ReplaceFileContent(LanguageFile::FilePath(), "two"));
    EXPECT_EQ(LanguageFile::Read(LanguageFile::FilePath()), "two");
    EXPECT_FALSE(clsLanguages::LangFileExists(LanguageFile::FilePath() + ".new"));
    EXPECT_FALSE(LanguageFile::Read(folder / "absent.txt").has_value());
}

} // namespace
