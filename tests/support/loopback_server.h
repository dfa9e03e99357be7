#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QList>
#include <QPair>
#include <QString>
#include <memory>
#include <vector>

// An HTTP/1.1 server of the tests' own on 127.0.0.1, for every test that touches the
// network. It runs on a thread of its own, so the code under test may call it from any
// thread, blocking or not, and the test thread stays free.
//
//   LoopbackServer server;
//   server.on("/info.txt", LoopbackServer::Reply::text(200, "hello"));
//   server.queue(LoopbackServer::Reply::never());     // the next request, whatever its path
//   ... point the code at server.url("/info.txt") ...
//   ASSERT_TRUE(server.waitForRequests(1));
//   EXPECT_EQ(server.requests()[0].header("User-Agent"), "...");
//
// Replies come first from the queue (in order, one per request), then from the replies
// set for a path (path without the query, every request), else 404. Every request is
// recorded whole (method, target, headers, body) before it is answered. Each reply closes
// its connection ("Connection: close"). Destroying the server closes every connection,
// also those of replies that never answer.
class LoopbackServer {
public:
    using Header = QPair<QByteArray, QByteArray>;

    struct Request {
        QByteArray method;  // "GET", "POST", ...
        QByteArray target;  // path and query as sent, e.g. "/v1beta/models/m:generateContent"
        QList<Header> headers;
        QByteArray body;

        QByteArray path() const;  // target without the query
        // The first header of that name (compared without case); empty when absent.
        QByteArray header(const QByteArray& name) const;
        bool hasHeader(const QByteArray& name) const;
        QJsonDocument json() const;  // the body parsed as JSON (null when it is not JSON)
    };

    // One scripted reply. Build it with the factories, then adjust it:
    //   Reply::text(200, "late").delayed(500)
    struct Reply {
        enum class Mode {
            Answer,  // status, headers and body
            Never,   // reads the request and never answers (the connection stays open)
            Close,   // reads the request and closes the connection without a reply
            Stream,  // status, headers and a body made as the client reads it (streamed)
        };
        Mode mode = Mode::Answer;
        int status = 200;
        QList<Header> headers;  // Content-Length and Connection are added by the server
        QByteArray body;
        int delayMs = 0;    // wait this long before answering or closing
        int cutAfter = -1;  // send only the first bytes of the reply, then close; -1 all
        // How a streamed body is framed: by a Content-Length, in chunks (chunked transfer
        // coding), or by closing the connection after it (neither length nor chunks).
        enum class Framing { Length, Chunked, UntilClose };
        qint64 streamBytes = 0;  // Stream: the body's length; -1 without end
        Framing framing = Framing::Length;

        static Reply text(int status, const QByteArray& body,
                          const QByteArray& contentType = "text/plain; charset=utf-8");
        // A redirect to location (an address or a path on this server).
        static Reply redirect(const QByteArray& location, int status = 302);
        // A body of lines of 'x' (63 and a line feed) that is never held whole: sent as fast
        // as the client reads it. bytes -1 is a body without end (chunked or until close).
        static Reply streamed(qint64 bytes, Framing framing);
        static Reply never();
        static Reply closeWithoutReply();

        // Like Gemini's generateContent: one candidate whose parts are the given texts;
        // parts marked as thoughts carry "thought": true.
        struct Part {
            QString text;
            bool thought = false;
        };
        static Reply gemini(const QString& answer);
        static Reply geminiParts(const std::vector<Part>& parts);
        // A prompt the service blocked: status 200, "promptFeedback", no candidates.
        static Reply geminiBlocked();
        // A failed request as the service reports it (429 "RESOURCE_EXHAUSTED", ...).
        static Reply geminiError(int status, const QString& message = QStringLiteral("failed"));

        Reply& delayed(int ms);
        Reply& cutShort(int bytes);
        Reply& withHeader(const QByteArray& name, const QByteArray& value);
    };

    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    quint16 port() const;
    QString base() const;                    // "http://127.0.0.1:PORT"
    QString url(const QString& path) const;  // base() + path

    // Answers every request for this path (until replaced).
    void on(const QByteArray& path, const Reply& reply);
    // Answers the next request that arrives, whatever its path; queued replies go in order.
    void queue(const Reply& reply);

    std::vector<Request> requests() const;
    int requestCount() const;
    // The body bytes of every streamed reply handed to a connection so far (at most about
    // 1 MiB more than the client has taken).
    qint64 streamedBytes() const;
    // Waits (running the calling thread's events) until count requests have arrived.
    bool waitForRequests(int count, int timeoutMs = 10000) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
