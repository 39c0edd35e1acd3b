#include "clsLanguages.h"

#include "TextRules.h"
#include "modLorvane.h"

using TextRules::Compare;

namespace {

std::string ReplaceMacros(const std::string& text) {
    std::string result =
        TextRules::Replace(text, "[ProgramName]", modLorvane::ProgramName, Compare::Text);
    result = TextRules::Replace(result, "[CompanyName]", modLorvane::CompanyName, Compare::Text);
    return TextRules::Replace(result, "[Website]", modLorvane::WebsiteHost, Compare::Text);
}

// Upper-cases the first character, which in a translation may take several UTF-8 bytes.
std::string UpperFirst(const std::string& text) {
    const std::string first = TextRules::LeftCharacters(text, 1);
    return TextRules::ToUpper(first) + text.substr(first.size());
}

// The text between the first "<key>" and the first "</key>" of the line; empty when either is
// missing.
std::string ItemText(const std::string& line, const std::string& key) {
    const std::string open = "<" + key + ">";
    const size_t start = TextRules::Find(line, open, 0, Compare::Text);
    const size_t end = TextRules::Find(line, "</" + key + ">", 0, Compare::Text);
    if (start == std::string::npos || end == std::string::npos || end < start + open.size())
        return {};
    return line.substr(start + open.size(), end - start - open.size());
}

} // namespace

void clsLanguages::setMessage(const std::string& id, const std::string& text) {
    for (MessageEntry& entry : messages_) {
        if (!entry.used) {
            entry = {id, text, true};
            return;
        }
    }
}

std::string clsLanguages::getMessages(const std::string& id) const {
    for (const MessageEntry& entry : messages_) {
        if (TextRules::EqualsNoCase(entry.id, id))
            return UpperFirst(ReplaceMacros(entry.text));
        if (!entry.used)
            break;
    }
    return {};
}

void clsLanguages::SetTranslationLines(std::vector<std::string> lines) {
    lineOfKey_.clear();
    lineOfKey_.reserve(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty())
            continue;
        // Keys are matched on the text before the first ">", so indentation before the "<" is
        // allowed.
        const std::string_view head = std::string_view(line).substr(0, line.find('>'));
        if (TextRules::CharacterCount(head) <= 2)
            continue;
        const size_t open = head.find('<');
        const std::string_view tag = open == std::string::npos ? head : head.substr(open + 1);
        // The first line of a key wins.
        lineOfKey_.try_emplace(TextRules::ToUpper(tag), i);
    }
    lines_ = std::move(lines);
}

std::string clsLanguages::getCaption(const std::string& key) const {
    const auto found = lineOfKey_.find(TextRules::ToUpper(key));
    if (found == lineOfKey_.end())
        return {};
    return UpperFirst(ReplaceMacros(ItemText((*lines_)[found->second], key)));
}
