// Start-up, close and destruction of the main window.
#include <QFileInfo>
#include <QSignalBlocker>
#include <QStyle>

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
#include "platform/widgets/statusbar.h"
#include "records/dm.h"

namespace {

const char* const kSpellKeys[] = {"SpellTitle",   "SpellDesc",       "SpellKeys",
                                  "SpellSummary", "SpellBatchTitle", "SpellBatchKeys"};

}  // namespace

void TForm1::FormCreate() {
    RtfStream = new QByteArray();
    APIKey.clear();
    setWindowTitle(QStringLiteral("Pixolet"));
    ShowAITaggingCommand();
}

void TForm1::FormShow() {
    CardPanel1->setCurrentWidget(SearchCard);
    AICounter = 0;
    HighlightsShown = false;
    AppPath = appfolder::programFolder();
    // One settings object for the whole sequence, released also when a step fails.
    const ini::IniFile settings(AppPath + settings::kFileName);

    if (settings.valueExists(QStringLiteral("AISettings"), QStringLiteral("GeminiKey")))
        APIKey = settings.readString(QStringLiteral("AISettings"), QStringLiteral("GeminiKey"), {});
    else
        APIKey = QStringLiteral("No");

    const QString dbPath = settings::databasePath(settings, AppPath);
    if (QFileInfo(dbPath).isFile()) {
        DM->FDConnection1->setDatabase(dbPath);
        DM->FDConnection1->connect();
        StatusBar1->setPanelText(4, QFileInfo(dbPath).fileName());
        DM->FDQuery1->close();
        DM->FDQuery1->setSQL(QStringLiteral("SELECT * FROM tblTags"));
        DM->FDQuery1->open();
    } else {
        dialogs::get().message(QStringLiteral(
            "The database file does not exist! Create a new or open an existing database."));
        NewButtonClick();
    }

    // Window bounds, only when they are stored.
    if (settings.valueExists(QStringLiteral("MainForm"), QStringLiteral("Width"))) {
        const QSize client(1051, 725);
        resize(client);
        setOuterMinimumSize(QSize(1067, 725));
        const QSize outer = outerSize();
        const int width = settings.readInteger(QStringLiteral("MainForm"), QStringLiteral("Width"),
                                               outer.width());
        const int height = settings.readInteger(QStringLiteral("MainForm"),
                                                QStringLiteral("Height"), outer.height());
        const int left =
            settings.readInteger(QStringLiteral("MainForm"), QStringLiteral("Left"), 10);
        const int top = settings.readInteger(QStringLiteral("MainForm"), QStringLiteral("Top"), 10);
        setOuterGeometry(QRect(left, top, width, height));
    }

    // Text limits: a stored value that is no integer stops the start here.
    TitleMax = text::strToInt(settings.readString(QStringLiteral("TextMax"),
                                                  QStringLiteral("Title"), QStringLiteral("80")));
    DescriptionMax = text::strToInt(settings.readString(
        QStringLiteral("TextMax"), QStringLiteral("Description"), QStringLiteral("200")));
    KeywordsMax = text::strToInt(settings.readString(
        QStringLiteral("TextMax"), QStringLiteral("Keywords"), QStringLiteral("50")));
    Label7->setText(QString::number(TitleMax));
    Label12->setText(QString::number(DescriptionMax));
    cxTextEdit1->setMaxLength(TitleMax);
    cxMemo1->setMaxLength(DescriptionMax);

    if (settings.valueExists(QStringLiteral("Ribbon"), QStringLiteral("Layout"))) {
        const int layout = settings.readInteger(QStringLiteral("Ribbon"), QStringLiteral("Layout"),
                                                static_cast<int>(dxRibbon1->ribbonLayout()));
        if (layout >= 0 && layout <= 2)
            dxRibbon1->setRibbonLayout(static_cast<TdxRibbon::Layout>(layout));
    }

    const auto isTrue = [&](const char* key) {
        return settings.readString(QStringLiteral("SpellCheck"), QLatin1String(key),
                                   QStringLiteral("True")) == QLatin1String("True");
    };
    const bool asYouType = isTrue("SpellAsYouType");
    CheckBox7->setChecked(asYouType);
    dxSpellChecker1->setCheckAsYouType(asYouType);
    TcxCheckBox* const switches[] = {CheckBox1, CheckBox2, CheckBox3,
                                     CheckBox4, CheckBox5, CheckBox6};
    for (int i = 0; i < 6; ++i) switches[i]->setChecked(isTrue(kSpellKeys[i]));

    AnnotationFontSize = static_cast<std::uint8_t>(
        settings.readInteger(QStringLiteral("Annotation"), QStringLiteral("FontSize"), 10) & 0xFF);
    AnnotationFontStyle = settings.readString(
        QStringLiteral("Annotation"), QStringLiteral("FontStyle"), QStringLiteral("Regular"));
    AnnotationFontColor =
        settings.readInteger(QStringLiteral("Annotation"), QStringLiteral("FontColor"), 0);
    AICounter = settings.readInteger(QStringLiteral("AISettings"), QStringLiteral("Counter"), 0);

    // Without a database (the New offered at a first start was cancelled) there is no
    // group list and no record to return to; the Database commands stay at hand.
    const bool haveDatabase = !DM->FDConnection1->database().isEmpty();
    if (haveDatabase) {
        DM->FDQueryGroups->open();
        PopuniGroupCombo(GroupCombo);
    }
    GroupCombo->setCurrentIndex(-1);

    if (settings.valueExists(QStringLiteral("ActiveRecord"), QStringLiteral("ID")))
        RecordID = settings.readInteger(QStringLiteral("ActiveRecord"), QStringLiteral("ID"), 0);
    if (RecordID != -1 && DM->FDQuery1->active())
        DM->FDQuery1->locate(QStringLiteral("ID"), RecordID);

    cxGrid1->setFocus();
}

