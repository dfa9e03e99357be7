// The main window's commands: the ribbon, switching between the cards, the edit-mode
// guard, the windows the commands open, the exits and the help pages.
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QPushButton>
#include <QStackedWidget>
#include <cerrno>

#include "app/form1.h"
#include "platform/appfolder/appfolder.h"
#include "platform/dialogs/dialogs.h"
#include "platform/errors/guard.h"
#include "platform/ribbon/ribbon.h"
#include "platform/shell/shell.h"
#include "records/createcard.h"
#include "records/searchcard.h"

namespace {

QString glyph(const char* name) {
    return QStringLiteral(":/icons/") + QLatin1String(name) + QStringLiteral(".svg");
}

}  // namespace

void TForm1::BuildCommands() {
    TdxRibbon* ribbon = dxRibbon1;

    TdxRibbonTab* tagging = ribbon->addTab(QStringLiteral("Tagging"));
    TdxRibbonGroup* createSearch = tagging->addGroup(QStringLiteral("Create and Search"));
    dxBarLargeButton1 = createSearch->addLargeButton(
        QStringLiteral("dxBarLargeButton1"), QStringLiteral("Create (F1)"), glyph("create"));
    dxBarLargeButton1->setShortcut(QKeySequence(Qt::Key_F1));
    dxBarLargeButton2 = createSearch->addLargeButton(
        QStringLiteral("dxBarLargeButton2"), QStringLiteral("Search (F2)"), glyph("search"));
    dxBarLargeButton2->setShortcut(QKeySequence(Qt::Key_F2));
    dxBarLargeButtonAI =
        createSearch->addLargeButton(QStringLiteral("dxBarLargeButtonAI"),
                                     QStringLiteral("AI Tagging (F3)"), glyph("ai_tagging"));
    dxBarLargeButtonAI->setShortcut(QKeySequence(Qt::Key_F3));
    // Hidden until the window's creation shows it.
    dxBarLargeButtonAI->setVisible(false);

    TdxRibbonGroup* database = tagging->addGroup(QStringLiteral("Database"));
    dxBarSubItem1 = database->addSubItem(QStringLiteral("dxBarSubItem1"),
                                         QStringLiteral("Database"), glyph("database"));
    NewButton = dxBarSubItem1->addItem(QStringLiteral("NewButton"), QStringLiteral("New"));
    dxBarButton2 = dxBarSubItem1->addItem(QStringLiteral("dxBarButton2"), QStringLiteral("Open"));
    dxBarButton3 =
        dxBarSubItem1->addItem(QStringLiteral("dxBarButton3"), QStringLiteral("Save As"));

    TdxRibbonGroup* tools = tagging->addGroup(QStringLiteral("Setting and Tools"));
    dxBarLargeButton8 = tools->addLargeButton(QStringLiteral("dxBarLargeButton8"),
                                              QStringLiteral("Settings"), glyph("settings"));
    dxBarLargeButton10 =
        tools->addLargeButton(QStringLiteral("dxBarLargeButton10"),
                              QStringLiteral("Database Maintenance"), glyph("maintenance"));
    dxBarLargeButton10->setHint(QStringLiteral("Database Maintenance"));
    dxBarLargeButton9 = tools->addLargeButton(
        QStringLiteral("dxBarLargeButton9"), QStringLiteral("Backup and Restore"), glyph("backup"));
    dxBarLargeButton12 = tools->addLargeButton(QStringLiteral("dxBarLargeButton12"),
                                               QStringLiteral("Group Admin"), glyph("groups"));
    dxBarLargeButton12->setHint(QStringLiteral("Group Admin"));

    TdxRibbonGroup* quit = tagging->addGroup(QString());
    dxBarLargeButton11 = quit->addLargeButton(QStringLiteral("dxBarLargeButton11"),
                                              QStringLiteral("Exit (Ctrl+Q)"), glyph("exit"));
    dxBarLargeButton11->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    TdxRibbonTab* info = ribbon->addTab(QStringLiteral("Info"));
    TdxRibbonGroup* application = info->addGroup(QStringLiteral("Application"));
    dxBarLargeButton4 = application->addLargeButton(QStringLiteral("dxBarLargeButton4"),
                                                    QStringLiteral("Info Center"), glyph("info"));
    dxBarLargeButton4->setHint(QStringLiteral("Info Center"));
    dxBarLargeButton5 = application->addLargeButton(QStringLiteral("dxBarLargeButton5"),
                                                    QStringLiteral("Help"), glyph("help"));
    application->addSeparator();
    // Its caption names the system's close key; the button has no key binding of its own.
    dxBarLargeButton7 = application->addLargeButton(QStringLiteral("dxBarLargeButton7"),
                                                    QStringLiteral("Exit Alt+F4"), glyph("exit"));
    ribbon->setActiveTab(0);

    // Every command runs under the default exception handler, also when it is run from
    // code rather than by an event.
    const auto bind = [this](QAction* item, void (TForm1::*handler)()) {
        connect(item, &QAction::triggered, this, errors::guarded(this, handler));
    };
    bind(dxBarLargeButton1, &TForm1::dxBarLargeButton1Click);
    bind(dxBarLargeButton2, &TForm1::dxBarLargeButton2Click);
    bind(dxBarLargeButtonAI, &TForm1::dxBarLargeButtonAIClick);
    bind(NewButton, &TForm1::NewButtonClick);
    bind(dxBarButton2, &TForm1::dxBarButton2Click);
    bind(dxBarButton3, &TForm1::dxBarButton3Click);
    bind(dxBarLargeButton8, &TForm1::dxBarLargeButton8Click);
    bind(dxBarLargeButton10, &TForm1::dxBarLargeButton10Click);
    bind(dxBarLargeButton9, &TForm1::dxBarLargeButton9Click);
    bind(dxBarLargeButton12, &TForm1::dxBarLargeButton12Click);
    bind(dxBarLargeButton11, &TForm1::dxBarLargeButton11Click);
    bind(dxBarLargeButton4, &TForm1::dxBarLargeButton4Click);
    bind(dxBarLargeButton5, &TForm1::dxBarLargeButton5Click);
    bind(dxBarLargeButton7, &TForm1::dxBarLargeButton7Click);
    connect(CreateCard->ExitBtn, &QPushButton::clicked, this,
            errors::guarded(this, &TForm1::ExitBtnClick));
}

