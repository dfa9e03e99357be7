#include "platform/sql/sql.h"

#include <sqlite3.h>

#include <QDate>
#include <QFile>
#include <QHash>
#include <QPointer>
#include <cstring>
#include <vector>

#include "platform/sql/like.h"

namespace sql {

// ----------------------------------------------------------------------------------------
// Connection

struct Connection::Impl {
    QString database;
    QStringList parameters;  // "Name=Value", in the order added
    sqlite3* db = nullptr;
};

namespace {

// How long a statement waits for another program's write lock before it fails.
constexpr int kBusyMilliseconds = 2000;

QString engineMessage(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

void execPlain(sqlite3* db, const QString& statement) {
    char* error = nullptr;
    if (sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = error ? QString::fromUtf8(error) : engineMessage(db);
        sqlite3_free(error);
        throw Error(message);
    }
}

// The PRAGMA a connection parameter stands for, or an empty string.
QString pragmaFor(const QString& nameValue) {
    const int eq = nameValue.indexOf('=');
    if (eq < 0) return {};
    const QString name = nameValue.left(eq).trimmed();
    const QString value = nameValue.mid(eq + 1).trimmed();
    if (name.compare(QLatin1String("LockingMode"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("PRAGMA locking_mode = %1").arg(value.toUpper());
    if (name.compare(QLatin1String("Synchronous"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("PRAGMA synchronous = %1").arg(value.toUpper());
    return {};
}

}  // namespace

Connection::Connection(QObject* parent) : QObject(parent), d(std::make_unique<Impl>()) {}

Connection::~Connection() {
    if (d->db) sqlite3_close_v2(d->db);
}

void Connection::setDatabase(const QString& path) {
    if (connected()) disconnect();
    d->database = path;
}

QString Connection::database() const {
    return d->database;
}

void Connection::addParameter(const QString& nameValue) {
    const QString name = nameValue.section('=', 0, 0).trimmed();
    for (QString& existing : d->parameters) {
        if (existing.section('=', 0, 0).trimmed().compare(name, Qt::CaseInsensitive) == 0) {
            existing = nameValue;
            if (d->db && !pragmaFor(nameValue).isEmpty()) execPlain(d->db, pragmaFor(nameValue));
            return;
        }
    }
    d->parameters << nameValue;
    if (d->db && !pragmaFor(nameValue).isEmpty()) execPlain(d->db, pragmaFor(nameValue));
}

QStringList Connection::parameters() const {
    return d->parameters;
}

void Connection::connect() {
    if (d->db) return;
    if (d->database.isEmpty())
        throw Error(QStringLiteral("No database file is set for the connection."));
    sqlite3* db = nullptr;
    const int rc =
        sqlite3_open_v2(d->database.toUtf8().constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = engineMessage(db);
        sqlite3_close_v2(db);
        throw Error(
            QStringLiteral("Unable to open database file %1: %2").arg(d->database, message));
    }
    sqlite3_extended_result_codes(db, 1);
    // Another program holding a write lock makes a statement wait a moment, then fail.
    sqlite3_busy_timeout(db, kBusyMilliseconds);
    if (!registerLike(db)) {
        const QString message = engineMessage(db);
        sqlite3_close_v2(db);
        throw Error(message);
    }
    try {
        // Reading the schema tells at once whether the file is a database at all.
        execPlain(db, QStringLiteral("PRAGMA schema_version"));
        // Listings of large tables read the file through memory mapping.
        execPlain(db, QStringLiteral("PRAGMA mmap_size = 1073741824"));
        for (const QString& parameter : std::as_const(d->parameters)) {
            const QString pragma = pragmaFor(parameter);
            if (!pragma.isEmpty()) execPlain(db, pragma);
        }
    } catch (const Error& e) {
        sqlite3_close_v2(db);
        throw Error(QStringLiteral("%1: %2").arg(d->database, e.message()));
    }
    d->db = db;
}

void Connection::disconnect() {
    if (!d->db) return;
    emit disconnecting();
    sqlite3_close_v2(d->db);
    d->db = nullptr;
}

bool Connection::connected() const {
    return d->db != nullptr;
}

sqlite3* Connection::handle() const {
    return d->db;
}

// ----------------------------------------------------------------------------------------
// Copies

namespace {

// A connection of its own for a copy, closed with the object.
class OwnConnection {
public:
    OwnConnection(const QString& path, int flags) {
        const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr);
        if (rc != SQLITE_OK) {
            const QString message = engineMessage(m_db);
            sqlite3_close_v2(m_db);
            m_db = nullptr;
            throw Error(message);
        }
        sqlite3_extended_result_codes(m_db, 1);
        sqlite3_busy_timeout(m_db, kBusyMilliseconds);
    }
    ~OwnConnection() { sqlite3_close_v2(m_db); }
    OwnConnection(const OwnConnection&) = delete;
    OwnConnection& operator=(const OwnConnection&) = delete;
    sqlite3* get() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

// The first row of "PRAGMA quick_check": "ok" for a whole database.
QString quickCheck(sqlite3* db) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &stmt, nullptr) != SQLITE_OK)
        throw Error(engineMessage(db));
    const int rc = sqlite3_step(stmt);
    const QString first =
        rc == SQLITE_ROW
            ? QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)))
            : QString();
    sqlite3_finalize(stmt);
    if (rc != SQLITE_ROW) throw Error(engineMessage(db));
    return first;
}

}  // namespace

bool isDatabaseFile(const QString& path) {
    QFile file(path);
    static const QByteArray magic("SQLite format 3", 16);
    return file.open(QIODevice::ReadOnly) && file.read(magic.size()) == magic;
}

void copyDatabase(const QString& source, const QString& destination) {
    const OwnConnection from(source, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX);
    const OwnConnection to(destination,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX);
    // The copy is checked and then read once: it needs no journal and no flush to disk.
    execPlain(to.get(), QStringLiteral("PRAGMA journal_mode = OFF"));
    execPlain(to.get(), QStringLiteral("PRAGMA synchronous = OFF"));
    sqlite3_backup* backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
    if (!backup) throw Error(engineMessage(to.get()));
    // One step copies every page under one read transaction of the source: no write of
    // another connection can come between two pages.
    const int step = sqlite3_backup_step(backup, -1);
    const int finish = sqlite3_backup_finish(backup);
    if (step != SQLITE_DONE || finish != SQLITE_OK) {
        const int code = step != SQLITE_DONE ? step : finish;
        throw Error(QString::fromUtf8(sqlite3_errstr(code)));
    }
    const QString check = quickCheck(to.get());
    if (check != QLatin1String("ok")) {
        // The first finding, after the line that names the schema.
        QStringList lines = check.split('\n', Qt::SkipEmptyParts);
        if (lines.size() > 1 && lines.front().startsWith(QLatin1String("***"))) lines.removeFirst();
        throw Error(QStringLiteral("the database is damaged (%1)").arg(lines.value(0)));
    }
}

// ----------------------------------------------------------------------------------------
// Query

namespace {

// One value of the row store: 16 bytes. Text and small BLOBs live in the store's byte
// arena, so that a listing of many rows costs few allocations; a large BLOB is kept as
// the row id to read it from when it is asked for.
struct Cell {
    enum Kind : std::uint8_t { Null, Integer, Float, Text, Blob, LazyBlob };
    Kind kind = Null;
    std::uint32_t size = 0;  // Text and Blob: bytes in the arena
    std::int64_t value = 0;  // Integer; Float bits; arena offset; LazyBlob row id
};

// All rows of a result, one row after the other.
class RowStore {
public:
    // Empties the store for a new result; the memory is kept for it, since a listing
    // is usually followed by another one of the same size.
    void reset(int columns) {
        m_columns = columns;
        m_cells.clear();
        m_arena.clear();
    }
    // Room for a long listing, so that it never moves while it grows; only the pages
    // that are written take memory. The room is kept for the next result.
    void reserveLarge() {
        if (m_cells.capacity() < (1u << 20)) m_cells.reserve(1u << 20);
        if (m_arena.capacity() < (128u << 20)) m_arena.reserve(128u << 20);
    }
    int rows() const { return m_columns ? static_cast<int>(m_cells.size() / m_columns) : 0; }
    Cell& at(int row, int column) { return m_cells[static_cast<size_t>(row) * m_columns + column]; }
    const Cell& at(int row, int column) const {
        return m_cells[static_cast<size_t>(row) * m_columns + column];
    }
    Cell& append() { return m_cells.emplace_back(); }
    void setBytes(Cell& cell, Cell::Kind kind, const char* data, size_t size) {
        cell.kind = kind;
        cell.size = static_cast<std::uint32_t>(size);
        cell.value = static_cast<std::int64_t>(m_arena.size());
        m_arena.insert(m_arena.end(), data, data + size);
    }
    QByteArrayView bytes(const Cell& cell) const {
        return QByteArrayView(m_arena.data() + cell.value, cell.size);
    }

private:
    int m_columns = 0;
    std::vector<Cell> m_cells;
    std::vector<char> m_arena;
};

struct ColumnInfo {
    QString name;
    QString table;         // origin table, empty for an expression
    QString origin;        // origin column
    int rowidColumn = -1;  // result column holding the origin table's row id, -1 none
};

struct Param {
    QString name;  // without the colon
    QVariant value;
};

constexpr int kLazyBlobBytes = 512;

// The ":name" markers of a statement, outside literals, quoted names and comments.
QStringList markerNames(const QString& text) {
    QStringList names;
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == '\'' || c == '"' || c == '`') {
            const int close = text.indexOf(c, i + 1);
            i = close < 0 ? n : close;
        } else if (c == '[') {
            const int close = text.indexOf(']', i + 1);
            i = close < 0 ? n : close;
        } else if (c == '-' && i + 1 < n && text[i + 1] == '-') {
            const int eol = text.indexOf('\n', i);
            i = eol < 0 ? n : eol;
        } else if (c == '/' && i + 1 < n && text[i + 1] == '*') {
            const int close = text.indexOf(QLatin1String("*/"), i + 2);
            i = close < 0 ? n : close + 1;
        } else if (c == ':' && i + 1 < n && (text[i + 1].isLetter() || text[i + 1] == '_') &&
                   (i == 0 || text[i - 1] != ':')) {
            int j = i + 1;
            while (j < n && (text[j].isLetterOrNumber() || text[j] == '_')) ++j;
            const QString name = text.mid(i + 1, j - i - 1);
            bool known = false;
            for (const QString& existing : names)
                known = known || existing.compare(name, Qt::CaseInsensitive) == 0;
            if (!known) names << name;
            i = j - 1;
        }
    }
    return names;
}

void readCell(sqlite3_stmt* stmt, int column, const ColumnInfo& info, RowStore& store) {
    Cell& cell = store.append();
    switch (sqlite3_column_type(stmt, column)) {
        case SQLITE_INTEGER:
            cell.kind = Cell::Integer;
            cell.value = sqlite3_column_int64(stmt, column);
            break;
        case SQLITE_FLOAT: {
            cell.kind = Cell::Float;
            const double real = sqlite3_column_double(stmt, column);
            std::memcpy(&cell.value, &real, sizeof real);
            break;
        }
        case SQLITE_TEXT: {
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
            store.setBytes(cell, Cell::Text, text, sqlite3_column_bytes(stmt, column));
            break;
        }
        case SQLITE_BLOB: {
            const int size = sqlite3_column_bytes(stmt, column);
            if (size > kLazyBlobBytes && info.rowidColumn >= 0 &&
                sqlite3_column_type(stmt, info.rowidColumn) == SQLITE_INTEGER) {
                cell.kind = Cell::LazyBlob;
                cell.value = sqlite3_column_int64(stmt, info.rowidColumn);
            } else {
                store.setBytes(cell, Cell::Blob,
                               static_cast<const char*>(sqlite3_column_blob(stmt, column)), size);
            }
            break;
        }
        default:
            break;
    }
}

// Binds one value: integers as integers, byte arrays as BLOBs, dates as "yyyy-mm-dd",
// everything else as text; an invalid or null value as NULL.
void bindValue(sqlite3_stmt* stmt, int index, const QVariant& v) {
    int rc = SQLITE_OK;
    if (!v.isValid() || v.isNull()) {
        rc = sqlite3_bind_null(stmt, index);
    } else if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int) {
        rc = sqlite3_bind_int64(stmt, index, v.toLongLong());
    } else if (v.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = v.toByteArray();
        rc = sqlite3_bind_blob64(stmt, index, bytes.constData(), bytes.size(), SQLITE_TRANSIENT);
    } else {
        const QByteArray text = v.typeId() == QMetaType::QDate
                                    ? v.toDate().toString(Qt::ISODate).toUtf8()
                                    : v.toString().toUtf8();
        rc = sqlite3_bind_text64(stmt, index, text.constData(), text.size(), SQLITE_TRANSIENT,
                                 SQLITE_UTF8);
    }
    if (rc != SQLITE_OK) throw Error(engineMessage(sqlite3_db_handle(stmt)));
}

}  // namespace

