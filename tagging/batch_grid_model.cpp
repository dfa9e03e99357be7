#include "tagging/batch_grid_model.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include "platform/image/decode_error.h"
#include "platform/text/text.h"
#include "tagging/thumbnail.h"
#include "tagging/thumbnail_pool.h"

BatchGridModel::BatchGridModel(QObject* parent) : QAbstractTableModel(parent) {}

int BatchGridModel::appendRow() {
    const int row = rowCount();
    insertRows(row, 1);
    return row;
}

void BatchGridModel::setImage(int row, const QPixmap& thumbnail, const QString& fileName) {
    if (!hasRow(row)) return;
    m_rows[row].thumbnail = thumbnail;
    m_rows[row].at(colFileName) = fileName;
    rowChanged(row);
}

QPixmap BatchGridModel::thumbnail(int row) const {
    return hasRow(row) ? m_rows[row].thumbnail : QPixmap();
}

std::optional<QString> BatchGridModel::cell(int row, Column column) const {
    if (!hasRow(row) || column <= colImage || column >= ColumnCount) return std::nullopt;
    return m_rows[row].at(column);
}

BatchRow BatchGridModel::texts(int row) const {
    const auto text = [&](Column column) { return cell(row, column).value_or(QString()); };
    return {text(colFileName), text(colTitle),    text(colDescription), text(colKeywords),
            text(colAdobeCat), text(colShutter1), text(colShutter2)};
}

QList<BatchRow> BatchGridModel::allTexts() const {
    QList<BatchRow> rows;
    rows.reserve(rowCount());
    for (int row = 0; row < rowCount(); ++row) rows << texts(row);
    return rows;
}

bool BatchGridModel::writeTags(int row, const BatchRow& tags, bool withCategories) {
    if (!hasRow(row)) return false;
    Row& r = m_rows[row];
    r.at(colTitle) = tags.title;
    r.at(colDescription) = tags.description;
    r.at(colKeywords) = tags.keywords;
    if (withCategories) {
        r.at(colAdobeCat) = tags.adobeCategory;
        r.at(colShutter1) = tags.shutterPrimary;
        r.at(colShutter2) = tags.shutterSecondary;
    }
    rowChanged(row);
    return true;
}

bool BatchGridModel::lacksKeywords(int row) const {
    const std::optional<QString> keywords = cell(row, colKeywords);
    return !keywords || text::trim(*keywords).isEmpty();
}

int BatchGridModel::findFileName(const QString& fileNameOnly) const {
    if (fileNameOnly.isEmpty()) return -1;
    for (int row = 0; row < rowCount(); ++row) {
        const std::optional<QString>& path = m_rows[row].at(colFileName);
        if (path && QFileInfo(*path).fileName() == fileNameOnly) return row;
    }
    return -1;
}

void BatchGridModel::clearTags() {
    if (m_rows.isEmpty()) return;
    for (Row& r : m_rows)
        for (Column column :
             {colTitle, colDescription, colKeywords, colAdobeCat, colShutter1, colShutter2})
            r.at(column) = QString();
    emit dataChanged(index(0, colTitle), index(rowCount() - 1, colShutter2));
}

void BatchGridModel::clear() {
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int BatchGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int BatchGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BatchGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !hasRow(index.row())) return {};
    const auto column = static_cast<Column>(index.column());
    const Row& r = m_rows[index.row()];
    if (column == colImage) {
        if (role == Qt::DecorationRole && !r.thumbnail.isNull()) return r.thumbnail;
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            if (const std::optional<QString>& text = r.at(column)) return *text;
            return {};
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        default:
            return {};
    }
}

bool BatchGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || !hasRow(index.row()) || index.column() == colImage ||
        (role != Qt::EditRole && role != Qt::DisplayRole))
        return false;
    m_rows[index.row()].at(static_cast<Column>(index.column())) = value.toString();
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags BatchGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (userEditable(static_cast<Column>(index.column()))) flags |= Qt::ItemIsEditable;
    return flags;
}

QVariant BatchGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    // The row indicator shows no numbers.
    if (orientation == Qt::Vertical) return QString();
    if (section < 0 || section >= ColumnCount) return {};
    return caption(static_cast<Column>(section));
}

