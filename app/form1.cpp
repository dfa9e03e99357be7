#include "app/form1.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QVBoxLayout>

#include "platform/errors/guard.h"
#include "platform/ribbon/ribbon.h"
#include "platform/spell/spell.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/outer_bounds.h"
#include "platform/widgets/statusbar.h"
#include "records/createcard.h"
#include "records/dm.h"
#include "records/record.h"
#include "records/searchcard.h"

TForm1* Form1 = nullptr;

TForm1::TForm1(MainState& state, QWidget* parent) : QMainWindow(parent), m_state(state) {
    setObjectName(QStringLiteral("Form1"));
    Mode = new EditModeState(this);
    BuildFrame();
    BuildCommands();
    connect(Mode, &EditModeState::changed, this, errors::guarded(this, &TForm1::ShowEditMode));
    connect(FOuterBounds, &OuterBounds::frameChanged, this,
            errors::guarded(this, &TForm1::FrameKnownAfterStop));
    errors::guard([this] { FormCreate(); });
}

TForm1::~TForm1() = default;

void TForm1::BuildFrame() {
    setWindowTitle(QStringLiteral("Pixolet"));
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Form1Client"));
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    dxRibbon1 = new TdxRibbon(central);
    dxRibbon1->setObjectName(QStringLiteral("dxRibbon1"));
    column->addWidget(dxRibbon1);

    CardPanel1 = new QStackedWidget(central);
    CardPanel1->setObjectName(QStringLiteral("CardPanel1"));
    CreateCard = new TCreateCard(*this, CardPanel1);
    SearchCard = new TSearchCard(*this, CardPanel1);
    CardPanel1->addWidget(CreateCard);
    CardPanel1->addWidget(SearchCard);
    CardPanel1->setCurrentWidget(CreateCard);
    column->addWidget(CardPanel1, 1);
    setCentralWidget(central);
    cxRichEdit2 = CreateCard->cxRichEdit2;
    GroupCombo = CreateCard->GroupCombo;
    Label7 = CreateCard->Label7;
    Label12 = CreateCard->Label12;
    Label9 = CreateCard->Label9;

    StatusBar1 = new TStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(20);
    StatusBar1->addPanel(250, Qt::AlignLeft, QStringLiteral("Ready ..."));
    StatusBar1->addPanel(50, Qt::AlignHCenter, QStringLiteral("Mode:"), 50);
    StatusBar1->addPanel(60, Qt::AlignHCenter, editModeText(Mode->mode()));
    StatusBar1->addPanel(100, Qt::AlignRight, QStringLiteral("Database:"), 80);
    StatusBar1->addPanel(150, Qt::AlignLeft, QString(), 150);
    StatusBar1->addPanel(60, Qt::AlignHCenter, QStringLiteral("Records:"), 60);
    StatusBar1->addPanel(60, Qt::AlignLeft, QStringLiteral("No"), 60);
    setStatusBar(StatusBar1);

    dxSpellChecker1 = new TSpellChecker(this);
    dxSpellChecker1->setObjectName(QStringLiteral("dxSpellChecker1"));
    BindSpellChecker();

    // Client area 1051 x 725 at design; the ribbon, cards and status bar fill it. The
    // designed place, left 0 and top 0, is the frame's.
    FOuterBounds = new OuterBounds(this);
    resize(1051, 725);
    FOuterBounds->setOuterMinimumSize(QSize(1067, 764));
    FOuterBounds->moveOuter(QPoint(0, 0));
}

void TForm1::BindDataSource() {
    SearchCard->BindDataSource(DM->FDQuery1);
    connect(DM, &TDM::recordCountChanged, this, errors::guarded(this, &TForm1::ShowRecordCount));
}

void TForm1::ShowEditMode(EditMode mode) {
    StatusBar1->setPanelText(2, editModeText(mode));
}

void TForm1::ShowRecordCount(int count) {
    StatusBar1->setPanelText(6, QString::number(count));
}

void TForm1::showCreateCard() {
    CardPanel1->setCurrentWidget(CreateCard);
}

void TForm1::showSearchCard() {
    CardPanel1->setCurrentWidget(SearchCard);
}

void TForm1::showStatus(const QString& text) {
    StatusBar1->setPanelText(0, text);
}

void TForm1::refillGroupList() {
    PopuniGroupCombo(GroupCombo);
}

void TForm1::editRecord(const Record& record) {
    CreateCard->LoadRecord(record);
    showCreateCard();
}

QTextDocument* TForm1::batchSummary() {
    return cxRichEdit2->document();
}

void TForm1::showBatchSummary() {
    if (CardPanel1->currentWidget() == SearchCard) showCreateCard();
}

void TForm1::typeRegularAtEndOfBatchSummary() {
    const QTextCursor caret = cxRichEdit2->textCursor();
    if (caret.hasSelection() || !caret.atEnd()) return;
    QTextCharFormat regular;
    regular.setFontWeight(QFont::Normal);
    regular.setFontItalic(false);
    regular.setFontUnderline(false);
    regular.setFontStrikeOut(false);
    cxRichEdit2->mergeCurrentCharFormat(regular);
}

void TForm1::replaceGroupList(const QStringList& groups) {
    GroupCombo->replaceItems(groups);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous()) errors::guard([this] { FormShow(); });
}

void TForm1::closeEvent(QCloseEvent* event) {
    bool canClose = true;
    errors::guard([&] { FormCloseQuery(canClose); });
    if (!canClose) {
        event->ignore();
        return;
    }
    errors::guard([this] { FormClose(); });
    event->accept();
    emit closed();
}

QRect TForm1::outerGeometry() const {
    return FOuterBounds->outerGeometry();
}
