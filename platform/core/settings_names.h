#pragma once
// The key paths and value names of the settings store, spelled here and nowhere else.
#include <string_view>

namespace kvtu::settings {

inline constexpr std::string_view launcher_key = "Software\\Zelvane\\KVTU Vavaver";
inline constexpr std::string_view ftp_key = "Software\\Zelvane\\KVTU Vavaver\\ftp_server";
inline constexpr std::string_view run_key = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

inline constexpr std::string_view flag_yes = "yes";
inline constexpr std::string_view flag_no = "no";

// Tlauncher_settings
inline constexpr std::string_view korvexe = "korvexe";
inline constexpr std::string_view installdir = "installdir";
inline constexpr std::string_view style = "style";
inline constexpr std::string_view start_minimized = "start_minimized";
inline constexpr std::string_view autostart = "autostart";
inline constexpr std::string_view nosplash = "nosplash";
inline constexpr std::string_view windowed = "windowed";
inline constexpr std::string_view twomon = "twomon";
inline constexpr std::string_view benchmark = "benchmark";
inline constexpr std::string_view nodmusic = "nodmusic";
inline constexpr std::string_view nosound = "nosound";
inline constexpr std::string_view dxdll = "dxdll";
inline constexpr std::string_view brisolt = "brisolt";
inline constexpr std::string_view beta196 = "beta196";
inline constexpr std::string_view mods = "mods";

// Tftp_settings
inline constexpr std::string_view ftp_host = "ftp_host";
inline constexpr std::string_view ftp_port = "ftp_port";
inline constexpr std::string_view ftp_user = "ftp_user";
inline constexpr std::string_view ftp_pass = "ftp_pass";
inline constexpr std::string_view ftp_base = "ftp_base";
inline constexpr std::string_view ftp_psvc = "ftp_psvc";
inline constexpr std::string_view ftp_proxy_activate = "ftp_proxy_activate";
inline constexpr std::string_view ftp_proxy_host = "ftp_proxy_host";
inline constexpr std::string_view ftp_proxy_port = "ftp_proxy_port";
inline constexpr std::string_view ftp_proxy_user = "ftp_proxy_user";
inline constexpr std::string_view ftp_proxy_pass = "ftp_proxy_pass";

// The autostart entry under the Run key.
inline constexpr std::string_view autostart_value = "KVT:U Vavaver";

}  // namespace kvtu::settings
