#include "platform/files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <cerrno>
#include <cstring>

#include "platform/errors/errors.h"

namespace files {
namespace {

constexpr int kSuffixLength = 6;  // mkstemp's XXXXXX
// The part of a temporary file's name that marks it as the program's own.
constexpr char kMarker[] = ".pixolet-tmp-";

[[noreturn]] void failWith(const QString& path, const QString& reason) {
    throw errors::Error(
        QStringLiteral("Unable to write to %1: %2").arg(QDir::toNativeSeparators(path), reason));
}

QString systemMessage(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The file a write of path replaces: with Links::Follow the file a symbolic link leads to,
// else path itself.
QString targetOf(const QString& path, Links links) {
    const QFileInfo info(path);
    if (links == Links::Follow && info.isSymLink()) {
        const QString resolved = info.canonicalFilePath();
        if (!resolved.isEmpty()) return resolved;
    }
    return info.absoluteFilePath();
}

// Once a run for each folder: the leftovers of interrupted writes, found by the marker in
// their names. Listing the folder at every write would make writing many files into one
// folder (a restore) slow in the square of their number. Only files older than an hour go: a
// temporary file that another run of the program is writing now stays.
void removeLeftOversIn(const QString& folder) {
    constexpr qint64 kLeftOverAgeSeconds = 3600;
    static QMutex mutex;
    static QSet<QString> cleaned;
    {
        const QMutexLocker lock(&mutex);
        if (cleaned.contains(folder)) return;
        cleaned.insert(folder);
    }
    QDir dir(folder);
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-kLeftOverAgeSeconds);
    const QFileInfoList files =
        dir.entryInfoList({QStringLiteral(".*") + QLatin1String(kMarker) + '*'},
                          QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& file : files)
        if (isTemporaryName(file.fileName()) && file.lastModified().toUTC() < before)
            dir.remove(file.fileName());
}

// The permissions the new file gets: those of the file it replaces (not those of a file that
// a replaced link leads to), else what the umask leaves of 0666; a secret is for its owner
// only.
mode_t modeFor(const QByteArray& target, Access access) {
    if (access == Access::OwnerOnly) return 0600;
    struct stat old {};
    if (::lstat(target.constData(), &old) == 0 && S_ISREG(old.st_mode)) return old.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Closes a descriptor; the error of close counts as the write's error.
int closeChecked(int fd) {
    return ::close(fd) == 0 ? 0 : errno;
}

}  // namespace

AtomicFile::AtomicFile(const QString& path, Access access, Links links)
    : m_path(path), m_target(targetOf(path, links)), m_access(access) {
    // A link to follow was resolved above (one that leads nowhere is replaced); with
    // Links::Replace the link itself is replaced.
    const QByteArray existing = QFile::encodeName(m_target);
    struct stat st {};
    const int found = links == Links::Follow ? ::stat(existing.constData(), &st)
                                             : ::lstat(existing.constData(), &st);
    if (found == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) {
        if (S_ISDIR(st.st_mode)) fail(EISDIR);
        failWith(m_path, QStringLiteral("it is not a regular file"));
    }
    const QFileInfo target(m_target);
    removeLeftOversIn(target.absolutePath());
    QByteArray name = QFile::encodeName(target.absolutePath() + QStringLiteral("/.") +
                                        target.fileName() + QLatin1String(kMarker)) +
                      "XXXXXX";
    m_fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0) fail(errno);
    m_temporary = QFile::decodeName(name);
}

AtomicFile::~AtomicFile() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_committed && !m_temporary.isEmpty()) ::unlink(QFile::encodeName(m_temporary));
}

void AtomicFile::fail(int error) const {
    failWith(m_path, systemMessage(error));
}

void AtomicFile::write(const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        data += n;
        size -= n;
    }
}

