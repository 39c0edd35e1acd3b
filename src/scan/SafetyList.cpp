#include "SafetyList.h"

#include "DefinitionFile.h"
#include "DoEvents.h"
#include "ModRegistryRelated.h"
#include "TextRules.h"
#include "X86View.h"
#include "modGenDec.h"
#include "modGlobals.h"
#include "xfileExists.h"

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

using TextRules::Piece;

namespace modGlobals {

namespace {

// Builds the entries of the lines of "Safety.dat" one after the other, reusing its texts, as
// the list has a hundred thousand lines after a large update.
class EntryBuilder {
  public:
    explicit EntryBuilder(std::string drive) : drive_(std::move(drive)) {}

    // The entry of the next line: empty for a line whose location lies in a special folder
    // this system does not have. The kind carries over to lines that have no "|".
    const std::string& Build(std::string_view line);

  private:
    bool BuildFromLocation(std::string_view line);

    std::string drive_;
    std::string kind_, location_, entry_, previous_;
};

const std::string& EntryBuilder::Build(std::string_view line) {
    if (BuildFromLocation(line))
        previous_ = entry_;
    else
        entry_.clear();
    return entry_;
}

// False, leaving the entry before as it was, when the location names a missing folder.
bool EntryBuilder::BuildFromLocation(std::string_view line) {
    const TextRules::LeadingPieces<3> bars = TextRules::SplitLeading<3>(line, '|');
    std::string_view namePart = line;
    location_.clear();
    if (bars.count >= 2) {
        kind_.assign(bars.piece[0]);
        namePart = bars.piece[1];
        location_.assign(bars.piece[2]);
        if (location_.find("[drive]") != std::string::npos)
            location_ = TextRules::Replace(location_, "[drive]", drive_);
        // The place the location leads to, as a definition's path is kept, so that the two
        // meet whichever way each is written.
        if (!X86View::TranslatePath(location_))
            return false;
    }
    if (kind_ == "SFILE" || kind_ == "SEXE" || kind_ == "SDLL") {
        if (location_.empty()) {
            entry_.assign(TextRules::TrimmedView(Piece(namePart, '=', 0)));
            return true;
        }
        entry_.assign(location_);
    } else if (kind_ == "SREG") {
        ModRegistryRelated::GetRootKey(std::string(Piece(location_, '^', 0)));
        entry_.assign(ModRegistryRelated::RootKeyName)
            .append("\\")
            .append(Piece(location_, '^', 1));
        const std::string_view valueName = Piece(location_, '^', 2);
        if (!valueName.empty())
            entry_.append("\\").append(valueName);
    } else if (kind_ == "SDIR") {
        entry_.assign(location_);
    } else {
        entry_.assign(previous_);
        return true;
    }
    modGenDec::CollapseDoubleBackslashes(entry_);
    if (entry_.find("//") != std::string::npos)
        entry_ = TextRules::Replace(entry_, "//", "/");
    return true;
}

bool IsAscii(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](char c) { return c & 0x80; });
}

// Writes the form both sides are compared in: lower case, trimmed, any drive letter as "c",
// and one trailing "/" and then one trailing "\" removed.
void ComparableForm(std::string_view text, std::string& form) {
    form.assign(TextRules::TrimmedView(text));
    TextRules::ToLowerInPlace(form);
    if (form.find(":\\") != std::string::npos)
        form.replace(0, TextRules::LeftCharacters(form, 1).size(), 1, 'c');
    if (!form.empty() && form.back() == '/')
        form.pop_back();
    if (!form.empty() && form.back() == '\\')
        form.pop_back();
}