struct Query::Impl {
    Connection* connection = nullptr;
    QString sql;
    std::vector<Param> params;
    QHash<QString, QVariant> remembered;  // lower-case name -> last value
    bool active = false;
    std::vector<ColumnInfo> columns;
    RowStore rows;
    int current = -1;
    bool eof = true;
    int disableCount = 0;
    bool editing = false;
    QHash<int, QVariant> edits;  // column -> new value

    Param* findParam(const QString& name) {
        QString bare = name.startsWith(':') ? name.mid(1) : name;
        for (Param& p : params)
            if (p.name.compare(bare, Qt::CaseInsensitive) == 0) return &p;
        return nullptr;
    }

    Param& param(const QString& name) {
        Param* p = findParam(name);
        if (!p) throw Error(QStringLiteral("Parameter '%1' not found").arg(name));
        return *p;
    }

    sqlite3* db() {
        connection->connect();
        return connection->handle();
    }

    void bind(sqlite3_stmt* stmt) {
        const int count = sqlite3_bind_parameter_count(stmt);
        for (int i = 1; i <= count; ++i) {
            const char* rawName = sqlite3_bind_parameter_name(stmt, i);
            if (!rawName) continue;
            const Param* p = findParam(QString::fromUtf8(rawName));
            bindValue(stmt, i, p ? p->value : QVariant());
        }
    }

