#include "ScanSteps.h"

#include "Definitions.h"
#include "MCookies.h"
#include "MScanFolder.h"
#include "ModMemoryItemsInspected.h"
#include "RegistryScanner.h"
#include "SafetyList.h"
#include "ThreatClassification.h"

ScanSteps::ScanSteps()
    : LoadSafetyList([] { modGlobals::LoadSafetyList(); }),
      LoadDefinitions(modGlobals::LoadDefinitions),
      CheckDefinitionFiles(modGlobals::CheckDefinitionFiles), ScanCookies(MCookies::ScanCookies),
      ScanRunningProcesses(ModMemoryItemsInspected::ScanRunningProcesses),
      ScanRegistry(RegistryScanner::ScanRegistry),
      ScanFileDefinitions(MScanFolder::ScanFileDefinitions),
      ScanDirectoryDefinitions(MScanFolder::ScanDirectoryDefinitions),
      ScanDrive(MScanFolder::ScanDrive), ScanFolderFiles(MScanFolder::ScanFolderFiles),
      ScanFolderExecutables(MScanFolder::ScanFolderExecutables),
      AssignThreatDescriptions(ThreatClassification::AssignThreatDescriptions) {}
