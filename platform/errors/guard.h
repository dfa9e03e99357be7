#pragma once

#include <exception>
#include <functional>
#include <utility>

#include "platform/errors/errors.h"

// The one guard every handler of the windows runs under: an error that escapes a handler is
// shown by the application's default exception handler, and the program goes on.
namespace errors {

// The application's default exception handler: shows the error's message in a
// message box and lets the program go on.
void showException(const std::exception& e);
void showUnknownException();

// Runs fn under the default exception handler. Returns false when an error escaped.
// Every handler connected to a signal or a control's hook runs through it.
bool guard(const std::function<void()>& fn);

// A member function as a handler that runs under the default exception handler, for a
// connection or a control's hook: the arguments are passed on as the handler takes them.
template <typename Object, typename... Args>
auto guarded(Object* object, void (Object::*handler)(Args...)) {
    return [object, handler](Args... args) {
        guard([&] { (object->*handler)(std::forward<Args>(args)...); });
    };
}

}  // namespace errors
