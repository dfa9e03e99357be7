#include "platform/widgets/gridview.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "platform/widgets/image.h"

TcxGridTableView::TcxGridTableView(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalHeader(new RowIndicator(this));
}

int TcxGridTableView::focusedSelectedRow() const {
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !selectionModel()) return -1;
    return selectionModel()->isRowSelected(current.row(), current.parent()) ? current.row() : -1;
}

void TcxGridTableView::focusRow(int row) {
    if (!model() || row < 0 || row >= model()->rowCount()) {
        if (selectionModel()) selectionModel()->clear();
        return;
    }
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    setCurrentIndex(model()->index(row, column));
}

void TcxGridTableView::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    if (!model) return;
    // The row that takes the focus of a removed row is selected as well, so that the next
    // Delete removes it too.
    connect(model, &QAbstractItemModel::rowsRemoved, this, [this] {
        const QModelIndex current = currentIndex();
        if (current.isValid() && selectionModel())
            selectionModel()->select(
                current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    });
}

void TcxGridTableView::keyPressEvent(QKeyEvent* event) {
    QString text = event->text();
    if (hooks.filterKey(event, text)) {
        event->accept();
        return;
    }
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && model() && event->key() == Qt::Key_Delete) {
        const int row = focusedSelectedRow();
        if (row >= 0) model()->removeRow(row);
        event->accept();
        return;
    }
    if (plain && model() && event->key() == Qt::Key_Insert) {
        const int row = currentIndex().isValid() ? currentIndex().row() : model()->rowCount();
        if (model()->insertRow(row)) focusRow(row);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TcxGridTableView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex cell = indexAt(event->position().toPoint());
    bool handled = false;
    if (onCellDblClick && cell.isValid() && event->button() == Qt::LeftButton)
        onCellDblClick(cell, handled);
    if (handled) {
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

void TcxGridTableView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    verticalHeader()->viewport()->update();
}

void GridCellDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->state &= ~QStyle::State_HasFocus;
    if (m_singleLine.contains(index.column())) {
        option->features &= ~QStyleOptionViewItem::WrapText;
        option->textElideMode = Qt::ElideRight;
    }
}

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const QVariant decoration = index.data(Qt::DecorationRole);
    if (decoration.typeId() != QMetaType::QPixmap || !index.data(Qt::DisplayRole).isNull()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The background and selection as for any cell, then the picture fitted into the cell.
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.icon = QIcon();
    background.features &= ~QStyleOptionViewItem::HasDecoration;
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : nullptr;
    if (style) style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    const QPixmap picture = decoration.value<QPixmap>();
    if (picture.isNull()) return;
    const QRect target =
        fittedInto(picture.deviceIndependentSize().toSize(), option.rect.adjusted(2, 2, -2, -2));
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawPixmap(target, picture);
    painter->restore();
}

RowIndicator::RowIndicator(QTableView* view) : QHeaderView(Qt::Vertical, view), m_view(view) {
    setSectionsClickable(true);
    setHighlightSections(false);
}

void RowIndicator::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    // The section's frame without its number.
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = rect;
    option.section = logicalIndex;
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);

    if (m_view->currentIndex().row() != logicalIndex) return;
    const int half = std::min(5, rect.width() / 3);
    const QPointF centre = QRectF(rect).center();
    QPainterPath triangle;
    triangle.moveTo(centre.x() - half / 2.0, centre.y() - half);
    triangle.lineTo(centre.x() + half / 2.0 + 1, centre.y());
    triangle.lineTo(centre.x() - half / 2.0, centre.y() + half);
    triangle.closeSubpath();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(triangle, palette().color(QPalette::WindowText));
    painter->restore();
}
