#pragma once

#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>

#include "platform/widgets/edits.h"

// A table view of the control suite's grid: the focus moves by whole rows and no focus
// rectangle is drawn, a narrow row indicator column marks the focused row, and the grid's
// standard row keys work on its model (Delete removes the focused row, Insert adds an empty
// row there). Its key-down and key-press hooks see every key first and may swallow it.
class TcxGridTableView : public QTableView {
    Q_OBJECT
public:
    explicit TcxGridTableView(QWidget* parent = nullptr);
    keys::KeyHooks hooks;
    // A cell was double-clicked with the left button; setting handled keeps the grid's own
    // double-click from running.
    std::function<void(const QModelIndex& cell, bool& handled)> onCellDblClick;

    // The focused row when it is also selected; -1 when no row is.
    int focusedSelectedRow() const;
    // Moves the focus to a row (and selects it); a row out of range takes the focus away.
    void focusRow(int row);
    void setModel(QAbstractItemModel* model) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
};

// Paints a cell's picture (a QPixmap in the decoration role, with no text) shrunk to fit the
// cell and centred, never enlarged; other cells as usual, without a focus rectangle.
// Columns listed as single-line keep their text on one line.
class GridCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    // The column's text stays on one line, cut short with an ellipsis.
    void setSingleLine(int column) { m_singleLine.append(column); }
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    QList<int> m_singleLine;
};

// The row indicator: a narrow vertical header without numbers that marks the focused row with
// a triangle.
class RowIndicator : public QHeaderView {
    Q_OBJECT
public:
    explicit RowIndicator(QTableView* view);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    QTableView* m_view;
};
