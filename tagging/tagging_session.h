#pragma once

#include <QByteArray>
#include <QObject>
#include <QPersistentModelIndex>
#include <QString>
#include <functional>

#include "tagging/batch_row.h"

class BatchGridModel;
class MainState;
class QImage;

namespace cloudai {
class CloudAI;
struct RequestResult;
struct Response;
}  // namespace cloudai

// The AI tagger's run state, apart from its window: the cloud-AI component and the request in
// flight, the upload image prepared for it, the batch grid's rows and the batch that tags them
// one request after the other. Everything runs on the user-interface thread. What the window
// shows of it comes as signals; what the session needs of the window's controls when a
// request starts comes through Controls.
class TaggingSession : public QObject {
    Q_OBJECT
public:
    // The window's controls as a request reads them, at the moment it starts.
    class Controls {
    public:
        // The prompt for the agency chosen now, built from the prompt settings.
        virtual QString prompt() const = 0;
        // The "Creativity" value.
        virtual double temperature() const = 0;
        // The size limit of the upload image ("Resize (px)").
        virtual int uploadSizeLimit() const = 0;
        // The agency is "Getty Images": a reply fills no categories.
        virtual bool gettyAgency() const = 0;
        // "Detect categories" is on.
        virtual bool detectCategories() const = 0;
        // The picture the preview shows as a JPEG file's bytes; empty without one.
        virtual QByteArray previewPicture() const = 0;

    protected:
        ~Controls() = default;
    };

    // A grid row made ready for its request: the row itself, its file and the preparation of
    // the upload image made for it.
    struct PreparedRow {
        int index = -1;
        QPersistentModelIndex row;
        QString fileName;
        quint64 preparation = 0;
    };

    // The owner connects the cloud component's three events to requestComplete, executed and
    // requestsComplete, each under its guard.
    TaggingSession(Controls& controls, MainState& state, QObject* parent = nullptr);
    ~TaggingSession() override;

    cloudai::CloudAI* cloud() const { return m_cloud; }
    // The batch grid's rows; they live as long as the session.
    BatchGridModel& rows() const { return *m_rows; }

    // ---- Adding images ----
    // "Open Images": one row per picture file at the end of the grid, in the order given, with
    // its thumbnail (made on every core ahead of the rows) and "Adding images in process (%d
    // of %d)" after each; then "Ready ...". The window's events run meanwhile. A file that
    // cannot be decoded ends the adding at its row, which stays without image and file name;
    // its error goes on to the caller. Refused while an adding runs.
    void addImages(const QStringList& files);
    bool addingImages() const { return m_addingImages; }
    // An adding under way stops before its next row ("Clear List", the window closing).
    void stopAddingImages() { m_stopAdding = true; }

    // ---- The upload image ----
    // Prepares one picture file for tagging: its name (nameShown), the preview (previewShown)
    // and the upload file "AI_Input_Upload.jpg". A file that does not exist changes nothing;
    // one that cannot be decoded leaves the preview empty, with "Skip: " and its name in the
    // status line. An error deleting the previous upload file goes on to the caller.
    void prepareImage(const QString& fileName);
    // The preview no longer shows the prepared picture (it was emptied).
    void previewCleared();
    // No picture is prepared and none is shown: the name too is gone.
    void forgetPreparedImage();
    // The file name, without folder, of the picture prepared last.
    const QString& preparedFileName() const { return FCurrentFileNameOnly; }
    // The prepared picture's JPEG bytes while the preview shows it; empty otherwise.
    const QByteArray& preparedJpeg() const { return m_preparedJpeg; }
    // The upload file's path once a picture was prepared in this run; empty before.
    const QString& uploadFile() const { return FActiveBatchFile; }
    // The copy of the preview's picture made for a request when none was prepared.
    const QString& temporaryCopy() const { return TempFile; }
    // The upload file is deleted (the window closes); the path stays.
    void deleteUploadImage();

    // ---- The request cycle ----
    // A request is in flight: the busy indicator is on, or the component still has one.
    bool requestInFlight() const;
    // The busy indicator; "Clear input fields" and the window's showing switch it off.
    bool busy() const { return m_busy; }
    void setBusy(bool busy);
    // Starts one request for the picture prepared (or the preview's, copied): the buttons
    // are disabled, the status line says what is analysed, the indicator goes on. When it
    // cannot start, the session is idle again and the error goes on to the caller.
    void startRequest();
    int lastHttpStatusCode() const { return FLastHttpStatusCode; }

    // The component's three events.
    void requestComplete(const cloudai::RequestResult& result);
    void executed(const cloudai::Response* response, int httpStatus, const QString& httpResult);
    void requestsComplete();

