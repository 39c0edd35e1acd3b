// Where Live Update looks for new definitions, and how it reads what the sources answer.
// Two sources exist: the definitions service (paths under "/asp/") and the configured website
// (paths under "/definitions/"). Which one a check uses, and the service's address, have
// defaults fixed when the program is built; a per-user setting overrides each, so that a user's
// own mirror, or a test's loopback server, can stand in.
#pragma once

#include <string>
#include <string_view>

namespace UpdateSources {

enum class Source { Service, Website };

// The settings that override the built-in choices: "LiveUpdate" / "Source" ("service" or
// "website", any case) and "LiveUpdate" / "Service" (the service's base address).
inline constexpr const char* kSettingsSection = "LiveUpdate";
inline constexpr const char* kSourceKey = "Source";
inline constexpr const char* kServiceKey = "Service";

// The source a check uses: the stored choice, or the built-in one when none (or an unknown
// word) is stored.
Source ConfiguredSource();
// The definitions service's base address (scheme and host, perhaps a port), without a
// trailing "/".
std::string DefinitionsService();

// The website's base address for the website source: a website given with a scheme is taken
// as it stands, one starting with "www." gets "http://", a bare host "http://www."; trailing
// "/" are dropped.
std::string WebsiteAddress(std::string_view websiteHost);

// The base address the Shift+click listing shows: the website's host alone (any scheme and
// path cut off), with "www." put in front when it lacks one, and "http://"; the service's
// address while the build names no website.
std::string DefinitionServerUrl(std::string_view websiteHost);

// A date reply made ready for conversion: blanks removed at both ends, then every TAB, CR and
// LF; with `cutAtMeridiem`, the text up to and including the first "PM" (any case), or when
// there is none the first "AM", so that anything the server put after the date goes.
std::string CleanDateReply(std::string_view reply, bool cutAtMeridiem);

// "prog=" P "&comp=" C: the product and company names, percent-encoded.
std::string ProductQuery(std::string_view product, std::string_view company);

} // namespace UpdateSources
