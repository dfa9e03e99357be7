#include "platform/zip/zip.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <zip.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <vector>

#include "platform/errors/errors.h"

namespace zipfile {
namespace {

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString messageOf(zip_error_t* error) {
    return QString::fromLocal8Bit(zip_error_strerror(error));
}

QString messageOfCode(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString message = messageOf(&error);
    zip_error_fini(&error);
    return message;
}

// The bytes an archive without entries consists of: its end record alone.
const QByteArray kEmptyArchive("PK\x05\x06" + QByteArray(18, '\0'));

qint64 freeBytes(const QString& folder) {
    struct statvfs fs {};
    if (::statvfs(QFile::encodeName(folder).constData(), &fs) != 0) return -1;
    return static_cast<qint64>(fs.f_bavail) * static_cast<qint64>(fs.f_frsize);
}

}  // namespace

// libzip writes the archive into a file of its own beside our temporary file (its name, a
// dot and six characters), which files::AtomicFile counts among its leftovers.
Writer::Writer(const QString& path, files::Access access) : m_path(path), m_file(path, access) {
    int code = 0;
    m_zip = zip_open(QFile::encodeName(m_file.temporaryPath()).constData(), ZIP_TRUNCATE, &code);
    if (!m_zip)
        throw errors::Error(
            QStringLiteral("Unable to write to %1: %2").arg(native(path), messageOfCode(code)));
}

Writer::~Writer() {
    if (m_zip) zip_discard(m_zip);
}

void Writer::addFile(const QString& source, const QString& name) {
    // Asked now, so that the message can name the file; libzip reads it at the end.
    QFile probe(source);
    if (!probe.open(QIODevice::ReadOnly))
        throw errors::Error(
            QStringLiteral("Unable to read %1: %2").arg(native(source), probe.errorString()));
    probe.close();
    const auto fail = [&](zip_error_t* error) {
        throw errors::Error(QStringLiteral("Unable to add %1 to %2: %3")
                                .arg(native(source), native(m_path), messageOf(error)));
    };
    zip_error_t error;
    zip_error_init(&error);
    const auto finish = qScopeGuard([&] { zip_error_fini(&error); });
    zip_source_t* data =
        zip_source_file_create(QFile::encodeName(source).constData(), 0, -1, &error);
    if (!data) fail(&error);
    const zip_int64_t index =
        zip_file_add(m_zip, name.toUtf8().constData(), data, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(data);
        fail(zip_get_error(m_zip));
    }
    if (zip_set_file_compression(m_zip, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 6) != 0)
        fail(zip_get_error(m_zip));
    ++m_entries;
}

void Writer::commit() {
    if (m_entries == 0) {
        // libzip removes an archive without entries instead of writing one.
        zip_discard(m_zip);
        m_zip = nullptr;
        m_file.write(kEmptyArchive);
    } else if (zip_close(m_zip) != 0) {
        const QString message = QString::fromLocal8Bit(zip_strerror(m_zip));
        zip_discard(m_zip);
        m_zip = nullptr;
        throw errors::Error(
            QStringLiteral("Unable to write to %1: %2").arg(native(m_path), message));
    }
    m_zip = nullptr;
    m_file.commit();
}

Reader::Reader(const QString& path) : m_path(path) {
    // A pipe or a device never opens: libzip would wait on it or read it without end.
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        throw errors::Error(
            QStringLiteral("Unable to read %1: it is not a regular file").arg(native(path)));
    int code = 0;
    m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!m_zip) {
        QString why = messageOfCode(code);
        if (code == ZIP_ER_NOZIP)
            why = QStringLiteral("it is damaged or no zip archive");
        else if (code == ZIP_ER_INCONS)
            why += QStringLiteral("; the archive is damaged");
        throw errors::Error(QStringLiteral("Unable to read %1: %2").arg(native(path), why));
    }
}

Reader::~Reader() {
    if (m_zip) zip_discard(m_zip);
}

qint64 Reader::count() const {
    return zip_get_num_entries(m_zip, 0);
}

Entry Reader::entry(qint64 index) const {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(m_zip, static_cast<zip_uint64_t>(index), 0, &st) != 0)
        throw errors::Error(QStringLiteral("Unable to read %1: %2")
                                .arg(native(m_path), QString::fromLocal8Bit(zip_strerror(m_zip))));
    Entry entry;
    entry.name = QString::fromUtf8(st.name);
    entry.size = (st.valid & ZIP_STAT_SIZE) ? static_cast<qint64>(st.size) : 0;
    if (entry.name.endsWith('/') || entry.name.endsWith('\\')) entry.kind = EntryKind::Folder;
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(m_zip, static_cast<zip_uint64_t>(index), 0, &system,
                                         &attributes) == 0 &&
        system == ZIP_OPSYS_UNIX) {
        const mode_t mode = attributes >> 16;
        if (S_ISLNK(mode))
            entry.kind = EntryKind::Link;
        else if (S_ISDIR(mode))
            entry.kind = EntryKind::Folder;
        else if ((mode & S_IFMT) != 0 && !S_ISREG(mode))
            entry.kind = EntryKind::Special;
    }
    return entry;
}

void Reader::extract(qint64 index, const QString& target, files::Access access,
                     files::Links links) const {
    const Entry about = entry(index);
    const auto fail = [&](const QString& why) {
        throw errors::Error(QStringLiteral("Unable to extract \"%1\" from %2: %3")
                                .arg(about.name, native(m_path), why));
    };
    const qint64 free = freeBytes(QFileInfo(target).absolutePath());
    if (free >= 0 && about.size > free)
        fail(QStringLiteral("it needs %1 bytes, but the disk has only %2 bytes free")
                 .arg(about.size)
                 .arg(free));

    files::AtomicFile out(target, access, links);
    zip_file_t* data = zip_fopen_index(m_zip, static_cast<zip_uint64_t>(index), 0);
    if (!data) fail(QString::fromLocal8Bit(zip_strerror(m_zip)));
    const auto close = qScopeGuard([data] { zip_fclose(data); });
    std::vector<char> buffer(256 * 1024);
    qint64 total = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(data, buffer.data(), buffer.size());
        if (n < 0)
            fail(QString::fromLocal8Bit(zip_file_strerror(data)) +
                 QStringLiteral("; the archive is damaged"));
        if (n == 0) break;
        total += n;
        if (total > about.size)
            fail(QStringLiteral("its data is longer than the %1 bytes it states; the archive is "
                                "damaged")
                     .arg(about.size));
        out.write(buffer.data(), static_cast<qsizetype>(n));
    }
    out.commit();
}

QString relativePath(const QString& name) {
    QString path = name;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (path.startsWith(QLatin1Char('/'))) return {};
    QStringList kept;
    for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("..")) return {};
        if (part == QLatin1String(".")) continue;
        // "C:", "C:name": a drive, or a drive's current folder.
        if (kept.isEmpty() && part.size() >= 2 && part[1] == QLatin1Char(':') &&
            part[0].unicode() < 128 && part[0].isLetter())
            return {};
        kept << part;
    }
    return kept.join(QLatin1Char('/'));
}

}  // namespace zipfile
