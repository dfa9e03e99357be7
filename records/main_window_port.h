#pragma once

#include <QString>
#include <QStringList>

class QTextDocument;

// What the other windows ask of the main window. The program block hands the main window to
// them as this port; they reach nothing else of it and none of its controls.
class MainWindowPort {
public:
    // Opens Help/<TopicFolder>/index.html of the program folder in the default browser.
    virtual void ShowHTMLHelp(const QString& TopicFolder) = 0;

    // The batch summary's document: entries are written at its end (summary::Writer).
    virtual QTextDocument* batchSummary() = 0;
    // The batch summary comes into view: the Search card gives way to the Create card.
    // Nothing else of the main window moves, not its focus, not its scroll position.
    virtual void showBatchSummary() = 0;
    // What is typed next at the end of the batch summary starts in regular type; a selection
    // of the user's, or a caret elsewhere, keeps its own style.
    virtual void typeRegularAtEndOfBatchSummary() = 0;

    // The Create card's group list takes these groups as its items; its text stays.
    virtual void replaceGroupList(const QStringList& groups) = 0;

    // The Database menu's Open command, as the user runs it.
    virtual void runOpen() = 0;
    // Opens the database file as the program's database: the listing, the group list and the
    // status bar follow. Throws errors::Error when it cannot be opened.
    virtual void OpenDatabase(const QString& path) = 0;
    // Deletes the restore's placeholder database, unless it is the open one.
    virtual void RemovePlaceholder() = 0;

protected:
    ~MainWindowPort() = default;
};
