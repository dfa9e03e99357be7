// The Search card's controls: search boxes, the record view and the record grid.
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

#include "app/form1.h"
#include "platform/sql/datasource.h"
#include "platform/widgets/anchors.h"
#include "platform/widgets/dbrichedit.h"
#include "platform/widgets/edits.h"
#include "records/dm.h"

namespace {

template <typename T>
T* named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

}  // namespace

void TForm1::BuildSearchCard() {
    auto* anchors = new Anchors(SearchCard, QSize(1051, 551));
    QWidget* card = SearchCard;

    cxDBLabel1 = named(new QLabel(card), "cxDBLabel1");
    QFont bold(QStringLiteral("Segoe UI"));
    bold.setBold(true);
    cxDBLabel1->setFont(bold);
    anchors->place(cxDBLabel1, QRect(168, 14, 300, 30));
    cxDBLabel2 = named(new QLabel(card), "cxDBLabel2");
    anchors->place(cxDBLabel2, QRect(168, 30, 300, 30));

    cxDBRichEdit1 = named(new TcxDBRichEdit(card), "cxDBRichEdit1");
    cxDBRichEdit1->setFocusPolicy(Qt::ClickFocus);
    QPalette white = cxDBRichEdit1->palette();
    white.setColor(QPalette::Base, Qt::white);
    cxDBRichEdit1->setPalette(white);
    anchors->place(cxDBRichEdit1, QRect(5, 55, 481, 495), Anchors::All);

    cxGrid1 = named(new QTableView(card), "cxGrid1");
    cxGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    cxGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    cxGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    cxGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    cxGrid1->verticalHeader()->hide();
    cxGrid1->setStyleSheet(QStringLiteral(
        "QTableView::item:selected { background: rgb(206, 223, 214); color: black; }"));
    anchors->place(cxGrid1, QRect(492, 56, 554, 494),
                   Anchors::Top | Anchors::Right | Anchors::Bottom);
}

void TForm1::BindDataSource() {
    DataSource1 = new sql::DataSource(DM->FDQuery1, this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->setColumns({{QStringLiteral("cxGrid1DBTableGroupColumn"), QStringLiteral("Group"),
                              QStringLiteral("Group"), 130},
                             {QStringLiteral("cxGrid1DBTableTitleColumn"), QStringLiteral("Title"),
                              QStringLiteral("Title"), 220},
                             {QStringLiteral("cxGrid1DBTableKeysColumn"), QStringLiteral("Keys"),
                              QStringLiteral("Keys"), 500}},
                            QStringLiteral("Title"));
    DataSource1->bindTable(cxGrid1);
    DataSource1->bindLabel(cxDBLabel1, QStringLiteral("Title"));
    DataSource1->bindLabel(cxDBLabel2, QStringLiteral("Keys"));
    DataSource1->bindField(QStringLiteral("AllKeys"),
                           [this](const QVariant& value) { cxDBRichEdit1->showValue(value); });
}