    QVariant toVariant(const Cell& cell, int column) const {
        switch (cell.kind) {
            case Cell::Null:
                return {};
            case Cell::Integer:
                return QVariant::fromValue<qint64>(cell.value);
            case Cell::Float: {
                double real = 0;
                std::memcpy(&real, &cell.value, sizeof real);
                return real;
            }
            case Cell::Text:
                return QString::fromUtf8(rows.bytes(cell));
            case Cell::Blob:
                return rows.bytes(cell).toByteArray();
            case Cell::LazyBlob:
                return readLazy(cell.value, columns[column]);
        }
        return {};
    }

    QVariant readLazy(qint64 rowid, const ColumnInfo& info) const {
        sqlite3* db = connection->handle();
        if (!db) return {};
        sqlite3_blob* blob = nullptr;
        if (sqlite3_blob_open(db, "main", info.table.toUtf8().constData(),
                              info.origin.toUtf8().constData(), rowid, 0, &blob) != SQLITE_OK) {
            sqlite3_blob_close(blob);
            return {};
        }
        QByteArray bytes(sqlite3_blob_bytes(blob), Qt::Uninitialized);
        const int rc = sqlite3_blob_read(blob, bytes.data(), static_cast<int>(bytes.size()), 0);
        sqlite3_blob_close(blob);
        if (rc != SQLITE_OK) throw Error(engineMessage(db));
        return bytes;
    }
};

