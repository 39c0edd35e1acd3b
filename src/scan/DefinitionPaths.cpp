#include "DefinitionPaths.h"

#include "TextRules.h"
#include "modGenDec.h"

bool PathMacroExpander::Expand(std::string& path) {
    const size_t macroEnd = path.rfind(']');
    if (macroEnd == std::string::npos)
        return true;
    std::string macroPart = path.substr(0, macroEnd + 1);
    auto found = expansions_.find(macroPart);
    if (found == expansions_.end()) {
        std::string expanded =
            drive_ ? TextRules::Replace(macroPart, "[drive]", *drive_) : macroPart;
        std::string missingToken;
        modGenDec::ExpandPathMacros(expanded, &missingToken);
        found =
            expansions_
                .emplace(std::move(macroPart),
                         missingToken.empty() ? std::optional(std::move(expanded)) : std::nullopt)
                .first;
    }
    if (!found->second)
        return false;
    path.replace(0, macroEnd + 1, *found->second);
    return true;
}

void CollapseDoubleBackslashes(std::string& path) {
    if (path.find("\\\\") != std::string::npos)
        path = TextRules::Replace(path, "\\\\", "\\");
}
