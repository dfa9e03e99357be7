// The tagger's editor column and category boxes: clearing them, the copy buttons, the rule
// that keeps the two Shutterstock categories apart and the preview's file-name label.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>

#include "app/form1.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/image.h"
#include "platform/widgets/statusbar.h"
#include "tagging/frmtaggerpro.h"
#include "tagging/tagger_rules.h"

void TfrmTaggerPro::ClearInputFields() {
    // A hidden marquee no longer runs.
    if (!ProgressBar1->isHidden()) ProgressBar1->hide();
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
    Label7->setText(QString::number(Form1->TitleMax));
    Label12->setText(QString::number(Form1->DescriptionMax));
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
                                                   FIsBatchProcessing);
    if (keep != changed->currentIndex()) changed->setCurrentIndex(keep);
}

std::optional<QString> TfrmTaggerPro::SelectedCategory(const QComboBox* box) {
    if (box->currentIndex() < 0) return std::nullopt;
    return box->currentText();
}

void TfrmTaggerPro::ShutterCategory1PropertiesChange() {
    ShutterstockRule(ShutterCategory1, ShutterCategory2);
}

void TfrmTaggerPro::ShutterCategory2PropertiesChange() {
    ShutterstockRule(ShutterCategory2, ShutterCategory1);
}

void TfrmTaggerPro::cxImage1PropertiesAssignPicture() {
    lblFileName->setText(cxImage1->picture().isNull() ? QString() : FCurrentFileNameOnly);
}
