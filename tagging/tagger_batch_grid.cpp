// The batch grid: its columns and options, adding images, reviewing a row in the edit fields
// and writing the fields back, deleting and clearing rows, and the guards that keep the grid's
// rows in place while a request is in flight.
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>

#include "platform/dialogs/dialogs.h"
#include "platform/errors/errors.h"
#include "platform/image/image.h"
#include "platform/widgets/anchors.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/gridview.h"
#include "platform/widgets/image.h"
#include "platform/widgets/statusbar.h"
#include "tagging/batch_grid_model.h"
#include "tagging/batch_grid_view.h"
#include "tagging/frmtaggerpro.h"

namespace {

// The file dialog's list of every picture format the readers load: all of them, then each.
QString pictureFilter() {
    const QStringList suffixes = image::readableSuffixes();
    QStringList patterns;
    for (const QString& suffix : suffixes) patterns << QStringLiteral("*.") + suffix;
    QStringList filter{QStringLiteral("All pictures"), patterns.join(u';')};
    for (const QString& suffix : suffixes)
        filter << suffix.toUpper() + QStringLiteral(" image") << QStringLiteral("*.") + suffix;
    return filter.join(u'|');
}

}  // namespace

void TfrmTaggerPro::BuildBatchGrid() {
    // The rows belong to the window's session, so hiding and showing it keeps them.
    setUpBatchGridView(cxTableView1, &rows());
    cxTableView1->setContextMenuPolicy(Qt::CustomContextMenu);

    Copyrowdatatobatchsummary1 =
        named(PopupMenu1->addAction(QStringLiteral("Save row to batch summary")),
              "Copyrowdatatobatchsummary1");
    Populatebatchsummary1 =
        named(PopupMenu1->addAction(QStringLiteral("Save all rows to batch summary")),
              "Populatebatchsummary1");
    N1 = named(PopupMenu1->addSeparator(), "N1");
    Deleterowdata1 =
        named(PopupMenu1->addAction(QStringLiteral("Delete selected row")), "Deleterowdata1");
    N2 = named(PopupMenu1->addSeparator(), "N2");
    Cleartags1 = named(PopupMenu1->addAction(QStringLiteral("Clear tags")), "Cleartags1");
    Clearlist1 = named(PopupMenu1->addAction(QStringLiteral("Clear list")), "Clearlist1");
}

void TfrmTaggerPro::btnLoadImagesClick() {
    // One adding at a time: a second "Open Images" while rows arrive does nothing.
    if (m_session->addingImages()) return;
    dialogs::FileRequest OpenPictureDialog2;
    OpenPictureDialog2.title = QStringLiteral("Choose images");
    OpenPictureDialog2.filter = pictureFilter();
    OpenPictureDialog2.multiSelect = true;
    const QStringList files = dialogs::get().openFiles(OpenPictureDialog2);
    if (files.isEmpty()) return;
    m_session->addImages(files);
}

void TfrmTaggerPro::cxTableView1KeyPress(QChar& Key) {
    if (Key != QChar(u'\r')) return;
    // A cell being edited has an editor of its own, which takes Enter to post the edit; the
    // grid sees the key once no edit is open.
    const QModelIndex focused = cxTableView1->currentIndex();
    if (!focused.isValid()) return;
    Key = QChar();

    // While the row is loaded the fields are filled as during a batch (the Shutterstock rule
    // rests); a batch that runs meanwhile goes on as one.
    TaggingSession& session = *m_session;
    const bool batch = session.batchProcessing();
    session.setBatchProcessing(true);
    const auto restore = errors::finally([&session, batch] { session.setBatchProcessing(batch); });

    const BatchRow row = rows().texts(focused.row());
    if (QFileInfo(row.fileName).isFile()) {
        LoadImageForTagging(row.fileName);
    } else {
        // No image for this row: nothing of another row's image may stay in view, so that
        // "Update Batch File" never writes these fields into another row.
        session.forgetPreparedImage();
    }
    // The row's names as they stand, not searched for in the lists.
    FillEditFields(row, CategoryMatch::SameName);
}

void TfrmTaggerPro::cxTableView1KeyDown(int& Key) {
    // The grid's own row keys would remove or shift the row that the reply is for.
    if (m_session->requestInFlight() && (Key == Qt::Key_Delete || Key == Qt::Key_Insert)) Key = 0;
}

void TfrmTaggerPro::btnUpdateGirdRowClick() {
    const int row = rows().findFileName(lblFileName->text());
    if (row < 0) {
        dialogs::get().message(QStringLiteral("Edited image does not exist in the batch list!"),
                               dialogs::Place::ScreenCentre);
        return;
    }
    cxTableView1->focusRow(row);
    BatchRow tags;
    tags.title = edtTitle->text();
    tags.description = memDescription->toPlainText();
    tags.keywords = memKeywords->toPlainText();
    // The names the boxes show, listed or not; an empty box gives the empty text.
    tags.adobeCategory = AdobeCategory->currentText();
    tags.shutterPrimary = ShutterCategory1->currentText();
    tags.shutterSecondary = ShutterCategory2->currentText();
    // In the "Getty Images" mode the category cells keep their values.
    rows().writeTags(row, tags, AgencyCombo->currentIndex() != 1);
}

void TfrmTaggerPro::Deleterowdata1Click() {
    // The menu may have opened before the request started; the row a reply is awaited for
    // stays where it is.
    if (m_session->requestInFlight()) return;
    const int row = cxTableView1->focusedSelectedRow();
    if (row < 0) {
        dialogs::get().message(QStringLiteral("No selected record in list."),
                               dialogs::Place::ScreenCentre);
        return;
    }
    rows().removeRow(row);
}

void TfrmTaggerPro::Clearlist1Click() {
    if (dialogs::get().confirm(QStringLiteral("Are you sure you want to clear ALL images?"),
                               dialogs::Icon::Question,
                               dialogs::Place::ScreenCentre) == dialogs::Answer::Yes) {
        // Rows still arriving from an "Open Images" stop coming.
        m_session->stopAddingImages();
        rows().clear();
    }
}

void TfrmTaggerPro::btnClearListClick() {
    if (dialogs::get().confirm(
            QStringLiteral("Do you really want to delete all rows in batch list?"),
            dialogs::Icon::Question, dialogs::Place::ScreenCentre) == dialogs::Answer::Yes) {
        // Rows still arriving from an "Open Images" stop coming.
        m_session->stopAddingImages();
        rows().clear();
    }
}

void TfrmTaggerPro::Cleartags1Click() {
    if (dialogs::get().confirm(
            QStringLiteral("Are you sure you want to clear all metadata tags for this batch?"),
            dialogs::Icon::Question, dialogs::Place::ScreenCentre) == dialogs::Answer::Yes)
        rows().clearTags();
}

void TfrmTaggerPro::PopupMenu1Popup(bool& Allow) {
    if (rows().rowCount() == 0 || m_session->requestInFlight()) Allow = false;
}

void TfrmTaggerPro::FocusGridRow(int row) {
    cxTableView1->focusRow(row);
}

void TfrmTaggerPro::ShowGridMenu(const QPoint& position) {
    bool allow = true;
    PopupMenu1Popup(allow);
    if (allow) PopupMenu1->popup(cxTableView1->viewport()->mapToGlobal(position));
}
