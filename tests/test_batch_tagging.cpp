// "Batch Tagging" and the double-click re-tag through the real window, against a Gemini-like
// server of the test's own: which rows get a request, what the status line says, how a batch
// ends, and that a reply only ever lands in the row its picture came from.
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "platform/cloudai/cloudai.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/statusbar.h"
#include "records/main_state.h"
#include "tests/support/batch_grid_fixture.h"
#include "tests/support/loopback_server.h"

namespace {

using Reply = LoopbackServer::Reply;

const QString kStopped = QStringLiteral("Batch tagging stopped by user.");
const QString kLimit = QStringLiteral("Error 429: Free Tier API Limit reached. Try again later.");

Reply tags(const QString& title, int delayMs = 60) {
    return Reply::gemini("{\"title\": \"" + title + "\", \"description\": \"About " + title +
                         "\", \"keywords\": [\"" + title.toLower() + "\", \"tag\"]}")
        .delayed(delayMs);
}

class BatchTagging : public BatchGridTest {
protected:
    void SetUp() override {
        BatchGridTest::SetUp();
        cloudai::setBaseAddressForTests(server.base());
    }
    void TearDown() override {
        BatchGridTest::TearDown();
        cloudai::setBaseAddressForTests({});
    }

    // n rows, each for a picture of its own: "p0.jpg", "p1.jpg", ...
    QStringList addRows(int n) {
        QStringList files;
        for (int i = 0; i < n; ++i)
            files << picture(QStringLiteral("photos/p%1.jpg").arg(i), {64, 48},
                             QColor::fromHsv(i * 50, 200, 200));
        openImages(files);
        EXPECT_EQ(rows().rowCount(), n);
        return files;
    }
    void giveKeywords(int row, const QString& keywords, const QString& title = "kept") {
        rows().writeTags(row, {{}, title, "kept", keywords, "", "", ""}, true);
    }

    // Runs action once, from inside whatever loop is processing events at the time (the
    // batch's waits among them), as soon as when() holds.
    void once(std::function<bool()> when, std::function<void()> action) {
        auto* timer = new QTimer(w);
        timer->setInterval(2);
        QObject::connect(timer, &QTimer::timeout, w, [timer, when, action] {
            if (!when()) return;
            timer->stop();
            timer->deleteLater();
            action();
        });
        timer->start();
    }
    // Every text the status line shows from now on, each once in a row.
    void logStatus() {
        auto* timer = new QTimer(w);
        timer->setInterval(2);
        QObject::connect(timer, &QTimer::timeout, w, [this] {
            const QString now = status();
            if (statuses.isEmpty() || statuses.last() != now) statuses << now;
        });
        timer->start();
    }

    // "Batch Tagging": the click returns when the batch is over.
    void batch() { QTest::mouseClick(w->btnBatchTagging, Qt::LeftButton); }
    static bool idle() {
        return frmTaggerPro->CloudAI1->pendingRequests() == 0 &&
               frmTaggerPro->ProgressBar1->isHidden();
    }
    QString status() const { return w->dxStatusBar1->panelText(0); }
    // Title and keywords of a row, a cell never written as the empty text.
    static QString tagsOf(int row) {
        const BatchRow texts = rows().texts(row);
        return texts.title + " / " + texts.keywords;
    }
    void fillEditFields() {
        w->edtTitle->setText("typed");
        w->memKeywords->setPlainText("typed");
        w->AdobeCategory->setCurrentIndex(2);
        w->ShutterCategory1->setCurrentIndex(3);
    }
    bool editFieldsEmpty() const {
        return w->edtTitle->text().isEmpty() && w->memDescription->toPlainText().isEmpty() &&
               w->memKeywords->toPlainText().isEmpty() && w->AdobeCategory->currentIndex() == -1 &&
               w->ShutterCategory1->currentIndex() == -1 &&
               w->ShutterCategory2->currentIndex() == -1;
    }
    bool idleButtons() const {
        return w->btnBatchTagging->text() == "Batch Tagging" && w->btnBatchTagging->isEnabled() &&
               w->btnLoadImages->isEnabled() && w->cxButton4->isEnabled() &&
               w->cxButton5->isEnabled() && w->btnCreateCSV->isEnabled();
    }

