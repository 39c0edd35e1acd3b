// A list of texts kept end to end in one block, for lists of a hundred thousand short texts:
// a few allocations instead of one per text, and a list filled anew reuses the memory of the
// one before.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

class PackedTextList {
  public:
    PackedTextList() = default;
    PackedTextList(std::initializer_list<std::string_view> texts) {
        for (std::string_view text : texts)
            push_back(text);
    }
    PackedTextList(const std::vector<std::string>& texts) {
        for (const std::string& text : texts)
            push_back(text);
    }

    size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    std::string_view operator[](size_t i) const {
        const size_t start = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(text_).substr(start, ends_[i] - start);
    }

    void push_back(std::string_view text) {
        text_.append(text);
        ends_.push_back(text_.size());
    }
    void emplace_back() { push_back({}); }
    // Makes room at once for the texts of a file of this many bytes, `textsPerLine` for each of
    // its lines and at most `mostTexts`, so that a first filling does not copy the list at
    // every growth; memory that is never filled is never touched. The texts are parts of the
    // lines, so the file's size is about the room they need (a list that needs more grows),
    // and no line that gives texts is shorter than a few bytes. A corrupt file of any size
    // reserves no more than a few dozen megabytes.
    void ReserveForFile(uint64_t fileBytes, size_t textsPerLine, size_t mostTexts) {
        constexpr uint64_t kMostText = 64 << 20;
        constexpr uint64_t kShortestLine = 8;
        const uint64_t lines = std::min(fileBytes, kMostText) / kShortestLine + 1;
        text_.reserve(static_cast<size_t>(std::min(fileBytes, kMostText)));
        ends_.reserve(std::min(static_cast<size_t>(lines) * textsPerLine, mostTexts));
    }
    // Empties the list and keeps its memory.
    void clear() {
        text_.clear();
        ends_.clear();
    }

    class const_iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        const_iterator() = default;
        const_iterator(const PackedTextList* list, size_t i) : list_(list), i_(i) {}
        std::string_view operator*() const { return (*list_)[i_]; }
        const_iterator& operator++() {
            ++i_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++i_;
            return before;
        }
        bool operator==(const const_iterator& other) const { return i_ == other.i_; }

      private:
        const PackedTextList* list_ = nullptr;
        size_t i_ = 0;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

  private:
    std::string text_;
    std::vector<size_t> ends_; // where each text ends in text_
};
