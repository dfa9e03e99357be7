#include "tagging/batch_grid_view.h"

#include <QHeaderView>

#include "platform/widgets/gridview.h"
#include "tagging/batch_grid_model.h"

void setUpBatchGridView(TcxGridTableView* view, BatchGridModel* rows) {
    constexpr int kRowHeight = 80;
    constexpr int kRowIndicatorWidth = 20;
    constexpr int kNarrowestColumn = 64;  // the image column's least width
    using Model = BatchGridModel;
    view->setModel(rows);

    auto* cells = new GridCellDelegate(view);
    for (int column : {Model::colTitle, Model::colDescription, Model::colAdobeCat,
                       Model::colShutter1, Model::colShutter2, Model::colFileName})
        cells->setSingleLine(column);
    view->setItemDelegate(cells);
    view->setWordWrap(true);

    // No sorting, grouping or filtering.
    QHeaderView* header = view->horizontalHeader();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setMinimumSectionSize(kNarrowestColumn);
    view->setSortingEnabled(false);
    for (int column = 0; column < Model::ColumnCount; ++column)
        view->setColumnWidth(column, Model::designWidth(static_cast<Model::Column>(column)));
    view->setColumnHidden(Model::colFileName, true);

    QHeaderView* indicator = view->verticalHeader();
    indicator->setSectionResizeMode(QHeaderView::Fixed);
    indicator->setDefaultSectionSize(kRowHeight);
    indicator->setFixedWidth(kRowIndicatorWidth);

    // A click on a cell of the focused row edits it where the column allows; a double-click is
    // left to the grid's own handler.
    view->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
}
