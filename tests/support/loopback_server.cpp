#include "tests/support/loopback_server.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <deque>
#include <map>
#include <mutex>

namespace {

QByteArray reasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 201:
            return "Created";
        case 202:
            return "Accepted";
        case 204:
            return "No Content";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 307:
            return "Temporary Redirect";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 429:
            return "Too Many Requests";
        case 500:
            return "Internal Server Error";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
    }
}

QByteArray jsonBytes(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// A request being read from one connection.
struct Incoming {
    QByteArray buffer;
    bool headerRead = false;
    bool continued = false;  // "100 Continue" sent
    bool complete = false;
    qsizetype bodyStart = 0;
    qsizetype bodyLength = 0;
    LoopbackServer::Request request;
};

}  // namespace

QByteArray LoopbackServer::Request::path() const {
    const qsizetype query = target.indexOf('?');
    return query < 0 ? target : target.left(query);
}

QByteArray LoopbackServer::Request::header(const QByteArray& name) const {
    for (const Header& h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0) return h.second;
    return {};
}

bool LoopbackServer::Request::hasHeader(const QByteArray& name) const {
    for (const Header& h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}

QJsonDocument LoopbackServer::Request::json() const {
    return QJsonDocument::fromJson(body);
}

LoopbackServer::Reply LoopbackServer::Reply::text(int status, const QByteArray& body,
                                                  const QByteArray& contentType) {
    Reply r;
    r.status = status;
    r.body = body;
    if (!contentType.isEmpty()) r.headers.append({"Content-Type", contentType});
    return r;
}

LoopbackServer::Reply LoopbackServer::Reply::redirect(const QByteArray& location, int status) {
    Reply r;
    r.status = status;
    r.headers.append({"Location", location});
    return r;
}

LoopbackServer::Reply LoopbackServer::Reply::streamed(qint64 bytes, Framing framing) {
    Reply r = text(200, {});
    r.mode = Mode::Stream;
    r.streamBytes = bytes;
    r.framing = framing;
    return r;
}

LoopbackServer::Reply LoopbackServer::Reply::never() {
    Reply r;
    r.mode = Mode::Never;
    return r;
}

LoopbackServer::Reply LoopbackServer::Reply::closeWithoutReply() {
    Reply r;
    r.mode = Mode::Close;
    return r;
}

LoopbackServer::Reply LoopbackServer::Reply::gemini(const QString& answer) {
    return geminiParts({{answer, false}});
}

LoopbackServer::Reply LoopbackServer::Reply::geminiParts(const std::vector<Part>& parts) {
    QJsonArray partArray;
    for (const Part& p : parts) {
        QJsonObject part{{"text", p.text}};
        if (p.thought) part.insert("thought", true);
        partArray.append(part);
    }
    const QJsonObject candidate{{"content", QJsonObject{{"parts", partArray}, {"role", "model"}}},
                                {"finishReason", "STOP"},
                                {"index", 0}};
    const QJsonObject reply{{"candidates", QJsonArray{candidate}},
                            {"usageMetadata", QJsonObject{{"promptTokenCount", 1290},
                                                          {"candidatesTokenCount", 180},
                                                          {"totalTokenCount", 1470}}},
                            {"modelVersion", "gemini-3-flash-preview"},
                            {"responseId", "loopback"}};
    return text(200, jsonBytes(reply), "application/json; charset=UTF-8");
}

LoopbackServer::Reply LoopbackServer::Reply::geminiBlocked() {
    const QJsonObject reply{
        {"promptFeedback", QJsonObject{{"blockReason", "PROHIBITED_CONTENT"}}},
        {"usageMetadata", QJsonObject{{"promptTokenCount", 1290}, {"totalTokenCount", 1290}}},
        {"modelVersion", "gemini-3-flash-preview"}};
    return text(200, jsonBytes(reply), "application/json; charset=UTF-8");
}

LoopbackServer::Reply LoopbackServer::Reply::geminiError(int status, const QString& message) {
    const char* name = status == 429   ? "RESOURCE_EXHAUSTED"
                       : status == 503 ? "UNAVAILABLE"
                       : status == 400 ? "INVALID_ARGUMENT"
                                       : "INTERNAL";
    const QJsonObject reply{
        {"error", QJsonObject{{"code", status}, {"message", message}, {"status", name}}}};
    return text(status, jsonBytes(reply), "application/json; charset=UTF-8");
}

LoopbackServer::Reply& LoopbackServer::Reply::delayed(int ms) {
    delayMs = ms;
    return *this;
}

LoopbackServer::Reply& LoopbackServer::Reply::cutShort(int bytes) {
    cutAfter = bytes;
    return *this;
}

LoopbackServer::Reply& LoopbackServer::Reply::withHeader(const QByteArray& name,
                                                         const QByteArray& value) {
    headers.append({name, value});
    return *this;
}

struct LoopbackServer::Impl {
    QThread thread;
    QObject* home = nullptr;  // lives on thread: parent of the listener and the connections
    QTcpServer* listener = nullptr;
    quint16 port = 0;

    mutable std::mutex mutex;  // guards the script and the record
    std::deque<Reply> queued;
    std::map<QByteArray, Reply> byPath;
    std::vector<Request> recorded;
    std::atomic<qint64> streamedBytes{0};  // body bytes of streamed replies handed to sockets

    void accept() {
        while (QTcpSocket* socket = listener->nextPendingConnection()) {
            auto incoming = std::make_shared<Incoming>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket,
                             [this, socket, incoming] { read(socket, *incoming); });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    void read(QTcpSocket* socket, Incoming& in) {
        in.buffer += socket->readAll();
        if (in.complete) return;
        if (!in.headerRead) {
            const qsizetype end = in.buffer.indexOf("\r\n\r\n");
            if (end < 0) return;
            const QList<QByteArray> lines = in.buffer.left(end).split('\n');
            const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
            in.request.method = requestLine.value(0);
            in.request.target = requestLine.value(1);
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const QByteArray line = lines[i].trimmed();
                const qsizetype colon = line.indexOf(':');
                if (colon <= 0) continue;
                in.request.headers.append(
                    {line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
            }
            in.headerRead = true;
            in.bodyStart = end + 4;
            in.bodyLength = in.request.header("Content-Length").toLongLong();
        }
        if (in.buffer.size() - in.bodyStart < in.bodyLength) {
            if (!in.continued &&
                in.request.header("Expect").compare("100-continue", Qt::CaseInsensitive) == 0) {
                socket->write("HTTP/1.1 100 Continue\r\n\r\n");
                in.continued = true;
            }
            return;
        }
        in.complete = true;
        in.request.body = in.buffer.mid(in.bodyStart, in.bodyLength);
        answer(socket, take(in.request), &streamedBytes);
    }

    // Records the request and picks its reply.
    Reply take(const Request& request) {
        const std::lock_guard lock(mutex);
        recorded.push_back(request);
        if (!queued.empty()) {
            Reply reply = queued.front();
            queued.pop_front();
            return reply;
        }
        const auto found = byPath.find(request.path());
        if (found != byPath.end()) return found->second;
        return Reply::text(404, "not found");
    }

    static QByteArray statusAndHeaders(const Reply& reply) {
        QByteArray out = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' +
                         reasonPhrase(reply.status) + "\r\n";
        for (const Header& h : reply.headers) out += h.first + ": " + h.second + "\r\n";
        return out;
    }

    // Sends a streamed body piece by piece, whenever the socket has sent most of what it
    // holds, so that the server never holds much of it.
    static void stream(QTcpSocket* socket, const Reply& reply, std::atomic<qint64>* sent) {
        QByteArray out = statusAndHeaders(reply);
        const bool chunked = reply.framing == Reply::Framing::Chunked;
        if (chunked)
            out += "Transfer-Encoding: chunked\r\n";
        else if (reply.framing == Reply::Framing::Length)
            out += "Content-Length: " + QByteArray::number(reply.streamBytes) + "\r\n";
        out += "Connection: close\r\n\r\n";
        socket->write(out);
        QByteArray piece;
        for (int i = 0; i < 1024; ++i) piece += QByteArray(63, 'x') + '\n';
        struct State {
            qint64 left;  // -1: without end
            bool done = false;
        };
        auto state = std::make_shared<State>(State{reply.streamBytes});
        auto pump = [socket, chunked, piece, state, sent] {
            constexpr qint64 kHeld = 1 << 20;
            if (state->done) return;
            while (state->left != 0 && socket->state() == QAbstractSocket::ConnectedState &&
                   socket->bytesToWrite() < kHeld) {
                const qint64 n =
                    state->left < 0 ? piece.size() : qMin<qint64>(state->left, piece.size());
                const QByteArray data = piece.left(n);
                if (chunked)
                    socket->write(QByteArray::number(n, 16) + "\r\n" + data + "\r\n");
                else
                    socket->write(data);
                *sent += n;
                if (state->left > 0) state->left -= n;
            }
            if (state->left == 0 && socket->state() == QAbstractSocket::ConnectedState) {
                if (chunked) socket->write("0\r\n\r\n");
                socket->disconnectFromHost();
                state->done = true;
            }
        };
        QObject::connect(socket, &QTcpSocket::bytesWritten, socket, pump);
        pump();
    }

    static void answer(QTcpSocket* socket, const Reply& reply, std::atomic<qint64>* streamed) {
        auto act = [socket, reply, streamed] {
            if (reply.mode == Reply::Mode::Never) return;
            if (reply.mode == Reply::Mode::Stream) {
                stream(socket, reply, streamed);
                return;
            }
            if (reply.mode == Reply::Mode::Answer) {
                QByteArray out = statusAndHeaders(reply);
                out += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
                out += "Connection: close\r\n\r\n";
                out += reply.body;
                if (reply.cutAfter >= 0) out.truncate(reply.cutAfter);
                socket->write(out);
            }
            socket->disconnectFromHost();
        };
        if (reply.delayMs > 0)
            QTimer::singleShot(reply.delayMs, socket, act);
        else
            act();
    }
};

LoopbackServer::LoopbackServer() : d(std::make_unique<Impl>()) {
    d->home = new QObject;
    d->home->moveToThread(&d->thread);
    d->thread.start();
    Impl* impl = d.get();
    QMetaObject::invokeMethod(
        d->home,
        [impl] {
            impl->listener = new QTcpServer(impl->home);
            if (!impl->listener->listen(QHostAddress::LocalHost, 0)) return;
            impl->port = impl->listener->serverPort();
            QObject::connect(impl->listener, &QTcpServer::newConnection, impl->home,
                             [impl] { impl->accept(); });
        },
        Qt::BlockingQueuedConnection);
    if (d->port == 0) qFatal("LoopbackServer: cannot listen on 127.0.0.1");
}

LoopbackServer::~LoopbackServer() {
    QObject* home = d->home;
    // The listener and every connection end on their own thread.
    QMetaObject::invokeMethod(
        home,
        [home] {
            const QObjectList children = home->children();
            qDeleteAll(children);
        },
        Qt::BlockingQueuedConnection);
    d->thread.quit();
    d->thread.wait();
    delete home;
}

quint16 LoopbackServer::port() const {
    return d->port;
}

QString LoopbackServer::base() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(d->port);
}

QString LoopbackServer::url(const QString& path) const {
    return base() + path;
}

void LoopbackServer::on(const QByteArray& path, const Reply& reply) {
    const std::lock_guard lock(d->mutex);
    d->byPath[path] = reply;
}

void LoopbackServer::queue(const Reply& reply) {
    const std::lock_guard lock(d->mutex);
    d->queued.push_back(reply);
}

std::vector<LoopbackServer::Request> LoopbackServer::requests() const {
    const std::lock_guard lock(d->mutex);
    return d->recorded;
}

int LoopbackServer::requestCount() const {
    const std::lock_guard lock(d->mutex);
    return int(d->recorded.size());
}

qint64 LoopbackServer::streamedBytes() const {
    return d->streamedBytes;
}

bool LoopbackServer::waitForRequests(int count, int timeoutMs) const {
    return QTest::qWaitFor([&] { return requestCount() >= count; }, timeoutMs);
}