void TForm1::FormCloseQuery(bool& CanClose) {
    if (text::trim(cxRichEdit2->toPlainText()).isEmpty()) return;
    const auto answer = dialogs::get().confirm(
        QStringLiteral("Data in BatchSummary field will be lost if you close application before "
                       "you save.\r\nDo you want to exit without saving?"),
        dialogs::Icon::Question);
    if (answer == dialogs::Answer::No) {
        CanClose = false;
        CardPanel1->setCurrentWidget(CreateCard);
    }
}

void TForm1::FormClose() {
    ini::IniFile settings(AppPath + settings::kFileName);
    const QRect outer = outerGeometry();
    settings.writeInteger(QStringLiteral("MainForm"), QStringLiteral("Width"), outer.width());
    settings.writeInteger(QStringLiteral("MainForm"), QStringLiteral("Height"), outer.height());
    settings.writeInteger(QStringLiteral("MainForm"), QStringLiteral("Left"), outer.left());
    settings.writeInteger(QStringLiteral("MainForm"), QStringLiteral("Top"), outer.top());

    sql::Query* query = DM->FDQuery1;
    RecordID = query->active() && !query->isEmpty() && query->recNo() >= 0
                   ? query->fieldByName(QStringLiteral("ID")).toInt()
                   : -1;
    settings.writeInteger(QStringLiteral("ActiveRecord"), QStringLiteral("ID"), RecordID);

    settings.writeInteger(QStringLiteral("Ribbon"), QStringLiteral("Layout"),
                          static_cast<int>(dxRibbon1->ribbonLayout()));

    const auto word = [](bool on) { return on ? QStringLiteral("True") : QStringLiteral("False"); };
    settings.writeString(QStringLiteral("SpellCheck"), QStringLiteral("SpellAsYouType"),
                         word(CheckBox7->isChecked()));
    TcxCheckBox* const switches[] = {CheckBox1, CheckBox2, CheckBox3,
                                     CheckBox4, CheckBox5, CheckBox6};
    for (int i = 0; i < 6; ++i)
        settings.writeString(QStringLiteral("SpellCheck"), QLatin1String(kSpellKeys[i]),
                             word(switches[i]->isChecked()));

    settings.writeInteger(QStringLiteral("Annotation"), QStringLiteral("FontSize"),
                          AnnotationFontSize);
    settings.writeString(QStringLiteral("Annotation"), QStringLiteral("FontStyle"),
                         AnnotationFontStyle);
    settings.writeInteger(QStringLiteral("Annotation"), QStringLiteral("FontColor"),
                          AnnotationFontColor);
    settings.writeInteger(QStringLiteral("AISettings"), QStringLiteral("Counter"), AICounter);
    if (APIKey != QLatin1String("No"))
        settings.writeString(QStringLiteral("AISettings"), QStringLiteral("GeminiKey"), APIKey);
    settings.writeString(
        QStringLiteral("Database"), QStringLiteral("FileName"),
        QStringLiteral("DB\\") + QFileInfo(DM->FDConnection1->database()).fileName());
    DM->FDQuery1->close();
}

void TForm1::FormDestroy() {
    delete RtfStream;
    RtfStream = nullptr;
}

void TForm1::PopuniGroupCombo(QComboBox* /*ComboBox*/) {
    // The list filled is always the main window's group list; its text stays.
    const QString text = GroupCombo->currentText();
    const QSignalBlocker blocker(GroupCombo);
    GroupCombo->clear();
    sql::Query* groups = DM->FDQueryGroups;
    groups->refresh();
    groups->first();
    while (!groups->eof()) {
        GroupCombo->addItem(groups->fieldByName(QStringLiteral("TagGroup")).toString());
        groups->next();
    }
    GroupCombo->setCurrentIndex(
        GroupCombo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    if (GroupCombo->currentIndex() < 0) GroupCombo->setEditText(text);
}
