#pragma once
// The orders in which both programs keep their lists sorted: the platform's locale-aware text
// comparison, on the characters that the text rule shows (UTF-8, other bytes Windows-1252).
// Texts compare alphabetically first, letters of either case and with or without accents side
// by side, "Æ" as "ae", "Œ" as "oe" and "ß" as "ss"; accents decide next, then case (lower
// before upper). Hyphens and apostrophes count only when nothing else differs, and then the
// text without them sorts first ("coop" before "co-op"). Symbols sort before digits, digits
// before letters. The list view's rows are ordered so. List boxes and combo boxes compare
// regardless of case: there case only orders texts that would otherwise be equal.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kvtu::ui {

enum class LetterCase { counts, ignored };

// A text's place in one order, worked out once: keys compare as plain sequences of numbers, so
// sorting and searching by them convert nothing. Keys are equal only for texts that are equal
// byte for byte; texts that show alike (a name in UTF-8 and in Windows-1252) still have a
// fixed order.
using ListKey = std::u32string;

ListKey list_key(std::string_view text, LetterCase letter_case);

// Negative when left sorts before right, zero only when the texts are equal byte for byte.
int list_compare(std::string_view left, std::string_view right,
                 LetterCase letter_case = LetterCase::counts);

inline bool list_less(std::string_view left, std::string_view right,
                      LetterCase letter_case = LetterCase::counts) {
    return list_compare(left, right, letter_case) < 0;
}

// The order of one sorted control, kept beside it as the keys of its items in the control's
// order. The control itself is changed by its owner, at the places that add() gives.
class SortedList {
  public:
    // New texts that go to one place among the items that were there before.
    struct Run {
        std::size_t position;            // the index of the item before which they go
        std::vector<std::size_t> texts;  // indices into the texts added, in the order they go
    };

    explicit SortedList(LetterCase letter_case) : letter_case_(letter_case) {}

    // Places the texts as if each were added in turn after the equal items there: each text's
    // key is made once, the new texts are sorted by key, and each finds its place among the
    // items before by a binary search. The runs come from the last position to the first, so
    // that inserting them into the control in that order leaves the positions still to come
    // where they were.
    std::vector<Run> add(const std::vector<std::string>& texts);
    void clear() { keys_.clear(); }
    std::size_t size() const { return keys_.size(); }

  private:
    LetterCase letter_case_;
    std::vector<ListKey> keys_;
};

}  // namespace kvtu::ui
