// Batch tagging: every grid row that still lacks keywords is tagged, one request after the
// other, while the window keeps handling the user's commands; and a double-click tags a single
// row again.
//
// The batch waits for each reply on the user-interface thread, running the window's events, so
// any command may run in between. Whatever it does, a reply is only ever written into the row
// whose picture the request carried: the rows and the preview are checked again after every
// pass of events that lies between preparing a row and sending it.
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QPersistentModelIndex>
#include <QPushButton>
#include <QTimer>

#include "platform/cloudai/cloudai.h"
#include "platform/errors/errors.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/gridview.h"
#include "platform/widgets/image.h"
#include "platform/widgets/statusbar.h"
#include "tagging/batch_grid_model.h"
#include "tagging/frmtaggerpro.h"
#include "tagging/tagger_rules.h"

namespace {

constexpr int kWaitStepMs = 10;
constexpr int kTooManyRequests = 429;

// Runs the events of the user-interface thread for one wait step. Returns false when the
// program's event loops are being left (the main window has closed): a wait must not keep
// the program from ending.
bool waitStep() {
    constexpr int kStepOver = 0x5ba7;  // no other exit of an event loop uses this code
    QEventLoop loop;
    QTimer step;
    step.setSingleShot(true);
    QObject::connect(&step, &QTimer::timeout, &loop, [&loop] { loop.exit(kStepOver); });
    step.start(kWaitStepMs);
    return loop.exec() == kStepOver;
}

bool hasImageFile(const QString& fileName) {
    return !fileName.isEmpty() && QFileInfo(fileName).isFile();
}

}  // namespace

struct TfrmTaggerPro::PreparedRow {
    int index = -1;
    QPersistentModelIndex row;
    QString fileName;
    qint64 picture = 0;  // the preview's picture afterwards; 0 for none
};

void TfrmTaggerPro::btnBatchTaggingClick() {
    ClearTagFields();
    if (FBatchRunning) {
        // "Cancel": the batch's loop, further down this call stack, sees the flag at its next
        // test and ends without waiting for the reply in flight.
        FStopBatch = true;
        btnBatchTagging->setEnabled(false);
        dxStatusBar1->setPanelText(
            0, QStringLiteral("Stopping... Waiting for current request to finish."));
        return;
    }

    const int rowCount = FBatchRows->rowCount();
    if (rowCount == 0) return;
    int emptyRows = 0;
    for (int j = 0; j < rowCount; ++j)
        if (FBatchRows->lacksKeywords(j)) ++emptyRows;
    if (emptyRows == 0) {
        dxStatusBar1->setPanelText(0, QStringLiteral("No empty rows found."));
        return;
    }

    FIsBatchProcessing = true;
    FBatchRunning = true;
    FStopBatch = false;
    int done = 0;
    int lastReplyStatus = 0;
    btnBatchTagging->setText(QStringLiteral("Cancel"));
    btnLoadImages->setEnabled(false);
    cxButton4->setEnabled(false);
    cxButton5->setEnabled(false);
    CloudAI1->setTemperature(Temperature->value());
    // Also when an error leaves the loop; the error then goes on to the default handler.
    const auto end = errors::finally([this, &lastReplyStatus] { EndBatch(lastReplyStatus); });

    for (int j = 0; j < rowCount; ++j) {
        QApplication::processEvents();
        if (FStopBatch) break;
        // Rows removed meanwhile: the batch ends where the grid ends now.
        if (!FBatchRows->hasRow(j)) break;
        if (!FBatchRows->lacksKeywords(j)) continue;

        ++done;
        FBatchProgressStr = QStringLiteral("Processing %1 of %2...").arg(done).arg(emptyRows);
        dxStatusBar1->setPanelText(0, FBatchProgressStr);
        // A request of an earlier command still under way (the late reply of a stopped batch)
        // is over first, so that its reply never lands in this row.
        WaitWhile([this] { return RequestInFlight(); });
        if (FStopBatch) break;

        PreparedRow prepared = PrepareRow(j);
        QApplication::processEvents();
        if (FStopBatch) break;
        if (!StillPrepared(prepared)) {
            // A command run just now moved the rows or showed another picture: the row now at
            // this place is prepared afresh, without letting events in again.
            if (!FBatchRows->hasRow(j)) break;
            if (!FBatchRows->lacksKeywords(j)) {
                FCurrentBatchRowIndex = -1;
                continue;
            }
            prepared = PrepareRow(j);
        }
        // A row without its file, or whose picture could not be prepared, gets no request.
        if (!hasImageFile(prepared.fileName) || cxImage1->picture().isNull()) {
            FCurrentBatchRowIndex = -1;
            continue;
        }

        cxButton5Click();
        WaitWhile([this] { return FCurrentBatchRowIndex != -1; });
        if (FCurrentBatchRowIndex == -1) lastReplyStatus = FLastHttpStatusCode;
    }
}

