// Which page the website window opens, and the address it opens for the website.
#pragma once

#include <string>

// "Website" opens the product's website; the website window clears it after use.
inline std::string WebPageMode;

// The website as the browser is handed it: "http://" in front, unless the text already holds
// "https://" or "http://" somewhere, in any letter case.
std::string WebsiteAddress(const std::string& website);
