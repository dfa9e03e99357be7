#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

class QAbstractItemModel;
class QLabel;
class QTableView;

namespace sql {

class Query;

// Binds controls to a query's current result in both directions: the grid shows the
// rows and moving in the grid moves the query's current row; labels and views show
// a field of the current row. While the query's controls are disabled nothing follows.
class DataSource : public QObject {
    Q_OBJECT
public:
    struct Column {
        QString objectName;  // the column's name
        QString field;
        QString caption;
        int width = 100;
    };

    DataSource(Query* dataSet, QObject* parent = nullptr);
    ~DataSource() override;

    Query* dataSet() const;

    // The grid's columns, and the one field the grid sorts by (ascending, "" for none).
    void setColumns(const std::vector<Column>& columns, const QString& sortField);
    QAbstractItemModel* model() const;

    // The grid: whole-row selection, read-only; its current row is the query's.
    void bindTable(QTableView* view);
    // A label showing a field of the current row as text.
    void bindLabel(QLabel* label, const QString& field);
    // Any control: show is called with the current row's value of field (an invalid
    // QVariant when there is no row) whenever the row or the result changes.
    void bindField(const QString& field, std::function<void(const QVariant&)> show);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace sql
