#include "platform/text/text.h"

#include <QStringDecoder>
#include <QTextDocument>
#include <limits>
#include <optional>

#include "platform/errors/errors.h"
#include "platform/rtf/codepage.h"

namespace text {

namespace {

// "$" or "0x" introduce hexadecimal digits; blanks around the number are allowed.
std::optional<qint64> parseInteger(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return std::nullopt;
    const bool dollar = trimmed.startsWith('$');
    const bool hex = dollar || trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    bool ok = false;
    const qint64 value =
        hex ? trimmed.mid(dollar ? 1 : 2).toLongLong(&ok, 16) : trimmed.toLongLong(&ok, 10);
    if (!ok) return std::nullopt;
    return value;
}

[[noreturn]] void notAnInteger(const QString& text) {
    throw errors::ConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

}  // namespace

int strToInt(const QString& text) {
    const std::optional<qint64> value = parseInteger(text);
    if (!value || *value < std::numeric_limits<int>::min() ||
        *value > std::numeric_limits<int>::max())
        notAnInteger(text);
    return static_cast<int>(*value);
}

qint64 strToInt64(const QString& text) {
    const std::optional<qint64> value = parseInteger(text);
    if (!value) notAnInteger(text);
    return *value;
}

QString trim(const QString& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin].unicode() <= 32) ++begin;
    while (end > begin && text[end - 1].unicode() <= 32) --end;
    return text.mid(begin, end - begin);
}

QString documentText(const QTextDocument& document) {
    QString text = document.toRawText();
    for (QChar& c : text) {
        switch (c.unicode()) {
            case QChar::ParagraphSeparator:
            case QChar::LineSeparator:
            case 0xFDD0:  // the beginning and the end of a frame (a table)
            case 0xFDD1:
                c = u'\n';
                break;
            default:
                break;
        }
    }
    return text;
}

QString decodeFile(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.mid(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE).decode(bytes.mid(2));
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString decoded = utf8.decode(bytes);
    if (!utf8.hasError()) return decoded;
    return fromWindows1252(bytes);
}

QStringList splitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (start < n) lines << text.mid(start);
    return lines;
}

QByteArray toWindows1252(const QString& text, char replacement) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        // A character outside the basic plane is one character, written once.
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            out += replacement;
            ++i;
            continue;
        }
        const int byte = rtf::codepage::toWindows1252(c);
        out += byte < 0 ? replacement : char(byte);
    }
    return out;
}

QString fromWindows1252(const QByteArray& bytes) {
    QString out;
    rtf::codepage::Decoder(1252).append(out, bytes.constData(), bytes.size());
    return out;
}

}  // namespace text
