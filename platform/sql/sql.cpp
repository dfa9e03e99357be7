#include "platform/sql/sql.h"

#include <sqlite3.h>

#include <QDate>
#include <QHash>
#include <QPointer>
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

QString Connection::database() const { return d->database; }

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

QStringList Connection::parameters() const { return d->parameters; }

void Connection::connect() {
    if (d->db) return;
    if (d->database.isEmpty()) throw Error(QStringLiteral("No database file is set for the connection."));
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(d->database.toUtf8().constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = engineMessage(db);
        sqlite3_close_v2(db);
        throw Error(QStringLiteral("Unable to open database file %1: %2").arg(d->database, message));
    }
    sqlite3_extended_result_codes(db, 1);
    // Another program holding a write lock makes a statement wait a moment, then fail.
    sqlite3_busy_timeout(db, 2000);
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

bool Connection::connected() const { return d->db != nullptr; }

sqlite3* Connection::handle() const { return d->db; }

// ----------------------------------------------------------------------------------------
// Query

namespace {

// One value of the row store. Text is kept as UTF-8 to keep long listings small; a
// large BLOB is kept as the place to read it from.
struct Cell {
    enum Kind : std::uint8_t { Null, Integer, Float, Text, Blob, LazyBlob } kind = Null;
    qint64 integer = 0;  // Integer, or the row id of a LazyBlob
    double real = 0;
    QByteArray bytes;
};

struct ColumnInfo {
    QString name;
    QString table;   // origin table, empty for an expression
    QString origin;  // origin column
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

Cell readCell(sqlite3_stmt* stmt, int column, const ColumnInfo& info) {
    Cell cell;
    switch (sqlite3_column_type(stmt, column)) {
        case SQLITE_INTEGER:
            cell.kind = Cell::Integer;
            cell.integer = sqlite3_column_int64(stmt, column);
            break;
        case SQLITE_FLOAT:
            cell.kind = Cell::Float;
            cell.real = sqlite3_column_double(stmt, column);
            break;
        case SQLITE_TEXT:
            cell.kind = Cell::Text;
            cell.bytes = QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                                    sqlite3_column_bytes(stmt, column));
            break;
        case SQLITE_BLOB: {
            const int size = sqlite3_column_bytes(stmt, column);
            if (size > kLazyBlobBytes && info.rowidColumn >= 0 &&
                sqlite3_column_type(stmt, info.rowidColumn) == SQLITE_INTEGER) {
                cell.kind = Cell::LazyBlob;
                cell.integer = sqlite3_column_int64(stmt, info.rowidColumn);
            } else {
                cell.kind = Cell::Blob;
                cell.bytes = QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, column)), size);
            }
            break;
        }
        default:
            break;
    }
    return cell;
}

}  // namespace