Query::Query(Connection* connection, QObject* parent)
    : QObject(parent), d(std::make_unique<Impl>()) {
    d->connection = connection;
    QObject::connect(connection, &Connection::disconnecting, this, [this] { close(); });
}

Query::~Query() = default;

Connection* Query::connection() const {
    return d->connection;
}

void Query::setSQL(const QString& text) {
    close();
    d->sql = text;
    // Values are kept by name, also across texts that do not name them, so that a
    // statement put back after others runs with its values again.
    for (const Param& p : d->params) d->remembered.insert(p.name.toLower(), p.value);
    std::vector<Param> rebuilt;
    for (const QString& name : markerNames(text))
        rebuilt.push_back(Param{name, d->remembered.value(name.toLower())});
    d->params = std::move(rebuilt);
}

QString Query::sql() const {
    return d->sql;
}

QStringList Query::paramNames() const {
    QStringList names;
    for (const Param& p : d->params) names << p.name;
    return names;
}

void Query::setParamString(const QString& name, const QString& value) {
    d->param(name).value = value;
}
void Query::setParamInteger(const QString& name, qint64 value) {
    d->param(name).value = QVariant::fromValue(value);
}
void Query::setParamDate(const QString& name, const QDate& value) {
    d->param(name).value = value;
}
void Query::setParamBlob(const QString& name, const QByteArray& value) {
    d->param(name).value = value;
}
void Query::setParamNull(const QString& name) {
    d->param(name).value = QVariant();
}
QVariant Query::paramValue(const QString& name) const {
    return d->param(name).value;
}

