// Measures the download of the update the scan benchmark applies (100,000 ADD and 1,000 DEL
// records, about 6.5 MB) from the test suite's loopback server, with and without chunking, as
// Live Update fetches it: from the request to the reply proven whole, showing the progress text
// in the shown progress window after each read. The longest gap between two passes of the
// message loop is how long the window may have waited for an answer.
//   xvfb-run -a build/wine-sandbox build/tests/download_benchmark.exe

#include "BenchSupport.h"
#include "BenchUpdateSet.h"
#include "DoEvents.h"
#include "LoopbackHttpServer.h"
#include "clsTray.h"
#include "frmDownload.h"
#include "modInternet.h"
#include "modLanguages.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

struct DownloadRun {
    double ms = 0;
    double longestGapMs = 0;
    size_t passes = 0;
    size_t progressTexts = 0;
    bool whole = false;
};

DownloadRun Download(const std::string& url, const std::string& expected, frmDownload& window) {
    DownloadRun run;
    Stopwatch watch;
    double lastPass = 0;
    modInternet::SetYieldHook([&] {
        const double now = watch.Milliseconds();
        run.longestGapMs = std::max(run.longestGapMs, now - lastPass);
        lastPass = now;
        ++run.passes;
        ui::DoEvents();
    });
    const modInternet::HttpResult reply = modInternet::HttpGetWithProgress(url, [&](size_t length) {
        window.ShowStatus(modInternet::DownloadedBytesText(length));
        ++run.progressTexts;
    });
    run.ms = watch.Milliseconds();
    run.longestGapMs = std::max(run.longestGapMs, run.ms - lastPass);
    run.whole = reply.WholeSuccess() && reply.Body == expected;
    modInternet::SetYieldHook(nullptr);
    return run;
}

} // namespace

int main() {
    modLanguages::LoadDefaultMessages();
    clsTray tray;
    tray.NotifyIcon = [](DWORD, NOTIFYICONDATAW&) { return true; };
    frmDownload window(tray);
    window.Show();
    ui::DoEvents();
    const UpdateSet set = MakeUpdate();
    std::printf("update reply: %zu records, %zu bytes\n", set.records, set.reply.size());
    LoopbackHttpServer server(std::chrono::minutes(10), std::chrono::minutes(3));
    const struct {
        const char* name;
        LoopbackHttpServer::Framing framing;
    } framings[] = {{"content-length", LoopbackHttpServer::Framing::ContentLength},
                    {"chunked", LoopbackHttpServer::Framing::Chunked}};
    for (const auto& framing : framings) {
        LoopbackHttpServer::Reply reply;
        reply.Body = set.reply;
        reply.BodyFraming = framing.framing;
        reply.ChunkBytes = 16 * 1024;
        server.Route(std::string("/") + framing.name,
                     [reply](const LoopbackHttpServer::Request&) { return reply; });
        for (int number = 1; number <= 2; ++number) {
            const DownloadRun run =
                Download(server.BaseUrl() + "/" + framing.name, set.reply, window);
            std::printf("download, %s, run %d: %.0f ms (%.2f MB/s), longest gap between "
                        "message-loop passes %.1f ms, %zu passes, %zu progress texts%s\n",
                        framing.name, number, run.ms,
                        static_cast<double>(set.reply.size()) / 1e6 / (run.ms / 1000),
                        run.longestGapMs, run.passes, run.progressTexts,
                        run.whole ? "" : " (WARNING: not proven whole, or not the reply sent)");
        }
    }
    window.Unload();
    return 0;
}
