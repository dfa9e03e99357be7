#include "app/form1.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QShowEvent>
#include <QVBoxLayout>

#include "platform/errors/errors.h"
#include "platform/ribbon/ribbon.h"
#include "platform/spell/spell.h"
#include "platform/sql/datasource.h"
#include "platform/widgets/anchors.h"
#include "platform/widgets/dbrichedit.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/statusbar.h"

TForm1* Form1 = nullptr;

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    BuildFrame();
    BuildCreateCard();
    BuildSearchCard();
    BuildCommands();
    errors::guard([this] { FormCreate(); });
}

TForm1::~TForm1() {
    FormDestroy();
}

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
    CreateCard = new QWidget(CardPanel1);
    CreateCard->setObjectName(QStringLiteral("CreateCard"));
    CreateCard->setWindowTitle(QStringLiteral("Create Card"));
    SearchCard = new QWidget(CardPanel1);
    SearchCard->setObjectName(QStringLiteral("SearchCard"));
    CardPanel1->addWidget(CreateCard);
    CardPanel1->addWidget(SearchCard);
    CardPanel1->setCurrentWidget(CreateCard);
    column->addWidget(CardPanel1, 1);
    setCentralWidget(central);

    StatusBar1 = new TStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(20);
    StatusBar1->addPanel(250, Qt::AlignLeft, QStringLiteral("Ready ..."));
    StatusBar1->addPanel(50, Qt::AlignHCenter, QStringLiteral("Mode:"), 50);
    StatusBar1->addPanel(60, Qt::AlignHCenter, QStringLiteral("BROWSE"));
    StatusBar1->addPanel(100, Qt::AlignRight, QStringLiteral("Database:"), 80);
    StatusBar1->addPanel(150, Qt::AlignLeft, QString(), 150);
    StatusBar1->addPanel(60, Qt::AlignHCenter, QStringLiteral("Records:"), 60);
    StatusBar1->addPanel(60, Qt::AlignLeft, QStringLiteral("No"), 60);
    setStatusBar(StatusBar1);

    dxSpellChecker1 = new TSpellChecker(this);
    dxSpellChecker1->setObjectName(QStringLiteral("dxSpellChecker1"));

    // Client area 1051 x 725 at design; the ribbon, cards and status bar fill it.
    resize(1051, 725);
    setOuterMinimumSize(QSize(1067, 764));
    move(0, 0);
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
    return frameGeometry();
}

void TForm1::setOuterGeometry(const QRect& outer) {
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    const int extraW = frame.width() - client.width();
    const int extraH = frame.height() - client.height();
    // A size below the minimum is raised to it, as the window's constraints do.
    const QSize size =
        QSize(outer.width() - extraW, outer.height() - extraH).expandedTo(minimumSize());
    resize(size);
    move(outer.topLeft());
}

void TForm1::setOuterMinimumSize(const QSize& outer) {
    // The design's outer sizes include the frame of the system the layout was made on.
    const QSize frameExtra(16, 39);
    setMinimumSize(outer - frameExtra);
}

void TForm1::ShowAITaggingCommand() {
    dxBarLargeButtonAI->setVisible(true);
}
