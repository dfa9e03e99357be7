#include "records/rtf_export.h"

#include <QByteArrayView>

#include "platform/files/atomic_file.h"
#include "platform/text/text.h"

namespace rtfexport {
namespace {

// Replaces every control word that begins with word (its backslash not escaped by another
// one) by replacement; what is inserted is not scanned again.
QByteArray replaceControlWord(const QByteArray& text, QByteArrayView word,
                              QByteArrayView replacement) {
    QByteArray out;
    out.reserve(text.size() + text.size() / 8);
    qsizetype backslashes = 0;  // the backslashes directly before position i
    for (qsizetype i = 0; i < text.size();) {
        if (backslashes % 2 == 0 && QByteArrayView(text).sliced(i).startsWith(word)) {
            out += replacement;
            i += word.size();
            backslashes = 0;
            continue;
        }
        backslashes = text[i] == '\\' ? backslashes + 1 : 0;
        out += text[i++];
    }
    return out;
}

}  // namespace

QByteArray rewrite(const QByteArray& rtf) {
    // Latin-1 keeps every byte as one character, so the lines come back byte for byte.
    QByteArray joined;
    joined.reserve(rtf.size() + rtf.size() / 8);
    for (const QString& line : text::splitLines(QString::fromLatin1(rtf))) {
        joined += replaceControlWord(line.toLatin1(), "\\highlight", "\\highlight0");
        joined += "\r\n";
    }
    return replaceControlWord(joined, "\\paperw255", "\\paperw255\\paperh255");
}

void writeFile(const QString& path, const QByteArray& rtf) {
    files::writeAtomically(path, rewrite(rtf));
}

}  // namespace rtfexport
