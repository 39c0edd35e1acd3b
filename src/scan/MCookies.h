// The cookie scanner: every file of the current user's cookies folder whose site is on the
// blocked-cookie list ("BlockedCookies.dat") is listed as a tracking cookie for removal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace MCookies {

// The special-folder number of the current user's cookies.
inline constexpr int kCookiesFolder = 33;

// Scans the current user's cookies folder, when the system has one; `cookieFileCount` grows by
// one per file.
void ScanCookies(int32_t& cookieFileCount);
void ScanCookieFolder(const std::string& folder, int32_t& cookieFileCount);

// The domain written in a cookie file: the text from its site up to the first "/" of the first
// field (fields are separated by commas and line ends) holding the site. Nothing when the file
// name names no site, the file is missing, or no field qualifies.
std::optional<std::string> GetCookieDomain(const std::string& cookieFile);
// The site in a cookie file's name ("user@site[1].txt" gives "site"), or "" without an "@".
std::string CookieSiteFromFileName(const std::string& fileNameOrPath);
// A domain as it is compared with the list: its last dot-separated part and a leading "www."
// dropped, so "www.tracker.com" becomes "tracker".
std::string ComparableCookieDomain(const std::string& domain);
// True when an entry of the list, with its last dot-separated part and its first "*" dropped,
// is the comparable domain (in any case). An empty domain matches nothing.
bool IsCookieBlocked(const std::vector<std::string>& blockedList, const std::string& domain);

} // namespace MCookies