void AtomicFile::commit() {
    if (::fsync(m_fd) != 0) fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (const int error = closeChecked(fd)) fail(error);

    // The file by its name once more: a library may have replaced it with one of its own.
    const QByteArray temporary = QFile::encodeName(m_temporary);
    const QByteArray target = QFile::encodeName(m_target);
    const int written = ::open(temporary.constData(), O_RDONLY | O_CLOEXEC);
    if (written < 0) fail(errno);
    if (::fchmod(written, modeFor(target, m_access)) != 0 || ::fsync(written) != 0) {
        const int error = errno;
        ::close(written);
        fail(error);
    }
    if (const int error = closeChecked(written)) fail(error);
    if (::rename(temporary.constData(), target.constData()) != 0) fail(errno);
    m_committed = true;

    // The rename itself reaches the disk with the folder; the file is already in place.
    const int folder = ::open(QFile::encodeName(QFileInfo(m_target).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

void writeAtomically(const QString& path, const QByteArray& data, Access access, Links links) {
    AtomicFile file(path, access, links);
    file.write(data);
    file.commit();
}

bool isTemporaryName(const QString& name) {
    const auto isSuffix = [&](qsizetype from) {
        for (qsizetype i = from; i < from + kSuffixLength; ++i)
            if (!(name[i].isLetterOrNumber() && name[i].unicode() < 128)) return false;
        return true;
    };
    const qsizetype marker = name.lastIndexOf(QLatin1String(kMarker));
    // ".", at least one character of the file's name, the marker and the suffix.
    if (!name.startsWith(QLatin1Char('.')) || marker < 2) return false;
    const qsizetype suffix = marker + qsizetype(sizeof kMarker) - 1;
    if (name.size() == suffix + kSuffixLength) return isSuffix(suffix);
    return name.size() == suffix + 2 * kSuffixLength + 1 && isSuffix(suffix) &&
           name[suffix + kSuffixLength] == QLatin1Char('.') && isSuffix(suffix + kSuffixLength + 1);
}

namespace {

// Why the folder whose lstat() this is is no folder of the user's own; empty when it is one.
QString notOwnFolder(const struct stat& st) {
    if (S_ISLNK(st.st_mode)) return QStringLiteral("it is a symbolic link");
    if (!S_ISDIR(st.st_mode)) return QStringLiteral("it is not a folder");
    if (st.st_uid != ::geteuid()) return QStringLiteral("it belongs to another user");
    return {};
}

}  // namespace

void ensurePrivateFolder(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    const auto refuse = [&](const QString& why) {
        throw errors::Error(QStringLiteral("Unable to use the folder %1: %2")
                                .arg(QDir::toNativeSeparators(folder), why));
    };
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) refuse(systemMessage(errno));
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0) refuse(systemMessage(errno));
    if (const QString why = notOwnFolder(st); !why.isEmpty()) refuse(why);
    if ((st.st_mode & 077) != 0 && ::chmod(path.constData(), 0700) != 0)
        refuse(systemMessage(errno));
}

bool isOwnFolder(const QString& folder) {
    struct stat st {};
    return ::lstat(QFile::encodeName(folder).constData(), &st) == 0 && notOwnFolder(st).isEmpty();
}

bool openRegularFile(QFile& file, const QString& path, QString* why) {
    const auto failed = [&](const QString& reason) {
        if (why) *why = reason;
        return false;
    };
    // Non-blocking, so that opening a pipe does not wait for a writer; for a regular file
    // the flag changes nothing.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return failed(systemMessage(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return failed(systemMessage(error));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return failed(S_ISDIR(st.st_mode) ? systemMessage(EISDIR)
                                          : QStringLiteral("Not a regular file"));
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return failed(file.errorString());
    }
    return true;
}

std::optional<QByteArray> readRegularFile(const QString& path) {
    QFile file;
    if (!openRegularFile(file, path)) return std::nullopt;
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    return content;
}

QByteArray readWholeFile(const QString& path) {
    QFile file;
    QString why;
    if (!openRegularFile(file, path, &why))
        throw errors::Error(
            QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(path), why));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw errors::Error(QStringLiteral("Cannot read file \"%1\". %2")
                                .arg(QDir::toNativeSeparators(path), file.errorString()));
    return bytes;
}

}  // namespace files