bool BatchGridModel::insertRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || row > rowCount() || count < 1) return false;
    beginInsertRows({}, row, row + count - 1);
    for (int i = 0; i < count; ++i) m_rows.insert(row, Row{});
    endInsertRows();
    return true;
}

bool BatchGridModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || count < 1 || row + count > rowCount()) return false;
    beginRemoveRows({}, row, row + count - 1);
    m_rows.remove(row, count);
    endRemoveRows();
    return true;
}

QString BatchGridModel::caption(Column column) {
    switch (column) {
        case colImage:
            return QStringLiteral("Image");
        case colTitle:
            return QStringLiteral("Title");
        case colDescription:
            return QStringLiteral("Description");
        case colKeywords:
            return QStringLiteral("Keywords");
        case colAdobeCat:
            return QStringLiteral("Adobe Category");
        case colShutter1:
            return QStringLiteral("Shutter Category 1");
        case colShutter2:
            return QStringLiteral("Shutter Category 2");
        default:
            return QString();
    }
}

int BatchGridModel::designWidth(Column column) {
    switch (column) {
        case colImage:
            return 64;
        case colTitle:
            return 200;
        case colDescription:
            return 250;
        case colKeywords:
            return 300;
        case colFileName:
            return 400;
        default:
            return 120;
    }
}

bool BatchGridModel::userEditable(Column column) {
    return column == colAdobeCat || column == colShutter1 || column == colShutter2;
}

void BatchGridModel::rowChanged(int row) {
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

QPixmap BitmapToImageValue(const QImage& bitmap) {
    return QPixmap::fromImage(bitmap);
}

void addImageRows(BatchGridModel& rows, const QStringList& files, int thumbnailSize,
                  const std::function<void(int done, int count)>& progress) {
    const int count = static_cast<int>(files.size());
    for (int i = 0; i < count; ++i) {
        // The row stands before its picture is read, so a file that cannot be decoded
        // leaves its row behind.
        const int row = rows.appendRow();
        const QImage thumbnail = tagging::loadThumbnailBitmap(files[i], thumbnailSize);
        rows.setImage(row, BitmapToImageValue(thumbnail), files[i]);
        if (progress) progress(i + 1, count);
    }
}

namespace {

// Runs the events of this thread until the pool has a result ready, or for at most a short
// while. Returns false when the program's event loops are being left: the adding then stops.
bool waitForThumbnail(tagging::ThumbnailPool& pool) {
    constexpr int kLookAgainMs = 10;
    constexpr int kLookAgain = 0x7b3c;  // no other exit of an event loop uses this code
    QEventLoop loop;
    QObject::connect(&pool, &tagging::ThumbnailPool::resultReady, &loop,
                     [&loop] { loop.exit(kLookAgain); });
    QTimer::singleShot(kLookAgainMs, &loop, [&loop] { loop.exit(kLookAgain); });
    return loop.exec() == kLookAgain;
}

}  // namespace

void addImageRowsInParallel(BatchGridModel& rows, const QStringList& files, int thumbnailSize,
                            const std::function<void(int done, int count)>& progress) {
    addImageRowsWhile(rows, files, thumbnailSize, progress, {});
}

void addImageRowsWhile(BatchGridModel& rows, const QStringList& files, int thumbnailSize,
                       const std::function<void(int done, int count)>& progress,
                       const std::function<bool()>& keepGoing) {
    const auto going = [&keepGoing] { return !keepGoing || keepGoing(); };
    tagging::ThumbnailPool pool(files, thumbnailSize);
    const int count = pool.count();
    for (int i = 0; i < count && going(); ++i) {
        // The window's events run between two rows, once a row and its status stand: the
        // first row waits for its thumbnail as every row did when they were made one by one.
        std::optional<tagging::ThumbnailPool::Result> next =
            i == 0 ? pool.waitForNext() : pool.takeNext();
        // The pool's signal that a thumbnail is ready ends the wait for events.
        while (!next && !pool.atEnd() && going()) {
            if (!waitForThumbnail(pool)) return;
            next = pool.takeNext();
        }
        // Stopped meanwhile: the pool drops what its workers made.
        if (!next || !going()) return;
        const int row = rows.appendRow();
        if (next->failed) throw image::DecodeError(next->error);
        rows.setImage(row, BitmapToImageValue(next->thumbnail), files[i]);
        if (progress) progress(i + 1, count);
    }
}
