// Batch tagging: every grid row that still lacks keywords is tagged, one request after the
// other, while the window keeps handling the user's commands (the session runs the batch);
// and a double-click tags a single row again.
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QPushButton>

#include "platform/errors/errors.h"
#include "platform/widgets/edits.h"
#include "tagging/batch_grid_model.h"
#include "tagging/frmtaggerpro.h"

void TfrmTaggerPro::btnBatchTaggingClick() {
    ClearTagFields();
    m_session->batchTaggingClicked();
}

void TfrmTaggerPro::ShowBatchStarted() {
    btnBatchTagging->setText(QStringLiteral("Cancel"));
    btnLoadImages->setEnabled(false);
    cxButton4->setEnabled(false);
    cxButton5->setEnabled(false);
}

void TfrmTaggerPro::ShowBatchStopping() {
    btnBatchTagging->setEnabled(false);
}

void TfrmTaggerPro::ShowBatchEnded() {
    btnBatchTagging->setText(QStringLiteral("Batch Tagging"));
    // The batch no longer runs: every request button comes back, "Batch Tagging" included.
    EnableRequestButtons(true);
}

void TfrmTaggerPro::cxTableView1CellDblClick(int row, bool& AHandled) {
    TaggingSession& session = *m_session;
    // A running batch owns the row a reply fills, also between two of its requests.
    if (session.requestInFlight() || session.batchRunning()) return;
    ClearTagFields();
    AHandled = true;
    if (!rows().hasRow(row)) return;
    const BatchRow texts = rows().texts(row);
    if (texts.fileName.isEmpty() || !QFileInfo(texts.fileName).isFile()) return;

    // Outside a batch the Shutterstock rule applies to this choice.
    FillEditFields(texts, CategoryMatch::Containing);

    session.setBatchProcessing(false);
    const TaggingSession::PreparedRow prepared = session.prepareRow(row);
    // When no request comes of it (a picture that could not be prepared, a request that
    // could not start), no row is left waiting for a reply that a later request would bring.
    const auto release = errors::finally([&session, row] {
        if (!session.requestInFlight() && session.rowAwaitingReply() == row) session.releaseRow();
    });
    QApplication::processEvents();
    if (!session.stillPrepared(prepared)) {
        // Another command moved the rows or prepared another picture meanwhile.
        if (session.rowAwaitingReply() == row) session.releaseRow();
        return;
    }
    // Refused silently when a request was started just now: it carries this row's picture.
    cxButton5Click();
}

void TfrmTaggerPro::ClearTagFields() {
    edtTitle->clear();
    memDescription->clear();
    memKeywords->clear();
    AdobeCategory->setCurrentIndex(-1);
    ShutterCategory1->setCurrentIndex(-1);
    ShutterCategory2->setCurrentIndex(-1);
}
