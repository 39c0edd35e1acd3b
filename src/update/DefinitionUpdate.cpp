#include "DefinitionUpdate.h"

#include "AnsiText.h"
#include "Definitions.h"
#include "TextRules.h"
#include "UpdateRecords.h"
#include "modGlobals.h"
#include "modLockdown.h"

#include <windows.h>

#include <deque>
#include <exception>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

using StatusSink = std::function<void(const std::string&)>;

constexpr const char* kApplyingStatus = "Applying new updates...";
constexpr const char* kCheckingStatus = "Removing outdated definitions: checking entry ";
constexpr int kLinesPerStatus = 100;
// A second failure ends the call; the first only makes the step run again.
constexpr int kFailuresEndingTheCall = 2;
// Far beyond any definition file; a larger one is not read into memory.
constexpr LONGLONG kMaxFileSize = 128ll << 20;

bool ReplaceWithMove(const std::string& from, const std::string& to) {
    const std::wstring target = Utf8ToWide(to);
    // A file made read-only is kept as it is, on every system: not every one refuses the move.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return false;
    return MoveFileExW(Utf8ToWide(from).c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

DefinitionFileReplacer& Replacer() {
    static DefinitionFileReplacer replacer = ReplaceWithMove;
    return replacer;
}

std::string TargetPath(UpdateTarget target) {
    return modGlobals::DataFile(TargetFileName(target));
}

// The finished copy of a file, waiting beside it to take its place.
std::string StagedPath(UpdateTarget target) {
    return TargetPath(target) + ".new";
}

void DiscardStagedFiles() {
    for (UpdateTarget target : kUpdateTargets)
        DeleteFileW(Utf8ToWide(StagedPath(target)).c_str());
}

enum class FileRead { Read, Missing, Failed };

FileRead ReadWholeFile(const std::string& path, std::string& content) {
    content.clear();
    HANDLE file = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? FileRead::Missing : FileRead::Failed;
    }
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart <= kMaxFileSize;
    if (ok) {
        content.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = content.empty() ||
             (ReadFile(file, content.data(), static_cast<DWORD>(content.size()), &read, nullptr) &&
              read == content.size());
    }
    CloseHandle(file);
    return ok ? FileRead::Read : FileRead::Failed;
}

// Writes the file and flushes it to the disk; false, leaving no file, when that fails.
bool WriteFlushed(const std::string& path, const std::string& content) {
    const std::wstring widePath = Utf8ToWide(path);
    HANDLE file = CreateFileW(widePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok =
        (content.empty() ||
         (WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
          written == content.size())) &&
        FlushFileBuffers(file);
    CloseHandle(file);
    if (!ok)
        DeleteFileW(widePath.c_str());
    return ok;
}

// The lines of a stored file: each ends at CR LF, the last needs none.
void StoredLines(std::string_view content, std::vector<std::string_view>& lines) {
    lines.clear();
    size_t start = 0;
    while (start < content.size()) {
        const size_t end = content.find("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(content.substr(start));
            break;
        }
        lines.push_back(content.substr(start, end - start));
        start = end + 2;
    }
}

// The scrambled form of "=": the first one in a stored line ends its name.
const char kStoredEquals = modLockdown::ScrambleString("=")[0];

// The names of one file's DEL records, as received, until an ADD of an equal name cancels
// them. Names are kept under their folded form, so neither needs a search through the list.
class PendingDeletes {
  public:
    explicit PendingDeletes(const AnsiCaseFold& fold) : fold_(fold) {}

    void Add(std::string_view name) { names_[fold_(name)].push_back(name); }
    // An ADD's name cancels every equal name: compared scrambled, without regard to case.
    void Cancel(std::string_view name) {
        if (!names_.empty())
            names_.erase(fold_(name));
    }
    bool HoldsAName() const {
        for (const auto& entry : names_)
            if (!entry.first.empty())
                return true;
        return false;
    }
    // The names as the rewrite compares them with each line's name: unscrambled and folded.
    std::unordered_set<std::string> UnscrambledNames() const {
        std::unordered_set<std::string> names;
        for (const auto& entry : names_)
            for (std::string_view name : entry.second)
                names.insert(fold_(modLockdown::UnscrambleString(name)));
        return names;
    }

  private:
    const AnsiCaseFold& fold_;
    std::unordered_map<std::string, std::vector<std::string_view>> names_;
};

// The lines a file holds, for telling whether an added line is there already. The lines are
// looked up in place through one table of slots, so a file of a hundred thousand lines costs
// three arrays instead of a node each, and the next file reuses their memory.
class HeldLines {
  public:
    // Empties the set for a file that will hold at most `expected` lines: the table keeps at
    // least half its slots empty.
    void Reset(size_t expected) {
        lines_.clear();
        hashes_.clear();
        lines_.reserve(expected);
        hashes_.reserve(expected);
        size_t slots = 16;
        while (slots < expected * 2)
            slots *= 2;
        slots_.assign(slots, 0);
    }
    bool Holds(std::string_view line) const {
        return slots_[Find(line, std::hash<std::string_view>()(line))] != 0;
    }
    // Holds the line from now on, unless it is held already; no more than `expected` lines are
    // inserted. The text must outlive the set.
    void Insert(std::string_view line) {
        const size_t hash = std::hash<std::string_view>()(line);
        const size_t slot = Find(line, hash);
        if (slots_[slot] != 0)
            return;
        lines_.push_back(line);
        hashes_.push_back(hash);
        slots_[slot] = static_cast<uint32_t>(lines_.size());
    }

  private:
    size_t SlotOf(size_t hash) const { return hash & (slots_.size() - 1); }
    // The line's slot, or the empty slot where it would go.
    size_t Find(std::string_view line, size_t hash) const {
        size_t slot = SlotOf(hash);
        for (; slots_[slot] != 0; slot = (slot + 1) & (slots_.size() - 1)) {
            const size_t held = slots_[slot] - 1;
            if (hashes_[held] == hash && lines_[held] == line)
                break;
        }
        return slot;
    }

    std::vector<std::string_view> lines_;
    std::vector<size_t> hashes_;
    std::vector<uint32_t> slots_; // 1 + the index of the line there; 0 for none
};

// One call's state: the records, the count, and the line counter that spans every rewrite.
struct UpdateRun {
    const std::vector<UpdateRecord>& records;
    bool custom;
    const StatusSink& status;
    AnsiCaseFold fold;
    int32_t changes = 0;
    int linesSinceStatus = 0;
    // The memory of the file before: six files of megabytes each would otherwise each take
    // fresh memory for their content, their lines and their new content.
    std::string storedMemory{}, contentMemory{};
    std::vector<std::string_view> linesMemory{};
    HeldLines held{};

    void Say(const std::string& text) const {
        if (status)
            status(text);
    }
};

// A file's lines after its records: the lines stored so far (none for a custom set), the
// added lines that are not among them already, and the names its DEL records leave pending.
struct FileChanges {
    std::string stored;
    FileRead read = FileRead::Missing;
    std::vector<std::string_view> lines;
    std::deque<std::string> added;
    int32_t changes = 0;
};

void ApplyRecords(UpdateRun& run, UpdateTarget target, FileChanges& file, PendingDeletes& pending) {
    HeldLines& held = run.held;
    bool heldFilled = false;
    for (const UpdateRecord& record : run.records) {
        RecordEffect effect = EffectOf(record, target);
        if (effect.What == RecordEffect::Type::Delete) {
            pending.Add(effect.Name);
        } else if (effect.What == RecordEffect::Type::Add) {
            if (!heldFilled) {
                held.Reset(file.lines.size() + run.records.size());
                for (std::string_view line : file.lines)
                    held.Insert(line);
                heldFilled = true;
            }
            if (!held.Holds(effect.Line)) {
                file.added.push_back(std::move(effect.Line));
                held.Insert(file.added.back());
            }
            if (effect.NameGiven)
                pending.Cancel(effect.Name);
            ++file.changes;
        }
    }
}

// The lines kept by the rewrite that a DEL asks for: neither blank nor of a pending name.
void RewrittenContent(UpdateRun& run, const FileChanges& file, const PendingDeletes& pending,
                      std::string& content) {
    const std::unordered_set<std::string> names = pending.UnscrambledNames();
    std::string unscrambled, name; // each line's name, in memory kept for the next
    content.clear();
    content.reserve(file.stored.size());
    int lineNumber = 0;
    auto look = [&](std::string_view line) {
        ++lineNumber;
        if (++run.linesSinceStatus == kLinesPerStatus) {
            run.linesSinceStatus = 0;
            run.Say(kCheckingStatus + std::to_string(lineNumber));
        }
        if (TextRules::IsBlank(line))
            return;
        unscrambled.assign(line.substr(0, line.find(kStoredEquals)));
        modLockdown::UnscrambleInPlace(unscrambled);
        run.fold.Into(unscrambled, name);
        if (!names.count(name))
            content.append(line).append("\r\n");
    };
    for (std::string_view line : file.lines)
        look(line);
    for (const std::string& line : file.added)
        look(line);
}

void AppendedContent(const FileChanges& file, std::string& content) {
    content.assign(file.stored);
    if (!file.added.empty() && !content.empty() && !content.ends_with("\r\n"))
        content += "\r\n"; // a last line without its line end is not run into the first new one
    for (const std::string& line : file.added)
        content.append(line).append("\r\n");
}

// Works out a file's new lines and, when they differ from what it holds, writes them to its
// staged copy. False when the file could not be read or the copy not written.
bool StageFileWith(UpdateRun& run, UpdateTarget target, FileChanges& file, std::string& content,
                   int32_t& changes, bool& staged) {
    if (!run.custom) {
        file.read = ReadWholeFile(TargetPath(target), file.stored);
        if (file.read == FileRead::Failed)
            return false;
        StoredLines(file.stored, file.lines);
    }
    PendingDeletes pending(run.fold);
    ApplyRecords(run, target, file, pending);
    run.Say(kApplyingStatus);

    if (!run.custom && pending.HoldsAName()) {
        ++file.changes;
        RewrittenContent(run, file, pending, content);
    } else {
        AppendedContent(file, content);
    }
    changes = file.changes;
    staged = run.custom || file.read == FileRead::Missing || content != file.stored;
    return !staged || WriteFlushed(StagedPath(target), content);
}

bool StageFile(UpdateRun& run, UpdateTarget target, int32_t& changes, bool& staged) {
    FileChanges file;
    std::string content;
    file.stored.swap(run.storedMemory);
    file.lines.swap(run.linesMemory);
    content.swap(run.contentMemory);
    file.stored.clear();
    file.lines.clear();
    const bool done = StageFileWith(run, target, file, content, changes, staged);
    run.storedMemory.swap(file.stored);
    run.linesMemory.swap(file.lines);
    run.contentMemory.swap(content);
    return done;
}

bool ChangesAFile(const std::vector<UpdateRecord>& records, bool custom) {
    for (const UpdateRecord& record : records) {
        for (UpdateTarget target : kUpdateTargets) {
            const RecordEffect::Type what = EffectOf(record, target).What;
            if (what == RecordEffect::Type::Add || (what == RecordEffect::Type::Delete && !custom))
                return true;
        }
    }
    return false;
}

int32_t Apply(const std::string& response, bool custom, const StatusSink& status) {
    const std::vector<UpdateRecord> records = SplitUpdateRecords(response);
    if (!ChangesAFile(records, custom))
        return 0;
    DiscardStagedFiles(); // what an interrupted call may have left
    UpdateRun run{records, custom, status, AnsiCaseFold()};
    int failures = 0;

    std::vector<UpdateTarget> staged;
    for (UpdateTarget target : kUpdateTargets) {
        int32_t changes = 0;
        bool written = false;
        while (!StageFile(run, target, changes, written)) {
            if (++failures == kFailuresEndingTheCall) {
                DiscardStagedFiles();
                return kDefinitionUpdateFailed;
            }
        }
        run.changes += changes;
        if (written)
            staged.push_back(target);
    }

    bool replacedAll = true;
    bool replacedAny = false;
    for (UpdateTarget target : staged) {
        while (replacedAll && !Replacer()(StagedPath(target), TargetPath(target)))
            replacedAll = ++failures < kFailuresEndingTheCall;
        if (!replacedAll)
            break;
        replacedAny = true;
    }
    if (replacedAny)
        ++modGlobals::DefinitionFilesGeneration;
    if (!replacedAll) {
        DiscardStagedFiles();
        return kDefinitionUpdateFailed;
    }
    return run.changes;
}

} // namespace

int32_t ApplyDefinitionUpdate(const std::string& response, bool customResponse,
                              const StatusSink& status) {
    static bool running = false;
    if (running)
        return 0; // the files are half-way through the running call's changes
    running = true;
    int32_t changes = 0;
    try {
        changes = Apply(response, customResponse, status);
    } catch (const std::exception&) { // no memory for a file's lines: nothing more is replaced
        DiscardStagedFiles();
        changes = kDefinitionUpdateFailed;
    }
    running = false;
    return changes;
}

bool HasValidUpdateRecord(const std::string& response, bool customResponse) {
    return ChangesAFile(SplitUpdateRecords(response), customResponse);
}

void SetDefinitionFileReplacer(DefinitionFileReplacer replacer) {
    Replacer() = replacer ? std::move(replacer) : DefinitionFileReplacer(ReplaceWithMove);
}
