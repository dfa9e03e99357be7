// Start-up and close of the main window.
#include <QFileInfo>
#include <QSignalBlocker>
#include <QTableView>

#include "app/form1.h"
#include "app/settings.h"
#include "platform/appfolder/appfolder.h"
#include "platform/dialogs/dialogs.h"
#include "platform/errors/errors.h"
#include "platform/ini/ini.h"
#include "platform/ribbon/ribbon.h"
#include "platform/spell/spell.h"
#include "platform/sql/sql.h"
#include "platform/text/text.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/outer_bounds.h"
#include "platform/widgets/statusbar.h"
#include "records/createcard.h"
#include "records/dm.h"
#include "records/main_state.h"
#include "records/record_store.h"
#include "records/searchcard.h"

namespace {

// The switches CheckBox1 to CheckBox6, in the order the settings keep them.
std::array<TcxCheckBox*, 6> spellFieldSwitches(const TCreateCard* card) {
    return {card->CheckBox1, card->CheckBox2, card->CheckBox3,
            card->CheckBox4, card->CheckBox5, card->CheckBox6};
}

}  // namespace

void TForm1::FormCreate() {
    m_state.setAPIKey(QString());
    setWindowTitle(QStringLiteral("Pixolet"));
    dxBarLargeButtonAI->setVisible(true);
}

void TForm1::FormShow() {
    // A start that stops early leaves the keys it did not apply to the file as they stand: the
    // close writes only what the user changed since (values the window holds when it stops).
    using settings::KeyGroup;
    FStartStep = KeyGroup::ApiKey;
    FStoppedStart.reset();
    const auto stopped = errors::onError([this] {
        FStoppedStart = settings::StoppedStart{FStartStep, CurrentSettings()};
    });

    showSearchCard();
    m_state.setAICounter(0);
    HighlightsShown = false;
    AppPath = appfolder::programFolder();
    const settings::MainWindow stored = settings::MainWindow::load(settings::openFile(AppPath));

    m_state.setAPIKey(stored.apiKey);
    FStartStep = KeyGroup::Database;
    OpenStartDatabase(settings::databasePath(stored.databaseFileName, AppPath));

    FStartStep = KeyGroup::Bounds;
    if (stored.bounds) ApplyBounds(*stored.bounds);

    // Text limits: a stored value that is no integer stops the start here.
    FStartStep = KeyGroup::Limits;
    {
        // The start shows the limits its own way: the keyword counter keeps its count.
        const QSignalBlocker quiet(m_state);
        m_state.setTitleMax(text::strToInt(stored.limits.title));
        m_state.setDescriptionMax(text::strToInt(stored.limits.description));
        m_state.setKeywordsMax(text::strToInt(stored.limits.keywords));
    }
    CreateCard->ShowTextLimits();

    FStartStep = KeyGroup::Ribbon;
    if (stored.ribbonLayout && *stored.ribbonLayout >= 0 && *stored.ribbonLayout <= 2)
        dxRibbon1->setRibbonLayout(static_cast<TdxRibbon::Layout>(*stored.ribbonLayout));

    FStartStep = KeyGroup::Spell;
    CreateCard->CheckBox7->setChecked(stored.spell.asYouType);
    dxSpellChecker1->setCheckAsYouType(stored.spell.asYouType);
    const auto switches = spellFieldSwitches(CreateCard);
    for (std::size_t i = 0; i < switches.size(); ++i)
        switches[i]->setChecked(stored.spell.fields[i]);

    FStartStep = KeyGroup::Annotation;
    m_state.setAnnotationStyle(stored.annotation.fontSize, stored.annotation.fontStyle,
                               stored.annotation.fontColor);
    FStartStep = KeyGroup::Counter;
    m_state.setAICounter(stored.aiCounter);

    // Without a database (the New offered at a first start was cancelled) there is no
    // group list and no record to return to; the Database commands stay at hand.
    FStartStep = KeyGroup::ActiveRecord;
    RecordStore& store = DM->records();
    if (!DM->FDConnection1->database().isEmpty()) {
        store.openGroups();
        PopuniGroupCombo(GroupCombo);
    }
    GroupCombo->setCurrentIndex(-1);

    if (stored.activeRecord) RecordID = *stored.activeRecord;
    if (RecordID != -1 && store.query()->active()) store.locate(RecordID);
    FStartStep = KeyGroup::None;

    SearchCard->cxGrid1->setFocus();
}

void TForm1::OpenStartDatabase(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        dialogs::get().message(
            QStringLiteral(
                "The database file does not exist! Create a new or open an existing database."),
            dialogs::Place::ScreenCentre);
        NewButtonClick();
        return;
    }
    DM->FDConnection1->setDatabase(path);
    DM->FDConnection1->connect();
    StatusBar1->setPanelText(4, QFileInfo(path).fileName());
    DM->records().openListingAtStart();
}

void TForm1::ApplyBounds(const settings::WindowBounds& bounds) {
    FOuterBounds->setOuterMinimumSize(QSize(1067, 725));
    resize(QSize(1051, 725));
    // A width or height that is no integer takes the client size just given; bounds that
    // would not fit on a screen are taken onto one.
    FOuterBounds->setOuterGeometry(StoredBounds{
        bounds.left, bounds.top, bounds.width.value_or(width()), bounds.height.value_or(height())});
}

void TForm1::FormCloseQuery(bool& CanClose) {
    if (text::trim(text::documentText(*cxRichEdit2->document())).isEmpty()) return;
    const auto answer = dialogs::get().confirm(
        QStringLiteral("Data in BatchSummary field will be lost if you close application before "
                       "you save.\r\nDo you want to exit without saving?"),
        dialogs::Icon::Question, dialogs::Place::ScreenCentre);
    if (answer == dialogs::Answer::No) {
        CanClose = false;
        showCreateCard();
    }
}

settings::MainWindow TForm1::CurrentSettings() const {
    settings::MainWindow current;
    const QRect outer = outerGeometry();
    current.bounds =
        settings::WindowBounds{outer.width(), outer.height(), outer.left(), outer.top()};
    // The current row of whatever the main query holds, the full listing or the last search.
    current.activeRecord = DM->records().currentIdIfAny().value_or(-1);
    current.ribbonLayout = static_cast<int>(dxRibbon1->ribbonLayout());
    current.spell.asYouType = CreateCard->CheckBox7->isChecked();
    const auto switches = spellFieldSwitches(CreateCard);
    for (std::size_t i = 0; i < switches.size(); ++i)
        current.spell.fields[i] = switches[i]->isChecked();
    current.annotation = {m_state.AnnotationFontSize(), m_state.AnnotationFontStyle(),
                          m_state.AnnotationFontColor()};
    current.aiCounter = m_state.AICounter();
    current.apiKey = m_state.APIKey();
    current.databaseFileName = settings::storedDatabaseFileName(DM->FDConnection1->database());
    return current;
}

void TForm1::FrameKnownAfterStop() {
    if (FStoppedStart) FStoppedStart->atStop.bounds = CurrentSettings().bounds;
}

void TForm1::FormClose() {
    const settings::MainWindow current = CurrentSettings();
    RecordID = *current.activeRecord;
    ini::IniFile file = settings::openFile(AppPath);
    current.save(file, FStoppedStart ? &*FStoppedStart : nullptr);
    DM->FDQuery1->close();
}

void TForm1::PopuniGroupCombo(QComboBox* /*ComboBox*/) {
    // The list filled is always the main window's group list; its text stays. It is emptied
    // first, so that a list that cannot be read stays empty.
    GroupCombo->replaceItems({});
    GroupCombo->replaceItems(DM->records().groups());
}
