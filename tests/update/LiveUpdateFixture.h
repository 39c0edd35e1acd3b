// A live update of its own over the main window fixture: its progress window and notice, a
// tray that only records what it is asked, and a loopback server standing in for the
// definitions service (or the website), which the per-user settings point the update at.
#pragma once

#include "../app/MainWindowFixture.h"
#include "DefinitionSetBuilder.h"
#include "LiveUpdate.h"
#include "LoopbackHttpServer.h"
#include "clsTray.h"
#include "frmDownload.h"
#include "frmSignatureUpdated.h"

#include <string>
#include <vector>

class LiveUpdateFixture : public MainWindowFixture {
  protected:
    LiveUpdateFixture();
    ~LiveUpdateFixture() override;

  public:
    // Public, so that the rows of a table can arrange the exchange.

    // Points the update at the service at this address (the loopback server's by default).
    void UseService(const std::string& address);
    // Makes the website source the one checks use, at the loopback server.
    void UseWebsite();

    // A plain text reply (a date, an update, an error page).
    static LoopbackHttpServer::Reply Text(std::string body, unsigned status = 200);
    // Serves every request for the path with the reply.
    void Serve(const std::string& path, const LoopbackHttpServer::Reply& reply);
    // The paths requested so far, in order.
    std::vector<std::string> RequestedPaths() const;

    // Bytes of a file in the data folder; "<missing>" when it is not there.
    std::string DataFileContent(const std::string& name) const;
    // The message's text in the built-in catalog.
    static std::string Message(const char* id);

    LoopbackHttpServer server;
    clsTray tray;
    // The shell calls the tray made, as (message, window).
    std::vector<std::pair<DWORD, HWND>> trayCalls;
    frmDownload download{tray};
    frmSignatureUpdated notice{tray, download};
    LiveUpdate update{*form, download, notice, tray};

  private:
    std::string previousWebsite_;
};

// What an exchange starts from: one threat's definitions and a date installed, and every route
// of the service and the website offering a later date and one record more.
namespace update_exchange {
constexpr const char* kStoredDate = "12/1/2025 3:04:05 PM";
constexpr const char* kServerDate = "12/1/2026 3:04:05 PM";
constexpr const char* kServedDate = "12/2/2026 1:00:00 AM";
inline const std::string kOldLine = "old.exe=Old Threat|C:\\old|Adware";
inline const std::string kNewLine = "new.exe=New Threat|C:\\new|Adware";
inline const std::string kRecord = DefinitionSetBuilder::RecordText("FILE", "ADD", kNewLine);
// The routes: the service's date, its definitions and their date; the website's date and set.
constexpr const char* kDate = "/asp/currentDateNEW.asp";
constexpr const char* kDefs = "/asp/getDefsNEW.asp";
constexpr const char* kNewDate = "/asp/date.asp";
constexpr const char* kSiteDate = "/definitions/customdate.html";
constexpr const char* kSiteSet = "/definitions/custom.html";
} // namespace update_exchange

class UpdateExchangeFixture : public LiveUpdateFixture {
  protected:
    UpdateExchangeFixture();

    std::string oldFiles_; // the file definitions as installed
};
