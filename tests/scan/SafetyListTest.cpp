#include "SafetyList.h"
#include "DefinitionFile.h"
#include "ScanFixture.h"
#include "modGenDec.h"
#include "modGlobals.h"

#include <windows.h>
#include <shlobj.h>

using modGlobals::IsSafeItem;
using modGlobals::SafetyList;

namespace {

class Safety : public ScanFixture {
  protected:
    void Load(const std::vector<std::string>& lines) {
        WriteDefinitionFile(kSafetyFile, lines);
        EXPECT_TRUE(modGlobals::LoadSafetyList());
    }
};

TEST_F(Safety, EntriesBuiltPerKind) {
    Load({
        "SFILE|good.exe=x|[drive]Apps\\\\Good.exe",
        "SEXE|bare.exe=something",
        "SDLL|lib.dll = x|",
        "SREG|r=x|2^Software\\Vendor^Setting^",
        "SREG|r=x|1^Software\\Other^",
        "SDIR|d=x|c:\\Program Files\\Tool\\|extra",
        "XKIND|k=x|c:\\ignored",
        "SREG|r=x|9^Software\\Unknown^",
    });
    ASSERT_EQ(SafetyList.size(), 9u);
    EXPECT_EQ(SafetyList[0], modGenDec::GetSystemDriveRoot() + "Apps\\Good.exe");
    EXPECT_EQ(SafetyList[1], "bare.exe");
    EXPECT_EQ(SafetyList[2], "lib.dll");
    EXPECT_EQ(SafetyList[3], "HKEY_LOCAL_MACHINE\\Software\\Vendor\\Setting");
    EXPECT_EQ(SafetyList[4], "HKEY_CURRENT_USER\\Software\\Other");
    EXPECT_EQ(SafetyList[5], "c:\\Program Files\\Tool\\");
    // An unknown kind repeats the entry before it.
    EXPECT_EQ(SafetyList[6], SafetyList[5]);
    EXPECT_EQ(SafetyList[7], "\\Software\\Unknown");
    EXPECT_EQ(SafetyList[8], "");
}

TEST_F(Safety, LinesWithoutBarKeepTheKindBefore) {
    Load({"SDIR|d=x|c:\\tools", "plain.exe=x"});
    ASSERT_EQ(SafetyList.size(), 3u);
    // The kind carries over and the location is empty: a folder entry of nothing.
    EXPECT_EQ(SafetyList[1], "");
    Load({"SFILE|a=x|c:\\a.exe", "plain.exe=x"});
    EXPECT_EQ(SafetyList[1], "plain.exe");
}

TEST_F(Safety, FilesMatchOnEveryDriveAndCase) {
    Load({"SFILE|good.exe=x|[drive]Windows\\Good.exe"});
    EXPECT_TRUE(IsSafeItem("C:\\WINDOWS\\good.EXE"));
    EXPECT_TRUE(IsSafeItem("d:\\windows\\good.exe"));
    EXPECT_TRUE(IsSafeItem("  e:\\Windows\\Good.exe  "));
    EXPECT_FALSE(IsSafeItem("c:\\windows\\other.exe"));
    EXPECT_FALSE(IsSafeItem("c:\\windows\\good.exe.bak"));
}

TEST_F(Safety, EntriesOnOtherDrivesAreMappedLikeTheItem) {
    Load({"SDIR|d=x|D:\\Games\\Tool", "SFILE|e=x|e:\\x\\y.dll"});
    EXPECT_TRUE(IsSafeItem("c:\\games\\tool"));
    EXPECT_TRUE(IsSafeItem("D:\\Games\\Tool\\"));
    EXPECT_TRUE(IsSafeItem("F:\\x\\y.dll"));
}

TEST_F(Safety, BareNamesFoldersAndRegistryLocations) {
    Load({"SEXE|bare.exe=x", "SDIR|d=x|c:\\Tools\\", "SREG|r=x|2^Software\\Vendor^"});
    EXPECT_TRUE(IsSafeItem("BARE.EXE"));
    EXPECT_FALSE(IsSafeItem("c:\\x\\bare.exe"));
    EXPECT_TRUE(IsSafeItem("c:\\tools"));
    EXPECT_TRUE(IsSafeItem("c:\\tools\\"));
    EXPECT_FALSE(IsSafeItem("c:\\tools\\sub"));
    EXPECT_TRUE(IsSafeItem("hkey_local_machine\\software\\vendor\\"));
    EXPECT_FALSE(IsSafeItem("HKEY_LOCAL_MACHINE\\Software\\Vendor\\Sub"));
}

TEST_F(Safety, RepeatedEntriesAndEntriesEndingInBackslashes) {
    Load({"SDIR|d=x|c:\\Tools", "SDIR|d=x|C:\\TOOLS\\", "SFILE|f=x|c:\\Deep\\\\\\\\\\",
          "SFILE|g=x|c:\\slash//"});
    EXPECT_TRUE(IsSafeItem("c:\\tools"));
    EXPECT_TRUE(IsSafeItem("d:\\Tools\\"));
    // Five backslashes become three by the location's rule and two by the entry's: the
    // entry is "c:\\deep" followed by "\\", which the item may or may not end in.
    EXPECT_TRUE(IsSafeItem("c:\\deep"));
    EXPECT_TRUE(IsSafeItem("c:\\deep\\\\"));
    EXPECT_TRUE(IsSafeItem("c:\\slash"));
    EXPECT_FALSE(IsSafeItem("c:\\dee"));
    EXPECT_FALSE(IsSafeItem("c:\\tools\\deep"));
}

TEST_F(Safety, BlankItemsAndBareHives) {
    EXPECT_TRUE(IsSafeItem(""));
    EXPECT_TRUE(IsSafeItem(" "));
    EXPECT_TRUE(IsSafeItem("\\"));
    // With an empty list a hive is not safe; with one usable entry it is.
    EXPECT_FALSE(IsSafeItem("HKEY_CURRENT_USER"));
    Load({"SEXE|bare.exe=x"});
    EXPECT_TRUE(IsSafeItem("HKEY_CURRENT_USER"));
    EXPECT_TRUE(IsSafeItem("hkey_users\\"));
    EXPECT_FALSE(IsSafeItem("HKEY_DYN_DATA"));
}

TEST_F(Safety, MissingFileOrStopLeavesWhatWasRead) {
    EXPECT_TRUE(modGlobals::LoadSafetyList());
    EXPECT_TRUE(SafetyList.empty());
    EXPECT_FALSE(IsSafeItem("c:\\x.exe"));
    modGlobals::StopScanRequested = true;
    Load({"SEXE|a.exe=x", "SEXE|b.exe=x"});
    EXPECT_FALSE(IsSafeItem("a.exe"));
}

TEST_F(Safety, AMissingSpecialFolderMakesNothingSafe) {
    const MissingSpecialFolder missing(CSIDL_ALTSTARTUP);
    Load({"SDIR|d=x|[startsp]"});
    EXPECT_FALSE(IsSafeItem("c:\\anything"));
    EXPECT_FALSE(IsSafeItem("c:\\"));
}

} // namespace
