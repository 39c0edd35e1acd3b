#include "UpdateRecords.h"

#include "AnsiText.h"
#include "DefinitionFile.h"
#include "TextRules.h"
#include "modLockdown.h"

#include <windows.h>

namespace {

constexpr std::string_view kRecordSeparator = "[BR]";
constexpr std::string_view kPayloadMark = "[DEF]";

// Blanks, and CR LF pairs, around a record. A lone CR or LF is a scrambled letter and stays.
std::string_view TrimRecord(std::string_view text) {
    for (;;) {
        if (!text.empty() && text.front() == ' ')
            text.remove_prefix(1);
        else if (text.starts_with("\r\n"))
            text.remove_prefix(2);
        else if (!text.empty() && text.back() == ' ')
            text.remove_suffix(1);
        else if (text.ends_with("\r\n"))
            text.remove_suffix(2);
        else
            return text;
    }
}

UpdateRecord ReadRecord(std::string_view text) {
    UpdateRecord record;
    const size_t mark = text.find(kPayloadMark);
    const std::string_view head = text.substr(0, mark);
    if (mark != std::string_view::npos) {
        record.HasPayload = true;
        record.Payload = text.substr(mark + kPayloadMark.size());
    }
    const size_t bar = head.find('|');
    record.Kind = modLockdown::UnscrambleString(head.substr(0, bar));
    if (bar != std::string_view::npos) {
        record.HasAction = true;
        const size_t next = head.find('|', bar + 1);
        record.Action =
            head.substr(bar + 1, next == std::string_view::npos ? next : next - bar - 1);
    }
    record.BreaksLine =
        text.find("\r\n") != std::string_view::npos || text.find('\0') != std::string_view::npos;
    return record;
}

// The payload as a line of the files that store it whole: its plain separators scrambled like
// the rest of the line.
std::string StoredPayload(std::string_view payload) {
    static const char bar = modLockdown::ScrambleString("|")[0];
    static const char equals = modLockdown::ScrambleString("=")[0];
    std::string line(payload);
    for (char& c : line) {
        if (c == '|')
            c = bar;
        else if (c == '=')
            c = equals;
    }
    return line;
}

// "key=name|location|type" becomes the registry line "location^=name|type", scrambled; the
// key is not stored. False when a field is missing.
bool RegistryLine(std::string_view payload, std::string& line) {
    const size_t equals = payload.find('=');
    if (equals == std::string_view::npos)
        return false;
    const std::vector<std::string> fields = TextRules::Split(payload.substr(equals + 1), "|");
    if (fields.size() < 3)
        return false;
    line = fields[1] + modLockdown::ScrambleString("^=") + fields[0] +
           modLockdown::ScrambleString("|") + fields[2];
    return true;
}

} // namespace

std::vector<UpdateRecord> SplitUpdateRecords(std::string_view response) {
    std::vector<UpdateRecord> records;
    size_t start = 0;
    for (;;) {
        const size_t at =
            TextRules::Find(response, kRecordSeparator, start, TextRules::Compare::Text);
        const std::string_view text =
            TrimRecord(response.substr(start, at == std::string_view::npos ? at : at - start));
        if (!text.empty())
            records.push_back(ReadRecord(text));
        if (at == std::string_view::npos)
            return records;
        start = at + kRecordSeparator.size();
    }
}

const char* TargetFileName(UpdateTarget target) {
    switch (target) {
    case UpdateTarget::FileDefinitions:
        return kFileDefinitionFile;
    case UpdateTarget::ExeDefinitions:
        return kExeDefinitionFile;
    case UpdateTarget::RegistryDefinitions:
        return kRegistryDefinitionFile;
    case UpdateTarget::BlockedCookies:
        return kBlockedCookiesFile;
    case UpdateTarget::DirectoryDefinitions:
        return kDirectoryDefinitionFile;
    case UpdateTarget::Safety:
        return kSafetyFile;
    }
    return "";
}

bool TargetTakesKind(UpdateTarget target, std::string_view kind) {
    switch (target) {
    case UpdateTarget::FileDefinitions:
        return kind == "FILE" || kind == "EXE" || kind == "DLL";
    case UpdateTarget::ExeDefinitions:
        return kind == "EXE";
    case UpdateTarget::RegistryDefinitions:
        return kind == "REG";
    case UpdateTarget::BlockedCookies:
        return kind == "COOK";
    case UpdateTarget::DirectoryDefinitions:
        return kind == "DIR";
    case UpdateTarget::Safety:
        return kind.find_first_of("Ss") != std::string_view::npos;
    }
    return false;
}

std::string_view PayloadName(std::string_view payload) {
    return payload.substr(0, payload.find('='));
}

RecordEffect EffectOf(const UpdateRecord& record, UpdateTarget target) {
    using Type = RecordEffect::Type;
    RecordEffect effect;
    if (!TargetTakesKind(target, record.Kind))
        return effect;
    effect.What = Type::Malformed;
    if (!record.HasAction || !record.HasPayload || record.BreaksLine)
        return effect;
    effect.Name = PayloadName(record.Payload);
    if (record.Action == "DEL") {
        effect.What = Type::Delete;
        return effect;
    }
    if (record.Action != "ADD") {
        effect.What = Type::Ignored;
        return effect;
    }
    switch (target) {
    case UpdateTarget::RegistryDefinitions:
        if (!RegistryLine(record.Payload, effect.Line))
            return effect;
        break;
    case UpdateTarget::BlockedCookies:
        effect.Line = effect.Name;
        break;
    case UpdateTarget::Safety:
        effect.Line =
            modLockdown::ScrambleString(record.Kind + "|") + StoredPayload(record.Payload);
        break;
    default:
        effect.Line = StoredPayload(record.Payload);
        break;
    }
    effect.What = Type::Add;
    effect.NameGiven = record.Payload.find('=') != std::string_view::npos;
    return effect;
}

AnsiCaseFold::AnsiCaseFold() {
    CPINFO info;
    singleByte_ = GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 1;
    for (int code = 0; code < 256; ++code) {
        lower_[code] = static_cast<char>(code);
        const char in = static_cast<char>(code);
        wchar_t wide = 0;
        if (!singleByte_ || MultiByteToWideChar(CP_ACP, 0, &in, 1, &wide, 1) != 1)
            continue;
        CharLowerBuffW(&wide, 1);
        char out = 0;
        BOOL lossy = FALSE;
        if (WideCharToMultiByte(CP_ACP, 0, &wide, 1, &out, 1, nullptr, &lossy) == 1 && !lossy)
            lower_[code] = out;
    }
}

std::string AnsiCaseFold::operator()(std::string_view ansi) const {
    std::string folded;
    Into(ansi, folded);
    return folded;
}

void AnsiCaseFold::Into(std::string_view ansi, std::string& folded) const {
    if (!singleByte_) {
        folded = TextRules::ToLower(AnsiToUtf8(ansi));
        return;
    }
    folded.assign(ansi);
    for (char& c : folded)
        c = lower_[static_cast<unsigned char>(c)];
}
