#include "platform/spell/userdictionary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/errors/errors.h"
#include "platform/files/atomic_file.h"
#include "platform/text/text.h"

namespace spell {

QStringList readUserWords(const QString& path) {
    const std::optional<QByteArray> bytes = files::readRegularFile(path);
    if (!bytes) return {};
    QStringList words;
    const QStringList lines = text::decodeFile(*bytes).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QString word = text::trim(line);
        if (!word.isEmpty()) words.append(word);
    }
    return words;
}

void appendUserWords(const QString& path, const QStringList& words) {
    if (words.isEmpty()) return;
    const QFileInfo info(path);
    QString content;
    if (info.exists()) {
        if (!info.isWritable())
            throw errors::Error(QStringLiteral("Unable to write to %1: the file is read-only")
                                    .arg(QDir::toNativeSeparators(path)));
        QFile file;
        QString why;
        if (!files::openRegularFile(file, path, &why))
            throw errors::Error(
                QStringLiteral("Unable to read %1: %2").arg(QDir::toNativeSeparators(path), why));
        content = text::decodeFile(file.readAll());
    }
    if (!content.isEmpty() && !content.endsWith(QLatin1Char('\n'))) content += QLatin1Char('\n');
    content += words.join(QLatin1Char('\n')) + QLatin1Char('\n');
    // A file of the program folder: a link there is the user's own.
    files::writeAtomically(path, content.toUtf8(), files::Access::Normal, files::Links::Follow);
}

}  // namespace spell
