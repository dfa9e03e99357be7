#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

#include "platform/dialogs/dialogs.h"
#include "platform/shell/shell.h"

// Answers the program's dialogs from queues the test fills, and records every box.
// A dialog with nothing queued for it fails the test.
class ScriptedDialogs : public dialogs::Dialogs {
public:
    struct Shown {
        QString kind;  // "message", "error", "confirm", "information", "open", "save", "color"
        QString text;  // the box's text, or the file dialog's title
        dialogs::FileRequest request;
        dialogs::Place place = dialogs::Place::Default;
    };

    std::vector<Shown> shown;
    std::deque<dialogs::Answer> answers;
    std::deque<QStringList> openAnswers;  // empty list: cancelled
    std::deque<QString> saveAnswers;      // an empty text: cancelled
    std::deque<std::optional<int>> colorAnswers;
    // The colour each colour dialog started with, in order.
    std::vector<int> colorInitials;

    void message(const QString& text, dialogs::Place place) override;
    void error(const QString& text) override;
    dialogs::Answer confirm(const QString& text, dialogs::Icon icon, dialogs::Place place,
                            bool withCancel) override;
    void informationAt(const QString& text, QPoint topLeft) override;
    // Recorded as "message" and "confirm"; lastPlacedAt keeps the point.
    void messageAt(const QString& text, QPoint topLeft) override;
    dialogs::Answer confirmAt(const QString& text, dialogs::Icon icon, QPoint centre) override;
    QStringList openFiles(const dialogs::FileRequest& request) override;
    std::optional<QString> saveFile(const dialogs::FileRequest& request) override;
    std::optional<int> chooseColor(int initial) override;

    // The texts of the boxes of one kind ("message", "error", ...), in order.
    QStringList texts(const QString& kind) const;
    // Every box text, of any kind.
    QStringList allTexts() const;
    // The texts of the boxes asked to stand centred on the screen, of any kind, in order.
    QStringList centredOnScreen() const;
    void clear() { shown.clear(); }
    // The last information box's position.
    QPoint lastInformationAt;
    // The point of the last box placed by messageAt (its top-left corner) or confirmAt (its
    // centre).
    std::optional<QPoint> lastPlacedAt;
};

// Records every "open" and answers with a chosen result.
class ScriptedShell : public shell::Shell {
public:
    QStringList opened;
    bool result = true;
    bool open(const QString& pathOrUrl) override {
        opened << pathOrUrl;
        return result;
    }
};
