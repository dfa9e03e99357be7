#include "platform/sql/datasource.h"

#include <QAbstractTableModel>
#include <QCollator>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPointer>
#include <QTableView>
#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>

#include "platform/sql/sql.h"

namespace sql {
namespace {

// Appends text folded to one letter case, so that folded texts compare by their bytes
// as the texts compare without regard to case.
void appendFolded(QByteArrayView text, std::string& out) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            out += QString::fromUtf8(text).toCaseFolded().toStdString();
            return;
        }
    }
    for (const char c : text) out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// The grid's rows: the query's rows in the order of the sort field.
class GridModel : public QAbstractTableModel {
public:
    explicit GridModel(Query* query, QObject* parent)
        : QAbstractTableModel(parent), m_query(query) {}

    void setColumns(const std::vector<DataSource::Column>& columns, const QString& sortField) {
        beginResetModel();
        m_columns = columns;
        m_sortField = sortField;
        rebuild();
        endResetModel();
    }

    void reload() {
        beginResetModel();
        rebuild();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_order.size());
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
        if (!index.isValid() || index.row() >= static_cast<int>(m_order.size())) return {};
        const QVariant v = m_query->value(m_order[index.row()], m_fields[index.column()]);
        QString text = v.toString();
        if (role == Qt::DisplayRole) text.replace('\n', ' ').remove('\r');
        return text;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < columnCount({}))
            return m_columns[section].caption;
        return {};
    }

    int queryRow(int gridRow) const {
        return gridRow >= 0 && gridRow < static_cast<int>(m_order.size()) ? m_order[gridRow] : -1;
    }
    int gridRow(int queryRow) const {
        return queryRow >= 0 && queryRow < static_cast<int>(m_inverse.size()) ? m_inverse[queryRow]
                                                                              : -1;
    }

private:
    void rebuild() {
        m_fields.clear();
        for (const auto& c : m_columns) m_fields.push_back(m_query->fieldIndex(c.field));
        const int n = m_query->active() ? m_query->recordCount() : 0;
        m_order.resize(n);
        std::iota(m_order.begin(), m_order.end(), 0);
        const int sortColumn = m_sortField.isEmpty() ? -1 : m_query->fieldIndex(m_sortField);
        if (sortColumn >= 0 && n > 1) sortRows(sortColumn);
        m_inverse.assign(n, -1);
        for (int i = 0; i < n; ++i) m_inverse[m_order[i]] = i;
    }

    // Orders m_order by the sort column, ties in the query's order.
    void sortRows(int column) {
        const int n = static_cast<int>(m_order.size());
        struct Key {
            std::uint32_t offset, size;
            int row;
        };
        std::string folded;
        std::vector<Key> keys(n);
        for (int i = 0; i < n; ++i) {
            const auto offset = static_cast<std::uint32_t>(folded.size());
            appendFolded(m_query->textBytes(i, column), folded);
            keys[i] = {offset, static_cast<std::uint32_t>(folded.size() - offset), i};
        }
        const char* base = folded.data();
        std::sort(keys.begin(), keys.end(), [base](const Key& a, const Key& b) {
            const int c = std::memcmp(base + a.offset, base + b.offset, std::min(a.size, b.size));
            if (c != 0) return c < 0;
            if (a.size != b.size) return a.size < b.size;
            return a.row < b.row;
        });
        for (int i = 0; i < n; ++i) m_order[i] = keys[i].row;
    }

    Query* m_query;
    std::vector<DataSource::Column> m_columns;
    std::vector<int> m_fields;
    QString m_sortField;
    std::vector<int> m_order;    // grid row -> query row
    std::vector<int> m_inverse;  // query row -> grid row
};

}  // namespace

struct DataSource::Impl {
    Query* query = nullptr;
    GridModel* model = nullptr;
    QPointer<QTableView> view;
    std::vector<Column> columns;
    std::vector<std::pair<QString, std::function<void(const QVariant&)>>> fields;
    bool syncing = false;
};

DataSource::DataSource(Query* dataSet, QObject* parent)
    : QObject(parent), d(std::make_unique<Impl>()) {
    d->query = dataSet;
    d->model = new GridModel(dataSet, this);

    const auto showFields = [this] {
        const bool hasRow = d->query->active() && d->query->recNo() >= 0;
        for (auto& [field, show] : d->fields) {
            QVariant value;
            if (hasRow && d->query->fieldIndex(field) >= 0) value = d->query->fieldByName(field);
            show(value);
        }
    };
    const auto selectCurrent = [this] {
        if (!d->view) return;
        d->syncing = true;
        const int row = d->model->gridRow(d->query->recNo());
        if (row >= 0) {
            const QModelIndex index = d->model->index(row, 0);
            d->view->selectionModel()->setCurrentIndex(
                index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            d->view->scrollTo(index);
        } else {
            d->view->selectionModel()->clear();
        }
        d->syncing = false;
    };
    connect(dataSet, &Query::dataChanged, this, [=, this] {
        d->model->reload();
        selectCurrent();
        showFields();
    });
    connect(dataSet, &Query::currentRowChanged, this, [=] {
        selectCurrent();
        showFields();
    });
}

DataSource::~DataSource() = default;

Query* DataSource::dataSet() const {
    return d->query;
}

void DataSource::setColumns(const std::vector<Column>& columns, const QString& sortField) {
    d->columns = columns;
    d->model->setColumns(columns, sortField);
    if (d->view)
        for (int i = 0; i < static_cast<int>(columns.size()); ++i)
            d->view->setColumnWidth(i, columns[i].width);
}

QAbstractItemModel* DataSource::model() const {
    return d->model;
}

void DataSource::bindTable(QTableView* view) {
    d->view = view;
    view->setModel(d->model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int i = 0; i < static_cast<int>(d->columns.size()); ++i)
        view->setColumnWidth(i, d->columns[i].width);
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (d->syncing || d->query->controlsDisabled()) return;
                const int row = d->model->queryRow(current.row());
                if (row >= 0) d->query->setRecNo(row);
            });
}

void DataSource::bindLabel(QLabel* label, const QString& field) {
    QPointer<QLabel> guarded(label);
    bindField(field, [guarded](const QVariant& value) {
        if (guarded) guarded->setText(value.toString());
    });
}

void DataSource::bindField(const QString& field, std::function<void(const QVariant&)> show) {
    d->fields.emplace_back(field, std::move(show));
}

}  // namespace sql
