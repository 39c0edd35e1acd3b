#include <windows.h>

#include "MatchedProcess.h"

#include "ProcessControl.h"
#include "TextRules.h"
#include "xfileExists.h"

namespace {

// True while the process of this id runs a file of this name.
bool RunsFile(uint32_t processId, const std::string& fileName) {
    const std::string path = ProcessControl::ProcessImagePath(processId);
    return !path.empty() &&
           TextRules::EqualsNoCase(xfileExists::FileNamePart(path), TextRules::Trim(fileName));
}

} // namespace

MatchedProcess::~MatchedProcess() {
    Release();
}

void MatchedProcess::Hold(uint32_t processId, const std::string& fileName) {
    Release();
    if (processId == 0)
        return;
    // Opened first, so the name checked next belongs to the process the handle keeps.
    handle_ = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (!RunsFile(processId, fileName)) {
        Release();
        return;
    }
    id_ = processId;
    fileName_ = fileName;
}

void MatchedProcess::Release() {
    if (handle_)
        CloseHandle(handle_);
    handle_ = nullptr;
    id_ = 0;
    fileName_.clear();
}

bool MatchedProcess::Stop() {
    if (id_ == 0)
        return true;
    if (handle_) {
        if (WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0)
            return true;
    } else if (!RunsFile(id_, fileName_)) {
        // Not held open (the system refused a handle): a changed name means the matched process
        // has ended and its id may name another program by now.
        return true;
    }
    // Refuses this program itself.
    return ProcessControl::StopProcessById(id_);
}
