// The tagger's upload image: "Open Image", and the preparation of a picture file as the JPEG
// that the preview shows and the AI service receives.
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>

#include "platform/dialogs/dialogs.h"
#include "platform/errors/errors.h"
#include "platform/image/image.h"
#include "platform/image/jpeg.h"
#include "platform/widgets/image.h"
#include "platform/widgets/statusbar.h"
#include "tagging/frmtaggerpro.h"
#include "tagging/upload_image.h"

namespace {

// The picture dialog of "Open Image": one file, the system's own title. Its first entry
// shows JPEG files only.
dialogs::FileRequest OpenPictureDialog1() {
    dialogs::FileRequest request;
    request.filter = QStringLiteral(
        "All (*.jpg;*.jpeg)|*.jpg;*.jpeg|JPEG Image File (*.jpeg)|*.jpeg|Portable Network "
        "Graphics (*.png)|*.png|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced Metafiles "
        "(*.emf)|*.emf|Metafiles (*.wmf)|*.wmf|TIFF Images (*.tif)|*.tif|TIFF Images "
        "(*.tiff)|*.tiff");
    request.multiSelect = false;
    request.mustExist = true;
    return request;
}

}  // namespace

void TfrmTaggerPro::cxButton4Click() {
    const std::optional<QString> fileName = dialogs::get().openFile(OpenPictureDialog1());
    if (!fileName) return;
    // A reply to a request for this picture belongs to the edit fields, not to a grid row.
    FCurrentBatchRowIndex = -1;
    ClearInputFields();
    LoadImageForTagging(*fileName);
}

void TfrmTaggerPro::LoadImageForTagging(const QString& FileName) {
    const QFileInfo file(FileName);
    if (FileName.isEmpty() || !file.exists() || file.isDir()) return;

    // The previous upload file goes first; when it cannot be deleted, the error leaves here
    // with the label, the preview and the fields as they were.
    if (!FActiveBatchFile.isEmpty()) tagging::deleteUploadImage(FActiveBatchFile);

    // The name is painted at once: it stays on the screen while the picture is prepared,
    // although emptying the preview empties the label's text until the picture is there.
    FCurrentFileNameOnly = file.fileName();
    lblFileName->setText(FCurrentFileNameOnly);
    lblFileName->repaint();
    cxImage1->clear();

    PrepareUploadImage(FileName, tagging::uploadSizeLimit(dsampleCombo->currentText()));

    FActiveBatchFile = tagging::uploadImagePath();
    const QByteArray jpeg = PreviewPictureData();
    if (jpeg.isEmpty()) return;  // not decoded: no upload file
    try {
        tagging::writeUploadImage(FActiveBatchFile, jpeg);
    } catch (const errors::Error& e) {
        dxStatusBar1->setPanelText(0, QStringLiteral("Disk Error: ") + e.message());
    }
}

void TfrmTaggerPro::PrepareUploadImage(const QString& FileName, int MaxSize) {
    // The preview is empty here, and stays so when the picture cannot be decoded or an
    // error follows the decoding.
    const std::optional<QByteArray> jpeg = tagging::prepareUploadImage(FileName, MaxSize);
    if (!jpeg) {
        dxStatusBar1->setPanelText(0, QStringLiteral("Skip: ") + QFileInfo(FileName).fileName());
        return;
    }
    const QImage picture = image::decodeJpeg(*jpeg);
    FPreviewJpeg = *jpeg;
    FPreviewKey = picture.cacheKey();
    cxImage1->setPicture(picture);
}

QByteArray TfrmTaggerPro::PreviewPictureData() const {
    const QImage& picture = cxImage1->picture();
    if (picture.isNull()) return {};
    if (picture.cacheKey() == FPreviewKey) return FPreviewJpeg;
    return image::jpeg::encode(picture, tagging::kUploadQuality);
}
