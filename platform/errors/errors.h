#pragma once

#include <QString>
#include <exception>
#include <stdexcept>
#include <utility>

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

// When the steps of a scope guard run: always, as a finally block, or only while an error
// leaves the scope.
enum class When { Always, OnError };

// Runs steps when the scope ends. An error of the steps reaches the caller when the scope
// ended normally; while an error of the scope is already on its way, that first error goes
// on and an error of the steps is dropped (most often it is the same failure met again).
template <When when, typename Steps>
class AtScopeEnd {
public:
    explicit AtScopeEnd(Steps steps)
        : m_steps(std::move(steps)), m_errorsAtStart(std::uncaught_exceptions()) {}
    ~AtScopeEnd() noexcept(false) {
        const bool failing = std::uncaught_exceptions() > m_errorsAtStart;
        if (!failing) {
            if constexpr (when == When::Always) m_steps();
            return;
        }
        try {
            m_steps();
        } catch (...) {
        }
    }
    AtScopeEnd(const AtScopeEnd&) = delete;
    AtScopeEnd& operator=(const AtScopeEnd&) = delete;

private:
    Steps m_steps;
    int m_errorsAtStart;
};

// const auto closing = errors::finally([&] { ... });  runs the steps whenever the scope ends.
template <typename Steps>
[[nodiscard]] AtScopeEnd<When::Always, Steps> finally(Steps steps) {
    return AtScopeEnd<When::Always, Steps>(std::move(steps));
}

// const auto recover = errors::onError([&] { ... });  runs the steps only when an error
// leaves the scope.
template <typename Steps>
[[nodiscard]] AtScopeEnd<When::OnError, Steps> onError(Steps steps) {
    return AtScopeEnd<When::OnError, Steps>(std::move(steps));
}

}  // namespace errors
