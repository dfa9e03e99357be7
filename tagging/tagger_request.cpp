// The tagger's request cycle: "AI Tagging" sends the picture and the prompt to the AI service;
// the component's three events end the busy state, fill the edit fields or a grid row from
// the reply, and enable the buttons again.
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSpinBox>

#include "platform/cloudai/cloudai.h"
#include "platform/dialogs/dialogs.h"
#include "platform/errors/errors.h"
#include "platform/files/atomic_file.h"
#include "platform/text/text.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/image.h"
#include "platform/widgets/statusbar.h"
#include "records/main_state.h"
#include "tagging/batch_grid_model.h"
#include "tagging/frmtaggerpro.h"
#include "tagging/prompts.h"
#include "tagging/reply_parsing.h"
#include "tagging/tagger_rules.h"
#include "tagging/upload_image.h"

namespace {

constexpr int kGettyAgency = 1;  // the item "Getty Images" of the agency box

// "tag_cache_" with a random number from 0 to 99998 in upper-case hexadecimal of at least
// four digits, and ".jpg".
QString tagCacheName() {
    const quint32 number = QRandomGenerator::global()->bounded(99999u);
    return QStringLiteral("tag_cache_%1.jpg")
        .arg(QString::number(number, 16).toUpper().rightJustified(4, u'0'));
}

// Deletes a temporary file; a failure leaves it where it is.
void deleteQuietly(const QString& path) {
    if (!path.isEmpty() && QFile::exists(path)) QFile::remove(path);
}

}  // namespace

bool TfrmTaggerPro::RequestInFlight() const {
    // The busy indicator, and the component's own count: "Clear input fields" hides the
    // indicator while a reply may still come for a grid row.
    return !ProgressBar1->isHidden() || CloudAI1->pendingRequests() > 0;
}

void TfrmTaggerPro::cxButton5Click() {
    if (cxImage1->picture().isNull()) {
        dialogs::get().message(
            QStringLiteral(
                "Please click on Open Image button first\rand select image for tagging."),
            dialogs::Place::ScreenCentre);
        return;
    }
    if (RequestInFlight()) return;

    // From here on, a request that cannot start leaves the window idle at once; the error
    // goes on to the caller (the default exception handler, or the batch that clicked).
    const auto idleAgain = errors::onError([this] { EndRequest(); });
    EnableRequestButtons(false);
    CloudAI1->setTemperature(Temperature->value());
    const QString uploadFile = ChooseUploadFile();

    if (FIsBatchProcessing)
        dxStatusBar1->setPanelText(0, FBatchProgressStr);
    else if (!FCurrentFileNameOnly.isEmpty())
        dxStatusBar1->setPanelText(
            0, QStringLiteral("Analyzing: ") + FCurrentFileNameOnly + QStringLiteral("..."));
    else
        dxStatusBar1->setPanelText(0, QStringLiteral("Analyzing image..."));
    ProgressBar1->show();

    CloudAI1->clearFiles();
    CloudAI1->clearContext();
    CloudAI1->addFile(uploadFile, cloudai::FileType::Image);
    CloudAI1->setContextText(BuildPrompt());
    CloudAI1->execute();
}

QString TfrmTaggerPro::ChooseUploadFile() {
    if (!FActiveBatchFile.isEmpty()) return FActiveBatchFile;
    // A picture given to the preview before any image was prepared in this run; the copy
    // goes beside the upload image, into the user's own folder.
    BaseTemp = tagging::temporaryFolder();
    files::ensurePrivateFolder(BaseTemp);
    TempFile = QDir(BaseTemp).filePath(tagCacheName());
    files::writeAtomically(TempFile, PreviewPictureData());
    return TempFile;
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
    if (AgencyCombo->currentIndex() == kGettyAgency)
        return prompts::BuildGettyPrompt(PromptSettingsFromControls(true));
    return prompts::BuildStandardPrompt(PromptSettingsFromControls(false));
}

void TfrmTaggerPro::EnableRequestButtons(bool enabled) {
    // A running batch holds these back until it ends: a picture opened or sent between two of
    // its requests would have its reply written into the batch's next row.
    const bool outsideBatch = enabled && !FBatchRunning;
    cxButton4->setEnabled(outsideBatch);
    cxButton5->setEnabled(outsideBatch);
    btnLoadImages->setEnabled(outsideBatch);
    btnCreateCSV->setEnabled(enabled);
    // During a batch this button is the batch's "Cancel": it stays enabled.
    if (enabled || !FIsBatchProcessing) btnBatchTagging->setEnabled(enabled);
}

void TfrmTaggerPro::EndRequest() {
    deleteQuietly(TempFile);
    dxStatusBar1->setPanelText(0, QStringLiteral("Ready ..."));
    ProgressBar1->hide();
    EnableRequestButtons(true);
}

void TfrmTaggerPro::CloudAI1RequestComplete(const cloudai::RequestResult& ARequestResult) {
    EndRequest();
    if (ARequestResult.success) {
        // Every successful exchange counts, whether its answer can be read or not.
        m_state.setAICounter(m_state.AICounter() + 1);
    } else {
        dxStatusBar1->setPanelText(0, tagger::requestFailureText(ARequestResult.responseCode));
    }
}

void TfrmTaggerPro::CloudAI1Executed(const cloudai::Response* AResponse, int AHttpStatusCode,
                                     const QString& AHttpResult) {
    static_cast<void>(AHttpResult);
    FLastHttpStatusCode = AHttpStatusCode;
    ProgressBar1->hide();
    // The row waiting for this reply is released after every result, whatever it held.
    const auto releaseRow = errors::finally([this] { FCurrentBatchRowIndex = -1; });
    if (AHttpStatusCode != 200 || AResponse == nullptr) return;

    // The agency as it stands when the reply arrives.
    const bool getty = AgencyCombo->currentIndex() == kGettyAgency;
    try {
        if (const std::optional<reply::TagFields> fields =
                reply::ParseTaggingAnswer(AResponse->text())) {
            const BatchRow tags{{},
                                fields->title,
                                fields->description,
                                fields->keywords,
                                fields->adobeCategory,
                                fields->shutterCategory1,
                                fields->shutterCategory2};
            if (!FIsBatchProcessing) {
                const bool withCategories = !getty && CategoryCheck->isChecked();
                FillEditFields(
                    tags, withCategories ? std::optional(CategoryMatch::Containing) : std::nullopt);
                dxStatusBar1->setPanelText(0, QStringLiteral("Tagging Complete."));
            }
            // The category cells take the names as they came, unmatched against the boxes'
            // items; a row removed while its request ran is not written.
            FBatchRows->writeTags(FCurrentBatchRowIndex, tags, !getty);
        }
    } catch (const std::exception&) {
        // A reply that cannot be read fills what it could; nothing is reported.
    }
    deleteQuietly(TempFile);
}

void TfrmTaggerPro::CloudAI1RequestsComplete() {
    EnableRequestButtons(true);
}

void TfrmTaggerPro::SelectComboItemByText(TcxDropDownList* combo, const QString& value) {
    const reply::ComboChoice choice = reply::SelectComboItemByText(itemsOf(combo), value);
    // A name the agency does not list is shown, never listed: Adobe's upload file would
    // number it after the agency's own categories, and later prompts would offer it.
    combo->showChoice(choice.index, choice.unlisted ? value : QString());
}
