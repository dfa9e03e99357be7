// The Search card's controls: search boxes, the record view and the record grid.
#include "records/searchcard.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>

#include "platform/errors/guard.h"
#include "platform/skin/skin.h"
#include "platform/sql/datasource.h"
#include "platform/widgets/anchors.h"
#include "platform/widgets/dbrichedit.h"
#include "platform/widgets/edits.h"
#include "records/card_frame.h"
#include "records/main_state.h"

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

}  // namespace

TSearchCard::TSearchCard(CardFrame& frame, QWidget* parent) : QWidget(parent), m_frame(frame) {
    setObjectName(QStringLiteral("SearchCard"));
    m_anchors = new Anchors(this, QSize(1051, 551));
    BuildSearchBoxes();
    BuildRecordView();
    BuildGrid();
}

void TSearchCard::BuildSearchBoxes() {
    cxDBLabel1 = named(new QLabel(this), "cxDBLabel1");
    QFont bold(QStringLiteral("Segoe UI"));
    bold.setBold(true);
    cxDBLabel1->setFont(bold);
    m_anchors->place(cxDBLabel1, QRect(168, 14, 300, 30));
    cxDBLabel2 = named(new QLabel(this), "cxDBLabel2");
    m_anchors->place(cxDBLabel2, QRect(168, 30, 300, 30));

    constexpr int kTopRight = Anchors::Top | Anchors::Right;
    SearchEdit1 = searchBox(m_anchors, this, "SearchEdit1", QStringLiteral("Search word"),
                            QRect(6, 23, 137, 27), Anchors::TopLeft);
    SearchEdit1->hooks.onKeyPress = errors::guarded(this, &TSearchCard::SearchEdit1KeyPress);
    cxTextEdit4 = searchBox(m_anchors, this, "cxTextEdit4", QStringLiteral("Search Title"),
                            QRect(495, 23, 145, 27), kTopRight);
    cxTextEdit4->hooks.onKeyDown = errors::guarded(this, &TSearchCard::cxTextEdit4KeyDown);
    cxTextEdit5 = searchBox(m_anchors, this, "cxTextEdit5", QStringLiteral("Search Keys"),
                            QRect(654, 23, 145, 27), kTopRight);
    cxTextEdit5->hooks.onKeyDown = errors::guarded(this, &TSearchCard::cxTextEdit5KeyDown);
    cxTextEdit7 = searchBox(m_anchors, this, "cxTextEdit7", QStringLiteral("Search any word"),
                            QRect(813, 23, 145, 27), kTopRight);
    cxTextEdit7->hooks.onKeyDown = errors::guarded(this, &TSearchCard::cxTextEdit7KeyDown);
    SelectAllBtn = named(new QPushButton(QStringLiteral("Select All"), this), "SelectAllBtn");
    m_anchors->place(SelectAllBtn, QRect(971, 23, 75, 27), kTopRight);
    connect(SelectAllBtn, &QPushButton::clicked, this,
            errors::guarded(this, &TSearchCard::SelectAllBtnClick));
}

void TSearchCard::BuildRecordView() {
    cxDBRichEdit1 = named(new TcxDBRichEdit(this), "cxDBRichEdit1");
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
    m_anchors->place(cxDBRichEdit1, QRect(5, 55, 481, 495), Anchors::All);
    cxDBRichEdit1->hooks.onKeyDown = errors::guarded(this, &TSearchCard::cxDBRichEdit1KeyDown);
}

void TSearchCard::BuildGrid() {
    cxGrid1 = named(new QTableView(this), "cxGrid1");
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
    cxStyle1 = new TcxStyle(skin::fromColorValue(m_frame.state().FocusedRowColor()), this);
    cxStyle1->setObjectName(QStringLiteral("cxStyle1"));
    cxStyle1->paintSelectionOf(cxGrid1);
    connect(&m_frame.state(), &MainState::focusedRowColorChanged, this,
            errors::guarded(this, &TSearchCard::ShowFocusedRowColor));
    m_anchors->place(cxGrid1, QRect(492, 56, 554, 494),
                     Anchors::Top | Anchors::Right | Anchors::Bottom);

    GridPopup = named(new QMenu(cxGrid1), "GridPopup");
    const auto command = [this](const char* name, const QString& caption,
                                void (TSearchCard::*handler)()) {
        QAction* action = named(GridPopup->addAction(caption), name);
        connect(action, &QAction::triggered, this, errors::guarded(this, handler));
        return action;
    };
    EditRecord =
        command("EditRecord", QStringLiteral("Edit Record"), &TSearchCard::EditRecordClick);
    ExportRecord =
        command("ExportRecord", QStringLiteral("Export Record"), &TSearchCard::ExportRecordClick);
    N1 = named(GridPopup->addSeparator(), "N1");
    DeleteRecord =
        command("DeleteRecord", QStringLiteral("Delete Record"), &TSearchCard::DeleteRecordClick);
    connect(GridPopup, &QMenu::aboutToShow, this,
            errors::guarded(this, &TSearchCard::GridPopupPopup));
    cxGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(cxGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        errors::guard([&] { GridPopup->popup(cxGrid1->viewport()->mapToGlobal(pos)); });
    });
}

void TSearchCard::ShowFocusedRowColor(int color) {
    cxStyle1->setColor(skin::fromColorValue(color));
}

void TSearchCard::BindDataSource(sql::Query* query) {
    DataSource1 = new sql::DataSource(query, this);
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
    DataSource1->bindField(QStringLiteral("AllKeys"), [this](const QVariant& value) {
        errors::guard([&] { cxDBRichEdit1->showValue(value); });
    });
}
