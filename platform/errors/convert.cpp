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

}  // namespace errors
