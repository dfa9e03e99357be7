// The HTTP client against a server of the test's own on 127.0.0.1: what it sends, redirects,
// the declared character set, and the status 0 of every exchange without a whole reply.
#include <gtest/gtest.h>

#include <QTest>
#include <atomic>
#include <future>
#include <thread>

#include "platform/http/handback.h"
#include "platform/http/http.h"
#include "tests/support/loopback_server.h"
#include "tests/support/qt_print.h"

using Reply = LoopbackServer::Reply;
using Framing = Reply::Framing;

TEST(Http, GetSendsUserAgentAndReadsTheReply) {
    LoopbackServer server;
    server.on("/info.txt", Reply::text(200, "hello", "text/plain; charset=utf-8"));
    http::Client client;
    client.setUserAgent("Agent/1.0 (test)");
    const http::Response r = client.get(server.url("/info.txt?x=1"));
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body, "hello");
    EXPECT_EQ(r.contentType, "text/plain; charset=utf-8");
    EXPECT_TRUE(r.error.isEmpty());
    ASSERT_EQ(server.requestCount(), 1);
    const LoopbackServer::Request sent = server.requests()[0];
    EXPECT_EQ(sent.method, "GET");
    EXPECT_EQ(sent.target, "/info.txt?x=1");
    EXPECT_EQ(sent.header("User-Agent"), "Agent/1.0 (test)");
    EXPECT_TRUE(sent.body.isEmpty());
}

TEST(Http, StatusesOtherThan200AreReplies) {
    LoopbackServer server;
    for (int status : {201, 204, 404, 429, 500, 503}) {
        server.queue(Reply::text(status, status == 204 ? "" : "body"));
        const http::Response r = http::Client().get(server.url("/"));
        EXPECT_EQ(r.status, status);
        EXPECT_EQ(r.body, status == 204 ? "" : "body");
    }
}

TEST(Http, RedirectsAreFollowedAndTheFinalReplyDecides) {
    LoopbackServer server;
    server.on("/first", Reply::redirect("/second"));
    server.on("/second", Reply::text(200, "final"));
    server.on("/gone", Reply::redirect(server.url("/missing").toUtf8(), 301));
    http::Client client;
    const http::Response followed = client.get(server.url("/first"));
    EXPECT_EQ(followed.status, 200);
    EXPECT_EQ(followed.body, "final");
    EXPECT_EQ(client.get(server.url("/gone")).status, 404);
    std::vector<QByteArray> paths;
    for (const auto& r : server.requests()) paths.push_back(r.target);
    EXPECT_EQ(paths, (std::vector<QByteArray>{"/first", "/second", "/gone", "/missing"}));

    client.setFollowRedirects(false);
    EXPECT_EQ(client.get(server.url("/first")).status, 302);
}

TEST(Http, OnlyHttpAndHttpsAreFetched) {
    LoopbackServer server;
    server.on("/to-file", Reply::redirect("file:///etc/hostname"));
    http::Client client;
    for (const QString& url : {QStringLiteral("file:///etc/hostname"), server.url("/to-file"),
                               QStringLiteral("ftp://127.0.0.1/x")}) {
        const http::Response r = client.get(url);
        EXPECT_EQ(r.status, 0) << url.toStdString();
        EXPECT_TRUE(r.body.isEmpty()) << url.toStdString();
        EXPECT_FALSE(r.error.isEmpty()) << url.toStdString();
    }
}

TEST(Http, PostSendsHeadersAndTheWholeBody) {
    LoopbackServer server;
    server.on("/post", Reply::text(200, "{}", "application/json"));
    QByteArray body(3 * 1024 * 1024, 'x');
    for (qsizetype i = 0; i < body.size(); i += 4096) body[i] = char('a' + (i / 4096) % 26);
    http::Client client;
    const http::Response r = client.post(
        server.url("/post"), {{"Content-Type", "application/json"}, {"X-Key", "k1"}}, body);
    EXPECT_EQ(r.status, 200);
    ASSERT_EQ(server.requestCount(), 1);
    const LoopbackServer::Request sent = server.requests()[0];
    EXPECT_EQ(sent.method, "POST");
    EXPECT_EQ(sent.header("Content-Type"), "application/json");
    EXPECT_EQ(sent.header("X-Key"), "k1");
    // The body goes at once, without a round trip for "100 Continue".
    EXPECT_FALSE(sent.hasHeader("Expect"));
    EXPECT_EQ(sent.body, body);
}

