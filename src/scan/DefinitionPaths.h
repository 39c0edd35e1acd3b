// The path rules shared by the definition and safety files: macro expansion and "\\".
#pragma once

#include <optional>
#include <string>
#include <unordered_map>

// Expands the path macros of one file's paths while it is read.
class PathMacroExpander {
  public:
    // `drive`, when given, replaces "[drive]" (exactly so written) before the macros are
    // expanded; otherwise "[drive]" stays for match time.
    explicit PathMacroExpander(std::optional<std::string> drive = std::nullopt)
        : drive_(std::move(drive)) {}

    // Expands the macros in place; false when one names a special folder this system does
    // not have.
    bool Expand(std::string& path);

  private:
    std::optional<std::string> drive_;
    // A file has tens of thousands of lines but few distinct macro parts. Only the text up to
    // the last "]" can hold a macro (every one ends in "]"), and the text after it expands to
    // itself, so each distinct macro part is expanded once.
    std::unordered_map<std::string, std::optional<std::string>> expansions_;
};

// Replaces every "\\" by "\" in one left-to-right pass; most paths have none and stay as
// they are.
void CollapseDoubleBackslashes(std::string& path);
