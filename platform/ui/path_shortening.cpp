#include "platform/ui/path_shortening.h"

#include <QFontMetrics>

#include "platform/core/paths.h"
#include "platform/ui/text.h"

namespace kvtu::ui {

namespace {

const QString delimiter = to_qstring(path_delim);
// "/.../" marks where folders were left out.
const QString ellipsis = QStringLiteral("...") + delimiter;
const QString rooted_ellipsis = delimiter + ellipsis;

// One step of shortening of the folder part (which ends with the separator).
QString without_first_folder(QString folders) {
    if (folders == rooted_ellipsis) return ellipsis;
    const bool rooted = folders.startsWith(delimiter);
    if (rooted) folders.remove(0, delimiter.size());
    if (folders.startsWith(ellipsis)) folders.remove(0, ellipsis.size());
    const auto end_of_first = folders.indexOf(delimiter);
    if (end_of_first < 0) return {};
    const QString rest = ellipsis + folders.mid(end_of_first + delimiter.size());
    return rooted ? delimiter + rest : rest;
}

}  // namespace

QString shorten_path(const QString& path, int max_width,
                     const std::function<int(const QString&)>& width_of) {
    const auto name_start = path.lastIndexOf(delimiter);
    if (name_start < 0) return path;
    QString folders = path.first(name_start + delimiter.size());
    const QString name = path.mid(name_start + delimiter.size());
    QString shown = path;
    while (!folders.isEmpty() && width_of(shown) > max_width) {
        folders = without_first_folder(folders);
        shown = folders + name;
    }
    return shown;
}

QString shorten_path(const std::string& path, const QFontMetrics& metrics, int max_width) {
    return shorten_path(to_qstring(path), max_width, [&metrics](const QString& text) {
        return metrics.horizontalAdvance(text);
    });
}

}  // namespace kvtu::ui
