#include "modRegsvr32.h"

#include "FolderCopy.h"
#include "RemovalGuard.h"
#include "ShellLaunch.h"
#include "X86View.h"

#include <windows.h>

namespace modRegsvr32 {

bool RegisterServer(const std::string& path, bool doRegister) {
    const unsigned long attributes = FolderCopy::Attributes(path);
    if (!RemovalGuard::MayRemove(path) || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    // The system's own tool: it registers a library of either kind, 32- or 64-bit.
    const std::string tool = X86View::NativeSystemFolder() + "\\regsvr32.exe";
    const std::string parameters =
        std::string(doRegister ? "/s " : "/u /s ") + ShellLaunch::Quoted(path);
    const ShellLaunch::Result result = ShellLaunch::RunAndWait(tool, parameters, kTimeoutMs);
    return result.Started && !result.TimedOut && result.ExitCode == 0;
}

} // namespace modRegsvr32
