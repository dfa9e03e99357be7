// The tagger's editor column and category boxes: clearing them, the copy buttons, the rule
// that keeps the two Shutterstock categories apart and the preview's file-name label.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>

#include "platform/widgets/edits.h"
#include "platform/widgets/image.h"
#include "platform/widgets/statusbar.h"
#include "records/main_state.h"
#include "tagging/batch_row.h"
#include "tagging/frmtaggerpro.h"
#include "tagging/tagger_rules.h"

void TfrmTaggerPro::ClearInputFields() {
    // A hidden marquee no longer runs.
    if (m_session->busy()) m_session->setBusy(false);
    m_session->previewCleared();
    cxImage1->clear();
    lblFileName->clear();
    AdobeCategory->setCurrentIndex(-1);
    ShutterCategory1->setCurrentIndex(-1);
    ShutterCategory2->setCurrentIndex(-1);
    cxCheckEdit->clear();
    memKeywords->clear();
    memDescription->clear();
    edtTitle->clear();
    dxStatusBar1->setPanelText(0, QStringLiteral("Ready ..."));
    Label7->setText(QString::number(m_state.TitleMax()));
    Label12->setText(QString::number(m_state.DescriptionMax()));
    Label9->setText(QStringLiteral("0"));
    edtTitle->setFocus(Qt::OtherFocusReason);
}

void TfrmTaggerPro::ClearInputBtnClick() {
    ClearInputFields();
}

void TfrmTaggerPro::btnTitleCopyClick() {
    QApplication::clipboard()->setText(edtTitle->text());
}

void TfrmTaggerPro::btnDescriptionCopyClick() {
    QApplication::clipboard()->setText(memDescription->toPlainText());
}

void TfrmTaggerPro::btnKeywordsCopyClick() {
    QApplication::clipboard()->setText(memKeywords->toPlainText());
}

void TfrmTaggerPro::ShutterstockRule(QComboBox* changed, const QComboBox* other) {
    const int keep = tagger::shutterstockSelection(changed->currentIndex(), other->currentIndex(),
                                                   m_session->batchProcessing());
    if (keep != changed->currentIndex()) changed->setCurrentIndex(keep);
}

std::optional<QString> TfrmTaggerPro::SelectedCategory(const QComboBox* box) {
    // A name no item holds counts as set: the box shows it, and the row it came from has it.
    const QString shown = box->currentText();
    if (shown.isEmpty()) return std::nullopt;
    return shown;
}

void TfrmTaggerPro::FillEditFields(const BatchRow& tags, std::optional<CategoryMatch> categories) {
    // Placed whole, past the limits if need be; the counters show what is over.
    edtTitle->setText(tags.title);
    memDescription->setPlainText(tags.description);
    memKeywords->setPlainText(tags.keywords);
    if (!categories) return;
    ShowCategory(AdobeCategory, tags.adobeCategory, *categories);
    ShowCategory(ShutterCategory1, tags.shutterPrimary, *categories);
    ShowCategory(ShutterCategory2, tags.shutterSecondary, *categories);
}

void TfrmTaggerPro::ShowCategory(TcxDropDownList* box, const QString& name, CategoryMatch match) {
    if (match == CategoryMatch::Containing) {
        SelectComboItemByText(box, name);
        return;
    }
    // The item as the box spells it, else in any letter case; else the name itself.
    int item = box->findText(name, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (item < 0) item = box->findText(name, Qt::MatchFixedString);
    box->showChoice(item, name);
}

void TfrmTaggerPro::ShutterCategory1PropertiesChange() {
    ShutterstockRule(ShutterCategory1, ShutterCategory2);
}

void TfrmTaggerPro::ShutterCategory2PropertiesChange() {
    ShutterstockRule(ShutterCategory2, ShutterCategory1);
}

void TfrmTaggerPro::cxImage1PropertiesAssignPicture() {
    lblFileName->setText(cxImage1->picture().isNull() ? QString() : m_session->preparedFileName());
}
