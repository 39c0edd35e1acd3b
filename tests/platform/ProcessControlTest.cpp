// Listing, naming and stopping processes, on processes the tests start themselves.
#include "ProcessControl.h"
#include "PlantedProcess.h"
#include "TextRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

using namespace ProcessControl;

struct NinetyFamily {
    NinetyFamily() { SetPlatformIdOverride(kPlatformWindows9x); }
    ~NinetyFamily() { SetPlatformIdOverride(std::nullopt); }
};

struct RefusedTermination {
    explicit RefusedTermination(int& attempts) {
        SetTerminateOverride([&attempts](uint32_t, unsigned) {
            ++attempts;
            return false;
        });
    }
    ~RefusedTermination() { SetTerminateOverride(nullptr); }
};

// The listed name of the process, or "" when it is not listed.
std::string ListedName(uint32_t processId, bool ntMethod, const std::string& filter = "") {
    std::vector<std::string> names;
    std::vector<uint32_t> ids;
    const int count = ListProcesses(names, ids, filter, ntMethod);
    EXPECT_EQ(count, static_cast<int>(names.size()));
    EXPECT_EQ(names.size(), ids.size());
    const auto found = std::find(ids.begin(), ids.end(), processId);
    return found == ids.end() ? std::string() : names[found - ids.begin()];
}

TEST(ProcessControl, SandboxIsOfTheNtFamilyUnlessOverridden) {
    EXPECT_EQ(PlatformId(), kPlatformNT);
    {
        NinetyFamily ninety;
        EXPECT_TRUE(IsWindows9xFamily());
    }
    EXPECT_FALSE(IsWindows9xFamily());
}

TEST(ProcessControl, ListsAPlantedProcessByEitherMethod) {
    const std::string name = UniqueProcessName("Listed.exe");
    PlantedProcess planted(name);
    EXPECT_EQ(ListedName(planted.Id(), true), name);
    EXPECT_EQ(ListedName(planted.Id(), true, "Listed"), name);
    EXPECT_EQ(ListedName(planted.Id(), true, "listed"), ""); // the filter minds case
    // The Toolhelp method gives the full path, as on the 95/98/ME family.
    EXPECT_TRUE(TextRules::EqualsNoCase(ListedName(planted.Id(), false), planted.Path()));
    EXPECT_TRUE(TextRules::EqualsNoCase(ProcessImagePath(planted.Id()), planted.Path()));
    EXPECT_EQ(ProcessNameFromId(planted.Id()), name);
    // The NT listing needs the process-status functions, which that family lacks.
    NinetyFamily ninety;
    std::vector<std::string> names{"stale"};
    std::vector<uint32_t> ids{1};
    EXPECT_EQ(ListProcesses(names, ids, "", true), -1);
    EXPECT_TRUE(names.empty() && ids.empty());
}

TEST(ProcessControl, RepeatedListingsFollowProcessesThatComeAndGo) {
    const std::string firstName = UniqueProcessName("First.exe");
    auto first = std::make_unique<PlantedProcess>(firstName);
    EXPECT_EQ(ListedName(first->Id(), true), firstName);
    EXPECT_EQ(ListedName(first->Id(), true), firstName);
    const uint32_t firstId = first->Id();
    first.reset();
    const std::string secondName = UniqueProcessName("Second.exe");
    PlantedProcess second(secondName);
    EXPECT_EQ(ListedName(second.Id(), true), secondName);
    // The first's id, if the system gave it to the second, carries the second's name.
    EXPECT_EQ(ListedName(firstId, true), firstId == second.Id() ? secondName : "");
}