void Query::execSQL() {
    close();
    sqlite3* db = d->db();
    const QByteArray text = d->sql.toUtf8();
    const char* tail = text.constData();
    const char* end = tail + text.size();
    while (tail < end) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, tail, static_cast<int>(end - tail), &stmt, &tail) != SQLITE_OK)
            throw Error(engineMessage(db));
        if (!stmt) continue;  // blanks or a comment
        try {
            d->bind(stmt);
            int rc;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            }
            if (rc != SQLITE_DONE) throw Error(engineMessage(db));
        } catch (...) {
            sqlite3_finalize(stmt);
            throw;
        }
        sqlite3_finalize(stmt);
    }
}

void Query::open() {
    if (d->active) return;
    sqlite3* db = d->db();
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = d->sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), static_cast<int>(text.size()), &stmt, nullptr) !=
        SQLITE_OK)
        throw Error(engineMessage(db));
    if (!stmt) throw Error(QStringLiteral("The statement is empty."));

    std::vector<ColumnInfo> columns;
    RowStore& rows = d->rows;
    rows.reset(0);
    try {
        d->bind(stmt);
        const int count = sqlite3_column_count(stmt);
        for (int c = 0; c < count; ++c) {
            ColumnInfo info;
            info.name = QString::fromUtf8(sqlite3_column_name(stmt, c));
            if (const char* table = sqlite3_column_table_name(stmt, c))
                info.table = QString::fromUtf8(table);
            if (const char* origin = sqlite3_column_origin_name(stmt, c))
                info.origin = QString::fromUtf8(origin);
            columns.push_back(info);
        }
        // Which result column carries the row id of each origin table.
        for (ColumnInfo& info : columns) {
            if (info.table.isEmpty()) continue;
            for (int c = 0; c < count; ++c) {
                const ColumnInfo& other = columns[c];
                if (other.table != info.table || other.origin.isEmpty()) continue;
                const char* type = nullptr;
                int primary = 0;
                if (sqlite3_table_column_metadata(db, nullptr, other.table.toUtf8().constData(),
                                                  other.origin.toUtf8().constData(), &type, nullptr,
                                                  nullptr, &primary, nullptr) == SQLITE_OK &&
                    primary && type && qstricmp(type, "INTEGER") == 0) {
                    info.rowidColumn = c;
                    break;
                }
            }
        }
        rows.reset(count);
        rows.reserveLarge();
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            for (int c = 0; c < count; ++c) readCell(stmt, c, columns[c], rows);
        if (rc != SQLITE_DONE) throw Error(engineMessage(db));
    } catch (...) {
        sqlite3_finalize(stmt);
        rows.reset(0);
        throw;
    }
    sqlite3_finalize(stmt);

    d->columns = std::move(columns);
    d->active = true;
    d->current = d->rows.rows() == 0 ? -1 : 0;
    d->eof = d->rows.rows() == 0;
    d->editing = false;
    d->edits.clear();
    emit afterOpen();
    if (!d->disableCount) emit dataChanged();
}

