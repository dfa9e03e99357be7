// The tagger's upload image: "Open Image", and the preparation of a picture file as the JPEG
// that the preview shows and the AI service receives.

#include "platform/dialogs/dialogs.h"
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
    m_session->releaseRow();
    ClearInputFields();
    LoadImageForTagging(*fileName);
}

void TfrmTaggerPro::LoadImageForTagging(const QString& FileName) {
    m_session->prepareImage(FileName);
}

void TfrmTaggerPro::ShowPreparedName(const QString& fileNameOnly) {
    // Painted at once: the name stays on the screen while the picture is prepared, although
    // emptying the preview empties the label's text until the picture is there.
    lblFileName->setText(fileNameOnly);
    lblFileName->repaint();
}

void TfrmTaggerPro::ShowPreview(const QImage& picture) {
    FPreviewKey = picture.cacheKey();
    cxImage1->setPicture(picture);
}

QByteArray TfrmTaggerPro::PreviewPictureData() const {
    const QImage& picture = cxImage1->picture();
    if (picture.isNull()) return {};
    if (picture.cacheKey() == FPreviewKey) return m_session->preparedJpeg();
    return image::jpeg::encode(picture, tagging::kUploadQuality);
}
