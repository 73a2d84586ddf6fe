#pragma once
// Fitting a file path into a width, one step at a time until it fits: the folders are dropped
// from the front one by one, the rest preceded by "/.../"; then the root goes, leaving ".../"
// and the file name; at last only the file name is left, even when that does not fit.
#include <functional>
#include <string>

class QFontMetrics;

namespace kvtu::ui {

std::string shorten_path(const std::string& path, int max_width,
                         const std::function<int(const std::string&)>& width_of);

// Measured in a font, as a label of that font shows the text (Latin-1).
std::string shorten_path(const std::string& path, const QFontMetrics& metrics, int max_width);

}  // namespace kvtu::ui
