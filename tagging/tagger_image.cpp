// Preparing one picture file for tagging: the file-name label, the preview and the upload
// file, in the order tagging/upload_image.h gives.
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>

#include "platform/image/image.h"
#include "platform/widgets/image.h"
#include "platform/widgets/statusbar.h"
#include "tagging/frmtaggerpro.h"
#include "tagging/upload_image.h"

void TfrmTaggerPro::LoadImageForTagging(const QString& FileName) {
    if (!QFileInfo::exists(FileName)) return;
    if (!FActiveBatchFile.isEmpty()) tagging::deleteUploadImage(FActiveBatchFile);
    FCurrentFileNameOnly = QFileInfo(FileName).fileName();
    lblFileName->setText(FCurrentFileNameOnly);
    lblFileName->repaint();
    cxImage1->clear();

    const std::optional<QByteArray> jpeg = tagging::prepareUploadImage(
        FileName, tagging::uploadSizeLimit(dsampleCombo->currentText()));
    if (jpeg)
        cxImage1->setPicture(image::decodeJpeg(*jpeg));
    else
        dxStatusBar1->setPanelText(0, QStringLiteral("Skip: ") + FCurrentFileNameOnly);
    FActiveBatchFile = tagging::uploadImagePath();
    if (!jpeg) return;
    try {
        tagging::writeUploadImage(FActiveBatchFile, *jpeg);
    } catch (const errors::Error& e) {
        dxStatusBar1->setPanelText(0, QStringLiteral("Disk Error: ") + e.message());
    }
}
