#include "ShellLaunch.h"

#include "AnsiText.h"

#include <windows.h>
#include <shellapi.h>

namespace ShellLaunch {

namespace {

Launcher& CurrentLauncher() {
    static Launcher launcher = LaunchForReal;
    return launcher;
}

Result StartThroughShell(const Request& request) {
    const std::wstring file = Utf8ToWide(request.File);
    const std::wstring parameters = Utf8ToWide(request.Parameters);
    const auto code = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", file.c_str(),
                      parameters.empty() ? nullptr : parameters.c_str(), nullptr, request.Show));
    return {code > 32, false, 0};
}

Result RunChild(const Request& request) {
    std::wstring commandLine = Utf8ToWide(Quoted(request.File));
    if (!request.Parameters.empty())
        commandLine += L" " + Utf8ToWide(request.Parameters);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(request.Show);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return {};
    Result result{true, false, 0};
    if (WaitForSingleObject(process.hProcess, request.TimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 1000);
        result.TimedOut = true;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    result.ExitCode = exitCode;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

} // namespace

Result LaunchForReal(const Request& request) {
    return request.Wait ? RunChild(request) : StartThroughShell(request);
}

bool Start(const std::string& file, const std::string& parameters, int show) {
    Request request;
    request.File = file;
    request.Parameters = parameters;
    request.Show = show;
    return CurrentLauncher()(request).Started;
}

Result RunAndWait(const std::string& file, const std::string& parameters, unsigned timeoutMs) {
    Request request;
    request.File = file;
    request.Parameters = parameters;
    request.Show = SW_HIDE;
    request.Wait = true;
    request.TimeoutMs = timeoutMs;
    return CurrentLauncher()(request);
}

void SetLauncher(Launcher launcher) {
    CurrentLauncher() = launcher ? std::move(launcher) : Launcher(LaunchForReal);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string QuotedFolder(std::string folder) {
    while (folder.size() > 1 && folder.back() == '\\')
        folder.pop_back();
    if (folder.size() == 2 && folder[1] == ':')
        folder += "\\.";
    return Quoted(folder);
}

} // namespace ShellLaunch
