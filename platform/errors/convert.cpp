#include "platform/errors/errors.h"

namespace errors {

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
        throw ConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

QString trim(const QString& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin].unicode() <= 32) ++begin;
    while (end > begin && text[end - 1].unicode() <= 32) --end;
    return text.mid(begin, end - begin);
}

}  // namespace errors
