#include "RemovalFixture.h"

#include "AnsiText.h"
#include "RegistryScanner.h"
#include "modFileRelated.h"
#include "modGlobals.h"
#include "modLanguages.h"

#include <windows.h>

RemovalFixture::RemovalFixture() {
    modLanguages::LoadDefaultMessages();
    SystemRestore::SetVersionOverride(SystemRestore::OsVersion{2, 5, 0});
    SystemRestore::SetRestorePointFunction(
        [this](const SystemRestore::RestorePointInfo& info, SystemRestore::RestorePointStatus&) {
            restorePointCalls.push_back(std::to_string(info.EventType));
            return false;
        });
    panel.Connect();
}

RemovalFixture::~RemovalFixture() {
    SystemRestore::SetVersionOverride(std::nullopt);
    SystemRestore::SetRestorePointFunction(nullptr);
    SystemRestore::RestorePointSequence = 0;
    modFileRelated::RemovalFirstPass = false;
    failed.Unload();
}

void RemovalFixture::AddFile(const std::string& path, const std::string& threat, ItemKind kind) {
    form->lists.lvwFilesToBeDeleted.Add(path).SetSubItem(1, threat);
    AddFoundItemRow(threat, kind, path, "Adware", path);
}

void RemovalFixture::AddCookie(const std::string& path) {
    form->lists.lvwCookiesToDelete.Add(path);
    AddFoundItemRow("Cookie: " + path.substr(path.rfind('\\') + 1), ItemCookie, path,
                    "Tracking Cookie", path);
}

void RemovalFixture::AddRegistry(int32_t root, const std::string& subkey, const std::string& value,
                                 const std::string& threat) {
    ui::ListItem& row = form->lists.lvwRegistryToBeDeleted.Add(std::to_string(root));
    row.SetSubItem(1, subkey);
    row.SetSubItem(2, value);
    row.SetSubItem(3, threat);
    AddFoundItemRow(threat.empty() ? subkey : threat, ItemRegistry,
                    "HKEY_CURRENT_USER\\" + subkey + value, "Adware",
                    RegistryScanner::RegistryRemovalItem(root, subkey, value));
}

void RemovalFixture::Tick(size_t row, bool checked) {
    form->lists.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.UserCheck(row, checked);
}

std::string RemovalFixture::Ticks(const ui::ListView& list) {
    std::string ticks;
    for (const ui::ListItem& row : list.Items())
        ticks += row.Checked ? '1' : '0';
    return ticks;
}

std::vector<std::string> RemovalFixture::FailedList() const {
    std::vector<std::string> rows;
    for (const ui::ListItem& row : failed.lstProblem.Items())
        rows.push_back(row.Text);
    return rows;
}

std::string RemovalFixture::QuarantineFile(const std::string& name) const {
    return modFileRelated::QuarantineFolder() + "\\" + name;
}