bool IsBareHive(const std::string& s) {
    static constexpr std::string_view kHives[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                                  "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                                  "HKEY_CURRENT_CONFIG"};
    // Beyond ASCII, upper case can turn other letters into these; ASCII needs no new text.
    const bool ascii = IsAscii(s);
    const std::string upper = ascii ? std::string() : TextRules::ToUpper(s);
    std::string_view name = ascii ? std::string_view(s) : std::string_view(upper);
    if (!name.empty() && name.back() == '\\')
        name.remove_suffix(1);
    for (std::string_view hive : kHives)
        if (name.size() == hive.size() &&
            (ascii ? TextRules::EqualsNoCase(name, hive) : name == hive))
            return true;
    return false;
}

// The list's usable entries in their compared form, found by hash. A slot holds an entry's
// hash and number only, and the entry's form is made again to confirm a match, which is rare:
// a list of a hundred thousand entries costs one block of slots, kept for the next build.
// That block is too large to stay in the processor's cache, and most items asked about are in
// no list: two bits of each entry's hash in a table an eighth of its size tell most of them
// so without a look at the slots.
class SafeEntryIndex {
  public:
    void Build(const PackedTextList& list);
    bool Empty() const { return count_ == 0; }
    bool Holds(std::string_view form) const;
    // Whether some entry's form ends in "\" (one written with two).
    bool HoldsBackslashEnded() const { return backslashEnded_; }

    size_t listSize = ~size_t(0);
    uint64_t generation = ~uint64_t(0);

  private:
    struct Slot {
        uint32_t hash = 0;
        uint32_t entry = 0; // the entry's number plus one; 0 for a free slot
    };
    // The slot that holds the form, or the free slot where it would go.
    size_t Locate(std::string_view form, size_t hash) const;
    // False when no entry has this hash; true also for some other hashes.
    bool MayHold(size_t hash) const;
    void Mark(size_t hash);

    const PackedTextList* list_ = nullptr;
    std::vector<Slot> slots_;
    std::vector<uint64_t> hashBits_; // as many bits as the slots have bytes
    size_t count_ = 0;
    bool backslashEnded_ = false;
    mutable std::string candidate_;
};

uint32_t Tag(size_t hash) {
    return static_cast<uint32_t>(static_cast<uint64_t>(hash) >> 32) ^ static_cast<uint32_t>(hash);
}

void SafeEntryIndex::Build(const PackedTextList& list) {
    list_ = &list;
    count_ = 0;
    backslashEnded_ = false;
    size_t capacity = 16;
    while (capacity < 2 * list.size())
        capacity *= 2;
    slots_.assign(capacity, Slot{});
    hashBits_.assign(capacity * sizeof(Slot) / 64, 0);
    std::string form;
    for (size_t i = 0; i < list.size(); ++i) {
        ComparableForm(list[i], form);
        if (TextRules::IsBlank(form))
            continue;
        const size_t hash = std::hash<std::string_view>{}(form);
        Slot& slot = slots_[Locate(form, hash)];
        if (slot.entry != 0)
            continue; // an entry of the same form is there already
        slot = {Tag(hash), static_cast<uint32_t>(i + 1)};
        Mark(hash);
        ++count_;
        backslashEnded_ |= form.back() == '\\';
    }
}

size_t SafeEntryIndex::Locate(std::string_view form, size_t hash) const {
    const size_t mask = slots_.size() - 1;
    const uint32_t tag = Tag(hash);
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot& slot = slots_[at];
        if (slot.entry == 0)
            return at;
        if (slot.hash == tag) {
            ComparableForm((*list_)[slot.entry - 1], candidate_);
            if (candidate_ == form)
                return at;
        }
    }
}

// The two bits of a hash: its low bits and, mixed, its high ones.
std::pair<size_t, size_t> HashBits(size_t hash, size_t bitCount) {
    const uint64_t mixed = static_cast<uint64_t>(hash) * 0x9E3779B97F4A7C15ull;
    return {hash & (bitCount - 1), static_cast<size_t>(mixed >> 32) & (bitCount - 1)};
}

bool SafeEntryIndex::MayHold(size_t hash) const {
    const auto [first, second] = HashBits(hash, hashBits_.size() * 64);
    return ((hashBits_[first / 64] >> (first % 64)) & 1) &&
           ((hashBits_[second / 64] >> (second % 64)) & 1);
}

void SafeEntryIndex::Mark(size_t hash) {
    const auto [first, second] = HashBits(hash, hashBits_.size() * 64);
    hashBits_[first / 64] |= uint64_t(1) << (first % 64);
    hashBits_[second / 64] |= uint64_t(1) << (second % 64);
}

bool SafeEntryIndex::Holds(std::string_view form) const {
    if (count_ == 0)
        return false;
    const size_t hash = std::hash<std::string_view>{}(form);
    return MayHold(hash) && slots_[Locate(form, hash)].entry != 0;
}

SafeEntryIndex safetyIndex;

const SafeEntryIndex& SafeEntries() {
    if (safetyIndex.listSize != SafetyList.size() ||
        safetyIndex.generation != SafetyListGeneration) {
        safetyIndex.Build(SafetyList);
        safetyIndex.listSize = SafetyList.size();
        safetyIndex.generation = SafetyListGeneration;
    }
    return safetyIndex;
}

} // namespace

bool LoadSafetyList() {
    SafetyList.clear();
    ++SafetyListGeneration;
    const std::string path = DataFile(kSafetyFile);
    if (xfileExists::FileExists(path)) {
        DefinitionFileReader reader(path);
        SafetyList.ReserveForFile(StampOf(path).size, 1, SIZE_MAX);
        EntryBuilder builder(modGenDec::GetSystemDriveRoot());
        std::string line;
        while (!StopScanRequested && reader.Next(line)) {
            SafetyList.push_back(builder.Build(line));
            ui::YieldToMessageLoop();
        }
        SafetyList.emplace_back();
    }
    return true;
}

bool IsSafeItem(std::string_view item) {
    // Kept between calls: an item costs no allocation of its own.
    static std::string s;
    ComparableForm(item, s);
    if (TextRules::IsBlank(s))
        return true;
    const SafeEntryIndex& entries = SafeEntries();
    if (entries.Empty())
        return false;
    // The item equals an entry, or one of them is the other followed by "\".
    if (entries.Holds(s))
        return true;
    if (entries.HoldsBackslashEnded() && entries.Holds(s + "\\"))
        return true;
    if (s.back() == '\\' && entries.Holds(std::string_view(s).substr(0, s.size() - 1)))
        return true;
    // Once the list holds a usable entry, a bare hive is always safe.
    return IsBareHive(s);
}

} // namespace modGlobals