void Query::close() {
    if (!d->active) return;
    d->active = false;
    d->rows.reset(0);
    d->columns.clear();
    d->current = -1;
    d->eof = true;
    d->editing = false;
    d->edits.clear();
    emit afterClose();
    if (!d->disableCount) emit dataChanged();
}

bool Query::active() const {
    return d->active;
}

void Query::refresh() {
    if (!d->active)
        throw Error(QStringLiteral("Cannot perform this operation on a closed dataset"));
    const int row = d->current;
    ++d->disableCount;
    try {
        d->active = false;
        open();
    } catch (...) {
        --d->disableCount;
        d->active = false;
        if (!d->disableCount) emit dataChanged();
        throw;
    }
    --d->disableCount;
    if (row >= 0 && row < recordCount()) d->current = row;
    if (!d->disableCount) emit dataChanged();
}

int Query::recordCount() const {
    return d->rows.rows();
}
int Query::recNo() const {
    return d->current;
}

void Query::setRecNo(int row) {
    if (row < 0 || row >= recordCount() || row == d->current) {
        if (row >= 0 && row < recordCount()) d->eof = false;
        return;
    }
    d->current = row;
    d->eof = false;
    if (!d->disableCount) emit currentRowChanged(row);
}

void Query::first() {
    d->eof = d->rows.rows() == 0;
    if (d->rows.rows() > 0 && d->current != 0) {
        d->current = 0;
        if (!d->disableCount) emit currentRowChanged(0);
    }
}

void Query::next() {
    if (d->current + 1 < recordCount()) {
        ++d->current;
        if (!d->disableCount) emit currentRowChanged(d->current);
    } else {
        d->eof = true;
    }
}

bool Query::eof() const {
    return d->eof || !d->active;
}
bool Query::isEmpty() const {
    return d->rows.rows() == 0;
}

QStringList Query::fieldNames() const {
    QStringList names;
    for (const ColumnInfo& c : d->columns) names << c.name;
    return names;
}

int Query::fieldIndex(const QString& name) const {
    for (int c = 0; c < static_cast<int>(d->columns.size()); ++c)
        if (d->columns[c].name.compare(name, Qt::CaseInsensitive) == 0) return c;
    return -1;
}

QVariant Query::fieldByName(const QString& name) const {
    const int column = fieldIndex(name);
    if (column < 0) throw Error(QStringLiteral("Field '%1' not found").arg(name));
    if (d->editing && d->edits.contains(column)) return d->edits.value(column);
    if (d->current < 0) return {};
    return value(d->current, column);
}

QVariant Query::value(int row, int column) const {
    if (row < 0 || row >= recordCount() || column < 0 ||
        column >= static_cast<int>(d->columns.size()))
        return {};
    return d->toVariant(d->rows.at(row, column), column);
}

QByteArrayView Query::textBytes(int row, int column) const {
    if (row < 0 || row >= recordCount() || column < 0 ||
        column >= static_cast<int>(d->columns.size()))
        return {};
    const Cell& cell = d->rows.at(row, column);
    return cell.kind == Cell::Text ? d->rows.bytes(cell) : QByteArrayView();
}

