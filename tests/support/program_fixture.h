#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>

#include "tests/support/qt_print.h"
#include "tests/support/scripted_dialogs.h"

class QWidget;

// One row of "tblTags" for test databases.
struct TestRecord {
    QString group;
    QString title;
    QString keys;
    QByteArray allKeys;
};

// One real program per test: a fresh temporary program folder, the windows created
// as at start-up, dialogs and the shell answered by the doubles.
class ProgramFixture : public ::testing::Test {
public:
    void SetUp() override;
    void TearDown() override;

    // The temporary program folder, with a trailing '/'.
    QString folder() const;
    QString path(const QString& relative) const;

    // Creates every window and shows the main window (its start-up sequence runs).
    void startProgram();
    // An empty database at the default place, the program started and its Create card shown
    // in the active window, so that the focus can be checked.
    void startOnCreateCard();
    // Asks the main window to close; returns whether it closed.
    bool closeProgram();
    // Destroys the windows (after closeProgram), so that startProgram can run again.
    void endProgram();

    void writeSettings(const QString& text);
    QString readSettings() const;

    // Creates a database of the program's schema with these rows; returns its path.
    QString makeDatabase(const QString& relativePath, const std::vector<TestRecord>& records = {});
    // Runs one SQL statement on a database file outside the program and returns the
    // first column of every row.
    static QStringList queryFile(const QString& file, const QString& statement);
    // Runs one SQL statement that returns no rows on a database file outside the program.
    static void executeFile(const QString& file, const QString& statement);

    // A control of any window, by its name.
    template <typename T = QWidget>
    static T* control(const char* name);

    ScriptedDialogs dialogs;
    ScriptedShell shell;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    bool m_started = false;
};

// Another program's write lock on a database file, held while the object lives.
class HeldLock {
public:
    explicit HeldLock(const QString& file);
    ~HeldLock();
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;

private:
    struct sqlite3* m_db = nullptr;
};

QWidget* findControl(const char* name);

template <typename T>
T* ProgramFixture::control(const char* name) {
    T* widget = qobject_cast<T*>(findControl(name));
    EXPECT_NE(widget, nullptr) << "no control " << name;
    return widget;
}

// A runtime folder of the test programs' own, unless the environment names one.
void useTestRuntimeFolder();

// The repository's source folder and the staged program folder.
QString sourceDir();
QString stagedProgramDir();
