#include "DefinitionSetBuilder.h"

#include "AnsiText.h"
#include "modLockdown.h"

DefinitionSetBuilder& DefinitionSetBuilder::Add(const std::string& kind,
                                                const std::string& payload) {
    return Record(kind, "ADD", payload);
}

DefinitionSetBuilder& DefinitionSetBuilder::Del(const std::string& kind, const std::string& name) {
    return Record(kind, "DEL", name);
}

DefinitionSetBuilder& DefinitionSetBuilder::Record(const std::string& kind,
                                                   const std::string& action,
                                                   const std::string& payload) {
    records_.push_back(RecordText(kind, action, payload));
    return *this;
}

DefinitionSetBuilder& DefinitionSetBuilder::Raw(const std::string& record) {
    records_.push_back(record);
    return *this;
}

std::string DefinitionSetBuilder::Reply(const std::string& separator) const {
    std::string reply;
    for (size_t i = 0; i < records_.size(); ++i) {
        if (i > 0)
            reply += separator;
        reply += records_[i];
    }
    return reply;
}

std::string DefinitionSetBuilder::RecordText(const std::string& kind, const std::string& action,
                                             const std::string& payload) {
    return modLockdown::ScrambleString(Utf8ToAnsi(kind)) + "|" + action + "[DEF]" +
           ScrambledPayload(payload);
}

std::string DefinitionSetBuilder::ScrambledPayload(const std::string& payload) {
    std::string scrambled;
    std::string piece;
    for (char c : Utf8ToAnsi(payload)) {
        if (c == '|' || c == '=') {
            scrambled += modLockdown::ScrambleString(piece) + c;
            piece.clear();
        } else {
            piece += c;
        }
    }
    return scrambled + modLockdown::ScrambleString(piece);
}
