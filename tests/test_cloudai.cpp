// The cloud-AI component against a server of the test's own that answers like Gemini: the
// request it sends, the three events and their order, statuses, time-outs and refusals.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QThreadPool>

#include "platform/cloudai/cloudai.h"
#include "platform/errors/errors.h"
#include "tests/support/file_bytes.h"
#include "tests/support/loopback_server.h"
#include "tests/support/qt_print.h"

using Reply = LoopbackServer::Reply;

namespace {

const QByteArray kPath = "/v1beta/models/gemini-3-flash-preview:generateContent";

// What the component reported, in order.
struct Events {
    QStringList order;
    bool offThread = false;
    cloudai::RequestResult result;
    int status = -1;
    std::optional<QString> text;  // the response's text, when a response object came
    QString raw;
    int all = 0;

    void watch(cloudai::CloudAI& ai) {
        QObject::connect(&ai, &cloudai::CloudAI::requestComplete, &ai,
                         [this](const cloudai::RequestResult& r) {
                             note("complete");
                             result = r;
                         });
        QObject::connect(
            &ai, &cloudai::CloudAI::executed, &ai,
            [this](const cloudai::Response* response, int httpStatus, const QString& httpResult) {
                note("executed");
                status = httpStatus;
                text = response ? std::optional(response->text()) : std::nullopt;
                raw = httpResult;
            });
        QObject::connect(&ai, &cloudai::CloudAI::requestsComplete, &ai, [this] {
            note("all");
            ++all;
        });
    }
    void note(const char* what) {
        order << QLatin1String(what);
        if (QThread::currentThread() != qApp->thread()) offThread = true;
    }
    bool waitAll(int count = 1, int timeoutMs = 10000) {
        return QTest::qWaitFor([&] { return all >= count; }, timeoutMs);
    }
};

class CloudAITest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        cloudai::setBaseAddressForTests(server.base());
        ai.setGeminiKey("test-key");
        events.watch(ai);
    }
    void TearDown() override { cloudai::setBaseAddressForTests({}); }

    QString writeImage(const QByteArray& bytes, const char* name = "upload.jpg") {
        const QString path = dir.filePath(QLatin1String(name));
        writeFile(path, bytes);
        return path;
    }
    // Runs one request with an image and a prompt attached.
    void run(const QString& prompt = QStringLiteral("Describe the image.")) {
        ai.clearFiles();
        ai.clearContext();
        ai.addFile(writeImage("\xff\xd8\xff\xe0 jpeg bytes"));
        ai.setContextText(prompt);
        ai.execute();
        ASSERT_TRUE(events.waitAll());
    }

    QTemporaryDir dir;
    LoopbackServer server;
    cloudai::CloudAI ai;
    Events events;
};

TEST_F(CloudAITest, RequestCarriesKeyPromptImageAndTemperature) {
    server.on(kPath, Reply::gemini("{\"title\":\"A\"}"));
    QByteArray image;
    for (int i = 0; i < 70000; ++i) image.append(char(i * 7 % 256));
    const QString file = writeImage(image);
    ai.setTemperature(0.77);
    ai.clearFiles();
    ai.clearContext();
    ai.addFile(file, cloudai::FileType::Image);
    // The file is read when it is attached: it may go before the request is sent.
    ASSERT_TRUE(QFile::remove(file));
    ai.setContextText(QStringLiteral("Line one\r\nLine \"two\" – ünïcode"));
    ai.execute();
    ASSERT_TRUE(events.waitAll());

    ASSERT_EQ(server.requestCount(), 1);
    const LoopbackServer::Request sent = server.requests()[0];
    EXPECT_EQ(sent.method, "POST");
    // The key travels in its header only, never in the address.
    EXPECT_EQ(sent.target, kPath);
    EXPECT_EQ(sent.header("x-goog-api-key"), "test-key");
    EXPECT_EQ(sent.header("Content-Type"), "application/json");

    const QJsonObject body = sent.json().object();
    EXPECT_EQ(body.keys(), (QStringList{"contents", "generationConfig"}));
    const QJsonArray contents = body["contents"].toArray();
    ASSERT_EQ(contents.size(), 1);
    EXPECT_EQ(contents[0]["role"].toString(), "user");
    const QJsonArray parts = contents[0]["parts"].toArray();
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[0]["text"].toString(), QStringLiteral("Line one\r\nLine \"two\" – ünïcode"));
    const QJsonObject inline_ = parts[1]["inline_data"].toObject();
    EXPECT_EQ(inline_["mime_type"].toString(), "image/jpeg");
    EXPECT_EQ(QByteArray::fromBase64(inline_["data"].toString().toLatin1()), image);
    // The temperature and nothing else: no output-token cap to cut the answer short.
    const QJsonObject config = body["generationConfig"].toObject();
    EXPECT_EQ(config.keys(), QStringList{"temperature"});
    EXPECT_DOUBLE_EQ(config["temperature"].toDouble(), 0.77);
}