    LoopbackServer server;
    QStringList statuses;
};

TEST_F(BatchTagging, NothingToTagOnlyClearsTheEditFields) {
    // An empty grid: the status line stays as it is.
    fillEditFields();
    w->dxStatusBar1->setPanelText(0, "before");
    batch();
    EXPECT_TRUE(editFieldsEmpty());
    EXPECT_EQ(status(), "before");

    // Rows that all have keywords, whatever their other cells hold.
    addRows(2);
    giveKeywords(0, "sea", "");
    giveKeywords(1, "sun");
    fillEditFields();
    batch();
    EXPECT_TRUE(editFieldsEmpty());
    EXPECT_EQ(status(), "No empty rows found.");
    EXPECT_EQ(server.requestCount(), 0);
    EXPECT_TRUE(idleButtons());
}

TEST_F(BatchTagging, EveryRowWithoutKeywordsIsTaggedInTurn) {
    addRows(5);
    giveKeywords(1, "sea", "");
    giveKeywords(2, " \t\r\n ");  // blanks and line breaks only: no keywords
    giveKeywords(3, "sun");
    for (const char* title : {"First", "Second", "Third"}) server.queue(tags(title));
    bool lockedWhileRunning = false;
    once([this] { return server.requestCount() == 1; },
         [this, &lockedWhileRunning] {
             lockedWhileRunning =
                 w->btnBatchTagging->text() == "Cancel" && w->btnBatchTagging->isEnabled() &&
                 !w->btnLoadImages->isEnabled() && !w->cxButton4->isEnabled() &&
                 !w->cxButton5->isEnabled() && TaggerProbe::session().batchProcessing();
         });
    logStatus();
    fillEditFields();
    batch();

    EXPECT_TRUE(lockedWhileRunning);
    EXPECT_EQ(server.requestCount(), 3);
    EXPECT_EQ(tagsOf(0), "First / first, tag");
    EXPECT_EQ(tagsOf(1), " / sea");
    EXPECT_EQ(tagsOf(2), "Second / second, tag");
    EXPECT_EQ(tagsOf(3), "kept / sun");
    EXPECT_EQ(tagsOf(4), "Third / third, tag");
    EXPECT_EQ(text(4, Col::colDescription), "About Third");
    // The batch leaves the edit fields alone.
    EXPECT_TRUE(editFieldsEmpty());
    EXPECT_TRUE(statuses.contains("Processing 1 of 3..."));
    EXPECT_TRUE(statuses.contains("Processing 2 of 3..."));
    EXPECT_TRUE(statuses.contains("Processing 3 of 3..."));
    EXPECT_EQ(status(), "Ready...");
    EXPECT_TRUE(idleButtons());
    EXPECT_FALSE(TaggerProbe::session().batchProcessing());
    EXPECT_EQ(TaggerProbe::session().rowAwaitingReply(), -1);

    // Every row has keywords now; "Clear tags" makes each one a row to tag again.
    batch();
    EXPECT_EQ(status(), "No empty rows found.");
    dialogs.answers.push_back(dialogs::Answer::Yes);
    w->Cleartags1->trigger();
    for (const char* title : {"A", "B", "C", "D", "E"}) server.queue(tags(title, 0));
    batch();
    EXPECT_EQ(server.requestCount(), 8);
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(text(row, Col::colTitle), QString(QChar('A' + row))) << row;
}

TEST_F(BatchTagging, FailedRequestsAndMissingPicturesDoNotStopTheBatch) {
    const QStringList files = addRows(6);
    QFile::remove(files[0]);  // deleted after it was added
    QFile damaged(files[2]);  // no longer a picture
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a picture");
    damaged.close();
    server.queue(Reply::geminiError(429, "RESOURCE_EXHAUSTED"));
    server.queue(Reply::geminiError(500));
    server.queue(tags("Fourth"));
    server.queue(Reply::geminiError(429, "RESOURCE_EXHAUSTED"));
    batch();

    // Rows 1, 3, 4 and 5 were sent; the others, and those that failed, keep empty cells.
    EXPECT_EQ(server.requestCount(), 4);
    for (const int row : {0, 1, 2, 3, 5}) EXPECT_EQ(tagsOf(row), " / ") << row;
    EXPECT_EQ(tagsOf(4), "Fourth / fourth, tag");
    // The last reply was the service's limit: its text stays in view.
    EXPECT_EQ(status(), kLimit);
    EXPECT_TRUE(idleButtons());
    EXPECT_EQ(Form1->state().AICounter(), 1);

    // A row without its file after the limit: the limit still shows at the end.
    QFile::remove(files[5]);
    server.queue(Reply::geminiError(429, "RESOURCE_EXHAUSTED"));
    server.queue(Reply::geminiError(429, "RESOURCE_EXHAUSTED"));
    batch();
    EXPECT_EQ(server.requestCount(), 6);
    EXPECT_EQ(status(), kLimit);

    // A limit on an earlier row only, then a reply: "Ready...".
    server.queue(Reply::geminiError(429, "RESOURCE_EXHAUSTED"));
    server.queue(tags("Second"));
    batch();
    EXPECT_EQ(server.requestCount(), 8);
    EXPECT_EQ(tagsOf(1), " / ");
    EXPECT_EQ(tagsOf(3), "Second / second, tag");
    EXPECT_EQ(status(), "Ready...");
}

TEST_F(BatchTagging, CancelOrClosingEndsTheBatchAtOnceAndTheLateReplyFillsTheFields) {
    const struct {
        const char* what;
        bool closeWindow;
    } cases[] = {{"Cancel", false}, {"closing the window", true}};
    addRows(3);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const int sent = server.requestCount();
        server.queue(tags("Late", 400));
        QString stopping;
        bool disabled = false;
        once([&] { return server.requestCount() == sent + 1; },
             [&] {
                 if (c.closeWindow) {
                     w->close();
                     return;
                 }
                 QTest::mouseClick(w->btnBatchTagging, Qt::LeftButton);
                 stopping = status();
                 disabled = !w->btnBatchTagging->isEnabled();
             });
        batch();

        // Over before the reply came.
        EXPECT_FALSE(idle());
        if (!c.closeWindow) {
            EXPECT_EQ(stopping, "Stopping... Waiting for current request to finish.");
            EXPECT_TRUE(disabled);
        }
        EXPECT_EQ(status(), kStopped);
        EXPECT_EQ(w->btnBatchTagging->text(), "Batch Tagging");
        EXPECT_FALSE(TaggerProbe::session().batchProcessing());
        EXPECT_EQ(TaggerProbe::session().rowAwaitingReply(), -1);

        // The reply of the stopped batch is a single tagging's: the fields, not the row.
        ASSERT_TRUE(QTest::qWaitFor(idle, 10000));
        EXPECT_EQ(server.requestCount(), sent + 1);
        EXPECT_EQ(w->edtTitle->text(), "Late");
        EXPECT_EQ(status(), "Tagging Complete.");
        for (int row = 0; row < 3; ++row) EXPECT_EQ(tagsOf(row), " / ") << row;
        EXPECT_TRUE(idleButtons());
        if (c.closeWindow) w = showTagger();
    }
}

