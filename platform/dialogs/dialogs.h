#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace dialogs {

enum class Answer { Yes, No, Ok, Cancel };
enum class Icon { None, Information, Warning, Error, Question };
// Where a box stands: where the platform puts it (centred on the window it belongs to), or
// centred on the screen. Either way it belongs to the window in front.
enum class Place { Default, ScreenCentre };

// What a file dialog is asked to show.
struct FileRequest {
    QString title;
    QString filter;         // "Database|*.db" style: description|patterns, pairs joined by '|'
    QString defaultSuffix;  // without the dot
    QString initialDir;
    QString fileName;  // proposed name
    bool multiSelect = false;
    bool mustExist = true;         // open dialogs only
    bool overwritePrompt = false;  // save dialogs: ask before replacing an existing file
};

// Every message box, file dialog and colour dialog of the program goes through here,
// so that tests can answer them.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A plain message with an OK button.
    virtual void message(const QString& text, Place place = Place::Default) = 0;
    // The default exception handler's box.
    virtual void error(const QString& text) = 0;
    // A question with Yes and No (or the buttons given); returns the button pressed.
    virtual Answer confirm(const QString& text, Icon icon = Icon::Question,
                           Place place = Place::Default, bool withCancel = false) = 0;
    // An information box with its top-left corner at a screen point.
    virtual void informationAt(const QString& text, QPoint topLeft) = 0;
    // A plain message without icon, with an OK button, its top-left corner at a screen point.
    virtual void messageAt(const QString& text, QPoint topLeft) = 0;
    // A question with Yes and No whose box has its centre at a screen point.
    virtual Answer confirmAt(const QString& text, Icon icon, QPoint centre) = 0;
    // File dialogs: the chosen paths, empty when cancelled.
    virtual QStringList openFiles(const FileRequest& request) = 0;
    virtual std::optional<QString> saveFile(const FileRequest& request) = 0;
    // Colour dialog with a platform colour value (red in the lowest 8 bits).
    virtual std::optional<int> chooseColor(int initial) = 0;

    // Convenience: one file.
    std::optional<QString> openFile(const FileRequest& request);
};

Dialogs& get();
// Installs another implementation (tests); nullptr returns to the Qt one.
void install(Dialogs* dialogs);

// Turns "Database|*.db|All|*.*" into Qt's "Database (*.db);;All (*.*)".
QString toQtFilter(const QString& filter);

}  // namespace dialogs
