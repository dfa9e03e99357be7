#include "tagging/word_list_model.h"

WordListModel::WordListModel(const QStringList& headers, QObject* parent)
    : QAbstractTableModel(parent), m_headers(headers) {}

int WordListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int WordListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant WordListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    return m_rows.at(index.row()).value(index.column());
}

bool WordListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole) return false;
    QStringList& row = m_rows[index.row()];
    while (row.size() < m_headers.size()) row << QString();
    row[index.column()] = value.toString();
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags WordListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant WordListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) return m_headers.value(section);
    return {};
}

void WordListModel::setRows(const QList<QStringList>& rows) {
    beginResetModel();
    m_rows = rows;
    endResetModel();
}

int WordListModel::appendRow(const QStringList& row) {
    const int at = int(m_rows.size());
    beginInsertRows({}, at, at);
    m_rows << row;
    endInsertRows();
    return at;
}

void WordListModel::removeRowAt(int row) {
    if (row < 0 || row >= m_rows.size()) return;
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
}

QStringList WordListModel::column(int column) const {
    QStringList out;
    out.reserve(m_rows.size());
    for (const QStringList& row : m_rows) out << row.value(column);
    return out;
}

SortedWords::SortedWords(WordListModel* source, QObject* parent) : QSortFilterProxyModel(parent) {
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    setSourceModel(source);
    setDynamicSortFilter(true);
    sort(0, Qt::AscendingOrder);
}

bool SortedWords::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    return m_collator.compare(left.data(Qt::EditRole).toString(),
                              right.data(Qt::EditRole).toString()) < 0;
}
