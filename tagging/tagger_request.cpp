// The tagger's request cycle as the window shows it: "AI Tagging" has the session send the
// picture and the prompt to the AI service; the component's three events go to the session,
// which reports the busy state, the status line, a reply's texts for the edit fields and the
// buttons' state back to the window.
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>

#include "platform/cloudai/cloudai.h"
#include "platform/dialogs/dialogs.h"
#include "platform/text/text.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/image.h"
#include "platform/widgets/statusbar.h"
#include "records/main_state.h"
#include "tagging/frmtaggerpro.h"
#include "tagging/prompts.h"
#include "tagging/reply_parsing.h"
#include "tagging/upload_image.h"

namespace {

constexpr int kGettyAgency = 1;  // the item "Getty Images" of the agency box

}  // namespace

void TfrmTaggerPro::cxButton5Click() {
    if (cxImage1->picture().isNull()) {
        dialogs::get().message(
            QStringLiteral(
                "Please click on Open Image button first\rand select image for tagging."),
            dialogs::Place::ScreenCentre);
        return;
    }
    if (m_session->requestInFlight()) return;
    m_session->startRequest();
}

prompts::PromptSettings TfrmTaggerPro::PromptSettingsFromControls(bool withGettyLists) const {
    prompts::PromptSettings s;
    s.keysFrom = KeysFrom->value();
    s.keysTo = KeysTo->value();
    // The memo's line breaks are CR LF in the prompt.
    s.conceptNote = text::trim(edtConcept->toPlainText().replace(u'\n', QStringLiteral("\r\n")));
    s.includeText = edtAddKeywords->text();
    s.excludeText = edtExcludeKeywords->text();
    s.detectCategories = CategoryCheck->isChecked();
    s.includePeople = PeopleCheck->isChecked();
    s.deepVision = AgenticCombo->isChecked();
    s.titleMax = m_state.TitleMax();
    s.descriptionMax = m_state.DescriptionMax();
    s.adobeCategories = itemsOf(AdobeCategory);
    s.shutterPrimary = itemsOf(ShutterCategory1);
    s.shutterSecondary = itemsOf(ShutterCategory2);
    if (withGettyLists) {
        s.gettyDictionary = prompts::ReadGettyDictionaryText();
        s.gettyBlacklist = prompts::ReadGettyBlacklistCommaText();
    }
    return s;
}

QString TfrmTaggerPro::BuildPrompt() const {
    // A typed agency that names no item is tagged, and its reply read, the standard way.
    if (gettyAgency()) return prompts::BuildGettyPrompt(PromptSettingsFromControls(true));
    return prompts::BuildStandardPrompt(PromptSettingsFromControls(false));
}

void TfrmTaggerPro::EnableRequestButtons(bool enabled) {
    // A running batch holds these back until it ends: a picture opened or sent between two of
    // its requests would have its reply written into the batch's next row.
    const bool outsideBatch = enabled && !m_session->batchRunning();
    cxButton4->setEnabled(outsideBatch);
    cxButton5->setEnabled(outsideBatch);
    btnLoadImages->setEnabled(outsideBatch);
    btnCreateCSV->setEnabled(enabled);
    // During a batch this button is the batch's "Cancel": it stays enabled.
    if (enabled || !m_session->batchProcessing()) btnBatchTagging->setEnabled(enabled);
}

void TfrmTaggerPro::ShowBusy(bool busy) {
    ProgressBar1->setVisible(busy);
}

void TfrmTaggerPro::ShowStatus(const QString& text) {
    dxStatusBar1->setPanelText(0, text);
}

void TfrmTaggerPro::ShowProposedFields(const BatchRow& tags, bool withCategories) {
    FillEditFields(tags, withCategories ? std::optional(CategoryMatch::Containing) : std::nullopt);
}

void TfrmTaggerPro::CloudAI1RequestComplete(const cloudai::RequestResult& ARequestResult) {
    m_session->requestComplete(ARequestResult);
}

void TfrmTaggerPro::CloudAI1Executed(const cloudai::Response* AResponse, int AHttpStatusCode,
                                     const QString& AHttpResult) {
    m_session->executed(AResponse, AHttpStatusCode, AHttpResult);
}

void TfrmTaggerPro::CloudAI1RequestsComplete() {
    m_session->requestsComplete();
}

double TfrmTaggerPro::temperature() const {
    return Temperature->value();
}

int TfrmTaggerPro::uploadSizeLimit() const {
    return tagging::uploadSizeLimit(dsampleCombo->currentText());
}

bool TfrmTaggerPro::gettyAgency() const {
    return AgencyCombo->currentIndex() == kGettyAgency;
}

bool TfrmTaggerPro::detectCategories() const {
    return CategoryCheck->isChecked();
}

void TfrmTaggerPro::SelectComboItemByText(TcxDropDownList* combo, const QString& value) {
    const reply::ComboChoice choice = reply::SelectComboItemByText(itemsOf(combo), value);
    // A name the agency does not list is shown, never listed: Adobe's upload file would
    // number it after the agency's own categories, and later prompts would offer it.
    combo->showChoice(choice.index, choice.unlisted ? value : QString());
}
