#include "AnsiText.h"
#include "DefinitionFile.h"
#include "Exclusions.h"
#include "ModRegistryRelated.h"
#include "ProtectedRegistryKeys.h"
#include "RegistryScanner.h"
#include "SafetyList.h"
#include "ScanFixture.h"
#include "ScanProgress.h"
#include "ScanResults.h"
#include "StopScanAt.h"
#include "TextRules.h"
#include "TwinMachineKey.h"
#include "modGenDec.h"
#include "modGlobals.h"

#include <windows.h>

#include <shlobj.h>

using ModRegistryRelated::SetRegistryValue;
using RegistryScanner::ScanRegistry;

namespace {

const int32_t kCurrentUser = static_cast<int32_t>(0x80000001u);
const std::string kUserRoot = "HKEY_CURRENT_USER\\";

// Definitions and keys under a key of the test's own in HKEY_CURRENT_USER.
class RegistryScan : public ScanFixture {
  protected:
    RegistryScan()
        : sub_("Software\\RegistryScanTest-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(GetTickCount())) {}
    ~RegistryScan() override { RegDeleteTreeW(HKEY_CURRENT_USER, Utf8ToWide(sub_).c_str()); }

    // The test key's path, or a path below it.
    std::string Sub(const std::string& relative) const { return sub_ + "\\" + relative; }
    void PutText(const std::string& relative, const std::string& name) const {
        SetRegistryValue(kCurrentUser, Sub(relative), name, "planted");
    }
    void PutBinary(const std::string& relative, const std::string& name) const {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(Sub(relative)).c_str(), 0, nullptr,
                                  0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const BYTE data[] = {1, 2, 3};
        RegSetValueExW(key, Utf8ToWide(name).c_str(), 0, REG_BINARY, data, sizeof(data));
        RegCloseKey(key);
    }
    void Definitions(const std::vector<std::string>& lines) const {
        WriteDefinitionFile(kRegistryDefinitionFile, lines);
    }

    static const ui::ListView& Removal() { return ScanLists().lvwRegistryToBeDeleted; }
    static const ui::ListView& Running() { return ScanLists().lvwSpywareFound; }
    static const ui::ListView& Combined() {
        return ScanLists().lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    }
    static std::string Row(const ui::ListItem& row, int columns) {
        std::string text = row.Text;
        for (int i = 1; i < columns; ++i)
            text += " | " + row.SubItem(i);
        return text + " | icon " + std::to_string(row.SmallIcon);
    }
    static std::vector<std::string> Rows(const ui::ListView& list, int columns) {
        std::vector<std::string> rows;
        for (const ui::ListItem& row : list.Items())
            rows.push_back(Row(row, columns));
        return rows;
    }

  private:
    std::string sub_;
};

TEST_F(RegistryScan, EachKindOfHitGivesItsRows) {
    const std::string drive = modGenDec::GetSystemDriveRoot();
    PutText("Foo", "Bar");
    PutText("Foo", "Quiet");
    PutText("Foo", "Dir\\Name");
    PutText("Foo", drive + "evil.exe");
    PutText("Foo", "[DRIVE]upper");
    PutBinary("Foo", "Blob");
    PutText("Named", "x");
    PutText("Bare", "x");
    PutText("Eq=uals", "x");
    const std::string s = Sub("");
    Definitions({
        "1^" + s + "Foo\\^Bar^=Toolbar.X|Adware",
        "1^" + s + "Foo^Bar^=Glued|Spyware",
        "1^" + s + "Named^=  Named Key|Hijacker|ignored  ",
        "1^" + s + "Bare^=",
        "1^" + s + "Foo\\^Quiet^=  ",
        "1^" + s + "Foo\\^Blob^=Blob Threat|Trojan",
        "1^" + s + "Foo\\^Dir\\\\Name^=Slashes",
        "1^" + s + "Eq=uals^=Equals|Adware",
        "1^" + s + "Foo\\^[drive]evil.exe^=Drive",
        "1^" + s + "Foo\\^[DRIVE]upper^=Upper",
    });
    ScanRegistry();

    const std::string u = "-2147483647 | ";
    EXPECT_EQ(Rows(Removal(), 4), (std::vector<std::string>{
                                      u + s + "Foo\\ | Bar | Toolbar.X | icon 0",
                                      u + s + "Foo | Bar | Glued | icon 0",
                                      u + s + "Named |  | Named Key | icon 0",
                                      u + s + "Bare |  |  | icon 0",
                                      u + s + "Foo\\ | Quiet |  | icon 0",
                                      u + s + "Foo\\ | Blob | Blob Threat | icon 0",
                                      u + s + "Foo\\ | Dir\\Name | Slashes | icon 0",
                                      u + s + "Eq=uals |  | Equals | icon 0",
                                      u + s + "Foo\\ | " + drive + "evil.exe | Drive | icon 0",
                                      u + s + "Foo\\ | [DRIVE]upper | Upper | icon 0",
                                  }));
    const std::string k = kUserRoot + s;
    EXPECT_EQ(Rows(Running(), 2), (std::vector<std::string>{
                                      "Toolbar.X | " + k + "Foo\\Bar | icon 2",
                                      "Glued | " + k + "FooBar | icon 2",
                                      "Named Key | " + k + "Named | icon 2",
                                      "RegKey " + s + "Bare | " + k + "Bare | icon 0",
                                      "Blob Threat | " + k + "Foo\\Blob | icon 2",
                                      "Slashes | " + k + "Foo\\Dir\\Name | icon 2",
                                      "Equals | " + k + "Eq=uals | icon 2",
                                      "Drive | " + k + "Foo\\" + drive + "evil.exe | icon 2",
                                      "Upper | " + k + "Foo\\[DRIVE]upper | icon 2",
                                  }));
    EXPECT_EQ(Rows(Combined(), 3), (std::vector<std::string>{
                                       "Toolbar.X | " + k + "Foo\\Bar | Adware | icon 2",
                                       "Glued | " + k + "FooBar | Spyware | icon 2",
                                       "Named Key | " + k + "Named | Hijacker | icon 2",
                                       s + "Bare | " + k + "Bare |  | icon 2",
                                       "Blob Threat | " + k + "Foo\\Blob | Trojan | icon 2",
                                       "Slashes | " + k + "Foo\\Dir\\Name |  | icon 2",
                                       "Equals | " + k + "Eq=uals | Adware | icon 2",
                                       "Drive | " + k + "Foo\\" + drive + "evil.exe |  | icon 2",
                                       "Upper | " + k + "Foo\\[DRIVE]upper |  | icon 2",
                                   }));
    // Each combined row names the one registry item that removing it deletes.
    EXPECT_EQ(Combined().Item(0).Tag, "-2147483647^" + s + "Foo\\^Bar");
    EXPECT_EQ(Combined().Item(3).Tag, "-2147483647^" + s + "Bare^");
    for (const ui::ListItem& row : Combined().Items())
        EXPECT_FALSE(row.Checked);
    EXPECT_EQ(modGlobals::RegistryItemsInspected, 10);
    EXPECT_EQ(modGlobals::ItemsFound, 9);
    EXPECT_EQ(ScanDisplay().lbltracesFound.Caption, "10");
}

TEST_F(RegistryScan, AbsentMalformedSafeAndExcludedEntries) {
    PutText("Foo", "Bar");
    PutText("Foo", "Kept");
    PutText("Safe", "Value");
    PutText("Safe\\Key", "x");
    PutText("Excluded\\Key", "x");
    PutText("Excluded\\Key", "Value");
    PutText("Here", "x");
    const std::string s = Sub("");
    WriteDefinitionFile(kSafetyFile,
                        {"SREG|r=x|1^" + s + "Safe\\^Value^", "SREG|r=x|1^" + s + "Safe\\Key^"});
    modGlobals::LoadSafetyList();
    modGlobals::AddExclusion(kUserRoot + s + "Foo\\Kept");
    modGlobals::AddExclusion(kUserRoot + s + "Excluded\\Key");
    // The definitions use "[appdata]"; the system seems to have no such folder.
    const MissingSpecialFolder noAppData(CSIDL_APPDATA);
    Definitions({
        "1^" + s + "Foo\\^Absent^=Absent",
        "1^" + s + "Nowhere^=Absent Key",
        "6^" + s + "Foo\\^Bar^=Bad Root",
        "  ^" + s + "Foo\\^Bar^=Blank Root",
        "x^" + s + "Foo\\^Bar^=Named Root",
        "1^" + s + "Foo\\^Bar^ no data sign",
        "1^" + s + "Here=Two Fields",
        "1^" + s + "Safe\\^Value^=Safe Value",
        "1^" + s + "Safe\\Key^=Safe Key",
        "1^" + s + "Foo\\^Kept^=Kept Value|Adware",
        "1^" + s + "Excluded\\Key^Value^=In Excluded Key",
        "1^" + s + "Excluded\\Key^=Excluded Key",
        "1^" + s + "[appdata]Here^=Elsewhere",
        "",
    });
    ScanRegistry();
    EXPECT_EQ(Removal().Count(), 0u);
    EXPECT_EQ(Combined().Count(), 0u);
    const std::string k = kUserRoot + s;
    EXPECT_EQ(Rows(Running(), 2), (std::vector<std::string>{
                                      "EXCLUDED | " + k + "Foo\\Kept | icon 5",
                                      "EXCLUDED | " + k + "Excluded\\KeyValue | icon 5",
                                      "EXCLUDED | " + k + "Excluded\\Key | icon 5",
                                  }));
    // Lines with a valid root are counted, found or not.
    EXPECT_EQ(modGlobals::RegistryItemsInspected, 7);
    EXPECT_EQ(modGlobals::ItemsFound, 0);
    EXPECT_EQ(ScanDisplay().lbltracesFound.Caption, "");
}

TEST_F(RegistryScan, FindsTheMachineKeysOfThe32BitViewOnly) {
    // 64-bit Windows keeps HKEY_LOCAL_MACHINE\Software twice; the definitions describe what a
    // 32-bit program sees, in either build.
    const TwinMachineKey machine("RegistryScanViewTest");
    ASSERT_TRUE(machine.Put(KEY_WOW64_32KEY, "Only32", "Value", "x"));
    ASSERT_TRUE(machine.Put(KEY_WOW64_64KEY, "Only64", "Value", "x"));
    const std::string s = machine.Sub("");
    Definitions({
        "2^" + s + "\\Only32\\^=Key32",
        "2^" + s + "\\Only64\\^=Key64",
        "2^" + s + "\\Only32\\^Value^=Value32",
        "2^" + s + "\\Only64\\^Value^=Value64",
    });
    ScanRegistry();
    const std::string m = "HKEY_LOCAL_MACHINE\\" + s + "\\";
    EXPECT_EQ(Rows(Running(), 2), (std::vector<std::string>{
                                      "Key32 | " + m + "Only32\\ | icon 2",
                                      "Value32 | " + m + "Only32\\Value | icon 2",
                                  }));
    EXPECT_EQ(Removal().Count(), 2u);
    EXPECT_EQ(modGlobals::RegistryItemsInspected, 4);
}

TEST_F(RegistryScan, ASubkeyOfOnlyBlanksAndBackslashesIsSkipped) {
    // Each would name a whole hive, which exists, ready to be ticked for removal.
    const std::vector<std::string> lines = {
        "1^^=Name|Adware", "1^ ^=Blank|Adware",    "1^\\^=Slash",
        "1^ \\\\ ^=",      "2^^=Machine|Hijacker", "0^ ^="};
    for (const std::string& line : lines) {
        ResetScanState();
        Definitions({line});
        ScanRegistry();
        EXPECT_EQ(Removal().Count(), 0u) << line;
        EXPECT_EQ(Running().Count(), 0u) << line;
        EXPECT_EQ(Combined().Count(), 0u) << line;
        EXPECT_EQ(modGlobals::RegistryItemsInspected, 0) << line;
    }
}

TEST_F(RegistryScan, AKeyTheSystemDependsOnIsNeverListedWhole) {
    const ControlSetsPlanted controlSets;
    std::vector<std::string> lines;
    int present = 0;
    for (const ProtectedRegistryKey& key : kProtectedRegistryKeys) {
        lines.push_back(key.rootIndex + "^" + key.subkey + "^^=System Key|Adware");
        present += ModRegistryRelated::RegistryKeyExists(
            ModRegistryRelated::GetRootKey(key.rootIndex), key.subkey);
    }
    // A program's own class key is a threat like any other key; a value inside a protected key
    // is one too.
    PutText("Some.Toolbar", "x");
    lines.push_back("1^" + Sub("Some.Toolbar") + "^^=Own Key|Adware");
    lines.push_back("1^Environment^TEMP^=Value Inside|Adware");
    Definitions(lines);
    ScanRegistry();

    // Most of them are there in any system, a fresh prefix too: the scan met them and left
    // them out.
    EXPECT_GT(2 * present, static_cast<int>(kProtectedRegistryKeys.size()));
    const std::string u = "-2147483647 | ";
    EXPECT_EQ(Rows(Removal(), 4), (std::vector<std::string>{
                                      u + Sub("Some.Toolbar") + " |  | Own Key | icon 0",
                                      u + "Environment | TEMP | Value Inside | icon 0",
                                  }));
    EXPECT_EQ(Running().Count(), 2u);
    EXPECT_EQ(Combined().Count(), 2u);
    EXPECT_EQ(modGlobals::RegistryItemsInspected, 2);
}

TEST_F(RegistryScan, ValueNamesAreMatchedAsWritten) {
    for (const char* name : {" ", "x ", "x", ""})
        PutText("Blanks", name);
    const std::string s = Sub("");
    Definitions({"1^" + s + "Blanks^ ^=Blank|Adware", "1^" + s + "Blanks^x ^=Trailing|Adware",
                 "1^" + s + "Blanks^  x^=Absent|Adware"});
    ScanRegistry();
    const std::string u = "-2147483647 | ";
    EXPECT_EQ(Rows(Removal(), 4), (std::vector<std::string>{
                                      u + s + "Blanks |   | Blank | icon 0",
                                      u + s + "Blanks | x  | Trailing | icon 0",
                                  }));
}

TEST_F(RegistryScan, WithoutTheDefinitionFileNothingHappens) {
    ScanRegistry();
    EXPECT_EQ(modGlobals::RegistryItemsInspected, 0);
    EXPECT_EQ(Running().Count(), 0u);
}

TEST_F(RegistryScan, ProgressShowsTheEntryAndBothShares) {
    PutText("Foo", "x");
    modGlobals::ScanPhasePrefix = "Scanning Registry: ";
    modGlobals::RegistryDefinitionCount = 8;
    modGlobals::CookieDefinitionCount = 2;
    modGlobals::ExeDefinitionCount = 1;
    modGlobals::DefinitionCount = 40;
    ProgressRefreshCount = 24;
    Definitions({"1^" + Sub("") + "Foo\\^MixedCase^=x"});
    ScanRegistry();
    EXPECT_EQ(ScanDisplay().lblStatus.Caption,
              "Scanning Registry: \r\n" + TextRules::ToLower(Sub("")) + "foo\\\\mixedcase");
    EXPECT_EQ(ScanDisplay().pb1.Value(), 12); // 12.5 rounds to even
    EXPECT_EQ(ScanDisplay().pb2.Value(), 10); // (1 + 2 + 1) / 40

    // More entries than the counts promise do not push the bars past 100.
    ResetScanState();
    modGlobals::RegistryDefinitionCount = modGlobals::DefinitionCount = 1;
    ProgressRefreshCount = 23;
    Definitions({"1^" + Sub("") + "Foo\\^a^=x", "1^" + Sub("") + "Foo\\^b^=x"});
    ScanRegistry();
    EXPECT_EQ(ScanDisplay().pb1.Value(), 100);
    EXPECT_EQ(ScanDisplay().pb2.Value(), 100);
}

TEST_F(RegistryScan, StopEndsThePhaseBeforeTheNextLine) {
    PutText("Foo", "x");
    Definitions({"1^" + Sub("") + "Foo^=Key"});
    modGlobals::StopScanRequested = true;
    ScanRegistry();
    EXPECT_EQ(modGlobals::RegistryItemsInspected, 0);
    EXPECT_EQ(Combined().Count(), 0u);

    modGlobals::StopScanRequested = false;
    Definitions(std::vector<std::string>(20000, "1^" + Sub("") + "Foo^=Key"));
    StopScanAt stop(modGlobals::RegistryItemsInspected, 20);
    ASSERT_TRUE(stop.Armed());
    ScanRegistry();
    const int32_t inspectedAtStop = stop.StoppedAt();
    ASSERT_GE(inspectedAtStop, 20) << "the phase ended before the stop came";
    EXPECT_EQ(modGlobals::RegistryItemsInspected, inspectedAtStop);
    EXPECT_LT(modGlobals::RegistryItemsInspected, 20000);
    EXPECT_EQ(static_cast<int32_t>(Combined().Count()), inspectedAtStop);
}

} // namespace
