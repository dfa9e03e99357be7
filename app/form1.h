#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStackedWidget>
#include <QString>
#include <functional>

#include "app/settings.h"
#include "records/card_frame.h"
#include "records/createcard.h"
#include "records/edit_mode.h"
#include "records/main_window_port.h"
#include "records/searchcard.h"

class QComboBox;
class QLabel;
class TdxRibbon;
class TdxBarLargeButton;
class TdxBarSubItem;
class TdxBarButton;
class TStatusBar;
class TcxCheckBox;
class TcxComboBox;
class TcxRichEdit;
class TSpellChecker;
class OuterBounds;

class MainState;

// The main window: the ribbon with its commands, the card panel with the Create and Search
// cards, the status bar, and the start and close of the program. The values it shares with
// the other windows are the program's MainState; the other windows ask things of it through
// MainWindowPort, the cards through CardFrame. The cards own their controls and handlers.
class TForm1 : public QMainWindow, public CardFrame, public MainWindowPort {
    Q_OBJECT
public:
    explicit TForm1(MainState& state, QWidget* parent = nullptr);
    ~TForm1() override;

    // The other windows, as the main window's commands show them: the program block, which
    // makes the windows, sets them.
    struct OtherWindows {
        std::function<void()> showTagger;  // modeless
        std::function<void()> showSettings;
        std::function<void()> showBackup;
        std::function<void()> showGroups;
        std::function<void()> showAbout;
    };
    void setOtherWindows(OtherWindows windows) { FOtherWindows = std::move(windows); }
    // A field of another window that the Create card's "Title" switch governs as it governs
    // the title field (the tagger's title); it may be destroyed before this window.
    void governByTitleSwitch(QWidget* field) { FTitleSwitchField = field; }

    // The program folder, with a trailing separator.
    QString AppPath;

    // Frame.
    TdxRibbon* dxRibbon1 = nullptr;
    QStackedWidget* CardPanel1 = nullptr;
    TCreateCard* CreateCard = nullptr;
    TSearchCard* SearchCard = nullptr;
    TStatusBar* StatusBar1 = nullptr;
    TSpellChecker* dxSpellChecker1 = nullptr;
    // BROWSE or EDIT; status panel 2 and the save button's caption show it.
    EditModeState* Mode = nullptr;

    // Controls of the Create card, by the main window's names for them.
    TcxRichEdit* cxRichEdit2 = nullptr;  // the batch summary
    TcxComboBox* GroupCombo = nullptr;
    QLabel* Label7 = nullptr;   // title characters left
    QLabel* Label12 = nullptr;  // description characters left
    QLabel* Label9 = nullptr;   // keyword count

    // Ribbon commands, in the ribbon's order.
    TdxBarLargeButton* dxBarLargeButton1 = nullptr;   // "Create (F1)"
    TdxBarLargeButton* dxBarLargeButton2 = nullptr;   // "Search (F2)"
    TdxBarLargeButton* dxBarLargeButtonAI = nullptr;  // "AI Tagging (F3)"
    TdxBarSubItem* dxBarSubItem1 = nullptr;           // "Database" menu
    TdxBarButton* NewButton = nullptr;
    TdxBarButton* dxBarButton2 = nullptr;             // "Open"
    TdxBarButton* dxBarButton3 = nullptr;             // "Save As"
    TdxBarLargeButton* dxBarLargeButton8 = nullptr;   // "Settings"
    TdxBarLargeButton* dxBarLargeButton10 = nullptr;  // "Database Maintenance"
    TdxBarLargeButton* dxBarLargeButton9 = nullptr;   // "Backup and Restore"
    TdxBarLargeButton* dxBarLargeButton12 = nullptr;  // "Group Admin"
    TdxBarLargeButton* dxBarLargeButton11 = nullptr;  // "Exit (Ctrl+Q)"
    TdxBarLargeButton* dxBarLargeButton4 = nullptr;   // "Info Center"
    TdxBarLargeButton* dxBarLargeButton5 = nullptr;   // "Help"
    TdxBarLargeButton* dxBarLargeButton7 = nullptr;   // "Exit Alt+F4"

