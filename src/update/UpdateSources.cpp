#include "UpdateSources.h"

#include "SettingsStore.h"
#include "TextRules.h"
#include "identity.h"
#include "modInternet.h"

using TextRules::Compare;

namespace UpdateSources {

namespace {

constexpr std::string_view kScheme = "http://";

std::string WithoutTrailingSlashes(std::string text) {
    while (!text.empty() && text.back() == '/')
        text.pop_back();
    return text;
}

bool HasScheme(std::string_view address) {
    return TextRules::Contains(address, "://");
}

} // namespace

Source ConfiguredSource() {
    const std::string stored =
        TextRules::Trim(GetProgramSetting(kSettingsSection, kSourceKey, IDENTITY_UPDATE_SOURCE));
    const std::string chosen = stored.empty() ? IDENTITY_UPDATE_SOURCE : stored;
    return TextRules::EqualsNoCase(chosen, "website") ? Source::Website : Source::Service;
}

std::string DefinitionsService() {
    std::string address = TextRules::Trim(
        GetProgramSetting(kSettingsSection, kServiceKey, IDENTITY_DEFINITIONS_SERVICE));
    if (address.empty())
        address = IDENTITY_DEFINITIONS_SERVICE;
    return WithoutTrailingSlashes(std::move(address));
}

std::string WebsiteAddress(std::string_view websiteHost) {
    std::string host = WithoutTrailingSlashes(TextRules::Trim(websiteHost));
    if (HasScheme(host))
        return host;
    if (TextRules::StartsWith(host, "www.", Compare::Text))
        return std::string(kScheme) + host;
    return std::string(kScheme) + "www." + host;
}

std::string DefinitionServerUrl(std::string_view websiteHost) {
    // A build without a website still lists addresses of the maker's own.
    if (TextRules::Trim(websiteHost).empty())
        return DefinitionsService();
    std::string host(websiteHost);
    if (const size_t scheme = host.find("://"); scheme != std::string::npos)
        host.erase(0, scheme + 3);
    if (const size_t slash = host.find('/'); slash != std::string::npos)
        host.erase(slash);
    if (!TextRules::Contains(host, "www.", Compare::Text))
        host = "www." + host;
    return std::string(kScheme) + host;
}

std::string CleanDateReply(std::string_view reply, bool cutAtMeridiem) {
    std::string text;
    for (const char c : TextRules::Trim(reply))
        if (c != '\t' && c != '\r' && c != '\n')
            text += c;
    if (!cutAtMeridiem)
        return text;
    for (const char* meridiem : {"PM", "AM"}) {
        const size_t at = TextRules::Find(text, meridiem, 0, Compare::Text);
        if (at != std::string::npos)
            return text.substr(0, at + 2);
    }
    return text;
}

std::string ProductQuery(std::string_view product, std::string_view company) {
    return "prog=" + modInternet::PercentEncode(product) +
           "&comp=" + modInternet::PercentEncode(company);
}

} // namespace UpdateSources
