#include "platform/ui/list_ordering.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kvtu::ui {

namespace {

using namespace std::string_view_literals;

// Weights of one character at the three levels. A primary weight of 0 marks a character that
// only the final byte-wise comparison sees.
struct Weight {
    std::uint16_t primary = 0;
    std::uint8_t accent = 0;
    std::uint8_t upper = 0;
};

constexpr std::uint16_t symbol_base = 0x100;
constexpr std::uint16_t digit_base = 0x200;
constexpr std::uint16_t letter_base = 0x300;

// Base letters of the Latin-1 letters from 0xC0 to 0xFF, lower case; 0 for the two signs in
// that range (multiplication and division), which count as symbols.
constexpr std::string_view latin1_bases =
    "aaaaaaaceeeeiiii"      // C0-CF
    "dnooooo\0ouuuuyts"     // D0-DF: Ð Ñ Ò-Ö × Ø Ù-Ü Ý Þ ß
    "aaaaaaaceeeeiiii"      // E0-EF
    "dnooooo\0ouuuuyty"sv;  // F0-FF: ð ñ ò-ö ÷ ø ù-ü ý þ ÿ

// Thorn sorts after z, as a letter of its own.
constexpr std::uint16_t thorn_primary = letter_base + 26;

Weight weight_of(unsigned char character) {
    Weight weight;
    if (character == '-' || character == '\'' || character < 0x20 || character == 0x7f ||
        character == 0xad) {
        return weight;
    }
    if (character >= '0' && character <= '9') {
        weight.primary = digit_base + (character - '0');
        return weight;
    }
    if (character >= 'a' && character <= 'z') {
        weight.primary = letter_base + (character - 'a');
        return weight;
    }
    if (character >= 'A' && character <= 'Z') {
        weight.primary = letter_base + (character - 'A');
        weight.upper = 1;
        return weight;
    }
    if (character >= 0xc0) {
        const char base = latin1_bases[character - 0xc0];
        if (base != '\0') {
            const bool thorn = (character & 0xdf) == 0xde;
            weight.primary = thorn ? thorn_primary : letter_base + (base - 'a');
            // Accented forms after the plain letter, each form at its own place.
            weight.accent = thorn ? 0 : static_cast<std::uint8_t>(1 + (character & 0x1f));
            weight.upper = character < 0xe0 && character != 0xdf ? 1 : 0;
            return weight;
        }
    }
    weight.primary = symbol_base + character;
    return weight;
}

std::vector<Weight> weights_of(std::string_view text) {
    std::vector<Weight> weights;
    weights.reserve(text.size());
    for (const char character : text) {
        const Weight weight = weight_of(static_cast<unsigned char>(character));
        if (weight.primary != 0) weights.push_back(weight);
    }
    return weights;
}

template <class Level>
int compare_level(const std::vector<Weight>& left, const std::vector<Weight>& right, Level level) {
    const std::size_t common = left.size() < right.size() ? left.size() : right.size();
    for (std::size_t i = 0; i < common; ++i) {
        const int difference = int(level(left[i])) - int(level(right[i]));
        if (difference != 0) return difference;
    }
    if (left.size() != right.size()) return left.size() < right.size() ? -1 : 1;
    return 0;
}

}  // namespace

int list_compare(std::string_view left, std::string_view right) {
    const std::vector<Weight> left_weights = weights_of(left);
    const std::vector<Weight> right_weights = weights_of(right);
    if (int difference = compare_level(left_weights, right_weights,
                                       [](const Weight& weight) { return weight.primary; })) {
        return difference;
    }
    if (int difference = compare_level(left_weights, right_weights,
                                       [](const Weight& weight) { return weight.accent; })) {
        return difference;
    }
    if (int difference = compare_level(left_weights, right_weights,
                                       [](const Weight& weight) { return weight.upper; })) {
        return difference;
    }
    // Texts that differ only in ignored characters still have one fixed order.
    return left.compare(right);
}

}  // namespace kvtu::ui
