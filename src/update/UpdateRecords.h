// The records of an update reply and what each one asks of each definition file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// One record, "kind|action[DEF]payload": the kind scrambled, the action plain, the payload
// scrambled but for its separators "|" and "=". The views point into the reply.
struct UpdateRecord {
    std::string Kind;         // unscrambled
    std::string_view Action;  // the head's second "|" field
    std::string_view Payload; // everything after the first "[DEF]"
    bool HasAction = false;   // the head holds a "|"
    bool HasPayload = false;  // the record holds "[DEF]"
    // Holds CR LF or NUL, which no line of a definition file can: lines end only at CR LF,
    // and no character scrambles to NUL.
    bool BreaksLine = false;
};

// Splits a reply on "[BR]" in any case. Blanks around a record are removed, and so are whole
// CR LF pairs there, which only lay the reply out; empty records are left out.
std::vector<UpdateRecord> SplitUpdateRecords(std::string_view response);
// The records would point into a reply that is gone.
std::vector<UpdateRecord> SplitUpdateRecords(std::string&& response) = delete;

// The six definition files, in the order an update goes through them.
enum class UpdateTarget {
    FileDefinitions,
    ExeDefinitions,
    RegistryDefinitions,
    BlockedCookies,
    DirectoryDefinitions,
    Safety
};
inline constexpr UpdateTarget kUpdateTargets[] = {
    UpdateTarget::FileDefinitions,      UpdateTarget::ExeDefinitions,
    UpdateTarget::RegistryDefinitions,  UpdateTarget::BlockedCookies,
    UpdateTarget::DirectoryDefinitions, UpdateTarget::Safety};

const char* TargetFileName(UpdateTarget target);
// Whether the file takes records of an (unscrambled) kind.
bool TargetTakesKind(UpdateTarget target, std::string_view kind);

// What one record asks of one file.
struct RecordEffect {
    enum class Type {
        NotTaken,  // the file does not take the record's kind
        Malformed, // taken, but the record cannot be read: it is skipped
        Ignored,   // taken, with an action other than "ADD" or "DEL"
        Add,       // append Line
        Delete     // remove the lines named Name
    };
    Type What = Type::NotTaken;
    std::string Line;       // Add: the line to store, scrambled, without its line end
    std::string_view Name;  // Add and Delete: the payload's text before its first "=", as received
    bool NameGiven = false; // Add: the payload holds "=", so its name cancels a pending delete
};
RecordEffect EffectOf(const UpdateRecord& record, UpdateTarget target);

// The payload's text before its first "=" (all of it when it has none).
std::string_view PayloadName(std::string_view payload);

// Folds ANSI text for comparisons without regard to case, as the system's code page has it.
class AnsiCaseFold {
  public:
    AnsiCaseFold();
    std::string operator()(std::string_view ansi) const;
    // The same fold into `folded`, whose memory is reused.
    void Into(std::string_view ansi, std::string& folded) const;

  private:
    bool singleByte_ = false; // a code page of one byte per character folds byte by byte
    char lower_[256] = {};
};
