#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

#include "platform/http/handback.h"

// The cloud-AI client: one prompt and attached images sent to Google's Gemini model
// (generateContent, v1beta), the answer handed back through three events.
namespace cloudai {

enum class Service { Gemini };
enum class FileType { Image };

// How one exchange ended.
struct RequestResult {
    bool success = false;  // the HTTP status is 200, 201, 202 or 204
    int responseCode = 0;  // the HTTP status; 0 when no HTTP reply came
};

// The model's answer to one request. It belongs to the component and lives only while
// the executed handler runs.
struct Response {
    // The answer text (the text parts of the answer, joined without separator) split
    // into lines at CR LF, LF or CR; a final line break adds no empty line.
    QStringList content;
    // The lines, each ended by CR LF.
    QString text() const;
};

class CloudAI : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutMs = 180000;
    static constexpr double kDefaultTemperature = 0.75;
    // The largest reply taken, in bytes, far above any answer of the model (a few kilobytes
    // of JSON). A larger reply stops its transfer and is no reply: status 0.
    static constexpr qint64 kMaxReplyBytes = 32 << 20;

    explicit CloudAI(QObject* parent = nullptr);
    // Requests still under way are abandoned: their transfers stop and no event follows.
    ~CloudAI() override;

    void setService(Service service);
    Service service() const;
    // The Gemini key, sent in the "x-goog-api-key" header.
    void setGeminiKey(const QString& key);
    QString geminiKey() const;
    void setGeminiModel(const QString& model);
    QString geminiModel() const;
    // The generation temperature.
    void setTemperature(double temperature);
    double temperature() const;
    // Per request, in milliseconds: the wait for the connection, and the longest time
    // without data once connected.
    void setConnectTimeout(int ms);
    int connectTimeout() const;
    void setReadTimeout(int ms);
    int readTimeout() const;

    // The attached files of the next request.
    void clearFiles();
    // Reads the whole file at once, so it may be removed afterwards. Throws errors::Error
    // when the file cannot be read.
    void addFile(const QString& path, FileType type = FileType::Image);
    int fileCount() const;

    // The context: its text is the prompt.
    void clearContext();
    void setContextText(const QString& text);
    QString contextText() const;

    // Starts one request with the current settings, files and context and returns at
    // once; its events follow on this object's thread. Throws errors::Error and starts
    // nothing when it cannot start ("No API key for service specified").
    void execute();
    // Requests started and not yet reported.
    int pendingRequests() const;

signals:
    // Per request, in this order: requestComplete, executed, then requestsComplete when
    // no other request of this component is pending.
    void requestComplete(const cloudai::RequestResult& result);
    // response: the answer, only for a status of 200 to 299 whose reply holds answer
    // text; null otherwise. httpResult: the raw reply body.
    void executed(const cloudai::Response* response, int httpStatus, const QString& httpResult);
    void requestsComplete();

private:
    struct Outcome;
    void deliver(const Outcome& outcome);

    Service m_service = Service::Gemini;
    QString m_key;
    QString m_model = QStringLiteral("gemini-3-flash-preview");
    double m_temperature = kDefaultTemperature;
    int m_connectTimeoutMs = kDefaultTimeoutMs;
    int m_readTimeoutMs = kDefaultTimeoutMs;
    QList<QByteArray> m_files;
    QString m_context;
    int m_pending = 0;
    http::HandBack m_handBack{this};
};

// The service's base address; tests point it at a server of their own ("http://127.0.0.1:PORT").
// An empty text returns to Google's service. Call it on the user-interface thread.
void setBaseAddressForTests(const QString& address);

// The answer text of a generateContent reply: the "text" of every part of the first
// candidate whose "thought" is not true, joined without separator. None when the reply
// cannot be read, has no candidate (a blocked prompt) or no text part.
std::optional<QString> answerText(const QByteArray& reply);

}  // namespace cloudai
