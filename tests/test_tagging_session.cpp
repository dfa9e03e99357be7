// The tagger's batch through its session alone, without a window, against a Gemini-like
// server of the test's own: which rows get a request, what the status line says, how a batch
// ends when it is stopped or meets the service's limit, and where a late reply goes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "platform/cloudai/cloudai.h"
#include "records/main_state.h"
#include "tagging/batch_grid_model.h"
#include "tagging/tagging_session.h"
#include "tests/support/loopback_server.h"

namespace {

using Reply = LoopbackServer::Reply;

Reply tags(const QString& title, int delayMs = 40) {
    return Reply::gemini("{\"title\": \"" + title + "\", \"description\": \"About " + title +
                         "\", \"keywords\": [\"" + title.toLower() + "\", \"tag\"]}")
        .delayed(delayMs);
}

// The window's controls as a test sets them.
struct Controls : TaggingSession::Controls {
    QString prompt() const override { return QStringLiteral("Describe the picture."); }
    double temperature() const override { return 0.77; }
    int uploadSizeLimit() const override { return 1024; }
    bool gettyAgency() const override { return false; }
    bool detectCategories() const override { return true; }
    QByteArray previewPicture() const override { return {}; }
};

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        m_oldTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", folder.filePath("tmp").toUtf8());
        QDir().mkpath(folder.filePath("tmp"));
        cloudai::setBaseAddressForTests(server.base());
        session.cloud()->setGeminiKey("test-key");
        // The events of the component, as the window connects them.
        QObject::connect(session.cloud(), &cloudai::CloudAI::requestComplete, &session,
                         &TaggingSession::requestComplete);
        QObject::connect(session.cloud(), &cloudai::CloudAI::executed, &session,
                         &TaggingSession::executed);
        QObject::connect(session.cloud(), &cloudai::CloudAI::requestsComplete, &session,
                         &TaggingSession::requestsComplete);
        QObject::connect(&session, &TaggingSession::statusText, &session,
                         [this](const QString& text) { statuses << text; });
        QObject::connect(&session, &TaggingSession::fieldsProposed, &session,
                         [this](const BatchRow& row, bool) { proposed << row.title; });
        QObject::connect(&session, &TaggingSession::batchStarted, &session,
                         [this] { events << "started"; });
        QObject::connect(&session, &TaggingSession::batchEnded, &session,
                         [this] { events << "ended"; });
    }
    void TearDown() override {
        // No reply of this test reaches the next one.
        EXPECT_TRUE(QTest::qWaitFor([this] { return !session.requestInFlight(); }, 5000));
        cloudai::setBaseAddressForTests({});
        if (m_oldTemp.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", m_oldTemp);
    }

    // n rows, each for a picture file of its own.
    void addRows(int n) {
        for (int i = 0; i < n; ++i) {
            const QString file = folder.filePath(QStringLiteral("p%1.jpg").arg(i));
            QImage picture(64, 48, QImage::Format_RGB32);
            picture.fill(QColor::fromHsv(i * 50, 200, 200));
            ASSERT_TRUE(picture.save(file));
            const int row = rows().appendRow();
            rows().setImage(row, QPixmap(), file);
        }
    }
    void giveKeywords(int row, const QString& keywords) {
        rows().writeTags(row, {{}, "kept", "kept", keywords, "", "", ""}, true);
    }
    BatchGridModel& rows() { return session.rows(); }
    QString titleOf(int row) { return rows().texts(row).title; }
    // Runs action from inside the batch's waits once when() holds.
    void once(std::function<bool()> when, std::function<void()> action) {
        auto* timer = new QTimer(&session);
        timer->setInterval(2);
        QObject::connect(timer, &QTimer::timeout, &session, [timer, when, action] {
            if (!when()) return;
            timer->stop();
            timer->deleteLater();
            action();
        });
        timer->start();
    }

    QTemporaryDir folder;
    LoopbackServer server;
    Controls controls;
    MainState state;
    TaggingSession session{controls, state};
    QStringList statuses;
    QStringList proposed;
    QStringList events;

private:
    QByteArray m_oldTemp;
};