TEST_F(BatchTagging, RowsRemovedWhileTheBatchRunsAreNeverWritten) {
    addRows(3);
    server.queue(tags("Gone", 300));
    dialogs.answers.push_back(dialogs::Answer::Yes);
    once([this] { return server.requestCount() == 1; },
         [this] { QTest::mouseClick(w->btnClearList, Qt::LeftButton); });
    batch();
    EXPECT_EQ(rows().rowCount(), 0);
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_EQ(status(), "Ready...");
    EXPECT_TRUE(idleButtons());

    // Rows added afterwards are untouched by the earlier request.
    addRows(2);
    EXPECT_EQ(tagsOf(0), " / ");
    EXPECT_EQ(tagsOf(1), " / ");
}

TEST_F(BatchTagging, ADoubleClickTagsThatRowAndTheEditFieldsAgain) {
    const QStringList files = addRows(3);
    rows().writeTags(1, {{}, "Old", "old", "old, words", "animal", "Nature", "Clubbing"}, true);
    const auto doubleClick = [this](int row) {
        QWidget* viewport = w->cxTableView1->viewport();
        const QModelIndex cell = w->cxTableView1->model()->index(row, Col::colTitle);
        QTest::mouseDClick(viewport, Qt::LeftButton, {},
                           w->cxTableView1->visualRect(cell).center());
    };

    // A row with keywords is tagged again: its texts come first, the reply then fills both.
    server.queue(tags("Fresh", 300));
    doubleClick(1);
    EXPECT_EQ(w->edtTitle->text(), "Old");
    EXPECT_EQ(w->AdobeCategory->currentText(), "Animals");  // the first item holding it
    EXPECT_EQ(w->ShutterCategory2->currentText(), "Clubbing");
    EXPECT_EQ(w->ShutterCategory2->count(), 26);
    EXPECT_EQ(status(), "Analyzing: p1.jpg...");
    EXPECT_EQ(TaggerProbe::session().rowAwaitingReply(), 1);
    // Meanwhile a double-click on another row starts nothing.
    doubleClick(0);
    ASSERT_TRUE(QTest::qWaitFor(idle, 10000));
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_EQ(tagsOf(1), "Fresh / fresh, tag");
    EXPECT_EQ(tagsOf(0), " / ");
    EXPECT_EQ(w->edtTitle->text(), "Fresh");
    EXPECT_EQ(status(), "Tagging Complete.");
    EXPECT_EQ(TaggerProbe::session().rowAwaitingReply(), -1);

    // A row whose file is gone: empty fields and no request.
    QFile::remove(files[2]);
    fillEditFields();
    doubleClick(2);
    EXPECT_TRUE(editFieldsEmpty());
    EXPECT_TRUE(idle());
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_EQ(TaggerProbe::session().rowAwaitingReply(), -1);
}

}  // namespace
