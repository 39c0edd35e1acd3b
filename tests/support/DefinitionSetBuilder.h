// Builds update replies as the definitions service sends them: records
// "kind|action[DEF]payload" separated by "[BR]", the kind scrambled, the payload scrambled but
// for its separators "|" and "=". Texts are given in UTF-8 and sent as ANSI bytes.
#pragma once

#include <string>
#include <vector>

class DefinitionSetBuilder {
  public:
    // "ADD" and "DEL" records; a DEL's payload is the name of the lines it removes.
    DefinitionSetBuilder& Add(const std::string& kind, const std::string& payload);
    DefinitionSetBuilder& Del(const std::string& kind, const std::string& name);
    // A record of any action.
    DefinitionSetBuilder& Record(const std::string& kind, const std::string& action,
                                 const std::string& payload);
    // A record sent exactly as given, such as a malformed one.
    DefinitionSetBuilder& Raw(const std::string& record);

    // The records joined by the separator.
    std::string Reply(const std::string& separator = "[BR]") const;
    size_t RecordCount() const { return records_.size(); }

    // One record's text.
    static std::string RecordText(const std::string& kind, const std::string& action,
                                  const std::string& payload);
    // Every character scrambled but "|" and "=".
    static std::string ScrambledPayload(const std::string& payload);

  private:
    std::vector<std::string> records_;
};
