#include "platform/ui/list_ordering.h"

#include <QChar>
#include <QList>
#include <QString>
#include <algorithm>
#include <iterator>
#include <numeric>

#include "platform/ui/text.h"

namespace kvtu::ui {

namespace {

// A key holds the levels one after the other, each ended by the separator, so that a text
// whose level ends first sorts first. Every weight is above the separator.
constexpr char32_t separator = 0;
constexpr char32_t symbol_base = 1;                 // + the character
constexpr char32_t digit_base = 0x200000;           // + the digit's value
constexpr char32_t latin_letter_base = 0x300000;    // + 0 for a to 25 for z
constexpr char32_t thorn = latin_letter_base + 26;  // a letter of its own, after z
constexpr char32_t other_letter_base = 0x400000;    // + the base letter
// On the accent level: no accent; on the case level: lower case, or a character without case.
constexpr char32_t plain = 1;
constexpr char32_t upper_case = 2;
// On the accent level: a character with an accent, or a letter that stands for two, is
// 2 + its lower-case form, so that each form has its own place after the plain letter.
constexpr char32_t marked_base = 2;

struct Levels {
    std::u32string primary;
    std::u32string accent;
    std::u32string letter_case;
    // Hyphens, apostrophes and invisible characters: where they stand and which they are.
    std::u32string special;

    void add(char32_t primary_weight, char32_t accent_weight, char32_t case_weight) {
        primary += primary_weight;
        accent += accent_weight;
        letter_case += case_weight;
    }
};

// The characters the text rule shows, composed, so that a letter and its accent written apart
// compare as the one letter.
std::u32string shown_characters(std::string_view text) {
    const bool ascii = std::all_of(text.begin(), text.end(), [](char byte) {
        return static_cast<unsigned char>(byte) < 0x80;
    });
    if (ascii) {
        std::u32string characters;
        characters.reserve(text.size());
        for (const char byte : text) characters += static_cast<char32_t>(byte);
        return characters;
    }
    const QList<uint> ucs4 = to_qstring(text).normalized(QString::NormalizationForm_C).toUcs4();
    return std::u32string(ucs4.begin(), ucs4.end());
}

bool ignored_but_last(char32_t character) {
    if (character == U'-' || character == U'\'') return true;
    const QChar::Category category = QChar::category(character);
    return category == QChar::Other_Control || category == QChar::Other_Format;
}

// The letter without its accents: the canonical decomposition's first character, down to the
// end, and the few letters with a stroke that have no decomposition.
char32_t base_letter(char32_t letter) {
    for (;;) {
        switch (letter) {
            case U'\u00f8':  // o with stroke
                return U'o';
            case U'\u00f0':  // eth
            case U'\u0111':  // d with stroke
                return U'd';
            case U'\u0142':  // l with stroke
                return U'l';
            default:
                break;
        }
        if (QChar::decompositionTag(letter) != QChar::Canonical) return letter;
        const QList<uint> parts = QChar::decomposition(letter).toUcs4();
        if (parts.isEmpty()) return letter;
        letter = parts.front();
    }
}

// The letters that one letter stands for, or an empty view.
std::u32string_view expansion_of(char32_t base) {
    switch (base) {
        case U'\u00e6':  // ae
            return U"ae";
        case U'\u0153':  // oe
            return U"oe";
        case U'\u00df':  // sharp s
            return U"ss";
        default:
            return {};
    }
}

char32_t letter_weight(char32_t base) {
    if (base >= U'a' && base <= U'z') return latin_letter_base + (base - U'a');
    if (base == U'\u00fe') return thorn;
    return other_letter_base + base;
}

void add_character(char32_t character, Levels& levels) {
    if (ignored_but_last(character)) {
        levels.special += static_cast<char32_t>(levels.primary.size() + 1);
        levels.special += character + 1;
        return;
    }
    if (QChar::isDigit(character)) {
        const auto value = static_cast<char32_t>(QChar::digitValue(character));
        levels.add(digit_base + value, character < 0x80 ? plain : marked_base + character, plain);
        return;
    }
    if (QChar::isLetter(character)) {
        const char32_t lower = QChar::toLower(character);
        const char32_t case_weight = lower != character ? upper_case : plain;
        const char32_t base = base_letter(lower);
        const char32_t accent = base == lower ? plain : marked_base + lower;
        const std::u32string_view expansion = expansion_of(base);
        if (expansion.empty()) {
            levels.add(letter_weight(base), accent, case_weight);
            return;
        }
        // Two letters, told apart from the two written out by the accent level.
        for (const char32_t letter : expansion) {
            levels.add(letter_weight(letter), marked_base + lower, case_weight);
        }
        return;
    }
    levels.add(symbol_base + character, plain, plain);
}

// A level whose trailing weights are all plain compares like one without them, as long as the
// levels before it are equal (they then have the same length); leaving them out keeps keys short.
void append_trimmed(ListKey& key, const std::u32string& level) {
    std::size_t end = level.size();
    while (end > 0 && level[end - 1] == plain) --end;
    key.append(level, 0, end);
    key += separator;
}

}  // namespace

ListKey list_key(std::string_view text, LetterCase letter_case) {
    Levels levels;
    for (const char32_t character : shown_characters(text)) add_character(character, levels);
    ListKey key;
    key.reserve(levels.primary.size() * 2 + levels.special.size() + text.size() + 4);
    key += levels.primary;
    key += separator;
    append_trimmed(key, levels.accent);
    if (letter_case == LetterCase::counts) {
        append_trimmed(key, levels.letter_case);
        key += levels.special;
        key += separator;
    } else {
        key += levels.special;
        key += separator;
        append_trimmed(key, levels.letter_case);
    }
    // The bytes last: texts that show alike keep one fixed order.
    for (const char byte : text) key += static_cast<char32_t>(static_cast<unsigned char>(byte));
    return key;
}

int list_compare(std::string_view left, std::string_view right, LetterCase letter_case) {
    const int difference = list_key(left, letter_case).compare(list_key(right, letter_case));
    return (difference > 0) - (difference < 0);
}

std::vector<SortedList::Run> SortedList::add(const std::vector<std::string>& texts) {
    std::vector<ListKey> added;
    added.reserve(texts.size());
    for (const std::string& text : texts) added.push_back(list_key(text, letter_case_));
    std::vector<std::size_t> order(texts.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&added](std::size_t left, std::size_t right) {
        return added[left] < added[right];
    });

    std::vector<ListKey> merged;
    merged.reserve(keys_.size() + added.size());
    std::vector<Run> runs;
    auto placed = keys_.begin();
    for (const std::size_t index : order) {
        // The places only grow, so each search starts at the last one.
        const auto place = std::upper_bound(placed, keys_.end(), added[index]);
        std::move(placed, place, std::back_inserter(merged));
        placed = place;
        const auto position = static_cast<std::size_t>(place - keys_.begin());
        if (runs.empty() || runs.back().position != position) runs.push_back({position, {}});
        runs.back().texts.push_back(index);
        merged.push_back(std::move(added[index]));
    }
    std::move(placed, keys_.end(), std::back_inserter(merged));
    keys_ = std::move(merged);
    std::reverse(runs.begin(), runs.end());
    return runs;
}

}  // namespace kvtu::ui
