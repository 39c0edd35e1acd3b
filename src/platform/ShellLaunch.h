// The one way the program starts another program (Explorer, Notepad, the registry editor,
// regsvr32, the help viewer, the browser, the sibling tool). Tests replace the launcher: a real
// launch under a test would reach the desktop of the machine running it.
#pragma once

#include <functional>
#include <string>

namespace ShellLaunch {

struct Request {
    std::string File;       // a program name or path, or a document
    std::string Parameters; // the command line after the program
    int Show = 1;           // SW_SHOWNORMAL and friends
    bool Wait = false;      // run as a child process and wait for its end
    unsigned TimeoutMs = 0; // with Wait: how long to wait before ending it
};

// What a launch gave: started or not, and for a waited-for run its exit code.
struct Result {
    bool Started = false;
    bool TimedOut = false;
    unsigned long ExitCode = 0;
};

// Opens a program or document through the shell; true when it started.
bool Start(const std::string& file, const std::string& parameters, int show);
// Runs a program as a child process, hidden, and waits up to timeoutMs for it; a run that
// outlasts that is ended and reported as timed out.
Result RunAndWait(const std::string& file, const std::string& parameters, unsigned timeoutMs);

// The real launch, which a test double may pass a request on to.
Result LaunchForReal(const Request& request);

using Launcher = std::function<Result(const Request&)>;
// Replaces how launches are carried out; an empty function restores the real one.
void SetLauncher(Launcher launcher);

// Text in double quotes, for a command line.
std::string Quoted(const std::string& text);
// A folder for a command line, quoted. A trailing "\" would escape the closing quote, so it is
// left out ("C:\A\" gives "C:\A" in quotes) and a drive root is written as "C:\.".
std::string QuotedFolder(std::string folder);

} // namespace ShellLaunch
