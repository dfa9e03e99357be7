#include "platform/http/http.h"

#include <curl/curl.h>

#include <QElapsedTimer>
#include <QStringDecoder>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace http {
namespace {

// curl_global_init is not thread-safe: it runs once, whichever thread comes first.
CURLcode globalInit() {
    static std::once_flag once;
    static CURLcode result = CURLE_OK;
    std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
    return result;
}

// A failed libcurl call; its message ends up in Response::error.
class CurlFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void check(CURLcode code, const char* what) {
    if (code != CURLE_OK) throw CurlFailure(std::string(what) + ": " + curl_easy_strerror(code));
}

void check(CURLMcode code, const char* what) {
    if (code != CURLM_OK) throw CurlFailure(std::string(what) + ": " + curl_multi_strerror(code));
}

template <typename T>
void setopt(CURL* curl, CURLoption option, T value, const char* what) {
    check(curl_easy_setopt(curl, option, value), what);
}

struct EasyDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// The easy handle joined to the multi handle for the length of one exchange.
class Attached {
public:
    Attached(CURLM* multi, CURL* easy) : m_multi(multi), m_easy(easy) {
        check(curl_multi_add_handle(multi, easy), "curl_multi_add_handle");
    }
    ~Attached() {
        // A failure to detach leaves nothing to undo: both handles are freed right after.
        const CURLMcode detached = curl_multi_remove_handle(m_multi, m_easy);
        (void)detached;
    }
    Attached(const Attached&) = delete;
    Attached& operator=(const Attached&) = delete;

private:
    CURLM* m_multi;
    CURL* m_easy;
};

// What has arrived so far; read by the loop that watches for a stalled exchange.
struct Received {
    QByteArray* body = nullptr;
    qint64 maxBody = 0;        // the largest body taken
    qint64 bytes = 0;          // header and body bytes
    bool headerEnded = false;  // the last header block reached its empty line
    bool tooLarge = false;     // the body went past maxBody and the transfer was stopped
};

size_t appendBody(char* data, size_t size, size_t count, void* target) {
    auto* received = static_cast<Received*>(target);
    if (received->body->size() + qint64(size * count) > received->maxBody) {
        // Taking less than was handed over stops the transfer.
        received->tooLarge = true;
        return 0;
    }
    received->body->append(data, qsizetype(size * count));
    received->bytes += qint64(size * count);
    return size * count;
}

// libcurl hands over one whole header line at a time; a block begins with the status
// line and ends with an empty line (a redirect or "100 Continue" has a block of its own).
size_t countHeader(char* data, size_t size, size_t count, void* target) {
    auto* received = static_cast<Received*>(target);
    const QByteArrayView line(data, qsizetype(size * count));
    received->bytes += line.size();
    if (line.startsWith("HTTP/"))
        received->headerEnded = false;
    else if (line == "\r\n" || line == "\n")
        received->headerEnded = true;
    return size * count;
}

// How often a waiting exchange looks at its cancel flag.
constexpr int kPollMs = 50;

}  // namespace

