#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "records/record.h"

namespace sql {
class Query;
}

// The keyword records, through the data module's two queries. Every operation follows the
// main query protocol: it replaces the main query's statement text as a whole, sets the
// parameters by name, executes what returns no rows, and opens what it leaves for the Search
// card. What each one leaves open, and on which row, is said at the operation. Errors of the
// engine reach the caller as sql::Error; the main query then stays closed.
class RecordStore {
public:
    RecordStore(sql::Query* main, sql::Query* groups);

    // The main query, which the Search card's grid, labels and record view follow.
    sql::Query* query() const { return m_main; }

    // What the main query holds now.
    QString statement() const;
    int recordCount() const;
    // True when the main query is open on a result with a current row.
    bool hasCurrentRecord() const;
    // The current row's ID; 0 when the result has no row.
    qint64 currentId() const;
    // The current row's ID, or none when the query is closed or holds no row.
    std::optional<qint64> currentIdIfAny() const;
    // Group, title and keys of the current row (id and summary are not read).
    Record currentFields() const;
    // Moves to the row whose ID is id; false (and stays put) when there is none.
    bool locate(qint64 id);

    // Start-up: closes the query, then "SELECT * FROM tblTags", first row.
    void openListingAtStart();
    // "Select * FROM tblTags", first row.
    void openListing();
    // The same, unless that very statement is open already (then nothing happens).
    void openListingIfOther();
    // New: the CREATE TABLE statement, executed; then "Select * FROM TblTags", first row.
    void createTable();
    void openListingAfterNew();
    // Save As and maintenance: the statement that was open before, with the values its
    // parameters had, first row.
    void reopen(const QString& statement);

    // The title search: "Select * FROM tblTags WHERE \"Title\" LIKE :titleword" with the
    // text as typed between two '%'.
    void searchTitle(const QString& text);
    // The tags search: every word of the trimmed input must occur (tagsSearch).
    void searchTags(const QString& input);
    // The any-word search in the stored summary's RTF.
    void searchAnyWord(const QString& text);

    // Adds the record (its id is not used) and returns the engine's new ID; left open:
    // "SELECT ID, * FROM tblTags" on the new record. Without a database of the records
    // (see kNoDatabaseOpen) nothing runs and errors::Error says so.
    qint64 insert(const Record& record);
    // Rewrites group, title, keys and summary of the record with record.id (not its date);
    // left open: "Select * FROM tblTags", first row.
    void update(const Record& record);
    // Deletes the record with this ID; left open: "Select * From tblTags", first row.
    void remove(qint64 id);
    // "ANALYZE;", "REINDEX;" and "VACUUM;", executed one after another; the query stays
    // closed (the caller reopens what it showed).
    void maintain();

    // Group administration. Deletes every record of the group; left open: "Select * FROM
    // tblTags", first row, also when the DELETE fails.
    void deleteGroup(const QString& group);
    // Opens the group's records and gives each, row by row in the order they come, the group
    // to as it stands; every post is written at once, so when one fails the rows before it
    // keep their new group. Left open: the group's selection, for the caller to replace with
    // openListingAfterMove whether or not the move went through.
    void moveGroup(const QString& from, const QString& to);
    // "Select * FROM tbltags", first row.
    void openListingAfterMove();

    // Restore: the placeholder's table (the connection is on the placeholder), executed.
    void createPlaceholderTable();
    // The empty placeholder database of a restore: the program folder's "TempReopenDB.db".
    static QString placeholderPath();
    // Whether the connection is on the placeholder.
    bool onPlaceholder() const;

    // What a save says while the records have no database: none was ever opened (a first
    // start whose New was cancelled) or the placeholder stands in after a restore.
    static const QString kNoDatabaseOpen;

    // Opens the groups query (nothing happens when it is open already).
    void openGroups();
    // The distinct groups, run again on the database now open, in the engine's byte order.
    QStringList groups();

private:
    // Throws errors::Error(kNoDatabaseOpen) while the records have no database.
    void requireDatabase() const;
    void run(const QString& statement);
    void open(const QString& statement);

    sql::Query* m_main;
    sql::Query* m_groups;
};
