// Risk and description of each threat category, given to the found items when a scan ends.
#pragma once

#include <span>

namespace ThreatClassification {

struct ThreatDescription {
    const char* Category; // the "Type" column a scanner wrote
    const char* Risk;
    const char* Description;
};

// The built-in table, in the order it is searched.
std::span<const ThreatDescription> ThreatDescriptions();

// Fills "Risk" and "Details" of every combined-list row whose category the table holds (exact,
// case-sensitive); other rows keep theirs.
void AssignThreatDescriptions();

} // namespace ThreatClassification
