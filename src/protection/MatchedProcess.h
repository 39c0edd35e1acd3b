// The process a running-process alert is about. It is held open from the match until the user
// answers, so its id cannot pass to another program meanwhile, and STOP ends exactly that
// process, never one that merely shares its name, and never this program.
#pragma once

#include <cstdint>
#include <string>

class MatchedProcess {
  public:
    MatchedProcess() = default;
    ~MatchedProcess();
    MatchedProcess(const MatchedProcess&) = delete;
    MatchedProcess& operator=(const MatchedProcess&) = delete;

    // Holds the process of this id when it still runs a file of this name; otherwise (it has
    // ended, or the id is 0) holds nothing.
    void Hold(uint32_t processId, const std::string& fileName);
    void Release();
    // Stops the held process, unless it is this program. True when it was stopped, or had
    // ended already, or nothing was held.
    bool Stop();

  private:
    void* handle_ = nullptr;
    uint32_t id_ = 0;
    std::string fileName_;
};
