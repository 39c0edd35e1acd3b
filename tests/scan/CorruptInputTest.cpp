// Definition and exclusion files of random bytes, as a broken download or a damaged disk
// would leave them: every reader must go through them without crashing or hanging.
#include "DefinitionFile.h"
#include "Definitions.h"
#include "Exclusions.h"
#include "MScanFolder.h"
#include "SafetyList.h"
#include "ScanFixture.h"
#include "modGlobals.h"

#include <random>

namespace {

class CorruptInput : public ScanFixture {
  protected:
    std::string RandomBytes(size_t size) {
        std::string bytes(size, '\0');
        for (char& c : bytes) {
            // Mostly separators, line ends and bracket tokens, where parsers go wrong.
            const char interesting[] = "|=^[]\\\r\n :*";
            c = (random() % 3 == 0) ? interesting[random() % (sizeof(interesting) - 1)]
                                    : static_cast<char>(random() % 256);
        }
        return bytes;
    }
    std::mt19937 random{20261209};
};

TEST_F(CorruptInput, EveryReaderSurvivesRandomFiles) {
    for (int round = 0; round < 20; ++round) {
        ResetScanState();
        for (const char* name : {kFileDefinitionFile, kDirectoryDefinitionFile, kExeDefinitionFile,
                                 kRegistryDefinitionFile, kBlockedCookiesFile, kSafetyFile,
                                 modGlobals::kExclusionFile})
            WritePlainFile(name, RandomBytes(2000 + random() % 3000));
        EXPECT_TRUE(modGlobals::LoadSafetyList());
        modGlobals::LoadDefinitions();
        modGlobals::LoadExclusions();
        modGlobals::DefinitionCount = modGlobals::CountDefinitions();
        EXPECT_GT(modGlobals::DefinitionCount, 0);
        EXPECT_LE(modGlobals::FileDefinitionTable.size(), kDefinitionSlots);
        MScanFolder::ScanFileDefinitions();
        MScanFolder::ScanDirectoryDefinitions();
        MScanFolder::CheckFileDefinitions(machine / "probe.exe");
        MScanFolder::CheckFolderDefinitions(machine.Path() + "\\");
        modGlobals::IsSafeItem(RandomBytes(40));
        modGlobals::IsExcludedOrContains(RandomBytes(40));
    }
}

} // namespace
