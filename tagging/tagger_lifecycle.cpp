// Creation, showing and closing of the tagger window, its stored settings and the rules of
// its prompt settings.
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>

#include "platform/appfolder/appfolder.h"
#include "platform/cloudai/cloudai.h"
#include "platform/dialogs/dialogs.h"
#include "platform/ini/ini.h"
#include "platform/widgets/gridview.h"
#include "platform/widgets/outer_bounds.h"
#include "platform/widgets/statusbar.h"
#include "records/main_state.h"
#include "records/main_window_port.h"
#include "records/settings_file.h"
#include "tagging/batch_grid_model.h"
#include "tagging/frmtaggerpro.h"
#include "tagging/tagger_rules.h"
#include "tagging/tagger_settings.h"

namespace {

// A spin edit's range with its lower end as designed and its upper end at maximum; a maximum
// below the lower end narrows the range to that one value.
void setSpinRange(QSpinBox* spin, int designMinimum, int maximum) {
    spin->setRange(std::min(designMinimum, maximum), maximum);
}

}  // namespace

void TfrmTaggerPro::FormCreate() {
    // Numbers are formatted and parsed with '.' as the decimal separator and ',' as the
    // thousands separator, whatever the user's locale.
    QLocale::setDefault(QLocale::c());
}

void TfrmTaggerPro::FormShow() {
    AppLocation = appfolder::programFolder();
    const ini::IniFile file = settings::openFile(AppLocation);

    resize(kClientSize);
    setMinimumSize(kClientSize);
    const tagger::Settings stored = tagger::Settings::load(file);
    if (stored.bounds) {
        // A width or height that is no integer takes the client size just given; bounds that
        // would not fit on a screen are taken onto one.
        const settings::WindowBounds& b = *stored.bounds;
        FOuterBounds->setOuterGeometry(
            StoredBounds{b.left, b.top, b.width.value_or(width()), b.height.value_or(height())});
    }
    ApplySettings(stored);

    ClearInputFields();

    edtTitle->setMaxLength(m_state.TitleMax());
    memDescription->setMaxLength(m_state.DescriptionMax());
    Label7->setText(QString::number(m_state.TitleMax()));
    Label12->setText(QString::number(m_state.DescriptionMax()));
    Label9->setText(QStringLiteral("0"));

    setSpinRange(KeysFrom, kKeysFromMinimum, KeysTo->value() - 2);
    lblAICount->setText(QString::number(m_state.AICounter()));
    if (AgencyCombo->currentIndex() == 1) btnOpenGettyEditor->setEnabled(true);

    const std::optional<QString> key = tagger::geminiKeyToHandOver(m_state.APIKey());
    if (!key)
        dialogs::get().message(
            QStringLiteral("You cannot use AI tagging without an API key\rPlease go to the Setting "
                           "form and enter your API key"),
            dialogs::Place::ScreenCentre);
    SetUpCloudAI(key);
}

void TfrmTaggerPro::ApplySettings(const tagger::Settings& stored) {
    // The agency first: its rule sets "Detect categories", which the stored state then
    // overrides (in the Getty mode the box stays disabled but shows it).
    const int agency = stored.agencyIndex >= -1 && stored.agencyIndex < AgencyCombo->count()
                           ? stored.agencyIndex
                           : -1;
    AgencyCombo->setCurrentIndex(agency);
    AgenticCombo->setChecked(stored.agenticChecked);
    Temperature->setValue(stored.temperature);  // taken into 0.70 to 0.85
    PeopleCheck->setChecked(stored.peopleCheck);
    CategoryCheck->setChecked(stored.categoryCheck);

    // The keyword bounds are taken into their ranges up to the keyword limit, then the range
    // rule keeps the lower one two below the upper one, whether the upper one changed or not.
    setSpinRange(KeysFrom, kKeysFromMinimum, m_state.KeywordsMax());
    setSpinRange(KeysTo, kKeysToMinimum, m_state.KeywordsMax());
    KeysFrom->setValue(stored.keysFrom);
    KeysTo->setValue(stored.keysTo);
    KeysToPropertiesEditValueChanged();
    setImageColumnWidth(stored.imageColumnWidth);

    setSpinRange(KeysFrom, kKeysFromMinimum, m_state.KeywordsMax());
    setSpinRange(KeysTo, kKeysToMinimum, m_state.KeywordsMax());
}

