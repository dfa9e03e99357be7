// The Search card's controls: search boxes, the record view and the record grid.
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>

#include "app/form1.h"
#include "platform/errors/errors.h"
#include "platform/sql/datasource.h"
#include "platform/widgets/anchors.h"
#include "platform/widgets/dbrichedit.h"
#include "platform/widgets/edits.h"
#include "records/dm.h"

namespace {

// The small caption above a search box.
void captionAbove(Anchors* anchors, QWidget* card, const QString& text, const QRect& box,
                  int edges) {
    auto* label = new QLabel(text, card);
    QFont font(QStringLiteral("Segoe UI"));
    font.setPixelSize(11);
    label->setFont(font);
    anchors->place(label, QRect(box.left(), box.top() - 17, box.width(), 16), edges);
}

// A search box with its caption.
TcxTextEdit* searchBox(Anchors* anchors, QWidget* card, const char* name, const QString& caption,
                       const QRect& box, int edges) {
    auto* edit = named(new TcxTextEdit(card), name);
    anchors->place(edit, box, edges);
    captionAbove(anchors, card, caption, box, edges);
    return edit;
}

// Hands a control's key-down event to a handler of the main window, under the default
// exception handler.
void onKeyDown(TcxTextEdit* edit, TForm1* form,
               void (TForm1::*handler)(int&, Qt::KeyboardModifiers)) {
    edit->hooks.onKeyDown = [form, handler](int& key, Qt::KeyboardModifiers shift) {
        errors::guard([&] { (form->*handler)(key, shift); });
    };
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

    constexpr int kTopRight = Anchors::Top | Anchors::Right;
    SearchEdit1 = searchBox(anchors, card, "SearchEdit1", QStringLiteral("Search word"),
                            QRect(6, 23, 137, 27), Anchors::TopLeft);
    SearchEdit1->hooks.onKeyPress = [this](QChar& key) {
        errors::guard([&] { SearchEdit1KeyPress(key); });
    };
    cxTextEdit4 = searchBox(anchors, card, "cxTextEdit4", QStringLiteral("Search Title"),
                            QRect(495, 23, 145, 27), kTopRight);
    onKeyDown(cxTextEdit4, this, &TForm1::cxTextEdit4KeyDown);
    cxTextEdit5 = searchBox(anchors, card, "cxTextEdit5", QStringLiteral("Search Keys"),
                            QRect(654, 23, 145, 27), kTopRight);
    onKeyDown(cxTextEdit5, this, &TForm1::cxTextEdit5KeyDown);
    cxTextEdit7 = searchBox(anchors, card, "cxTextEdit7", QStringLiteral("Search any word"),
                            QRect(813, 23, 145, 27), kTopRight);
    onKeyDown(cxTextEdit7, this, &TForm1::cxTextEdit7KeyDown);
    SelectAllBtn = named(new QPushButton(QStringLiteral("Select All"), card), "SelectAllBtn");
    anchors->place(SelectAllBtn, QRect(971, 23, 75, 27), kTopRight);
    connect(SelectAllBtn, &QPushButton::clicked, this,
            [this] { errors::guard([this] { SelectAllBtnClick(); }); });

    cxDBRichEdit1 = named(new TcxDBRichEdit(card), "cxDBRichEdit1");
    cxDBRichEdit1->setFocusPolicy(Qt::ClickFocus);
    cxDBRichEdit1->setFont(QFont(QStringLiteral("Segoe UI")));
    cxDBRichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    cxDBRichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A read-only view keeps no undo history of its marks.
    cxDBRichEdit1->setUndoRedoEnabled(false);
    // White paper with dark text, whatever palette the program wears.
    QPalette white = cxDBRichEdit1->palette();
    white.setColor(QPalette::Base, Qt::white);
    white.setColor(QPalette::Text, Qt::black);
    cxDBRichEdit1->setPalette(white);
    anchors->place(cxDBRichEdit1, QRect(5, 55, 481, 495), Anchors::All);
    cxDBRichEdit1->hooks.onKeyDown = [this](int& key, Qt::KeyboardModifiers shift) {
        errors::guard([&] { cxDBRichEdit1KeyDown(key, shift); });
    };

    cxGrid1 = named(new QTableView(card), "cxGrid1");
    cxGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    cxGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    cxGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    cxGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    cxGrid1->verticalHeader()->hide();
    // Captions stand at the left of their columns, so that a column wider than the grid
    // still shows its caption.
    cxGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    cxGrid1->verticalHeader()->setDefaultSectionSize(22);
    cxGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    cxGrid1->setWordWrap(false);
    cxGrid1->setStyleSheet(QStringLiteral(
        "QTableView::item:selected { background: rgb(206, 223, 214); color: black; }"));
    anchors->place(cxGrid1, QRect(492, 56, 554, 494),
                   Anchors::Top | Anchors::Right | Anchors::Bottom);

    GridPopup = named(new QMenu(cxGrid1), "GridPopup");
    const auto command = [this](const char* name, const QString& caption,
                                void (TForm1::*handler)()) {
        QAction* action = named(GridPopup->addAction(caption), name);
        connect(action, &QAction::triggered, this,
                [this, handler] { errors::guard([&] { (this->*handler)(); }); });
        return action;
    };
    EditRecord = command("EditRecord", QStringLiteral("Edit Record"), &TForm1::EditRecordClick);
    ExportRecord =
        command("ExportRecord", QStringLiteral("Export Record"), &TForm1::ExportRecordClick);
    N1 = named(GridPopup->addSeparator(), "N1");
    DeleteRecord =
        command("DeleteRecord", QStringLiteral("Delete Record"), &TForm1::DeleteRecordClick);
    connect(GridPopup, &QMenu::aboutToShow, this,
            [this] { errors::guard([this] { GridPopupPopup(); }); });
    cxGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(cxGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { GridPopup->popup(cxGrid1->viewport()->mapToGlobal(pos)); });
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