TEST(ProcessControl, NamesOfFixedAndMissingProcesses) {
    EXPECT_EQ(ProcessNameFromId(0), "System Idle Process");
    EXPECT_EQ(ProcessNameFromId(2), "System");
    EXPECT_EQ(ProcessNameFromId(0xFFFFFFF0u), "");
    EXPECT_EQ(ProcessImagePath(0xFFFFFFF0u), "");
    EXPECT_EQ(FileNameFromFullPath("C:\\Program Files\\Tool\\tool.exe"), "tool.exe");
    EXPECT_EQ(FileNameFromFullPath(std::string("C:\\a\\b.exe\0\\junk", 17)), "b.exe");
    EXPECT_EQ(FileNameFromFullPath("tool.exe"), "tool.exe");
}

TEST(ProcessControl, TerminatesWithTheGivenOrItsOwnExitCode) {
    PlantedProcess first(UniqueProcessName("ById.exe"));
    EXPECT_TRUE(TerminateProcessById(first.Id(), 5));
    ASSERT_TRUE(first.Ended());
    EXPECT_EQ(first.ExitCode(), 5u);

    PlantedProcess second(UniqueProcessName("ByOwnCode.exe"));
    EXPECT_TRUE(KillProcessById(second.Id()));
    ASSERT_TRUE(second.Ended());
    EXPECT_EQ(second.ExitCode(), static_cast<unsigned long>(STILL_ACTIVE));
}

TEST(ProcessControl, NeverStopsThisProgram) {
    EXPECT_FALSE(StopProcessById(GetCurrentProcessId()));
    EXPECT_FALSE(KillProcessById(GetCurrentProcessId()));
}

TEST(ProcessControl, KillByNameComparesAsTheShortNameRulesSay) {
    // Listed in upper case, asked for in lower case.
    PlantedProcess upper(TextRules::ToUpper(UniqueProcessName("upper.exe")));
    EXPECT_TRUE(KillProcessByName(UniqueProcessName("upper.exe")));
    EXPECT_TRUE(upper.Ended());

    // An 18-character name matches on its first 15.
    const std::string longStem = UniqueProcessName("abcdefghijklmnopq");
    PlantedProcess longName(longStem + ".exe");
    EXPECT_TRUE(KillProcessByName(longStem.substr(0, 15) + "XYZ"));
    EXPECT_TRUE(longName.Ended());

    // Only the part before the first dot counts.
    const std::string pid = std::to_string(GetCurrentProcessId());
    ASSERT_LE(("d" + pid + ".other.exe").size(), 15u);
    PlantedProcess dotted("d" + pid + ".tool.exe");
    EXPECT_TRUE(KillProcessByName("d" + pid + ".other.exe"));
    EXPECT_TRUE(dotted.Ended());

    // A long name also matches its 8.3 short form.
    const std::string sixCharacters = ("q" + pid + "zzzzz").substr(0, 6);
    PlantedProcess shortForm(sixCharacters + "~1.exe");
    EXPECT_TRUE(KillProcessByName(sixCharacters + " long tool name.exe"));
    EXPECT_TRUE(shortForm.Ended());

    EXPECT_TRUE(KillProcessByName(UniqueProcessName("NotRunning.exe")));
}

TEST(ProcessControl, KillByNameGivesUpAfterElevenFailedAttempts) {
    const std::string name = UniqueProcessName("Stubborn.exe");
    PlantedProcess planted(name);
    int attempts = 0;
    {
        RefusedTermination refused(attempts);
        EXPECT_FALSE(KillProcessByName(name));
    }
    EXPECT_EQ(attempts, 11);
    EXPECT_TRUE(planted.Running());
}

TEST(ProcessControl, KillByNameFindsNothingOnTheNinetyFamily) {
    const std::string name = UniqueProcessName("Ninety.exe");
    PlantedProcess planted(name);
    NinetyFamily ninety;
    EXPECT_TRUE(KillProcessByName(name));
    EXPECT_TRUE(planted.Running());
}

TEST(ProcessControl, WmiNamesThePlantedProcess) {
    const std::string name = UniqueProcessName("Wmi.exe");
    PlantedProcess planted(name);
    const std::vector<std::string> names = QueryWmiProcessNames();
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end());
}

} // namespace