bool TForm1::RefuseInEditMode() {
    if (!Mode->editing()) return false;
    dialogs::get().message(
        QStringLiteral(
            "You are in EDIT mode.\rPlease update database or click Cancel button before "
            "leaving Create section!"),
        dialogs::Place::ScreenCentre);
    return true;
}

void TForm1::dxBarLargeButton1Click() {
    if (CardPanel1->currentWidget() == SearchCard) showCreateCard();
}

void TForm1::dxBarLargeButton2Click() {
    if (CardPanel1->currentWidget() == CreateCard && !Mode->editing())
        showSearchCard();
    else
        RefuseInEditMode();
}

void TForm1::dxBarLargeButtonAIClick() {
    FOtherWindows.showTagger();
}

void TForm1::dxBarLargeButton8Click() {
    if (RefuseInEditMode()) return;
    FOtherWindows.showSettings();
}

void TForm1::dxBarLargeButton9Click() {
    if (RefuseInEditMode()) return;
    FOtherWindows.showBackup();
}

void TForm1::dxBarLargeButton12Click() {
    if (RefuseInEditMode()) return;
    FOtherWindows.showGroups();
}

void TForm1::dxBarLargeButton4Click() {
    FOtherWindows.showAbout();
}

void TForm1::dxBarLargeButton5Click() {
    ShowHTMLHelp(QStringLiteral("Introduction"));
}

// The exits ask the window to close, as its close box does: the close query may keep it.
void TForm1::dxBarLargeButton11Click() {
    close();
}

void TForm1::dxBarLargeButton7Click() {
    close();
}

void TForm1::ExitBtnClick() {
    close();
}

void TForm1::ShowHTMLHelp(const QString& TopicFolder) {
    const QChar separator = QDir::separator();
    const QString path = appfolder::programFolder() + QStringLiteral("Help") + separator +
                         TopicFolder + separator + QStringLiteral("index.html");
    if (!QFileInfo(path).isFile()) {
        dialogs::get().message(QStringLiteral("Help file not found at: ") + path,
                               dialogs::Place::ScreenCentre);
        return;
    }
    // The system's own error code of the failed launch, not a stale one.
    errno = 0;
    const bool opened = shell::get().open(path);
    const int code = errno;
    if (!opened)
        dialogs::get().message(
            QStringLiteral("Failed to launch browser. System Error Code: ") + QString::number(code),
            dialogs::Place::ScreenCentre);
}
