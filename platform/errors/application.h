#pragma once

#include <QApplication>

// The application object. Every event, and so every handler a control's event runs,
// is delivered under the default exception handler: an error that escapes a handler
// is shown in a message box and the program keeps running.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
