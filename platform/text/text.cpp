#include "platform/text/text.h"

#include <QStringDecoder>

#include "platform/errors/errors.h"
#include "platform/rtf/codepage.h"

namespace text {

int strToInt(const QString& text) {
    bool ok = false;
    const QString trimmed = text.trimmed();
    int value = 0;
    if (trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) || trimmed.startsWith('$')) {
        value = trimmed.mid(trimmed.startsWith('$') ? 1 : 2).toInt(&ok, 16);
    } else {
        value = trimmed.toInt(&ok, 10);
    }
    if (!ok || trimmed.isEmpty())
        throw errors::ConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

QString trim(const QString& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin].unicode() <= 32) ++begin;
    while (end > begin && text[end - 1].unicode() <= 32) --end;
    return text.mid(begin, end - begin);
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