void TfrmTaggerPro::EndBatch(int lastReplyStatus) {
    FIsBatchProcessing = false;
    FBatchRunning = false;
    btnBatchTagging->setText(QStringLiteral("Batch Tagging"));
    btnBatchTagging->setEnabled(true);
    btnLoadImages->setEnabled(true);
    cxButton4->setEnabled(true);
    cxButton5->setEnabled(true);
    btnCreateCSV->setEnabled(true);
    if (FStopBatch)
        dxStatusBar1->setPanelText(0, QStringLiteral("Batch tagging stopped by user."));
    else if (lastReplyStatus == kTooManyRequests)
        // The service's limit stays in view, also when rows without a file came after it.
        dxStatusBar1->setPanelText(0, tagger::requestFailureText(kTooManyRequests));
    else
        dxStatusBar1->setPanelText(0, QStringLiteral("Ready..."));
    FCurrentBatchRowIndex = -1;
}

TfrmTaggerPro::PreparedRow TfrmTaggerPro::PrepareRow(int row) {
    cxTableView1->focusRow(row);
    FCurrentBatchRowIndex = row;
    PreparedRow prepared;
    prepared.index = row;
    prepared.row = QPersistentModelIndex(FBatchRows->index(row, 0));
    prepared.fileName = FBatchRows->texts(row).fileName;
    LoadImageForTagging(prepared.fileName);
    prepared.picture = cxImage1->picture().cacheKey();
    return prepared;
}

bool TfrmTaggerPro::StillPrepared(const PreparedRow& prepared) const {
    return prepared.row.isValid() && prepared.row.row() == prepared.index &&
           FCurrentBatchRowIndex == prepared.index &&
           FBatchRows->texts(prepared.index).fileName == prepared.fileName &&
           cxImage1->picture().cacheKey() == prepared.picture;
}

void TfrmTaggerPro::WaitWhile(const std::function<bool()>& waiting) {
    while (waiting() && !FStopBatch)
        if (!waitStep()) FStopBatch = true;
}

void TfrmTaggerPro::cxTableView1CellDblClick(int row, bool& AHandled) {
    // A running batch owns the row a reply fills, also between two of its requests.
    if (RequestInFlight() || FBatchRunning) return;
    ClearTagFields();
    AHandled = true;
    if (!FBatchRows->hasRow(row)) return;
    const BatchRow texts = FBatchRows->texts(row);
    if (!hasImageFile(texts.fileName)) return;

    // Outside a batch the Shutterstock rule applies to this choice.
    FillEditFields(texts, CategoryMatch::Containing);

    FIsBatchProcessing = false;
    const PreparedRow prepared = PrepareRow(row);
    // When no request comes of it (a picture that could not be prepared, a request that
    // could not start), no row is left waiting for a reply that a later request would bring.
    const auto release = errors::finally([this, row] {
        if (!RequestInFlight() && FCurrentBatchRowIndex == row) FCurrentBatchRowIndex = -1;
    });
    QApplication::processEvents();
    if (!StillPrepared(prepared)) {
        // Another command moved the rows or showed another picture meanwhile.
        if (FCurrentBatchRowIndex == row) FCurrentBatchRowIndex = -1;
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