    // ---- The batch ----
    // "Batch Tagging": every row that still lacks keywords is tagged, one request after the
    // other, while the events of the window go on; pressed while a batch runs ("Cancel") it
    // stops the batch at its next test, without waiting for the reply in flight.
    void batchTaggingClicked();
    // The batch's loop is running.
    bool batchRunning() const { return FBatchRunning; }
    // A batch runs, or a row is loaded into the fields: a reply then fills only its row, and
    // the Shutterstock rule rests.
    bool batchProcessing() const { return FIsBatchProcessing; }
    void setBatchProcessing(bool processing) { FIsBatchProcessing = processing; }
    // The batch's progress text of the row being tagged.
    const QString& batchProgress() const { return FBatchProgressStr; }
    void setBatchProgress(const QString& text) { FBatchProgressStr = text; }
    // A running batch ends at its next test (the window closes, the program ends).
    void stopBatch();

    // ---- The row a reply fills ----
    // The row the running request is for; -1 when no row waits for a reply.
    int rowAwaitingReply() const { return FCurrentBatchRowIndex; }
    // The next reply fills this row (and, outside a batch, the edit fields).
    void awaitReplyFor(int row) { FCurrentBatchRowIndex = row; }
    // No row waits for a reply: the next reply fills the edit fields only.
    void releaseRow() { FCurrentBatchRowIndex = -1; }
    // Focuses the row (rowFocused), makes it the row a reply fills and prepares its image.
    PreparedRow prepareRow(int row);
    // Nothing run since prepareRow moved the row, gave it another file, prepared another
    // picture, emptied the preview or released the row.
    bool stillPrepared(const PreparedRow& prepared) const;
    // The picture prepared for the row is in the preview, ready to be sent.
    bool hasPreparedPicture() const { return !m_preparedJpeg.isEmpty(); }

signals:
    // The busy indicator goes on or off.
    void busyChanged(bool busy);
    // The status line's text.
    void statusText(const QString& text);
    // The name of the picture being prepared, to be painted at once.
    void nameShown(const QString& fileNameOnly);
    // The preview's picture: a null image empties it.
    void previewShown(const QImage& picture);
    // A reply outside a batch proposes these texts for the edit fields; the category boxes
    // take theirs only when withCategories.
    void fieldsProposed(const BatchRow& tags, bool withCategories);
    // "Open Image", "AI Tagging", "Open Images", "Create CSV files" and "Batch Tagging" are
    // enabled or disabled around a request (the window's rule, which a running batch holds).
    void requestButtonsEnabled(bool enabled);
    // The grid's focus moves to the row.
    void rowFocused(int row);
    // A batch started: "Batch Tagging" reads "Cancel", the picture commands are held back.
    void batchStarted();
    // "Cancel" was pressed: the button waits, disabled, for the batch to stop.
    void batchStopping();
    // The batch ended, however its loop did; the status line says how.
    void batchEnded();

private:
    // Back to idle after a request: the temporary copy deleted, "Ready ...", the indicator
    // off, the buttons enabled.
    void endRequest();
    // The file the request uploads: the prepared upload image, or a "tag_cache_" copy of the
    // preview's picture when none was prepared in this run.
    QString chooseUploadFile();
    void runBatch(int emptyRows);
    void endBatch(int lastReplyStatus);
    // Runs the events of the user-interface thread in steps of 10 milliseconds while waiting
    // holds, until the batch is stopped; the program's closing stops it.
    void waitWhile(const std::function<bool()>& waiting);

    Controls& m_controls;
    MainState& m_state;
    cloudai::CloudAI* m_cloud = nullptr;
    BatchGridModel* m_rows = nullptr;

    // The request cycle.
    bool m_busy = false;
    QString TempFile;  // the copy of the upload image made for one request
    int FLastHttpStatusCode = 0;

    // The upload image.
    QString FActiveBatchFile;      // the prepared "AI_Input_Upload.jpg"; deleted at closing
    QString FCurrentFileNameOnly;  // the file name, without folder, of the picture prepared
    QByteArray m_preparedJpeg;     // its bytes, while the preview shows them
    quint64 m_preparation = 0;     // counts preparations and emptyings of the preview

    // Adding images.
    bool m_addingImages = false;
    bool m_stopAdding = false;

    // The batch.
    int FCurrentBatchRowIndex = -1;  // the row the running request fills; -1: none
    bool FIsBatchProcessing = false;
    bool FStopBatch = false;
    QString FBatchProgressStr;
    bool FBatchRunning = false;  // batchTaggingClicked is running its loop
};
