#include "platform/ui/path_shortening.h"

#include <QFontMetrics>
#include <string_view>

#include "platform/core/paths.h"
#include "platform/ui/text.h"

namespace kvtu::ui {

namespace {

// "/.../" marks where folders were left out.
const std::string ellipsis = std::string("...").append(path_delim);
const std::string rooted_ellipsis = std::string(path_delim).append(ellipsis);

// One step of shortening of the folder part (which ends with the separator).
std::string without_first_folder(std::string_view folders) {
    if (folders == rooted_ellipsis) return ellipsis;
    const bool rooted = folders.starts_with(path_delim);
    if (rooted) folders.remove_prefix(path_delim.size());
    if (folders.starts_with(ellipsis)) folders.remove_prefix(ellipsis.size());
    const auto end_of_first = folders.find(path_delim);
    if (end_of_first == std::string_view::npos) return {};
    std::string rest = ellipsis + std::string(folders.substr(end_of_first + path_delim.size()));
    return rooted ? std::string(path_delim) + rest : rest;
}

}  // namespace

std::string shorten_path(const std::string& path, int max_width,
                         const std::function<int(const std::string&)>& width_of) {
    const auto name_start = path.rfind(path_delim);
    if (name_start == std::string::npos) return path;
    std::string folders = path.substr(0, name_start + path_delim.size());
    const std::string name = path.substr(name_start + path_delim.size());
    std::string shown = path;
    while (!folders.empty() && width_of(shown) > max_width) {
        folders = without_first_folder(folders);
        shown = folders + name;
    }
    return shown;
}

std::string shorten_path(const std::string& path, const QFontMetrics& metrics, int max_width) {
    return shorten_path(path, max_width, [&metrics](const std::string& text) {
        return metrics.horizontalAdvance(to_qstring(text));
    });
}

}  // namespace kvtu::ui
