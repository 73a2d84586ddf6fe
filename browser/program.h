#pragma once
// The server browser's run: application title, its one window, the event loop.
#include <string_view>

namespace kvtu::browser {

inline constexpr std::string_view application_title = "KVT:U Server Browser";

// Creates main_form; its FormCreate runs now.
void create_window();
void destroy_window();
// The whole run, with the QApplication already made; returns the exit code.
int run_program();

}  // namespace kvtu::browser
