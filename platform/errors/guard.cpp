#include "platform/errors/guard.h"

#include "platform/dialogs/dialogs.h"

namespace errors {

void showException(const std::exception& e) {
    QString message = QString::fromStdString(e.what());
    if (message.isEmpty()) message = QStringLiteral("An unexpected error occurred.");
    dialogs::get().error(message);
}

void showUnknownException() {
    dialogs::get().error(QStringLiteral("An unexpected error occurred."));
}

bool guard(const std::function<void()>& fn) {
    try {
        fn();
        return true;
    } catch (const std::exception& e) {
        showException(e);
    } catch (...) {
        showUnknownException();
    }
    return false;
}

}  // namespace errors
