// The tagger's run state: the request cycle with the AI service, the upload image, and the
// batch that tags the grid's rows.
//
// The batch waits for each reply on the user-interface thread, running the window's events, so
// any command may run in between. Whatever it does, a reply is only ever written into the row
// whose picture the request carried: the rows and the prepared picture are checked again
// after every pass of events that lies between preparing a row and sending it.
#include "tagging/tagging_session.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QTimer>

#include "platform/cloudai/cloudai.h"
#include "platform/errors/errors.h"
#include "platform/image/image.h"
#include "records/main_state.h"
#include "tagging/batch_grid_model.h"
#include "tagging/reply_parsing.h"
#include "tagging/tagger_rules.h"
#include "tagging/upload_image.h"

namespace {

constexpr int kWaitStepMs = 10;
constexpr int kTooManyRequests = 429;

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

TaggingSession::TaggingSession(Controls& controls, MainState& state, QObject* parent)
    : QObject(parent), m_controls(controls), m_state(state) {
    m_cloud = new cloudai::CloudAI(this);
    m_rows = new BatchGridModel(this);
    // The owner connects the component's three events to requestComplete, executed and
    // requestsComplete, under its guard (the window through CloudAI1RequestComplete,
    // CloudAI1Executed and CloudAI1RequestsComplete).
}

TaggingSession::~TaggingSession() = default;

// ---- Adding images ----

void TaggingSession::addImages(const QStringList& files) {
    constexpr int kThumbnailSize = 128;
    if (m_addingImages) return;
    m_addingImages = true;
    m_stopAdding = false;
    const auto over = errors::finally([this] { m_addingImages = false; });
    addImageRowsWhile(
        *m_rows, files, kThumbnailSize,
        [this](int done, int count) {
            emit statusText(
                QStringLiteral("Adding images in process (%1 of %2)").arg(done).arg(count));
            // The grid and the status line repaint between files.
            QCoreApplication::processEvents();
        },
        [this] { return !m_stopAdding; });
    emit statusText(QStringLiteral("Ready ..."));
}

// ---- The upload image ----

void TaggingSession::prepareImage(const QString& fileName) {
    const QFileInfo file(fileName);
    if (fileName.isEmpty() || !file.exists() || file.isDir()) return;

    // The previous upload file goes first; when it cannot be deleted, the error leaves here
    // with the name, the preview and the fields as they were.
    if (!FActiveBatchFile.isEmpty()) tagging::deleteUploadImage(FActiveBatchFile);

    // The name is painted at once: it stays on the screen while the picture is prepared.
    FCurrentFileNameOnly = file.fileName();
    emit nameShown(FCurrentFileNameOnly);
    ++m_preparation;
    m_preparedJpeg.clear();
    emit previewShown(QImage());

    // The preview stays empty when the picture cannot be decoded, or an error follows the
    // decoding.
    const std::optional<QByteArray> jpeg =
        tagging::prepareUploadImage(fileName, m_controls.uploadSizeLimit());
    if (jpeg) {
        const QImage picture = image::decodeJpeg(*jpeg);
        m_preparedJpeg = *jpeg;
        emit previewShown(picture);
    } else {
        emit statusText(QStringLiteral("Skip: ") + file.fileName());
    }

    FActiveBatchFile = tagging::uploadImagePath();
    if (m_preparedJpeg.isEmpty()) return;  // not decoded: no upload file
    try {
        tagging::writeUploadImage(FActiveBatchFile, m_preparedJpeg);
    } catch (const errors::Error& e) {
        emit statusText(QStringLiteral("Disk Error: ") + e.message());
    }
}

void TaggingSession::previewCleared() {
    ++m_preparation;
    m_preparedJpeg.clear();
}

void TaggingSession::forgetPreparedImage() {
    previewCleared();
    FCurrentFileNameOnly.clear();
    emit previewShown(QImage());
    emit nameShown(QString());
}

void TaggingSession::deleteUploadImage() {
    tagging::deleteUploadImage(FActiveBatchFile);
}

// ---- The request cycle ----

bool TaggingSession::requestInFlight() const {
    // The busy indicator, and the component's own count: "Clear input fields" switches the
    // indicator off while a reply may still come for a grid row.
    return m_busy || m_cloud->pendingRequests() > 0;
}

void TaggingSession::setBusy(bool busy) {
    m_busy = busy;
    emit busyChanged(busy);
}

void TaggingSession::startRequest() {
    // From here on, a request that cannot start leaves the session idle at once; the error
    // goes on to the caller (the default exception handler, or the batch).
    const auto idleAgain = errors::onError([this] { endRequest(); });
    emit requestButtonsEnabled(false);
    m_cloud->setTemperature(m_controls.temperature());
    const QString upload = chooseUploadFile();

    if (FIsBatchProcessing)
        emit statusText(FBatchProgressStr);
    else if (!FCurrentFileNameOnly.isEmpty())
        emit statusText(QStringLiteral("Analyzing: ") + FCurrentFileNameOnly +
                        QStringLiteral("..."));
    else
        emit statusText(QStringLiteral("Analyzing image..."));
    setBusy(true);

    m_cloud->clearFiles();
    m_cloud->clearContext();
    m_cloud->addFile(upload, cloudai::FileType::Image);
    m_cloud->setContextText(m_controls.prompt());
    m_cloud->execute();
}

QString TaggingSession::chooseUploadFile() {
    if (!FActiveBatchFile.isEmpty()) return FActiveBatchFile;
    // A picture given to the preview before any image was prepared in this run; the copy
    // goes beside the upload image, into the user's own folder.
    TempFile = QDir(tagging::temporaryFolder()).filePath(tagCacheName());
    tagging::writeUploadImage(TempFile, m_controls.previewPicture());
    return TempFile;
}

void TaggingSession::endRequest() {
    deleteQuietly(TempFile);
    emit statusText(QStringLiteral("Ready ..."));
    setBusy(false);
    emit requestButtonsEnabled(true);
}

void TaggingSession::requestComplete(const cloudai::RequestResult& result) {
    endRequest();
    if (result.success) {
        // Every successful exchange counts, whether its answer can be read or not.
        m_state.setAICounter(m_state.AICounter() + 1);
    } else {
        emit statusText(tagger::requestFailureText(result.responseCode));
    }
}

void TaggingSession::executed(const cloudai::Response* response, int httpStatus,
                              const QString& httpResult) {
    static_cast<void>(httpResult);
    FLastHttpStatusCode = httpStatus;
    setBusy(false);
    // The row waiting for this reply is released after every result, whatever it held.
    const auto releaseAfter = errors::finally([this] { FCurrentBatchRowIndex = -1; });
    if (httpStatus != 200 || response == nullptr) return;

    // The agency as it stands when the reply arrives.
    const bool getty = m_controls.gettyAgency();
    try {
        if (const std::optional<reply::TagFields> fields =
                reply::ParseTaggingAnswer(response->text())) {
            const BatchRow tags{{},
                                fields->title,
                                fields->description,
                                fields->keywords,
                                fields->adobeCategory,
                                fields->shutterCategory1,
                                fields->shutterCategory2};
            if (!FIsBatchProcessing) {
                emit fieldsProposed(tags, !getty && m_controls.detectCategories());
                emit statusText(QStringLiteral("Tagging Complete."));
            }
            // The category cells take the names as they came, unmatched against the boxes'
            // items; a row removed while its request ran is not written.
            m_rows->writeTags(FCurrentBatchRowIndex, tags, !getty);
        }
    } catch (const std::exception&) {
        // A reply that cannot be read fills what it could; nothing is reported.
    }
    deleteQuietly(TempFile);
}

void TaggingSession::requestsComplete() {
    emit requestButtonsEnabled(true);
}

// ---- The batch ----

void TaggingSession::batchTaggingClicked() {
    if (FBatchRunning) {
        // "Cancel": the batch's loop, further down this call stack, sees the flag at its next
        // test and ends without waiting for the reply in flight.
        FStopBatch = true;
        emit batchStopping();
        emit statusText(QStringLiteral("Stopping... Waiting for current request to finish."));
        return;
    }

    const int rowCount = m_rows->rowCount();
    if (rowCount == 0) return;
    int emptyRows = 0;
    for (int j = 0; j < rowCount; ++j)
        if (m_rows->lacksKeywords(j)) ++emptyRows;
    if (emptyRows == 0) {
        emit statusText(QStringLiteral("No empty rows found."));
        return;
    }
    runBatch(emptyRows);
}

void TaggingSession::runBatch(int emptyRows) {
    const int rowCount = m_rows->rowCount();
    FIsBatchProcessing = true;
    FBatchRunning = true;
    FStopBatch = false;
    int done = 0;
    int lastReplyStatus = 0;
    emit batchStarted();
    m_cloud->setTemperature(m_controls.temperature());
    // Also when an error leaves the loop; the error then goes on to the default handler.
    const auto end = errors::finally([this, &lastReplyStatus] { endBatch(lastReplyStatus); });

    for (int j = 0; j < rowCount; ++j) {
        QCoreApplication::processEvents();
        if (FStopBatch) break;
        // Rows removed meanwhile: the batch ends where the grid ends now.
        if (!m_rows->hasRow(j)) break;
        if (!m_rows->lacksKeywords(j)) continue;

        ++done;
        FBatchProgressStr = QStringLiteral("Processing %1 of %2...").arg(done).arg(emptyRows);
        emit statusText(FBatchProgressStr);
        // A request of an earlier command still under way (the late reply of a stopped batch)
        // is over first, so that its reply never lands in this row.
        waitWhile([this] { return requestInFlight(); });
        if (FStopBatch) break;

        PreparedRow prepared = prepareRow(j);
        QCoreApplication::processEvents();
        if (FStopBatch) break;
        if (!stillPrepared(prepared)) {
            // A command run just now moved the rows or prepared another picture: the row now
            // at this place is prepared afresh, without letting events in again.
            if (!m_rows->hasRow(j)) break;
            if (!m_rows->lacksKeywords(j)) {
                FCurrentBatchRowIndex = -1;
                continue;
            }
            prepared = prepareRow(j);
        }
        // A row without its file, or whose picture could not be prepared, gets no request.
        if (!hasImageFile(prepared.fileName) || !hasPreparedPicture()) {
            FCurrentBatchRowIndex = -1;
            continue;
        }

        startRequest();
        waitWhile([this] { return FCurrentBatchRowIndex != -1; });
        if (FCurrentBatchRowIndex == -1) lastReplyStatus = FLastHttpStatusCode;
    }
}

void TaggingSession::endBatch(int lastReplyStatus) {
    FIsBatchProcessing = false;
    FBatchRunning = false;
    emit batchEnded();
    if (FStopBatch)
        emit statusText(QStringLiteral("Batch tagging stopped by user."));
    else if (lastReplyStatus == kTooManyRequests)
        // The service's limit stays in view, also when rows without a file came after it.
        emit statusText(tagger::requestFailureText(kTooManyRequests));
    else
        emit statusText(QStringLiteral("Ready..."));
    FCurrentBatchRowIndex = -1;
}

void TaggingSession::stopBatch() {
    if (FBatchRunning) FStopBatch = true;
}

void TaggingSession::waitWhile(const std::function<bool()>& waiting) {
    while (waiting() && !FStopBatch)
        if (!waitStep()) FStopBatch = true;
}

// ---- The row a reply fills ----

TaggingSession::PreparedRow TaggingSession::prepareRow(int row) {
    emit rowFocused(row);
    FCurrentBatchRowIndex = row;
    PreparedRow prepared;
    prepared.index = row;
    prepared.row = QPersistentModelIndex(m_rows->index(row, 0));
    prepared.fileName = m_rows->texts(row).fileName;
    prepareImage(prepared.fileName);
    prepared.preparation = m_preparation;
    return prepared;
}

bool TaggingSession::stillPrepared(const PreparedRow& prepared) const {
    return prepared.row.isValid() && prepared.row.row() == prepared.index &&
           FCurrentBatchRowIndex == prepared.index &&
           m_rows->texts(prepared.index).fileName == prepared.fileName &&
           m_preparation == prepared.preparation;
}