struct Query::Impl {
    Connection* connection = nullptr;
    QString sql;
    std::vector<Param> params;
    bool active = false;
    std::vector<ColumnInfo> columns;
    std::vector<std::vector<Cell>> rows;
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
            Param* p = findParam(QString::fromUtf8(rawName));
            int rc = SQLITE_OK;
            if (!p || !p->value.isValid() || p->value.isNull()) {
                rc = sqlite3_bind_null(stmt, i);
            } else {
                const QVariant& v = p->value;
                switch (v.typeId()) {
                    case QMetaType::LongLong:
                    case QMetaType::Int:
                        rc = sqlite3_bind_int64(stmt, i, v.toLongLong());
                        break;
                    case QMetaType::QByteArray: {
                        const QByteArray bytes = v.toByteArray();
                        rc = sqlite3_bind_blob64(stmt, i, bytes.constData(), bytes.size(),
                                                 SQLITE_TRANSIENT);
                        break;
                    }
                    case QMetaType::QDate: {
                        const QByteArray text = v.toDate().toString(Qt::ISODate).toUtf8();
                        rc = sqlite3_bind_text64(stmt, i, text.constData(), text.size(),
                                                 SQLITE_TRANSIENT, SQLITE_UTF8);
                        break;
                    }
                    default: {
                        const QByteArray text = v.toString().toUtf8();
                        rc = sqlite3_bind_text64(stmt, i, text.constData(), text.size(),
                                                 SQLITE_TRANSIENT, SQLITE_UTF8);
                        break;
                    }
                }
            }
            if (rc != SQLITE_OK) throw Error(engineMessage(sqlite3_db_handle(stmt)));
        }
    }

    QVariant toVariant(const Cell& cell, int column) const {
        switch (cell.kind) {
            case Cell::Null: return {};
            case Cell::Integer: return QVariant::fromValue<qint64>(cell.integer);
            case Cell::Float: return cell.real;
            case Cell::Text: return QString::fromUtf8(cell.bytes);
            case Cell::Blob: return cell.bytes;
            case Cell::LazyBlob: return readLazy(cell.integer, columns[column]);
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

Query::Query(Connection* connection, QObject* parent) : QObject(parent), d(std::make_unique<Impl>()) {
    d->connection = connection;
    QObject::connect(connection, &Connection::disconnecting, this, [this] { close(); });
}

Query::~Query() = default;

Connection* Query::connection() const { return d->connection; }

void Query::setSQL(const QString& text) {
    close();
    d->sql = text;
    std::vector<Param> rebuilt;
    for (const QString& name : markerNames(text)) {
        Param p{name, {}};
        if (Param* old = d->findParam(name)) p.value = old->value;
        rebuilt.push_back(p);
    }
    d->params = std::move(rebuilt);
}

QString Query::sql() const { return d->sql; }

QStringList Query::paramNames() const {
    QStringList names;
    for (const Param& p : d->params) names << p.name;
    return names;
}

void Query::setParamString(const QString& name, const QString& value) { d->param(name).value = value; }
void Query::setParamInteger(const QString& name, qint64 value) {
    d->param(name).value = QVariant::fromValue(value);
}
void Query::setParamDate(const QString& name, const QDate& value) { d->param(name).value = value; }
void Query::setParamBlob(const QString& name, const QByteArray& value) { d->param(name).value = value; }
void Query::setParamNull(const QString& name) { d->param(name).value = QVariant(); }
QVariant Query::paramValue(const QString& name) const { return d->param(name).value; }

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
    std::vector<std::vector<Cell>> rows;
    try {
        d->bind(stmt);
        const int count = sqlite3_column_count(stmt);
        for (int c = 0; c < count; ++c) {
            ColumnInfo info;
            info.name = QString::fromUtf8(sqlite3_column_name(stmt, c));
            if (const char* table = sqlite3_column_table_name(stmt, c)) info.table = QString::fromUtf8(table);
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
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            std::vector<Cell> row;
            row.reserve(count);
            for (int c = 0; c < count; ++c) row.push_back(readCell(stmt, c, columns[c]));
            rows.push_back(std::move(row));
        }
        if (rc != SQLITE_DONE) throw Error(engineMessage(db));
    } catch (...) {
        sqlite3_finalize(stmt);
        throw;
    }
    sqlite3_finalize(stmt);

    d->columns = std::move(columns);
    d->rows = std::move(rows);
    d->active = true;
    d->current = d->rows.empty() ? -1 : 0;
    d->eof = d->rows.empty();
    d->editing = false;
    d->edits.clear();
    emit afterOpen();
    if (!d->disableCount) emit dataChanged();
}

void Query::close() {
    if (!d->active) return;
    d->active = false;
    d->rows.clear();
    d->rows.shrink_to_fit();
    d->columns.clear();
    d->current = -1;
    d->eof = true;
    d->editing = false;
    d->edits.clear();
    emit afterClose();
    if (!d->disableCount) emit dataChanged();
}

bool Query::active() const { return d->active; }

void Query::refresh() {
    if (!d->active) throw Error(QStringLiteral("Cannot perform this operation on a closed dataset"));
    const int row = d->current;
    ++d->disableCount;
    try {
        d->active = false;
        d->rows.clear();
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

int Query::recordCount() const { return static_cast<int>(d->rows.size()); }
int Query::recNo() const { return d->current; }

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
    d->eof = d->rows.empty();
    if (!d->rows.empty() && d->current != 0) {
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

bool Query::eof() const { return d->eof || !d->active; }
bool Query::isEmpty() const { return d->rows.empty(); }

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
    if (row < 0 || row >= recordCount() || column < 0 || column >= static_cast<int>(d->columns.size()))
        return {};
    return d->toVariant(d->rows[row][column], column);
}

bool Query::locate(const QString& field, const QVariant& wanted) {
    const int column = fieldIndex(field);
    if (column < 0) throw Error(QStringLiteral("Field '%1' not found").arg(field));
    for (int row = 0; row < recordCount(); ++row) {
        const Cell& cell = d->rows[row][column];
        bool match = false;
        if (cell.kind == Cell::Integer) {
            bool ok = false;
            const qint64 n = wanted.toLongLong(&ok);
            match = ok && n == cell.integer;
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
    const qint64 rowid = d->rows[d->current][first.rowidColumn].integer;
    QStringList sets;
    QList<int> order;
    for (auto it = d->edits.cbegin(); it != d->edits.cend(); ++it) {
        const ColumnInfo& c = d->columns[it.key()];
        if (c.table != first.table || c.origin.isEmpty())
            throw Error(QStringLiteral("The field '%1' cannot be changed.").arg(c.name));
        sets << QStringLiteral("\"%1\" = ?").arg(QString(c.origin).replace('"', QLatin1String("\"\"")));
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
    for (int column : order) {
        const QVariant v = d->edits.value(column);
        const QByteArray bytes = v.typeId() == QMetaType::QByteArray ? v.toByteArray() : v.toString().toUtf8();
        if (!v.isValid() || v.isNull())
            sqlite3_bind_null(stmt, index);
        else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong)
            sqlite3_bind_int64(stmt, index, v.toLongLong());
        else if (v.typeId() == QMetaType::QByteArray)
            sqlite3_bind_blob64(stmt, index, bytes.constData(), bytes.size(), SQLITE_TRANSIENT);
        else
            sqlite3_bind_text64(stmt, index, bytes.constData(), bytes.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        ++index;
    }
    sqlite3_bind_int64(stmt, index, rowid);
    const int rc = sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) throw Error(engineMessage(db));

    // The row store takes the new values.
    for (int column : order) {
        const QVariant v = d->edits.value(column);
        Cell cell;
        if (!v.isValid() || v.isNull()) {
            cell.kind = Cell::Null;
        } else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong) {
            cell.kind = Cell::Integer;
            cell.integer = v.toLongLong();
        } else if (v.typeId() == QMetaType::QByteArray) {
            cell.kind = Cell::Blob;
            cell.bytes = v.toByteArray();
        } else {
            cell.kind = Cell::Text;
            cell.bytes = v.toString().toUtf8();
        }
        d->rows[d->current][column] = cell;
    }
    d->editing = false;
    d->edits.clear();
    emit afterPost();
    if (!d->disableCount) emit dataChanged();
}

void Query::cancel() {
    d->editing = false;
    d->edits.clear();
}

void Query::disableControls() { ++d->disableCount; }

void Query::enableControls() {
    if (d->disableCount == 0) return;
    if (--d->disableCount == 0) emit dataChanged();
}

bool Query::controlsDisabled() const { return d->disableCount > 0; }

}  // namespace sql
