#include "platform/errors/application.h"

#include "platform/errors/errors.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Pixolet"));
    setApplicationDisplayName(QStringLiteral("Pixolet"));
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