TEST_F(CloudAITest, ClearedFilesAndContextAreNotSentAgain) {
    server.on(kPath, Reply::gemini("ok"));
    run();
    ai.clearFiles();
    ai.clearContext();
    ai.addFile(writeImage("second", "second.jpg"));
    ai.execute();
    ASSERT_TRUE(events.waitAll(2));
    // An empty context sends the image alone.
    const QJsonArray parts = server.requests()[1].json()["contents"][0]["parts"].toArray();
    ASSERT_EQ(parts.size(), 1);
    EXPECT_EQ(QByteArray::fromBase64(parts[0]["inline_data"]["data"].toString().toLatin1()),
              "second");
}

TEST_F(CloudAITest, EventsArriveOnTheUserInterfaceThreadInOrder) {
    server.on(kPath, Reply::gemini("{\"title\":\"A\"}"));
    run();
    EXPECT_EQ(events.order, (QStringList{"complete", "executed", "all"}));
    EXPECT_FALSE(events.offThread);
    EXPECT_TRUE(events.result.success);
    EXPECT_EQ(events.result.responseCode, 200);
    EXPECT_EQ(events.status, 200);
    EXPECT_EQ(events.text, QStringLiteral("{\"title\":\"A\"}\r\n"));
    EXPECT_TRUE(events.raw.contains("candidates"));
    EXPECT_EQ(ai.pendingRequests(), 0);
}

TEST_F(CloudAITest, AllRequestsCompleteWaitsForTheLastPendingOne) {
    server.queue(Reply::gemini("first").delayed(100));
    server.queue(Reply::gemini("second").delayed(300));
    ai.addFile(writeImage("x"));
    ai.setContextText("p");
    ai.execute();
    ASSERT_TRUE(server.waitForRequests(1));
    ai.execute();
    EXPECT_EQ(ai.pendingRequests(), 2);
    ASSERT_TRUE(events.waitAll());
    EXPECT_EQ(events.order, (QStringList{"complete", "executed", "complete", "executed", "all"}));
    EXPECT_EQ(events.all, 1);
}

