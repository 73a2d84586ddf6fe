#pragma once
// The launcher's run after its single-instance guard: application title, the four windows in
// their order, the event loop, and the shutdown.
#include <string_view>

namespace kvtu::launcher {

inline constexpr std::string_view application_title = "KVT:U Vavaver v1.0.6";

// Creates main_form (its FormCreate runs now), form_info, form_setup and debug, in this order.
void create_windows();
// Destroys the four windows; the main window's FormDestroy removes the notification icon.
void destroy_windows();
// The whole run, with the QApplication already made; returns the exit code.
int run_program();

}  // namespace kvtu::launcher
