// A tracking cookie of a test's own site in the sandbox user's real cookies folder, removed
// when the test ends. The site carries the test process's id, so parallel tests never meet.
#pragma once

#include <string>

// An Internet Explorer cookie file's lines: name, value, domain and path, flags, times, "*".
std::string CookieContent(const std::string& domainAndPath);

class PlantedCookie {
  public:
    PlantedCookie();
    ~PlantedCookie();
    PlantedCookie(const PlantedCookie&) = delete;
    PlantedCookie& operator=(const PlantedCookie&) = delete;

    // The cookie's site: its domain is "www." + Site() + ".com".
    const std::string& Site() const { return site_; }
    const std::string& FileName() const { return fileName_; }
    const std::string& Path() const { return path_; }
    bool Written() const { return written_; }

  private:
    std::string site_, fileName_, path_;
    bool written_ = false;
};
