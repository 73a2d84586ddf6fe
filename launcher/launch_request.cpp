#include "launch_request.h"

#include <string_view>
#include <utility>

#include "platform/core/paths.h"
#include "platform/core/settings_names.h"

namespace {

constexpr std::string_view beta_executable = "KORVANTHBETA.EXE";

std::string read(kvtu::Registry& key, std::string_view name) {
    return key.read_string(name);
}

bool on(kvtu::Registry& key, std::string_view name) {
    return kvtu::flag_on(key.read_string(name));
}

// Where the file name of a path starts: after its last separator, or at its beginning.
std::size_t name_start(const std::string& path) {
    const auto last_separator = path.rfind(kvtu::path_delim);
    return last_separator == std::string::npos ? 0 : last_separator + kvtu::path_delim.size();
}

}  // namespace

LaunchRequest BuildLaunchParameters(kvtu::Registry& open_key) {
    namespace names = kvtu::settings;
    LaunchRequest request;

    const std::string game_path = read(open_key, names::korvexe);
    request.working_folder = game_path.substr(0, name_start(game_path));
    request.file = request.working_folder;
    if (on(open_key, names::beta196)) {
        request.file += beta_executable;
    } else {
        // Read once more, as designed; the name is taken from this second reading.
        const std::string chosen = read(open_key, names::korvexe);
        request.file += chosen.substr(name_start(chosen));
    }

    // The order of the switches here is the game's, not the window's.
    static constexpr std::pair<std::string_view, std::string_view> switches[] = {
        {names::nosplash, " -nosplash"}, {names::windowed, " -window"},
        {names::twomon, " -twomon"},     {names::benchmark, " -benchmark"},
        {names::nodmusic, " -nodmusic"}, {names::nosound, " -nosound"},
    };
    for (const auto& [name, text] : switches) {
        if (on(open_key, name)) request.parameters += text;
    }
    request.parameters += " -mod=";
    if (on(open_key, names::dxdll)) request.parameters += "dxdll;";
    if (on(open_key, names::brisolt)) request.parameters += "brisolt;";
    request.parameters += read(open_key, names::mods);
    return request;
}

std::string join_parameters(const LaunchRequest& request, const std::string& ip_text) {
    return request.parameters + " -connect=" + ip_text;
}
