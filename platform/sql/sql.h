#pragma once

#include <QByteArray>
#include <QDate>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

#include "platform/errors/errors.h"

struct sqlite3;

namespace sql {

// An error of the engine or of this layer; its message is the engine's own text.
class Error : public errors::Error {
public:
    using errors::Error::Error;
};

// The one connection to an SQLite database file.
class Connection : public QObject {
    Q_OBJECT
public:
    explicit Connection(QObject* parent = nullptr);
    ~Connection() override;

    // The database file. Setting it while connected disconnects first.
    void setDatabase(const QString& path);
    QString database() const;

    // Adds or replaces a connection parameter "Name=Value". "LockingMode" and
    // "Synchronous" become the PRAGMAs locking_mode and synchronous, applied at every
    // connect (and at once when connected). Parameters stay for the rest of the run.
    void addParameter(const QString& nameValue);
    QStringList parameters() const;

    // Opens the file named by setDatabase; a file that does not exist is created as an
    // empty database. Throws Error when there is no database name or the file can't be opened.
    void connect();
    // Closes every query of this connection, then the file.
    void disconnect();
    bool connected() const;

    sqlite3* handle() const;

signals:
    // Emitted before the file is closed: the queries close themselves.
    void disconnecting();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// A statement with named parameters (":name") and the rows it returned.
// Rows are held in a row store; large BLOB values are read from the file when a
// row's value is asked for, so that long listings open fast and stay small.
class Query : public QObject {
    Q_OBJECT
public:
    explicit Query(Connection* connection, QObject* parent = nullptr);
    ~Query() override;

    Connection* connection() const;

    // Replaces the statement text as a whole: closes the query when open and rebuilds
    // the parameter list from the ":name" markers; a name that had a value keeps it, also
    // when texts without it came in between.
    void setSQL(const QString& text);
    QString sql() const;

    QStringList paramNames() const;
    // Throws Error "Parameter 'X' not found" for a name the statement does not have.
    void setParamString(const QString& name, const QString& value);
    void setParamInteger(const QString& name, qint64 value);
    void setParamDate(const QString& name, const QDate& value);  // stored as "yyyy-mm-dd"
    void setParamBlob(const QString& name, const QByteArray& value);
    void setParamNull(const QString& name);
    QVariant paramValue(const QString& name) const;

    // Runs a statement that returns no rows. Connects first when needed. The query stays closed.
    void execSQL();
    // Runs the statement and holds its rows; stands on the first row. Emits afterOpen.
    void open();
    void close();
    bool active() const;
    // Runs the statement again with the same parameters and refetches (emits afterOpen);
    // stays on the same row number when it still exists.
    void refresh();

    // Row store and current row. Row numbers count from 0; -1 is no row.
    int recordCount() const;
    int recNo() const;
    void setRecNo(int row);
    void first();
    void next();
    bool eof() const;
    bool isEmpty() const;

    QStringList fieldNames() const;
    int fieldIndex(const QString& name) const;  // -1 when absent (names compared without case)
    // The current row's value; throws Error "Field 'X' not found" for an unknown name and
    // Error when there is no current row. Text is QString, integers qint64, BLOBs QByteArray,
    // NULL an invalid QVariant.
    QVariant fieldByName(const QString& name) const;
    QVariant value(int row, int column) const;
    // The UTF-8 bytes of a text value, without a copy; empty for other values. Valid
    // until the query is closed or reopened.
    QByteArrayView textBytes(int row, int column) const;

    // Moves to the first row whose field equals value; false (and stays put) when none.
    bool locate(const QString& field, const QVariant& value);

    // Changes one row: edit, set fields, post. Post writes the changed fields with
    // UPDATE <table> SET ... WHERE ID = <the row's ID> and emits afterPost.
    void edit();
    void setFieldValue(const QString& name, const QVariant& value);
    void post();

    // The bound controls stop following the query until enableControls; nested calls count.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const;

signals:
    void afterOpen();
    void afterPost();
    void afterDelete();
    void afterClose();
    // For bound controls: the row store was replaced or changed (open, close, post) ...
    void dataChanged();
    // ... or the current row moved.
    void currentRowChanged(int row);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Whether the file at path begins as an SQLite database does ("SQLite format 3").
bool isDatabaseFile(const QString& path);

// Copies the database at source into the new file destination with SQLite's online backup:
// a consistent copy of the last committed state, also while other connections or programs
// write the file (a write lock held by another program is waited for as a statement waits,
// then fails). The copy is checked with "PRAGMA quick_check". Throws Error with the engine's
// text when the source cannot be read or the copy is damaged; destination may then hold a
// partial copy for the caller to remove.
void copyDatabase(const QString& source, const QString& destination);

// Keeps a query's bound controls from following it while in scope; they follow again
// when the scope ends, also when a step fails, so that no window stays frozen.
class ControlsSuspended {
public:
    explicit ControlsSuspended(Query* query) : m_query(query) { m_query->disableControls(); }
    ~ControlsSuspended() { m_query->enableControls(); }
    ControlsSuspended(const ControlsSuspended&) = delete;
    ControlsSuspended& operator=(const ControlsSuspended&) = delete;

private:
    Query* m_query;
};

}  // namespace sql
