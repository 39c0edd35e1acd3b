#include "WebPageMode.h"

#include "TextRules.h"

std::string WebsiteAddress(const std::string& website) {
    using TextRules::Compare;
    if (TextRules::Contains(website, "https://", Compare::Text) ||
        TextRules::Contains(website, "http://", Compare::Text))
        return website;
    return "http://" + website;
}