bool Query::locate(const QString& field, const QVariant& wanted) {
    const int column = fieldIndex(field);
    if (column < 0) throw Error(QStringLiteral("Field '%1' not found").arg(field));
    for (int row = 0; row < recordCount(); ++row) {
        const Cell& cell = d->rows.at(row, column);
        bool match = false;
        if (cell.kind == Cell::Integer) {
            bool ok = false;
            const qint64 n = wanted.toLongLong(&ok);
            match = ok && n == cell.value;
        } else {
            match = d->toVariant(cell, column) == wanted;
        }
        if (match) {
            if (row != d->current) {
                d->current = row;
                if (!d->disableCount) emit currentRowChanged(row);
            }
            d->eof = false;
            return true;
        }
    }
    return false;
}

void Query::edit() {
    if (!d->active || d->current < 0) throw Error(QStringLiteral("Cannot modify an empty dataset"));
    d->editing = true;
    d->edits.clear();
}

void Query::setFieldValue(const QString& name, const QVariant& value) {
    if (!d->editing) throw Error(QStringLiteral("Dataset not in edit or insert mode"));
    const int column = fieldIndex(name);
    if (column < 0) throw Error(QStringLiteral("Field '%1' not found").arg(name));
    d->edits.insert(column, value);
}

void Query::post() {
    if (!d->editing) return;
    if (d->edits.isEmpty()) {
        d->editing = false;
        emit afterPost();
        return;
    }
    // The row is found by the ID of the table its first changed field comes from.
    const ColumnInfo& first = d->columns[d->edits.begin().key()];
    if (first.table.isEmpty() || first.rowidColumn < 0)
        throw Error(QStringLiteral("The row cannot be changed: the result has no key."));
    const qint64 rowid = d->rows.at(d->current, first.rowidColumn).value;
    QStringList sets;
    QList<int> order;
    for (auto it = d->edits.cbegin(); it != d->edits.cend(); ++it) {
        const ColumnInfo& c = d->columns[it.key()];
        if (c.table != first.table || c.origin.isEmpty())
            throw Error(QStringLiteral("The field '%1' cannot be changed.").arg(c.name));
        sets << QStringLiteral("\"%1\" = ?")
                    .arg(QString(c.origin).replace('"', QLatin1String("\"\"")));
        order << it.key();
    }
    const QString statement = QStringLiteral("UPDATE \"%1\" SET %2 WHERE rowid = ?")
                                  .arg(QString(first.table).replace('"', QLatin1String("\"\"")),
                                       sets.join(QStringLiteral(", ")));
    sqlite3* db = d->db();
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = statement.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        throw Error(engineMessage(db));
    int index = 1;
    try {
        for (int column : order) bindValue(stmt, index++, d->edits.value(column));
        bindValue(stmt, index, QVariant::fromValue(rowid));
    } catch (...) {
        sqlite3_finalize(stmt);
        throw;
    }
    const int rc = sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) throw Error(engineMessage(db));

    // The row store takes the new values.
    for (int column : order) {
        const QVariant v = d->edits.value(column);
        Cell& cell = d->rows.at(d->current, column);
        if (!v.isValid() || v.isNull()) {
            cell = Cell{};
        } else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong) {
            cell = Cell{Cell::Integer, 0, v.toLongLong()};
        } else if (v.typeId() == QMetaType::QByteArray) {
            const QByteArray bytes = v.toByteArray();
            d->rows.setBytes(cell, Cell::Blob, bytes.constData(), bytes.size());
        } else {
            const QByteArray bytes = v.toString().toUtf8();
            d->rows.setBytes(cell, Cell::Text, bytes.constData(), bytes.size());
        }
    }
    d->editing = false;
    d->edits.clear();
    emit afterPost();
    if (!d->disableCount) emit dataChanged();
}

void Query::disableControls() {
    ++d->disableCount;
}

void Query::enableControls() {
    if (d->disableCount == 0) return;
    if (--d->disableCount == 0) emit dataChanged();
}

bool Query::controlsDisabled() const {
    return d->disableCount > 0;
}

}  // namespace sql
