#include "platform/errors/application.h"

#include "platform/errors/guard.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The name the message boxes carry as their title. No display name is set: on X11 it would
    // be added to every window's title ("Settings — Pixolet"), and each window shows exactly
    // its own caption.
    setApplicationName(QStringLiteral("Pixolet"));
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        errors::showException(e);
    } catch (...) {
        errors::showUnknownException();
    }
    return false;
}
