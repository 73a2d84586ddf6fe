#pragma once
// Fitting a file path into a width, one step at a time until it fits: the folders are dropped
// from the front one by one, the rest preceded by "/.../"; then the root goes, leaving ".../"
// and the file name; at last only the file name is left, even when that does not fit. The path
// is shortened as shown, after the text rule, so that what is measured is what the label shows.
#include <QString>
#include <functional>
#include <string>

class QFontMetrics;

namespace kvtu::ui {

QString shorten_path(const QString& path, int max_width,
                     const std::function<int(const QString&)>& width_of);

// The path's bytes shown by the text rule, measured in a font as a label of that font shows them.
QString shorten_path(const std::string& path, const QFontMetrics& metrics, int max_width);

}  // namespace kvtu::ui
