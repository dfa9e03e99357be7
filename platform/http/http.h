#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <atomic>

// The program's HTTP client, over libcurl. One Client per exchange and per thread: a
// client is cheap to make, and clients on different threads share nothing, so workers
// may use their own at the same time.
namespace http {

using Header = QPair<QByteArray, QByteArray>;

struct Response {
    // The HTTP status of a complete reply; 0 when no complete HTTP reply came (no
    // connection, a time-out, a reply cut short, a cancelled transfer, a body larger than
    // the client takes).
    int status = 0;
    QByteArray body;
    // The final reply's Content-Type as declared, empty when it declares none.
    QByteArray contentType;
    // Why no reply came, for status 0.
    QString error;

    // The character set that Content-Type declares ("charset=..."), empty when none.
    QByteArray charset() const;
    // The body as text, decoded by the declared character set; UTF-8 when the reply
    // declares none or one that is not known here.
    QString text() const;
};

class Client {
public:
    // The client's own time-outs, used unless the caller sets others.
    static constexpr int kDefaultConnectTimeoutMs = 60000;
    static constexpr int kDefaultReadTimeoutMs = 60000;
    // The largest body the client takes unless the caller sets another limit.
    static constexpr qint64 kDefaultMaxBodyBytes = 32 << 20;

    Client();
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    void setUserAgent(const QString& userAgent);
    // Redirects are followed (at most ten, to http and https addresses only) unless this
    // is turned off; a client that sends secrets in its headers should turn it off.
    void setFollowRedirects(bool follow);
    // Longest wait for the connection, in milliseconds; 0 is libcurl's own limit (300 s).
    void setConnectTimeout(int ms);
    // Once connected, the exchange ends when no data has moved (sent or received) for this
    // long, in milliseconds; 0 is no limit.
    void setReadTimeout(int ms);
    // The largest body taken, in bytes. A reply whose body is larger (by its Content-Length,
    // or once more has arrived, for a reply that declares no length or comes in chunks) is
    // no reply: the transfer stops there and the exchange ends with status 0, so a server
    // cannot fill the memory.
    void setMaxBodySize(qint64 bytes);
    // A flag another thread may set to end the exchange early (status 0). It must outlive
    // the calls of this client.
    void setCancelFlag(const std::atomic<bool>* cancelled);

    // Only http and https addresses are fetched; TLS peers and host names are verified.
    Response get(const QString& url);
    Response post(const QString& url, const QList<Header>& headers, const QByteArray& body);

private:
    Response perform(const QString& url, const QList<Header>* headers, const QByteArray* body);

    QByteArray m_userAgent;
    bool m_followRedirects = true;
    int m_connectTimeoutMs = kDefaultConnectTimeoutMs;
    int m_readTimeoutMs = kDefaultReadTimeoutMs;
    qint64 m_maxBodyBytes = kDefaultMaxBodyBytes;
    const std::atomic<bool>* m_cancelled = nullptr;
};

}  // namespace http
