#include "LiveUpdateFixture.h"

#include "AnsiText.h"
#include "DefinitionFile.h"
#include "DoEvents.h"
#include "UpdateSources.h"
#include "clsLanguages.h"
#include "modGlobals.h"
#include "modInternet.h"
#include "modLanguages.h"
#include "modLorvane.h"

#include <windows.h>

LiveUpdateFixture::LiveUpdateFixture() : previousWebsite_(modLorvane::WebsiteHost) {
    modLanguages::LoadDefaultMessages();
    tray.NotifyIcon = [this](DWORD message, NOTIFYICONDATAW& record) {
        trayCalls.emplace_back(message, record.hWnd);
        return true;
    };
    // A screen of 1024 by 768 pixels with a taskbar 30 pixels high.
    notice.Screen = [] { return PopupScreen{30, 1024, 768, 768 * 15}; };
    modInternet::SetYieldHook(ui::DoEvents);
    UseService(server.BaseUrl());
    update.Connect();
}

LiveUpdateFixture::~LiveUpdateFixture() {
    notice.Unload();
    download.Unload();
    modInternet::SetYieldHook(nullptr);
    modLorvane::WebsiteHost = previousWebsite_;
}

void LiveUpdateFixture::UseService(const std::string& address) {
    Store(UpdateSources::kSettingsSection, UpdateSources::kSourceKey, "service");
    Store(UpdateSources::kSettingsSection, UpdateSources::kServiceKey, address);
}

void LiveUpdateFixture::UseWebsite() {
    Store(UpdateSources::kSettingsSection, UpdateSources::kSourceKey, "website");
    modLorvane::WebsiteHost = server.BaseUrl();
}

LoopbackHttpServer::Reply LiveUpdateFixture::Text(std::string body, unsigned status) {
    LoopbackHttpServer::Reply reply;
    reply.Status = status;
    reply.Reason = status == 200 ? "OK" : "Error";
    reply.Body = std::move(body);
    return reply;
}

void LiveUpdateFixture::Serve(const std::string& path, const LoopbackHttpServer::Reply& reply) {
    server.Route(path, [reply](const LoopbackHttpServer::Request&) { return reply; });
}

std::vector<std::string> LiveUpdateFixture::RequestedPaths() const {
    std::vector<std::string> paths;
    for (const LoopbackHttpServer::Request& request : server.Requests())
        paths.push_back(request.Path);
    return paths;
}

std::string LiveUpdateFixture::DataFileContent(const std::string& name) const {
    return ReadFileBytes(modGlobals::DataFile(name));
}

std::string LiveUpdateFixture::Message(const char* id) {
    return Lang.getMessages(id);
}

UpdateExchangeFixture::UpdateExchangeFixture() {
    using namespace update_exchange;
    WriteDefinitionFile(kFileDefinitionFile, {kOldLine});
    for (const char* name : {kDirectoryDefinitionFile, kExeDefinitionFile, kRegistryDefinitionFile,
                             kBlockedCookiesFile, kSafetyFile})
        WriteDefinitionFile(name, {});
    data.WriteFile(kDateFile, std::string(kStoredDate) + "\r\n");
    Serve(kDate, Text(kServerDate));
    Serve(kDefs, Text(kRecord + "[BR]"));
    Serve(kNewDate, Text(std::string(kServedDate) + "\r\n"));
    Serve(kSiteDate, Text(kServerDate));
    Serve(kSiteSet, Text(kRecord));
    oldFiles_ = DataFileContent(kFileDefinitionFile);
}
