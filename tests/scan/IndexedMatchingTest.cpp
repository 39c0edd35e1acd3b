// The indexed file and folder matchers and the hashed safety and exclusion lookups against
// plain searches from the first slot or entry, over many randomised tables and lists whose names
// and paths repeat often.
#include "Definitions.h"
#include "Exclusions.h"
#include "LinearMatcher.h"
#include "MScanFolder.h"
#include "SafetyList.h"
#include "ScanFixture.h"
#include "ScanProgress.h"
#include "ScanResults.h"
#include "TextRules.h"
#include "VersionInfo.h"
#include "modGenDec.h"
#include "modGlobals.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

// The program beside the tests whose version information names the system's maker.
std::string MicrosoftFixture() {
    return MScanFolder::ParentPath(OwnExecutablePath()) + "microsoft_company.exe";
}

std::string WithoutTrailingBackslash(std::string path) {
    if (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

// Everything a matcher writes: the rows of the three lists it fills and the two counters.
std::string Results() {
    std::string text;
    auto rows = [&text](const char* title, const ui::ListView& list) {
        text += title;
        text += ":\n";
        for (const ui::ListItem& row : list.Items()) {
            text += "  [" + row.Text + "]";
            for (int i = 1; i <= 4; ++i)
                text += " [" + row.SubItem(i) + "]";
            text += " icon=" + std::to_string(row.SmallIcon);
            text += row.Checked ? " checked" : " unchecked";
            text += " tag=[" + row.Tag + "]\n";
        }
    };
    rows("combined", ScanLists().lvwPicRemoveListOfSpywareFoundAndToBeRemoved);
    rows("running", ScanLists().lvwSpywareFound);
    rows("removal", ScanLists().lvwFilesToBeDeleted);
    text += "ItemsFound=" + std::to_string(modGlobals::ItemsFound);
    text += " traces=[" + ScanDisplay().lbltracesFound.Caption + "]\n";
    return text;
}

void ClearResults() {
    ScanLists() = ScanResultLists();
    modGlobals::ItemsFound = 0;
    ScanDisplay().lbltracesFound.Caption = "";
}

// The lookups of both lists are rebuilt when a list is loaded or changes size. A query while
// both lists are empty lets the next lists, set in place, be read anew whatever their size.
// The lists are replaced directly here, so their lookups must be told.
void ForgetListLookups() {
    ++modGlobals::SafetyListGeneration;
    ++modGlobals::ExclusionListGeneration;
}

const std::vector<std::string> kPieces = {"apps",     "evil",         "Tools",   "x",
                                          "temp",     "system",       "windows", "programs",
                                          "system32", "\xC3\xA4rger", "sub dir", "trail "};
const std::vector<std::string> kDefinitionDrives = {"c:", "d:", "[drive]", "[DRIVE]"};
const std::vector<std::string> kItemDrives = {"c:", "d:", "e:", "C:", "D:"};
const std::vector<std::string> kNames = {"a.exe",
                                         "b.dll",
                                         "A.EXE",
                                         "evil.exe",
                                         "longer-than-sixteen.exe",
                                         "abcdefghijklm.exe",
                                         "abcdefghijkl.exe",
                                         "[drive]a.exe",
                                         "[DRIVE]b.dll",
                                         "x[Drive].exe",
                                         " c.sys ",
                                         "notes.txt",
                                         "\xC3\xA4rger.exe",
                                         "[drive]",
                                         "readme.exe.txt-long-name"};
const std::vector<std::string> kTypes = {"Spyware", "Adware", "Hijacker", "Trojan", ""};

class Dice {
  public:
    explicit Dice(unsigned seed) : rng_(seed) {}

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    int Between(int low, int high) { return low + Below(high - low + 1); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <typename T> const T& Pick(const std::vector<T>& from) {
        return from[static_cast<size_t>(Below(static_cast<int>(from.size())))];
    }
    // The text in another letter case: each ASCII letter flipped at random, now and then the
    // whole text (other scripts included) in capitals.
    std::string MixedCase(const std::string& text) {
        if (Chance(10))
            return TextRules::ToUpper(text);
        std::string mixed = text;
        for (char& c : mixed)
            if (((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) && Chance(30))
                c = static_cast<char>(c ^ 0x20);
        return mixed;
    }
    template <typename T> void Shuffle(std::vector<T>& items) {
        std::shuffle(items.begin(), items.end(), rng_);
    }

  private:
    std::mt19937 rng_;
};

// One round's data: a few folder shapes and names that both the tables and the items use.
class Round {
  public:
    explicit Round(unsigned seed) : dice(seed) {
        const std::string systemDir =
            WithoutTrailingBackslash(TextRules::ToLower(modGenDec::GetSystemDir()));
        shapes.push_back(WithoutTrailingBackslash(
            TextRules::ToLower(MScanFolder::ParentPath(MicrosoftFixture()))));
        const int shapeCount = dice.Between(6, 16);
        while (static_cast<int>(shapes.size()) < shapeCount) {
            std::string shape;
            switch (dice.Below(16)) {
            case 0:
                shape = systemDir + Pieces(0, 2);
                break;
            case 1:
                shape = "c:\\windows" + Pieces(0, 2);
                break;
            case 2:
                shape = "[drive]\\windows\\system32" + Pieces(0, 1);
                break;
            default:
                shape = dice.Pick(kDefinitionDrives) + Pieces(0, 5);
                // The same folders on another drive: several slots of one key.
                if (dice.Chance(30))
                    shapes.push_back(dice.Pick(std::vector<std::string>{"c:", "[drive]"}) +
                                     shape.substr(MScanFolder::FirstPathPart(shape).size()));
            }
            shapes.push_back(shape);
        }
        const int nameCount = dice.Between(4, 9);
        names.push_back("microsoft_company.exe");
        while (static_cast<int>(names.size()) < nameCount)
            names.push_back(dice.Pick(kNames));
    }

    std::vector<DefinitionEntry> FileTable() {
        std::vector<DefinitionEntry> table(static_cast<size_t>(dice.Between(200, 2000)));
        for (DefinitionEntry& entry : table) {
            entry.Name = dice.Pick(names);
            entry.Path = dice.Pick(shapes) + "\\";
            Describe(entry);
        }
        if (dice.Chance(50))
            LateSlot(table).Name = dice.Pick(std::vector<std::string>{"", " ", "   "});
        return table;
    }

    std::vector<DefinitionEntry> FolderTable() {
        std::vector<DefinitionEntry> table(static_cast<size_t>(dice.Between(200, 2000)));
        for (DefinitionEntry& entry : table) {
            entry.Path = dice.Pick(shapes);
            if (dice.Chance(20))
                entry.Path += "\\";
            if (dice.Chance(5))
                entry.Path = TextRules::ToUpper(entry.Path);
            Describe(entry);
        }
        if (dice.Chance(50))
            LateSlot(table).Path = dice.Pick(std::vector<std::string>{"", " ", "\\", " \\ "});
        return table;
    }

    // A folder of the round's shapes as an item names it: on some drive, in any letter case,
    // now and then without a drive at all.
    std::string ItemFolder() {
        std::string shape = dice.Pick(shapes);
        std::string drive = MScanFolder::FirstPathPart(shape);
        const bool token = TextRules::Contains(drive, "[drive]", TextRules::Compare::Text);
        if (token || dice.Chance(30))
            drive = dice.Pick(kItemDrives);
        if (dice.Chance(4))
            drive.clear();
        return dice.MixedCase(drive + shape.substr(MScanFolder::FirstPathPart(shape).size()));
    }

    std::string FileItem() {
        const std::string folder = ItemFolder() + "\\";
        std::string name = dice.Chance(85) ? dice.Pick(names) : "other.exe";
        const std::string drive = MScanFolder::FirstPathPart(folder);
        name = TextRules::Replace(name, "[drive]", dice.MixedCase(drive), TextRules::Compare::Text);
        if (dice.Chance(10))
            name = " " + name + "  ";
        return folder + dice.MixedCase(name);
    }

    std::string FolderItem() {
        std::string item = ItemFolder() + "\\";
        if (dice.Chance(5))
            item = " " + item;
        if (dice.Chance(15))
            item += dice.Pick(std::vector<std::string>{"sub", "Evil", "data", "sub dir", "system"});
        return item;
    }

    // Safety entries for some of the items' checked paths, in other letter cases and on other
    // drives, with a few registry-style and blank entries, and the empty entry at the end.
    std::vector<std::string> SafetyEntries(const std::vector<std::string>& checkedPaths) {
        std::vector<std::string> entries;
        const int count = dice.Between(4, 14);
        for (int i = 0; i < count; ++i) {
            std::string entry = dice.MixedCase(dice.Pick(checkedPaths));
            if (TextRules::Contains(entry, ":\\") && dice.Chance(30))
                entry[0] = static_cast<char>('a' + dice.Below(26));
            if (dice.Chance(20))
                entry += dice.Pick(std::vector<std::string>{"\\", "\\\\", "/", "\\/"});
            if (dice.Chance(10))
                entry = "  " + entry + " ";
            entries.push_back(entry);
        }
        const std::vector<std::string> extras = {"HKEY_LOCAL_MACHINE\\Software\\Evil",
                                                 "hkey_current_user",
                                                 "HKEY_USERS\\",
                                                 " ",
                                                 "",
                                                 "c:\\unrelated\\thing.exe",
                                                 "/"};
        for (int i = dice.Between(1, 4); i > 0; --i)
            entries.push_back(dice.Pick(extras));
        dice.Shuffle(entries);
        entries.emplace_back();
        return entries;
    }

    // Exclusion pieces for some of the items' checked paths, each followed by "|".
    std::string ExclusionEntries(const std::vector<std::string>& checkedPaths) {
        std::string list;
        for (int i = dice.Between(3, 12); i > 0; --i) {
            std::string entry = dice.MixedCase(dice.Pick(checkedPaths));
            if (dice.Chance(10))
                entry = " " + entry;
            list += entry + "|";
            if (dice.Chance(5))
                list += "|";
        }
        return list;
    }

    Dice dice;
    std::vector<std::string> shapes;
    std::vector<std::string> names;

  private:
    std::string Pieces(int low, int high) {
        std::string path;
        for (int i = dice.Between(low, high); i > 0; --i)
            path += "\\" + dice.Pick(kPieces);
        return path;
    }

    void Describe(DefinitionEntry& entry) {
        entry.Type = dice.Pick(kTypes);
        entry.ThreatName = "Threat " + std::to_string(dice.Below(30));
    }

    // A slot in the last three tenths of the table.
    DefinitionEntry& LateSlot(std::vector<DefinitionEntry>& table) {
        const int size = static_cast<int>(table.size());
        return table[static_cast<size_t>(dice.Between(size * 7 / 10, size - 1))];
    }
};

// The path a file matcher checks for an item: its folder and trimmed name, lower case.
std::string CheckedFilePath(const std::string& item) {
    return TextRules::ToLower(MScanFolder::ParentPath(item)) +
           TextRules::ToLower(TextRules::Trim(MScanFolder::LastPathPart(item)));
}

// The path a folder matcher checks: the parent without its "\", and the last part.
std::string CheckedFolderPath(const std::string& item) {
    return TextRules::ToLower(
               TextRules::Trim(WithoutTrailingBackslash(MScanFolder::ParentPath(item)))) +
           MScanFolder::LastPathPart(item);
}

// The file or the folder matchers, with how a round makes an item of theirs and what they check.
struct Kind {
    std::string (Round::*item)();
    std::string (*checked)(const std::string&);
    void (*linear)(const std::string&);
    void (*indexed)(const std::string&);
};
const Kind kFiles{&Round::FileItem, CheckedFilePath, LinearMatcher::CheckFileDefinitions,
                  MScanFolder::CheckFileDefinitions};
const Kind kFolders{&Round::FolderItem, CheckedFolderPath, LinearMatcher::CheckFolderDefinitions,
                    MScanFolder::CheckFolderDefinitions};

class IndexedMatching : public ScanFixture {
  protected:
    // Runs both matchers on each item, each on fresh result lists and counters, and expects
    // the same rows and counters. Returns the number of rows the walk from the first slot wrote.
    size_t Compare(const std::vector<std::string>& items, const Kind& kind, int round) {
        size_t rows = 0;
        for (const std::string& item : items) {
            ClearResults();
            kind.linear(item);
            const std::string expected = Results();
            rows += ScanLists().lvwSpywareFound.Count();
            ClearResults();
            kind.indexed(item);
            const std::string actual = Results();
            EXPECT_EQ(expected, actual) << "round " << round << ", item [" << item << "]";
            if (expected != actual && ++mismatches >= 5)
                return rows;
        }
        return rows;
    }

    // Fills the tables and lists of one round, as the scan would find them after a load.
    void Prepare(Round& round, const std::vector<std::string>& checkedPaths) {
        ResetScanState();
        ForgetListLookups();
        modGlobals::FileDefinitionTable = round.FileTable();
        modGlobals::FolderDefinitionTable = round.FolderTable();
        ++modGlobals::DefinitionTablesGeneration;
        modGlobals::SafetyList = round.SafetyEntries(checkedPaths);
        modGlobals::ExclusionList = round.ExclusionEntries(checkedPaths);
    }

    // Thirty rounds of 120 items and the extra ones over tables and lists of their own. Each
    // outcome of the walk comes often, so agreeing cannot come from always saying no.
    void Rounds(unsigned seed, const Kind& kind, const std::vector<std::string>& extra) {
        LinearMatcher::Outcomes() = {};
        size_t rows = 0;
        for (int r = 0; r < 30 && mismatches < 5; ++r) {
            Round round(seed + static_cast<unsigned>(r));
            std::vector<std::string> items, checked;
            for (int i = 0; i < 120; ++i) {
                items.push_back((round.*kind.item)());
                checked.push_back(kind.checked(items.back()));
            }
            items.insert(items.end(), extra.begin(), extra.end());
            Prepare(round, checked);
            rows += Compare(items, kind, r);
        }
        const LinearMatcher::Tally& tally = LinearMatcher::Outcomes();
        EXPECT_GT(rows, 300u);
        EXPECT_GT(tally.reported, 300);
        EXPECT_GT(tally.excluded, 10);
        EXPECT_GT(tally.safe, 10);
        EXPECT_GT(tally.guarded, 10);
    }

    int mismatches = 0;
};

TEST_F(IndexedMatching, FileMatchesAgreeWithAWalkFromTheFirstSlot) {
    // The fixture itself among the items, so the maker's name is read from a real file.
    Rounds(1000, kFiles, {MicrosoftFixture(), ""});
    EXPECT_GT(LinearMatcher::Outcomes().microsoft, 0);
}

TEST_F(IndexedMatching, FolderMatchesAgreeWithAWalkFromTheFirstSlot) {
    Rounds(2000, kFolders, {"", "\\"});
}

TEST_F(IndexedMatching, ChangedTablesAndSlotsThatPassTheSearchOn) {
    using modGlobals::FileDefinitionTable;
    using modGlobals::FolderDefinitionTable;
    auto files = [this](const std::vector<std::string>& items) {
        return Compare(items, kFiles, 0);
    };
    auto folders = [this](const std::vector<std::string>& items) {
        return Compare(items, kFolders, 0);
    };
    FileDefinitionTable = {{"a.exe", "c:\\apps\\evil\\", "Spyware", "First"}};
    FolderDefinitionTable = {{"", "[drive]\\apps\\evil", "Adware", "First"}};
    ++modGlobals::DefinitionTablesGeneration;
    EXPECT_EQ(files({"c:\\apps\\evil\\a.exe", "c:\\apps\\evil\\b.dll"}), 1u);
    EXPECT_EQ(folders({"d:\\apps\\evil\\", "e:\\apps\\evil\\"}), 2u);

    // Refilled with as many slots, told by the generation.
    FileDefinitionTable = {{"b.dll", "c:\\apps\\evil\\", "Spyware", "First"}};
    FolderDefinitionTable = {{"", "d:\\apps\\evil", "Adware", "First"}};
    ++modGlobals::DefinitionTablesGeneration;
    EXPECT_EQ(files({"c:\\apps\\evil\\a.exe", "c:\\apps\\evil\\b.dll"}), 1u);
    EXPECT_EQ(folders({"d:\\apps\\evil\\", "e:\\apps\\evil\\"}), 1u);

    // Grown tables are noticed by their size. A "[drive]" slot takes the item's drive and ends
    // no search; an item without a drive letter is matched by neither search.
    FileDefinitionTable = {{"[drive]", "c:\\", "Spyware", "D"},
                           FileDefinitionTable.Entry(0),
                           {"a.exe", "e:\\apps\\evil\\", "Adware", "Second"}};
    FolderDefinitionTable = {{"", "[drive]", "Adware", "D"},
                             FolderDefinitionTable.Entry(0),
                             {"", "\\apps\\evil", "Adware", "Second"}};
    EXPECT_EQ(files({"c:\\x\\apps\\evil\\a.exe", "\\x\\apps\\evil\\a.exe"}), 1u);
    EXPECT_EQ(folders({"d:\\apps\\evil\\", "\\apps\\evil\\"}), 1u);

    // A slot turned away by a Windows or system folder guard leaves the item to later slots of
    // the same name. A folder's later slot could name the guarded word only as the first part
    // of a path without a drive letter, which is never matched.
    FileDefinitionTable = {{"longer-than-sixteen.exe", "c:\\apps\\", "Spyware", "Plain"},
                           {"longer-than-sixteen.exe", "c:\\system\\", "Spyware", "System"},
                           {"longer-than-sixteen.exe", "c:\\windows\\", "Spyware", "Windows"}};
    FolderDefinitionTable = {{"", "[drive]\\apps\\evil", "Adware", "Any"},
                             {"", "windows\\apps\\evil", "Adware", "Windows"}};
    ++modGlobals::DefinitionTablesGeneration;
    EXPECT_EQ(files({"c:\\windows\\x\\longer-than-sixteen.exe"}), 1u);
    EXPECT_EQ(ScanLists().lvwSpywareFound.Item(0).Text, "Windows");
    EXPECT_EQ(folders({"windows\\apps\\evil\\"}), 0u);
    EXPECT_EQ(mismatches, 0);
}

TEST_F(IndexedMatching, SafetyAndExclusionLookupsAgreeWithTheLinearSearch) {
    size_t safe = 0, excluded = 0, contained = 0, queries = 0;
    for (int r = 0; r < 30; ++r) {
        Round round(3000u + static_cast<unsigned>(r));
        std::vector<std::string> paths;
        for (int i = 0; i < 40; ++i) {
            paths.push_back(CheckedFilePath(round.FileItem()));
            paths.push_back(CheckedFolderPath(round.FolderItem()));
        }
        ResetScanState();
        ForgetListLookups();
        if (r % 10 == 9) {
            // Only blank entries: nothing is safe, not even a bare hive.
            modGlobals::SafetyList = {" ", "", "  ", ""};
        } else {
            modGlobals::SafetyList = round.SafetyEntries(paths);
        }
        modGlobals::ExclusionList = r % 10 == 8 ? "" : round.ExclusionEntries(paths);

        std::vector<std::string> items = {"",
                                          " ",
                                          "   ",
                                          "/",
                                          "\\",
                                          "\\/",
                                          "HKEY_LOCAL_MACHINE",
                                          "hkey_users\\",
                                          "HKEY_CURRENT_CONFIG\\\\",
                                          "Hkey_Classes_Root/",
                                          "HKEY_CURRENT_USERX",
                                          "HKEY_LOCAL_MACHINE\\Software\\Evil",
                                          "c:\\unrelated\\thing.exe"};
        for (std::string_view entry : modGlobals::SafetyList)
            items.emplace_back(entry);
        for (const std::string& entry : TextRules::Split(modGlobals::ExclusionList, "|"))
            items.push_back(entry);
        for (const std::string& path : paths) {
            std::string item = round.dice.MixedCase(path);
            // Another ending, blanks around it, a file below it, or another drive.
            const int how = round.dice.Below(8);
            if (how < 4)
                item += std::vector<std::string>{"\\", "/", "\\/", "\\\\"}[how];
            else if (how == 4)
                item = "  " + item + " ";
            else if (how == 5)
                item += "\\sub\\file.exe";
            else if (how == 6 && TextRules::Contains(item, ":\\"))
                item[0] = static_cast<char>('A' + round.dice.Below(26));
            items.push_back(item);
        }
        for (const std::string& item : items) {
            const bool isSafe = modGlobals::IsSafeItem(item);
            const bool isExcluded = modGlobals::IsExcluded(item);
            const bool orContains = modGlobals::IsExcludedOrContains(item);
            SCOPED_TRACE("round " + std::to_string(r) + " [" + item + "]");
            EXPECT_EQ(LinearMatcher::IsSafeItem(item), isSafe);
            EXPECT_EQ(LinearMatcher::IsExcluded(item), isExcluded);
            EXPECT_EQ(LinearMatcher::IsExcludedOrContains(item), orContains);
            safe += isSafe;
            excluded += isExcluded;
            contained += orContains && !isExcluded;
            ++queries;
        }
    }
    // Every answer occurs often, so agreeing cannot come from always saying no.
    EXPECT_GT(safe, queries / 20);
    EXPECT_LT(safe, queries / 2);
    EXPECT_GT(excluded, queries / 50);
    EXPECT_GT(contained, queries / 100);
}

} // namespace
