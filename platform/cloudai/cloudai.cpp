#include "platform/cloudai/cloudai.h"

#include <QThreadPool>
#include <QUrl>
#include <nlohmann/json.hpp>

#include "platform/errors/errors.h"
#include "platform/files/atomic_file.h"
#include "platform/http/http.h"
#include "platform/text/text.h"

namespace cloudai {
namespace {

using nlohmann::json;

const QString kGeminiBase = QStringLiteral("https://generativelanguage.googleapis.com");
QString baseForTests;

// Everything a worker needs, copied out of the component when the request starts.
struct Job {
    QString url;
    QByteArray key;
    QString prompt;
    QList<QByteArray> images;
    double temperature = 0;
    int connectTimeoutMs = 0;
    int readTimeoutMs = 0;
};

QByteArray requestBody(const Job& job) {
    json parts = json::array();
    // An empty context sends the images alone: the service refuses an empty text part.
    if (!job.prompt.isEmpty()) parts.push_back(json{{"text", job.prompt.toStdString()}});
    for (const QByteArray& image : job.images) {
        const QByteArray data = image.toBase64();
        parts.push_back(json{
            {"inline_data", json{{"mime_type", "image/jpeg"},
                                 {"data", std::string(data.constData(), size_t(data.size()))}}}});
    }
    json turn = json::object();
    turn["role"] = "user";
    turn["parts"] = std::move(parts);
    json body = json::object();
    body["contents"] = json::array({std::move(turn)});
    // No output-token cap: the model's thinking counts against it, and a low one cuts
    // the answer short.
    body["generationConfig"] = json{{"temperature", job.temperature}};
    return QByteArray::fromStdString(body.dump(-1, ' ', false, json::error_handler_t::replace));
}

bool isSuccess(int status) {
    return status == 200 || status == 201 || status == 202 || status == 204;
}

}  // namespace

struct CloudAI::Outcome {
    int status = 0;
    QByteArray body;
    std::optional<QString> answer;
};

QString Response::text() const {
    QString out;
    for (const QString& line : content) out += line + QLatin1String("\r\n");
    return out;
}

std::optional<QString> answerText(const QByteArray& reply) {
    const json doc = json::parse(reply.constBegin(), reply.constEnd(), nullptr, false);
    if (!doc.is_object()) return std::nullopt;
    const auto candidates = doc.find("candidates");
    if (candidates == doc.end() || !candidates->is_array() || candidates->empty())
        return std::nullopt;
    const json& first = candidates->front();
    if (!first.is_object()) return std::nullopt;
    const auto content = first.find("content");
    if (content == first.end() || !content->is_object()) return std::nullopt;
    const auto parts = content->find("parts");
    if (parts == content->end() || !parts->is_array()) return std::nullopt;
    QString text;
    bool found = false;
    for (const json& part : *parts) {
        if (!part.is_object()) continue;
        const auto thought = part.find("thought");
        if (thought != part.end() && thought->is_boolean() && thought->get<bool>()) continue;
        const auto piece = part.find("text");
        if (piece == part.end() || !piece->is_string()) continue;
        text += QString::fromStdString(piece->get_ref<const std::string&>());
        found = true;
    }
    if (!found) return std::nullopt;
    return text;
}

void setBaseAddressForTests(const QString& address) {
    baseForTests = address;
}

CloudAI::CloudAI(QObject* parent) : QObject(parent) {}
CloudAI::~CloudAI() = default;

void CloudAI::setService(Service service) {
    m_service = service;
}
Service CloudAI::service() const {
    return m_service;
}
void CloudAI::setGeminiKey(const QString& key) {
    m_key = key;
}
QString CloudAI::geminiKey() const {
    return m_key;
}
void CloudAI::setGeminiModel(const QString& model) {
    m_model = model;
}
QString CloudAI::geminiModel() const {
    return m_model;
}
void CloudAI::setTemperature(double temperature) {
    m_temperature = temperature;
}
double CloudAI::temperature() const {
    return m_temperature;
}
void CloudAI::setConnectTimeout(int ms) {
    m_connectTimeoutMs = ms;
}
int CloudAI::connectTimeout() const {
    return m_connectTimeoutMs;
}
void CloudAI::setReadTimeout(int ms) {
    m_readTimeoutMs = ms;
}
int CloudAI::readTimeout() const {
    return m_readTimeoutMs;
}

void CloudAI::clearFiles() {
    m_files.clear();
}

void CloudAI::addFile(const QString& path, FileType) {
    m_files.append(files::readWholeFile(path));
}

int CloudAI::fileCount() const {
    return int(m_files.size());
}

void CloudAI::clearContext() {
    m_context.clear();
}
void CloudAI::setContextText(const QString& text) {
    m_context = text;
}
QString CloudAI::contextText() const {
    return m_context;
}

int CloudAI::pendingRequests() const {
    return m_pending;
}

void CloudAI::execute() {
    // A key pasted with a line break still works; one that holds control characters
    // inside would break the request's headers and is refused.
    const QString key = text::trim(m_key);
    if (key.isEmpty()) throw errors::Error(QStringLiteral("No API key for service specified"));
    for (const QChar c : key)
        if (c.unicode() < 32 || c.unicode() == 127)
            throw errors::Error(QStringLiteral("The API key holds characters that cannot be sent"));
    if (m_model.isEmpty()) throw errors::Error(QStringLiteral("No model specified"));

    Job job;
    const QString base = baseForTests.isEmpty() ? kGeminiBase : baseForTests;
    job.url = base + QLatin1String("/v1beta/models/") +
              QString::fromLatin1(QUrl::toPercentEncoding(m_model)) +
              QLatin1String(":generateContent");
    job.key = key.toUtf8();
    job.prompt = m_context;
    job.images = m_files;
    job.temperature = m_temperature;
    job.connectTimeoutMs = m_connectTimeoutMs;
    job.readTimeoutMs = m_readTimeoutMs;

    const std::shared_ptr<http::HandBack::Link> link = m_handBack.link();
    ++m_pending;
    QThreadPool::globalInstance()->start([this, link, job = std::move(job)] {
        // Nothing leaves this worker as an exception: a failure is a request without a reply.
        Outcome outcome;
        try {
            http::Client client;
            client.setFollowRedirects(false);  // the key must not follow a redirect elsewhere
            client.setUserAgent(QStringLiteral("Pixolet"));
            client.setConnectTimeout(job.connectTimeoutMs);
            client.setReadTimeout(job.readTimeoutMs);
            client.setMaxBodySize(kMaxReplyBytes);
            client.setCancelFlag(&link->cancelled());
            const http::Response reply = client.post(
                job.url, {{"Content-Type", "application/json"}, {"x-goog-api-key", job.key}},
                requestBody(job));
            outcome.status = reply.status;
            outcome.body = reply.body;
            if (reply.status >= 200 && reply.status <= 299) outcome.answer = answerText(reply.body);
        } catch (...) {
            outcome = Outcome{};
        }
        try {
            link->post([this, outcome] { deliver(outcome); });
        } catch (...) {
            // Out of memory while queueing: the component cannot be told any more.
        }
    });
}

void CloudAI::deliver(const Outcome& outcome) {
    --m_pending;
    emit requestComplete(RequestResult{isSuccess(outcome.status), outcome.status});
    std::optional<Response> response;
    if (outcome.answer) response = Response{text::splitLines(*outcome.answer)};
    emit executed(response ? &*response : nullptr, outcome.status, QString::fromUtf8(outcome.body));
    if (m_pending == 0) emit requestsComplete();
}

}  // namespace cloudai
