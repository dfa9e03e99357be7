#include "records/record_store.h"

#include <QFileInfo>

#include "platform/appfolder/appfolder.h"
#include "platform/errors/errors.h"
#include "platform/sql/sql.h"
#include "records/backup_archive.h"
#include "records/schema.h"
#include "records/tags_search.h"

namespace {

QString contained(const QString& text) {
    return QLatin1Char('%') + text + QLatin1Char('%');
}

}  // namespace

const QString RecordStore::kNoDatabaseOpen = QStringLiteral(
    "No database is open, so the record cannot be saved.\rOpen or create a database (Database "
    "menu) and save it there.");

RecordStore::RecordStore(sql::Query* main, sql::Query* groups) : m_main(main), m_groups(groups) {}

void RecordStore::requireDatabase() const {
    if (m_main->connection()->database().isEmpty() || onPlaceholder())
        throw errors::Error(kNoDatabaseOpen);
}

void RecordStore::run(const QString& statement) {
    m_main->setSQL(statement);
    m_main->execSQL();
}

void RecordStore::open(const QString& statement) {
    m_main->setSQL(statement);
    m_main->open();
}

QString RecordStore::statement() const {
    return m_main->sql();
}

int RecordStore::recordCount() const {
    return m_main->recordCount();
}

bool RecordStore::hasCurrentRecord() const {
    return m_main->active() && !m_main->isEmpty() && m_main->recNo() >= 0;
}

qint64 RecordStore::currentId() const {
    return m_main->fieldByName(QStringLiteral("ID")).toLongLong();
}

std::optional<qint64> RecordStore::currentIdIfAny() const {
    if (!hasCurrentRecord()) return std::nullopt;
    return currentId();
}

Record RecordStore::currentFields() const {
    Record record;
    record.title = m_main->fieldByName(QStringLiteral("Title")).toString();
    record.keys = m_main->fieldByName(QStringLiteral("Keys")).toString();
    record.group = m_main->fieldByName(QStringLiteral("Group")).toString();
    return record;
}

bool RecordStore::locate(qint64 id) {
    return m_main->locate(QStringLiteral("ID"), id);
}

void RecordStore::openListingAtStart() {
    m_main->close();
    open(schema::kListingAtStart);
}

void RecordStore::openListing() {
    open(schema::kListing);
}

void RecordStore::openListingIfOther() {
    // A listing left closed by a failed statement is opened again too.
    if (m_main->sql() == schema::kListing && m_main->active()) return;
    openListing();
}

void RecordStore::createTable() {
    run(schema::kCreateTable);
}

void RecordStore::openListingAfterNew() {
    open(schema::kListingAfterNew);
}

void RecordStore::reopen(const QString& statement) {
    open(statement);
}

void RecordStore::searchTitle(const QString& text) {
    m_main->setSQL(QStringLiteral("Select * FROM tblTags WHERE \"Title\" LIKE :titleword"));
    m_main->setParamString(QStringLiteral("titleword"), contained(text));
    m_main->open();
}

void RecordStore::searchTags(const QString& input) {
    const TagsSearch search = tagsSearch(input);
    m_main->setSQL(search.sql);
    for (const auto& [name, value] : search.params) m_main->setParamString(name, value);
    m_main->open();
}

void RecordStore::searchAnyWord(const QString& text) {
    m_main->setSQL(QStringLiteral("Select * FROM tblTags WHERE \"AllKeys\" LIKE :allkeysword"));
    m_main->setParamString(QStringLiteral("allkeysword"), contained(text));
    m_main->open();
}

qint64 RecordStore::insert(const Record& record) {
    requireDatabase();
    m_main->setSQL(QStringLiteral(
        "INSERT INTO tblTags (\"Group\", \"Title\", \"Keys\", \"Datum\", \"AllKeys\") VALUES "
        "(:grupa, :title, :keys, :datum, :allkeys)"));
    m_main->setParamString(QStringLiteral("grupa"), record.group);
    m_main->setParamString(QStringLiteral("title"), record.title);
    m_main->setParamString(QStringLiteral("keys"), record.keys);
    m_main->setParamDate(QStringLiteral("datum"), record.date);
    m_main->setParamBlob(QStringLiteral("allkeys"), record.summaryRtf);
    m_main->execSQL();
    open(QStringLiteral("SELECT last_insert_rowid() AS NewID"));
    const qint64 newId = m_main->fieldByName(QStringLiteral("NewID")).toLongLong();
    m_main->close();
    open(schema::kListingAfterInsert);
    locate(newId);
    return newId;
}

void RecordStore::update(const Record& record) {
    m_main->setSQL(QStringLiteral(
        "Update tblTags SET \"Group\" = :grupa, \"Title\" = :titl, \"Keys\" = :kies, "
        "\"AllKeys\" = :allkies WHERE \"ID\" = :RecID"));
    m_main->setParamInteger(QStringLiteral("RecID"), record.id);
    m_main->setParamString(QStringLiteral("grupa"), record.group);
    m_main->setParamString(QStringLiteral("titl"), record.title);
    m_main->setParamString(QStringLiteral("kies"), record.keys);
    m_main->setParamBlob(QStringLiteral("allkies"), record.summaryRtf);
    m_main->execSQL();
    openListing();
}

void RecordStore::remove(qint64 id) {
    m_main->close();
    m_main->setSQL(QStringLiteral("Delete FROM tblTags WHERE \"ID\" = :ID"));
    m_main->setParamInteger(QStringLiteral("ID"), id);
    m_main->execSQL();
    open(schema::kListingAfterDelete);
}

void RecordStore::maintain() {
    for (const char* step : {"ANALYZE;", "REINDEX;", "VACUUM;"}) run(QLatin1String(step));
}

void RecordStore::deleteGroup(const QString& group) {
    const auto listing = errors::finally([this] { openListing(); });
    m_main->setSQL(QStringLiteral("DELETE FROM tblTags WHERE \"Group\" = :GroupValue"));
    m_main->setParamString(QStringLiteral("GroupValue"), group);
    m_main->execSQL();
}

void RecordStore::moveGroup(const QString& from, const QString& to) {
    m_main->setSQL(QStringLiteral("SELECT * FROM tblTags WHERE \"Group\" = :GroupValue"));
    m_main->setParamString(QStringLiteral("GroupValue"), from);
    m_main->open();
    m_main->first();
    while (!m_main->eof()) {
        m_main->edit();
        m_main->setFieldValue(QStringLiteral("Group"), to);
        m_main->post();
        m_main->next();
    }
}

void RecordStore::openListingAfterMove() {
    open(schema::kListingAfterMove);
}

void RecordStore::createPlaceholderTable() {
    run(schema::kCreatePlaceholderTable);
}

QString RecordStore::placeholderPath() {
    return appfolder::programFolder() + backup::kPlaceholderName;
}

bool RecordStore::onPlaceholder() const {
    const QString database = m_main->connection()->database();
    return !database.isEmpty() && QFileInfo(database) == QFileInfo(placeholderPath());
}

void RecordStore::openGroups() {
    m_groups->open();
}

QStringList RecordStore::groups() {
    QStringList groups;
    m_groups->refresh();
    m_groups->first();
    while (!m_groups->eof()) {
        groups << m_groups->fieldByName(QStringLiteral("TagGroup")).toString();
        m_groups->next();
    }
    return groups;
}