TEST_F(CloudAITest, StatusesDecideSuccessAndTheResponse) {
    struct Case {
        Reply reply;
        bool success;
        bool response;
    };
    const Case cases[] = {
        {Reply::gemini("answer"), true, true},
        {Reply::gemini("answer").withHeader("X-Any", "1"), true, true},
        {Reply::text(201, LoopbackServer::Reply::gemini("created").body, "application/json"), true,
         true},
        {Reply::text(202, "", "application/json"), true, false},
        {Reply::text(204, ""), true, false},
        // A reply in the 200 range that is not a generateContent reply has no response.
        {Reply::text(206, LoopbackServer::Reply::gemini("partial").body), false, true},
        {Reply::text(200, "<html>proxy page</html>", "text/html"), true, false},
        {Reply::geminiBlocked(), true, false},
        {Reply::geminiError(429, "Resource has been exhausted"), false, false},
        {Reply::geminiError(503, "The model is overloaded"), false, false},
        {Reply::geminiError(500, "Internal error"), false, false},
        {Reply::geminiError(400, "API key not valid"), false, false},
        // A redirect is not followed: the key stays with the service.
        {Reply::redirect("/elsewhere"), false, false},
    };
    for (const Case& c : cases) {
        server.queue(c.reply);
        const int before = events.all;
        ai.clearFiles();
        ai.addFile(writeImage("x"));
        ai.execute();
        ASSERT_TRUE(events.waitAll(before + 1)) << c.reply.status;
        EXPECT_EQ(events.result.success, c.success) << c.reply.status;
        EXPECT_EQ(events.result.responseCode, c.reply.status);
        EXPECT_EQ(events.status, c.reply.status);
        EXPECT_EQ(events.text.has_value(), c.response) << c.reply.status;
        EXPECT_EQ(events.raw, QString::fromUtf8(c.reply.body));
    }
    EXPECT_EQ(server.requestCount(), int(std::size(cases)));
}

TEST_F(CloudAITest, NoReplyWithinTheTimeOutIsStatusZero) {
    server.on(kPath, Reply::never());
    ai.setReadTimeout(1000);
    run();
    EXPECT_EQ(events.order, (QStringList{"complete", "executed", "all"}));
    EXPECT_FALSE(events.result.success);
    EXPECT_EQ(events.result.responseCode, 0);
    EXPECT_EQ(events.status, 0);
    EXPECT_FALSE(events.text);
}

TEST_F(CloudAITest, NoServerOrAClosedConnectionIsStatusZero) {
    server.on(kPath, Reply::closeWithoutReply());
    run();
    EXPECT_EQ(events.status, 0);
    EXPECT_FALSE(events.result.success);

    quint16 closedPort = 0;
    {
        LoopbackServer gone;
        closedPort = gone.port();
    }
    cloudai::setBaseAddressForTests(QStringLiteral("http://127.0.0.1:%1").arg(closedPort));
    ai.execute();
    ASSERT_TRUE(events.waitAll(2));
    EXPECT_EQ(events.status, 0);
}

// A reply larger than the component takes is no reply, as a connection that broke off: its
// transfer stops and the events report status 0 without a response.
TEST_F(CloudAITest, AReplyOverTheLimitIsStatusZero) {
    using Framing = Reply::Framing;
    const qint64 over = cloudai::CloudAI::kMaxReplyBytes + 1;
    for (const Reply& reply :
         {Reply::streamed(over, Framing::Length), Reply::streamed(2 * over, Framing::Chunked)}) {
        server.queue(reply);
        const int before = events.all;
        events.order.clear();
        ai.execute();
        ASSERT_TRUE(events.waitAll(before + 1));
        EXPECT_EQ(events.order, (QStringList{"complete", "executed", "all"}));
        EXPECT_FALSE(events.result.success);
        EXPECT_EQ(events.result.responseCode, 0);
        EXPECT_EQ(events.status, 0);
        EXPECT_FALSE(events.text);
        EXPECT_TRUE(events.raw.isEmpty());
    }
    EXPECT_LT(server.streamedBytes(), 3 * over);
}

TEST_F(CloudAITest, AnswerTextLeavesThoughtsOut) {
    server.on(kPath, Reply::geminiParts({{"Let me look at {the image}.", true},
                                         {"```json\n{\"title\":", false},
                                         {"\"Fox\"}\n```", false}}));
    run();
    EXPECT_EQ(events.text, QStringLiteral("```json\r\n{\"title\":\"Fox\"}\r\n```\r\n"));
}