TEST(Http, DeclaredCharacterSetDecodesTheBody) {
    struct Case {
        QByteArray contentType;
        QByteArray body;
        QString text;
    };
    const Case cases[] = {
        {"text/plain; charset=ISO-8859-1",
         "Gr\xfc\xdf"
         "e",
         QStringLiteral("Grüße")},
        {"text/plain;Charset=\"windows-1252\"", "\x80 5", QStringLiteral("€ 5")},
        {"text/plain; format=flowed; charset=utf-8",
         "Gr\xc3\xbc\xc3\x9f"
         "e",
         QStringLiteral("Grüße")},
        // None declared, or one that is not known: UTF-8.
        {"text/plain",
         "Gr\xc3\xbc\xc3\x9f"
         "e",
         QStringLiteral("Grüße")},
        {"",
         "Gr\xc3\xbc\xc3\x9f"
         "e",
         QStringLiteral("Grüße")},
        {"text/plain; charset=no-such-set",
         "Gr\xc3\xbc\xc3\x9f"
         "e",
         QStringLiteral("Grüße")},
    };
    LoopbackServer server;
    for (const Case& c : cases) {
        server.queue(Reply::text(200, c.body, c.contentType));
        const http::Response r = http::Client().get(server.url("/"));
        EXPECT_EQ(r.contentType, c.contentType);
        EXPECT_EQ(r.text(), c.text) << c.contentType.constData();
    }
    http::Response quoted;
    quoted.contentType = "text/html; charset=\"ISO-8859-1\"; q=1";
    EXPECT_EQ(quoted.charset(), "ISO-8859-1");
}

// A reply that never came whole has status 0, whatever the server began to send.
TEST(Http, NoWholeReplyIsStatusZero) {
    LoopbackServer server;
    server.on("/close", Reply::closeWithoutReply());
    server.on("/cut", Reply::text(200, QByteArray(1000, 'a')).cutShort(150));
    // Cut inside the header, before its Content-Length: libcurl alone would call it whole.
    server.on("/cut-header", Reply::text(200, "body").cutShort(30));
    server.on("/never", Reply::never());
    http::Client client;
    client.setReadTimeout(1000);
    for (const char* path : {"/close", "/cut", "/cut-header", "/never"}) {
        const http::Response r = client.get(server.url(QLatin1String(path)));
        EXPECT_EQ(r.status, 0) << path;
        EXPECT_FALSE(r.error.isEmpty()) << path;
    }

    quint16 closedPort = 0;
    {
        LoopbackServer gone;
        closedPort = gone.port();
    }
    const http::Response refused =
        client.get(QStringLiteral("http://127.0.0.1:%1/").arg(closedPort));
    EXPECT_EQ(refused.status, 0);
}

// A body larger than the client takes is no reply, whether it declares its length, comes
// in chunks or runs until the connection ends: the transfer stops near the limit, so a
// server cannot fill the memory.
TEST(Http, ABodyOverTheLimitIsNoReplyAndStopsTheTransfer) {
    constexpr qint64 kLimit = 1 << 20;
    constexpr qint64 kLarge = 64 << 20;
    struct Case {
        const char* what;
        Reply reply;
        int status;
    };
    const Case cases[] = {
        {"at the limit, with a length", Reply::streamed(kLimit, Framing::Length), 200},
        {"at the limit, chunked", Reply::streamed(kLimit, Framing::Chunked), 200},
        {"at the limit, until close", Reply::streamed(kLimit, Framing::UntilClose), 200},
        {"over the limit by its length", Reply::streamed(kLimit + 1, Framing::Length), 0},
        {"large, with a length", Reply::streamed(kLarge, Framing::Length), 0},
        {"large, chunked", Reply::streamed(kLarge, Framing::Chunked), 0},
        {"large, until close", Reply::streamed(kLarge, Framing::UntilClose), 0},
    };
    LoopbackServer server;
    http::Client client;
    client.setMaxBodySize(kLimit);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        server.queue(c.reply);
        const qint64 sentBefore = server.streamedBytes();
        const http::Response r = client.get(server.url("/info.txt"));
        EXPECT_EQ(r.status, c.status);
        if (c.status == 200) {
            EXPECT_EQ(r.body.size(), kLimit);
            EXPECT_TRUE(r.error.isEmpty());
        } else {
            EXPECT_TRUE(r.body.isEmpty());
            EXPECT_EQ(r.error, "The reply is larger than 1048576 bytes");
            EXPECT_LT(server.streamedBytes() - sentBefore, kLarge / 4);
        }
    }

    // A client without a limit of its own takes up to its default.
    server.queue(Reply::streamed(http::Client::kDefaultMaxBodyBytes + 1, Framing::Chunked));
    const http::Response r = http::Client().get(server.url("/info.txt"));
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.body.isEmpty());
}