TEST_F(SessionTest, EmptyRowsAreTaggedInTurnAndTheBatchEndsReady) {
    addRows(4);
    giveKeywords(1, "sea");
    giveKeywords(2, " \t\r\n ");  // blanks only: no keywords
    for (const char* title : {"First", "Second", "Third"}) server.queue(tags(title));

    session.batchTaggingClicked();

    EXPECT_EQ(server.requestCount(), 3);
    EXPECT_EQ(QStringList({titleOf(0), titleOf(1), titleOf(2), titleOf(3)}),
              QStringList({"First", "kept", "Second", "Third"}));
    EXPECT_EQ(events, QStringList({"started", "ended"}));
    EXPECT_TRUE(statuses.contains("Processing 1 of 3..."));
    EXPECT_TRUE(statuses.contains("Processing 3 of 3..."));
    EXPECT_EQ(statuses.last(), "Ready...");
    EXPECT_TRUE(proposed.isEmpty());  // a batch's replies fill only their rows
    EXPECT_EQ(state.AICounter(), 3);
    EXPECT_FALSE(session.batchRunning());
    EXPECT_EQ(session.rowAwaitingReply(), -1);

    // Nothing left to tag.
    statuses.clear();
    session.batchTaggingClicked();
    EXPECT_EQ(statuses, QStringList({"No empty rows found."}));
    EXPECT_EQ(server.requestCount(), 3);
}

TEST_F(SessionTest, ARowWhoseFileIsGoneIsPassedOver) {
    addRows(3);
    ASSERT_TRUE(QFile::remove(rows().texts(1).fileName));
    for (const char* title : {"First", "Third"}) server.queue(tags(title));

    session.batchTaggingClicked();

    EXPECT_EQ(server.requestCount(), 2);
    EXPECT_EQ(QStringList({titleOf(0), titleOf(1), titleOf(2)}),
              QStringList({"First", "", "Third"}));
    EXPECT_FALSE(rows().cell(1, BatchGridModel::colKeywords).has_value());
    EXPECT_EQ(statuses.last(), "Ready...");
}

TEST_F(SessionTest, TheLimitOfTheServiceStaysInViewOnlyWhenTheLastReplyMetIt) {
    const QString limit =
        QStringLiteral("Error 429: Free Tier API Limit reached. Try again later.");
    // A 429 on an earlier row does not stop the batch.
    addRows(3);
    server.queue(tags("First"));
    server.queue(Reply::geminiError(429, "RESOURCE_EXHAUSTED"));
    server.queue(tags("Third"));
    session.batchTaggingClicked();
    EXPECT_EQ(server.requestCount(), 3);
    EXPECT_EQ(QStringList({titleOf(0), titleOf(1), titleOf(2)}),
              QStringList({"First", "", "Third"}));
    EXPECT_TRUE(statuses.contains(limit));
    EXPECT_EQ(statuses.last(), "Ready...");

    // The last reply of the batch: its text stays.
    statuses.clear();
    server.queue(Reply::geminiError(429, "RESOURCE_EXHAUSTED"));
    session.batchTaggingClicked();
    EXPECT_EQ(server.requestCount(), 4);
    EXPECT_EQ(statuses.last(), limit);
}

TEST_F(SessionTest, AStopEndsTheBatchAtOnceAndTheLateReplyFillsNoRow) {
    addRows(3);
    server.queue(tags("Late", 400));
    once([this] { return session.requestInFlight(); },
         [this] { session.batchTaggingClicked(); });  // "Cancel"

    session.batchTaggingClicked();

    // Over before the reply came.
    EXPECT_TRUE(session.requestInFlight());
    EXPECT_EQ(events, QStringList({"started", "ended"}));
    EXPECT_TRUE(statuses.contains("Stopping... Waiting for current request to finish."));
    EXPECT_EQ(statuses.last(), "Batch tagging stopped by user.");
    EXPECT_EQ(session.rowAwaitingReply(), -1);

    // The late reply goes to the edit fields, not to the row it was asked for.
    ASSERT_TRUE(QTest::qWaitFor([this] { return !session.requestInFlight(); }, 5000));
    EXPECT_EQ(proposed, QStringList({"Late"}));
    EXPECT_EQ(statuses.last(), "Tagging Complete.");
    for (int row = 0; row < 3; ++row) EXPECT_EQ(titleOf(row), "") << row;
    EXPECT_EQ(server.requestCount(), 1);
}

}  // namespace
