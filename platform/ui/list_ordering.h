#pragma once
// The order in which list views keep their rows sorted by caption: the platform's
// locale-aware, case-sensitive text comparison for 8-bit (Latin-1) texts. Texts compare
// alphabetically first, with letters of either case and with or without accents side by side;
// accents decide next, then case (lower before upper); hyphens and apostrophes count only when
// nothing else differs. Symbols sort before digits, digits before letters.
#include <string_view>

namespace kvtu::ui {

// Negative when left sorts before right, zero only when the texts are equal byte for byte.
int list_compare(std::string_view left, std::string_view right);

inline bool list_less(std::string_view left, std::string_view right) {
    return list_compare(left, right) < 0;
}

}  // namespace kvtu::ui