    // Lifecycle handlers.
    void FormCreate();
    void FormShow();
    void FormCloseQuery(bool& CanClose);
    void FormClose();

    // Refills the group list from the groups query; its text stays.
    void PopuniGroupCombo(QComboBox* ComboBox);

    // Database commands.
    void NewButtonClick();
    void dxBarButton2Click();
    void dxBarButton3Click();
    void dxBarLargeButton10Click();

    // Ribbon commands and the Create card's "Exit".
    void dxBarLargeButton1Click();
    void dxBarLargeButton2Click();
    void dxBarLargeButtonAIClick();
    void dxBarLargeButton8Click();
    void dxBarLargeButton9Click();
    void dxBarLargeButton12Click();
    void dxBarLargeButton4Click();
    void dxBarLargeButton5Click();
    void dxBarLargeButton11Click();
    void dxBarLargeButton7Click();
    void ExitBtnClick();

    // Spell checking as one types: the master switch "Spell as you type" and the rule that
    // allows or refuses a control each time checking is about to start in it.
    void CheckBox7PropertiesChange();
    void dxSpellChecker1CheckAsYouTypeStart(TSpellChecker* Sender, QWidget* AControl, bool& AAllow);

    // In EDIT mode: shows why and returns true, so the command does nothing else.
    bool RefuseInEditMode();

    // Opens Help/<TopicFolder>/index.html of the program folder in the default browser.
    void ShowHTMLHelp(const QString& TopicFolder) override;

    // The folder "DB" of the program folder.
    QString DatabaseFolder() const;
    // The file at path becomes the open database, as the Open command makes it: the full
    // listing, the group list and status panel 4 follow it. An error of the engine reaches
    // the caller; the connection then names path.
    void OpenDatabase(const QString& path) override;
    // Deletes the placeholder of a restore unless it is the open database; a deletion that
    // fails is ignored.
    void RemovePlaceholder() override;

    // Binds the Search card to the data module's main query and the record count to the
    // status bar; the data module is made after this window.
    void BindDataSource();

    // The window's outer bounds, frame included (what the settings file stores).
    OuterBounds* FOuterBounds = nullptr;
    QRect outerGeometry() const;

    // What the cards ask of the window.
    MainState& state() override { return m_state; }
    EditModeState& editMode() override { return *Mode; }
    void showCreateCard() override;
    void showSearchCard() override;
    void showStatus(const QString& text) override;
    void refillGroupList() override;
    void editRecord(const Record& record) override;

    // What the other windows ask of it.
    QTextDocument* batchSummary() override;
    void showBatchSummary() override;
    void typeRegularAtEndOfBatchSummary() override;
    void replaceGroupList(const QStringList& groups) override;
    void runOpen() override { dxBarButton2Click(); }

signals:
    // The window has closed (its close query allowed it).
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildFrame();
    void BuildCommands();
    void BindSpellChecker();
    // A field switch turned off removes its fields' marks at once.
    void SpellFieldSwitchChange(TcxCheckBox* Switch);
    void ShowEditMode(EditMode mode);
    void ShowRecordCount(int count);

    // Steps of the start-up and close sequences.
    void OpenStartDatabase(const QString& path);
    void ApplyBounds(const settings::WindowBounds& bounds);
    // The values of the main window's keys as the window holds them now.
    settings::MainWindow CurrentSettings() const;
    // The window's frame became known after a start that stopped early: its bounds then are
    // the ones it stopped with.
    void FrameKnownAfterStop();

    // The group of keys the start-up applies now; after a start that stopped early, the
    // first one it did not apply and what the window held then.
    settings::KeyGroup FStartStep = settings::KeyGroup::ApiKey;
    std::optional<settings::StoppedStart> FStoppedStart;

    MainState& m_state;
    OtherWindows FOtherWindows;
    QPointer<QWidget> FTitleSwitchField;
};

extern TForm1* Form1;
