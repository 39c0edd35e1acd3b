#include "ScanFixture.h"

#include "AnsiText.h"
#include "Definitions.h"
#include "Exclusions.h"
#include "SafetyList.h"
#include "ScanProgress.h"
#include "ScanResults.h"
#include "modGenDec.h"
#include "modGlobals.h"
#include "modLockdown.h"

void ResetScanState() {
    using namespace modGlobals;
    StopScanRequested = false;
    ScanPhasePrefix.clear();
    ProcessesInspected = RegistryItemsInspected = FilesFoldersInspected = ItemsFound = 0;
    DefinitionCount = CookieDefinitionCount = FileDefinitionCount = RegistryDefinitionCount =
        ExeDefinitionCount = 0;
    FileDefinitionTable.clear();
    FolderDefinitionTable.clear();
    ++DefinitionTablesGeneration;
    SafetyList.clear();
    ++SafetyListGeneration;
    ExclusionList.clear();
    ++ExclusionListGeneration;
    ScanLists() = ScanResultLists();
    ScanDisplay() = ScanProgressDisplay();
    ProgressRefreshCount = 0;
}

ScanFixture::ScanFixture() {
    ResetScanState();
    modGlobals::DataFolder = data.Path();
}

ScanFixture::~ScanFixture() {
    ResetScanState();
    modGlobals::DataFolder.clear();
}

std::string ScanFixture::WriteDefinitionFile(const std::string& name,
                                             const std::vector<std::string>& lines,
                                             bool finalLineEnd) const {
    std::string content;
    for (size_t i = 0; i < lines.size(); ++i) {
        content += modLockdown::ScrambleString(Utf8ToAnsi(lines[i]));
        if (finalLineEnd || i + 1 < lines.size())
            content += "\r\n";
    }
    return data.WriteFile(name, content);
}

std::string ScanFixture::WritePlainFile(const std::string& name, const std::string& content) const {
    return data.WriteFile(name, content);
}

MissingSpecialFolder::MissingSpecialFolder(int csidl) {
    modGenDec::SetSpecialFolderLookup([csidl](int wanted) -> std::optional<std::string> {
        if (wanted == csidl)
            return std::nullopt;
        std::string folder = "C:\\F";
        folder += std::to_string(wanted);
        return folder;
    });
}

MissingSpecialFolder::~MissingSpecialFolder() {
    modGenDec::SetSpecialFolderLookup(nullptr);
}