tagger::Settings TfrmTaggerPro::CurrentSettings() const {
    tagger::Settings s;
    const QRect outer = FOuterBounds->outerGeometry();
    s.bounds = settings::WindowBounds{outer.width(), outer.height(), outer.left(), outer.top()};
    s.agencyIndex = AgencyCombo->currentIndex();
    s.agenticChecked = AgenticCombo->isChecked();
    s.temperature = Temperature->value();
    s.peopleCheck = PeopleCheck->isChecked();
    s.categoryCheck = CategoryCheck->isChecked();
    s.keysFrom = KeysFrom->value();
    s.keysTo = KeysTo->value();
    s.imageColumnWidth = imageColumnWidth();
    return s;
}

void TfrmTaggerPro::SetUpCloudAI(const std::optional<QString>& geminiKey) {
    // Without a key the component keeps the one it had.
    if (geminiKey) CloudAI1->setGeminiKey(*geminiKey);
    CloudAI1->setService(cloudai::Service::Gemini);
    CloudAI1->setGeminiModel(QStringLiteral("gemini-3-flash-preview"));
    CloudAI1->setReadTimeout(kRequestTimeoutMs);
    CloudAI1->setConnectTimeout(kRequestTimeoutMs);
}

void TfrmTaggerPro::ShowAICounter(int counter) {
    lblAICount->setText(QString::number(counter));
}

void TfrmTaggerPro::FormClose() {
    // A batch does not go on behind a closed window.
    m_session->stopBatch();
    m_session->stopAddingImages();
    {
        ini::IniFile file = settings::openFile(AppLocation);
        CurrentSettings().save(file);
    }
    m_session->deleteUploadImage();
}

void TfrmTaggerPro::ExitBtnClick() {
    close();
}

void TfrmTaggerPro::btnHelpClick() {
    m_main.ShowHTMLHelp(QStringLiteral("AI_Tagging"));
}

void TfrmTaggerPro::btnOpenGettyEditorClick() {
    if (FShowGettyEditor) FShowGettyEditor();
}

int TfrmTaggerPro::imageColumnWidth() const {
    return cxTableView1->columnWidth(BatchGridModel::colImage);
}

void TfrmTaggerPro::setImageColumnWidth(int width) {
    // The image column is never narrower than 64 pixels.
    cxTableView1->setColumnWidth(BatchGridModel::colImage, std::max(width, 64));
}

void TfrmTaggerPro::SyncAgencyIndex() {
    const QString text = AgencyCombo->currentText();
    const int named = AgencyCombo->findText(text, Qt::MatchFixedString);
    if (named == AgencyCombo->currentIndex()) return;
    // Selecting an item would put its text in the edit: the typed text goes back there.
    QLineEdit* edit = AgencyCombo->lineEdit();
    const int caret = edit->cursorPosition();
    const QSignalBlocker blocker(AgencyCombo);
    AgencyCombo->setCurrentIndex(named);
    edit->setText(text);
    edit->setCursorPosition(caret);
}

void TfrmTaggerPro::AgencyComboPropertiesChange() {
    SyncAgencyIndex();
    const bool getty = AgencyCombo->currentIndex() == 1;
    CategoryCheck->setChecked(!getty);
    CategoryCheck->setEnabled(!getty);
    btnOpenGettyEditor->setEnabled(getty);
}

void TfrmTaggerPro::KeysToPropertiesEditValueChanged() {
    const tagger::KeywordRange range = tagger::keywordRange(KeysFrom->value(), KeysTo->value());
    KeysFrom->setValue(range.from);
    setSpinRange(KeysFrom, kKeysFromMinimum, range.fromMaximum);
}

void TfrmTaggerPro::cxButton3Click() {
    PeopleCheck->setChecked(true);
    CategoryCheck->setChecked(true);
    // The lower bound is set before the upper one; it may stand above the upper bound's old
    // value until the range rule runs.
    setSpinRange(KeysFrom, kKeysFromMinimum, m_state.KeywordsMax());
    KeysFrom->setValue(39);
    KeysTo->setValue(42);
    KeysToPropertiesEditValueChanged();
    dsampleCombo->setCurrentIndex(0);
    edtConcept->clear();
    edtAddKeywords->clear();
    edtExcludeKeywords->clear();
}
