#pragma once
// Event handlers are bound through guarded(): an exception that leaves a handler goes to the
// application's default error handler and the program goes on. No exception may unwind
// through the Qt event loop.
#include <concepts>
#include <utility>

#include "platform/ui/application.h"

namespace kvtu::ui {

// Runs the handler now, guarded.
template <class Handler>
void run_guarded(Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        Application::instance().handle_current_exception();
    }
}

// Wraps a handler for QObject::connect. The wrapper accepts exactly the argument lists the
// handler accepts, so Qt passes a signal's leading arguments as the handler needs them.
template <class Handler>
auto guarded(Handler handler) {
    return [handler = std::move(handler)]<class... Arguments>(
        Arguments && ... arguments) mutable requires std::invocable<Handler&, Arguments...> {
        try {
            handler(std::forward<Arguments>(arguments)...);
        } catch (...) {
            Application::instance().handle_current_exception();
        }
    };
}

}  // namespace kvtu::ui