TEST(AnswerText, TextPartsOfTheFirstCandidate) {
    struct Case {
        QByteArray reply;
        std::optional<QString> text;
    };
    const Case cases[] = {
        {Reply::gemini("plain").body, QStringLiteral("plain")},
        {Reply::geminiParts({{"thinking", true}, {"a", false}, {"b", false}}).body,
         QStringLiteral("ab")},
        {Reply::geminiParts({{"only a thought", true}}).body, std::nullopt},
        {Reply::gemini("").body, QStringLiteral("")},
        {Reply::geminiBlocked().body, std::nullopt},
        {R"({"candidates":[]})", std::nullopt},
        {R"({"candidates":[{"finishReason":"SAFETY"}]})", std::nullopt},
        {R"({"candidates":[{"content":{"parts":[{"inlineData":{}},{"text":"x","thought":false}]}},)"
         R"({"content":{"parts":[{"text":"second candidate"}]}}]})",
         QStringLiteral("x")},
        {R"({"candidates":[{"content":{"parts":[{"text":7},{"text":"y","thought":"yes"}]}}]})",
         QStringLiteral("y")},
        {"not json", std::nullopt},
        {"[1]", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cloudai::answerText(c.reply), c.text) << c.reply.constData();
}

TEST_F(CloudAITest, WithoutAKeyNothingStarts) {
    for (const QString& key : {QString(), QStringLiteral("   ")}) {
        ai.setGeminiKey(key);
        ai.addFile(writeImage("x"));
        try {
            ai.execute();
            ADD_FAILURE() << "no refusal";
        } catch (const errors::Error& e) {
            EXPECT_EQ(e.message(), "No API key for service specified");
        }
        EXPECT_EQ(ai.pendingRequests(), 0);
    }
    ai.setGeminiKey("bad\r\nX-Injected: 1");
    EXPECT_THROW(ai.execute(), errors::Error);
    EXPECT_EQ(ai.pendingRequests(), 0);
    EXPECT_TRUE(events.order.isEmpty());
    EXPECT_EQ(server.requestCount(), 0);

    // A key pasted with a line break around it is sent without it.
    server.on(kPath, Reply::gemini("ok"));
    ai.setGeminiKey("test-key\n");
    ai.execute();
    ASSERT_TRUE(events.waitAll());
    EXPECT_EQ(server.requests()[0].header("x-goog-api-key"), "test-key");
}

TEST_F(CloudAITest, AttachingAFileThatCannotBeReadRaises) {
    const QString missing = dir.filePath("missing.jpg");
    try {
        ai.addFile(missing);
        ADD_FAILURE() << "no error";
    } catch (const errors::Error& e) {
        EXPECT_TRUE(e.message().contains(missing)) << e.message().toStdString();
    }
    EXPECT_EQ(ai.fileCount(), 0);
    EXPECT_THROW(ai.addFile(dir.path()), errors::Error);
    EXPECT_EQ(ai.fileCount(), 0);
}

TEST_F(CloudAITest, ComponentDestroyedWithARequestUnderWay) {
    server.on(kPath, Reply::never());
    {
        cloudai::CloudAI doomed;
        doomed.setGeminiKey("k");
        doomed.addFile(writeImage("x"));
        doomed.execute();
        ASSERT_TRUE(server.waitForRequests(1));
    }
    // The worker's transfer stops at once, and nothing is delivered to the component
    // that is gone.
    EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(5000));
    QCoreApplication::processEvents();
}

TEST(CloudAIDefaults, DesignValues) {
    cloudai::CloudAI ai;
    EXPECT_EQ(ai.service(), cloudai::Service::Gemini);
    EXPECT_EQ(ai.geminiModel(), "gemini-3-flash-preview");
    EXPECT_EQ(ai.connectTimeout(), 180000);
    EXPECT_EQ(ai.readTimeout(), 180000);
    EXPECT_DOUBLE_EQ(ai.temperature(), 0.75);
    EXPECT_TRUE(ai.geminiKey().isEmpty());
}

}  // namespace
