#include "platform/files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "platform/errors/errors.h"

namespace files {
namespace {

constexpr int kSuffixLength = 6;  // mkstemp's XXXXXX

[[noreturn]] void fail(const QString& path, int error) {
    throw errors::Error(
        QStringLiteral("Unable to write to %1: %2")
            .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(error))));
}

// A descriptor that is closed when it goes out of scope (close errors of the normal path
// are checked before that).
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

void removeStaleTemporaries(const QFileInfo& target) {
    QDir dir = target.absoluteDir();
    const QStringList names = dir.entryList({target.fileName() + QStringLiteral(".??????")},
                                            QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names)
        if (isTemporaryOf(target.fileName(), name)) dir.remove(name);
}

}  // namespace

bool isTemporaryOf(const QString& target, const QString& name) {
    if (name.size() != target.size() + 1 + kSuffixLength || !name.startsWith(target) ||
        name[target.size()] != QLatin1Char('.'))
        return false;
    for (qsizetype i = target.size() + 1; i < name.size(); ++i) {
        const QChar c = name[i];
        if (!(c.isLetterOrNumber() && c.unicode() < 128)) return false;
    }
    return true;
}

void writeAtomically(const QString& path, const QByteArray& data, Access access) {
    const QFileInfo target(path);
    removeStaleTemporaries(target);

    QByteArray tempName = QFile::encodeName(target.absoluteFilePath()) + ".XXXXXX";
    Descriptor out;
    out.fd = ::mkstemp(tempName.data());
    if (out.fd < 0) fail(path, errno);
    bool renamed = false;
    auto cleanup = [&] {
        if (!renamed) ::unlink(tempName.constData());
    };
    try {
        // mkstemp makes the file 0600; a normal file gets what the umask allows, and keeps
        // the mode of the file it replaces.
        if (access == Access::Normal) {
            mode_t mode = 0666;
            struct stat old {};
            if (::stat(QFile::encodeName(target.absoluteFilePath()).constData(), &old) == 0) {
                mode = old.st_mode & 07777;
            } else {
                const mode_t mask = ::umask(0);
                ::umask(mask);
                mode &= ~mask;
            }
            if (::fchmod(out.fd, mode) != 0) fail(path, errno);
        }
        const char* p = data.constData();
        qsizetype left = data.size();
        while (left > 0) {
            const ssize_t n = ::write(out.fd, p, static_cast<size_t>(left));
            if (n < 0) {
                if (errno == EINTR) continue;
                fail(path, errno);
            }
            p += n;
            left -= n;
        }
        if (::fsync(out.fd) != 0) fail(path, errno);
        const int fd = out.fd;
        out.fd = -1;
        if (::close(fd) != 0) fail(path, errno);
        if (::rename(tempName.constData(),
                     QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
            fail(path, errno);
        renamed = true;
    } catch (...) {
        cleanup();
        throw;
    }
}

}  // namespace files