TEST(Http, CancelFlagEndsAWaitingExchange) {
    LoopbackServer server;
    server.on("/never", Reply::never());
    std::atomic<bool> cancelled{false};
    auto result = std::async(std::launch::async, [&] {
        http::Client client;
        client.setCancelFlag(&cancelled);
        return client.get(server.url("/never"));
    });
    ASSERT_TRUE(server.waitForRequests(1));
    cancelled = true;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    const http::Response r = result.get();
    EXPECT_EQ(r.status, 0);
}

TEST(Http, ClientsOnManyThreadsAtOnce) {
    LoopbackServer server;
    server.on("/slow", Reply::text(200, "slow").delayed(200));
    std::vector<std::future<http::Response>> results;
    for (int i = 0; i < 8; ++i)
        results.push_back(std::async(std::launch::async,
                                     [&] { return http::Client().get(server.url("/slow")); }));
    for (auto& f : results) {
        const http::Response r = f.get();
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(r.body, "slow");
    }
    EXPECT_EQ(server.requestCount(), 8);
}

// The hand-back delivers on the receiver's thread while the receiver lives, and never after.
TEST(HandBack, DeliversOnTheReceiversThreadAndDropsAfterItsEnd) {
    auto receiver = std::make_unique<QObject>();
    auto handBack = std::make_unique<http::HandBack>(receiver.get());
    const std::shared_ptr<http::HandBack::Link> link = handBack->link();

    QThread* ranOn = nullptr;
    auto called = std::async(std::launch::async,
                             [&] { return link->call([&] { ranOn = QThread::currentThread(); }); });
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return called.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_TRUE(called.get());
    EXPECT_EQ(ranOn, QThread::currentThread());

    // A posted function that has not run yet when the receiver ends is dropped.
    bool ran = false;
    std::thread([&] { EXPECT_TRUE(link->post([&] { ran = true; })); }).join();
    handBack.reset();
    receiver.reset();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
    EXPECT_TRUE(link->cancelled());

    bool late = false;
    std::thread([&] {
        EXPECT_FALSE(link->post([&] { late = true; }));
        EXPECT_FALSE(link->call([&] { late = true; }));
    }).join();
    EXPECT_FALSE(late);
}

// A worker waiting for its call to run when the receiver's end begins is released at once, so
// that a receiver which then waits for its workers (a thread pool among its members) ends.
TEST(HandBack, AReceiverThatWaitsForItsWorkersEndsWhileOneWaitsForItsCall) {
    auto receiver = std::make_unique<QObject>();
    auto handBack = std::make_unique<http::HandBack>(receiver.get());
    const std::shared_ptr<http::HandBack::Link> link = handBack->link();
    bool ran = false;
    std::promise<void> started;
    auto called = std::async(std::launch::async, [&] {
        started.set_value();
        return link->call([&] { ran = true; });
    });
    started.get_future().wait();
    // Without processing events, give the worker the moment it needs to queue its call.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    handBack.reset();  // not processing events: the queued call never runs
    EXPECT_EQ(called.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_FALSE(called.get());
    EXPECT_FALSE(ran);
    receiver.reset();
}

TEST(HandBack, ErrorsOfACallReachTheWorker) {
    QObject receiver;
    http::HandBack handBack(&receiver);
    auto link = handBack.link();
    auto called = std::async(std::launch::async, [&] {
        try {
            link->call([] { throw std::runtime_error("while showing"); });
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
        return std::string();
    });
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return called.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(called.get(), "while showing");
}
