#pragma once

#include <QAbstractTableModel>
#include <QCollator>
#include <QList>
#include <QSortFilterProxyModel>
#include <QStringList>

// The rows of one of the dictionary editor's grids, editable in place, in the order they
// were added; SortedWords shows them sorted.
class WordListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    WordListModel(const QStringList& headers, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Replaces every row in one change, so that a view redraws once.
    void setRows(const QList<QStringList>& rows);
    // Adds a row at the end; returns its row number.
    int appendRow(const QStringList& row);
    void removeRowAt(int row);
    const QList<QStringList>& rows() const { return m_rows; }
    // One column of every row, in row order.
    QStringList column(int column) const;

private:
    QStringList m_headers;
    QList<QStringList> m_rows;
};

// The rows sorted ascending by the first column, by the user's locale collation without
// regard to case (the order the list files are saved in); kept sorted as rows change.
class SortedWords : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit SortedWords(WordListModel* source, QObject* parent);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    QCollator m_collator;
};