QByteArray Response::charset() const {
    const QList<QByteArray> params = contentType.split(';');
    for (qsizetype i = 1; i < params.size(); ++i) {
        const QByteArray param = params[i].trimmed();
        const qsizetype eq = param.indexOf('=');
        if (eq < 0 || param.left(eq).trimmed().toLower() != "charset") continue;
        QByteArray value = param.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return {};
}

QString Response::text() const {
    const QByteArray declared = charset();
    if (!declared.isEmpty()) {
        QStringDecoder decoder(declared.constData());
        if (decoder.isValid()) return decoder.decode(body);
    }
    return QString::fromUtf8(body);
}

Client::Client() = default;
Client::~Client() = default;

void Client::setUserAgent(const QString& userAgent) {
    m_userAgent = userAgent.toUtf8();
}
void Client::setFollowRedirects(bool follow) {
    m_followRedirects = follow;
}
void Client::setConnectTimeout(int ms) {
    m_connectTimeoutMs = ms;
}
void Client::setReadTimeout(int ms) {
    m_readTimeoutMs = ms;
}
void Client::setMaxBodySize(qint64 bytes) {
    m_maxBodyBytes = bytes;
}
void Client::setCancelFlag(const std::atomic<bool>* cancelled) {
    m_cancelled = cancelled;
}

Response Client::get(const QString& url) {
    return perform(url, nullptr, nullptr);
}

Response Client::post(const QString& url, const QList<Header>& headers, const QByteArray& body) {
    return perform(url, &headers, &body);
}

Response Client::perform(const QString& url, const QList<Header>* headers, const QByteArray* body) {
    Response response;
    try {
        check(globalInit(), "curl_global_init");
        char errorText[CURL_ERROR_SIZE] = {};
        std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
        if (!easy) throw CurlFailure("curl_easy_init failed");
        CURL* c = easy.get();

        const QByteArray address = url.toUtf8();
        setopt(c, CURLOPT_ERRORBUFFER, errorText, "CURLOPT_ERRORBUFFER");
        setopt(c, CURLOPT_URL, address.constData(), "CURLOPT_URL");
        setopt(c, CURLOPT_PROTOCOLS_STR, "http,https", "CURLOPT_PROTOCOLS_STR");
        // Workers must not be interrupted by signals (name look-ups with time-outs).
        setopt(c, CURLOPT_NOSIGNAL, 1L, "CURLOPT_NOSIGNAL");
        setopt(c, CURLOPT_SSL_VERIFYPEER, 1L, "CURLOPT_SSL_VERIFYPEER");
        setopt(c, CURLOPT_SSL_VERIFYHOST, 2L, "CURLOPT_SSL_VERIFYHOST");
        if (!m_userAgent.isEmpty())
            setopt(c, CURLOPT_USERAGENT, m_userAgent.constData(), "CURLOPT_USERAGENT");
        if (m_followRedirects) {
            setopt(c, CURLOPT_FOLLOWLOCATION, 1L, "CURLOPT_FOLLOWLOCATION");
            setopt(c, CURLOPT_MAXREDIRS, 10L, "CURLOPT_MAXREDIRS");
            setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https", "CURLOPT_REDIR_PROTOCOLS_STR");
        }
        setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(m_connectTimeoutMs), "CURLOPT_CONNECTTIMEOUT_MS");
        Received received{&response.body, m_maxBodyBytes};
        // A declared length over the limit ends the exchange before the body comes.
        setopt(c, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(m_maxBodyBytes),
               "CURLOPT_MAXFILESIZE_LARGE");
        setopt(c, CURLOPT_WRITEFUNCTION, &appendBody, "CURLOPT_WRITEFUNCTION");
        setopt(c, CURLOPT_WRITEDATA, &received, "CURLOPT_WRITEDATA");
        setopt(c, CURLOPT_HEADERFUNCTION, &countHeader, "CURLOPT_HEADERFUNCTION");
        setopt(c, CURLOPT_HEADERDATA, &received, "CURLOPT_HEADERDATA");

        std::unique_ptr<curl_slist, SlistDeleter> headerList;
        auto addHeader = [&](const QByteArray& line) {
            curl_slist* grown = curl_slist_append(headerList.get(), line.constData());
            if (!grown) throw CurlFailure("curl_slist_append failed");
            (void)headerList.release();
            headerList.reset(grown);
        };
        if (body) {
            setopt(c, CURLOPT_POST, 1L, "CURLOPT_POST");
            setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body->size()),
                   "CURLOPT_POSTFIELDSIZE_LARGE");
            setopt(c, CURLOPT_POSTFIELDS, body->constData(), "CURLOPT_POSTFIELDS");
            // The body goes at once, without waiting for "100 Continue".
            addHeader("Expect:");
        }
        if (headers)
            for (const Header& h : *headers) addHeader(h.first + ": " + h.second);
        if (headerList) setopt(c, CURLOPT_HTTPHEADER, headerList.get(), "CURLOPT_HTTPHEADER");

        std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
        if (!multi) throw CurlFailure("curl_multi_init failed");
        CURLcode result = CURLE_OK;
        bool done = false;
        {
            Attached attached(multi.get(), c);
            // The read time-out counts from the moment the connection stands (the connect
            // time-out covers what comes before) and restarts whenever a byte moves.
            QElapsedTimer idle;
            qint64 moved = -1;
            int running = 1;
            while (!done) {
                check(curl_multi_perform(multi.get(), &running), "curl_multi_perform");
                int left = 0;
                while (CURLMsg* message = curl_multi_info_read(multi.get(), &left)) {
                    if (message->msg == CURLMSG_DONE) {
                        result = message->data.result;
                        done = true;
                    }
                }
                if (done || running == 0) break;
                if (m_cancelled && m_cancelled->load()) throw CurlFailure("cancelled");
                if (m_readTimeoutMs > 0) {
                    curl_off_t ready = 0, sent = 0;
                    check(curl_easy_getinfo(c, CURLINFO_PRETRANSFER_TIME_T, &ready),
                          "CURLINFO_PRETRANSFER_TIME_T");
                    check(curl_easy_getinfo(c, CURLINFO_SIZE_UPLOAD_T, &sent),
                          "CURLINFO_SIZE_UPLOAD_T");
                    if (ready > 0 && received.bytes + sent != moved) {
                        moved = received.bytes + sent;
                        idle.start();
                    } else if (idle.isValid() && idle.elapsed() >= m_readTimeoutMs) {
                        throw CurlFailure(
                            QStringLiteral("No data for %1 ms").arg(m_readTimeoutMs).toStdString());
                    }
                }
                check(curl_multi_poll(multi.get(), nullptr, 0, kPollMs, nullptr),
                      "curl_multi_poll");
            }
        }
        if (!done) throw CurlFailure("the transfer ended without a result");
        if (received.tooLarge || result == CURLE_FILESIZE_EXCEEDED) {
            response.body = QByteArray();  // the part that came is of no use: freed at once
            throw CurlFailure(QStringLiteral("The reply is larger than %1 bytes")
                                  .arg(m_maxBodyBytes)
                                  .toStdString());
        }
        if (result != CURLE_OK) {
            // A reply cut short is no reply: its status is not trusted.
            const QString detail = QString::fromUtf8(errorText);
            throw CurlFailure(detail.isEmpty() ? curl_easy_strerror(result) : detail.toStdString());
        }
        // libcurl takes a header that the connection's end cut short as a whole one.
        if (!received.headerEnded) throw CurlFailure("the reply's header was cut short");
        long status = 0;
        check(curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status), "CURLINFO_RESPONSE_CODE");
        char* contentType = nullptr;
        check(curl_easy_getinfo(c, CURLINFO_CONTENT_TYPE, &contentType), "CURLINFO_CONTENT_TYPE");
        response.status = int(status);
        response.contentType = contentType ? QByteArray(contentType) : QByteArray();
    } catch (const CurlFailure& failure) {
        response.status = 0;
        response.error = QString::fromStdString(failure.what());
    }
    return response;
}

}  // namespace http
