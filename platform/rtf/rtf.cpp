#include "platform/rtf/rtf.h"

#include <QTextDocument>

namespace rtf {

QByteArray write(const QTextDocument& document) {
    return document.toPlainText().toUtf8();
}

void read(const QByteArray& rtf, QTextDocument* document) {
    document->setPlainText(QString::fromUtf8(rtf));
}

}  // namespace rtf
