// The application identity: product, company and website, copied from the executable's own
// version information at start-up so that one build can carry any product name.
#pragma once

#include <cstdint>
#include <string>

namespace modLorvane {

inline std::string ProgramName;
inline std::string CompanyName;
inline std::string WebsiteHost;
inline int16_t ProductNumber = 0;
inline bool UseSkin = false;
inline std::string BannerUrl;

// Fills the identity from the version information's ProductName, CompanyName and Comments and
// sets the start-up switches (no skin, no banner page, language folder 0). A missing field
// gives an empty text; calling it again sets the same values again.
void LoadAppIdentity();

} // namespace modLorvane
