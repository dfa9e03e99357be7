#pragma once

#include <QString>
#include <functional>
#include <stdexcept>

namespace errors {

// An error whose message is shown to the user as it stands.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

// A text that should have been a number (text::strToInt).
class ConvertError : public Error {
public:
    using Error::Error;
};

// The application's default exception handler: shows the error's message in a
// message box and lets the program go on.
void showException(const std::exception& e);
void showUnknownException();

// Runs fn under the default exception handler. Returns false when an error escaped.
bool guard(const std::function<void()>& fn);

// Runs body, then closing, as a try/finally block: closing always runs; an error of
// closing replaces an error of body.
template <typename Body, typename Closing>
void withClosingSteps(Body body, Closing closing) {
    try {
        body();
    } catch (...) {
        closing();
        throw;
    }
    closing();
}

}  // namespace errors
