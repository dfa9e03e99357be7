#include "tests/support/small_tmpfs.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {

QString systemMessage(const char* what) {
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
}

// Moves the calling thread into a mount namespace of its own whose mounts do not propagate
// back, once per thread.
bool privateMounts(QString* why) {
    thread_local int state = 0;  // 0 not tried, 1 done, -1 failed
    thread_local QString failure;
    if (state == 0) {
        if (::geteuid() != 0) {
            failure = QStringLiteral("mounting a tmpfs needs root");
            state = -1;
        } else if (::unshare(CLONE_NEWNS) != 0) {
            failure = systemMessage("unshare");
            state = -1;
        } else if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            failure = systemMessage("mount --make-rprivate /");
            state = -1;
        } else {
            state = 1;
        }
    }
    if (state < 0) *why = failure;
    return state > 0;
}

}  // namespace

SmallTmpfs::SmallTmpfs(const char* size) {
    if (!privateMounts(&m_why)) return;
    QByteArray point = QFile::encodeName(QDir::tempPath()) + "/pixolet-tmpfs-XXXXXX";
    if (!::mkdtemp(point.data())) {
        m_why = systemMessage("mkdtemp");
        return;
    }
    m_path = QFile::decodeName(point);
    const QByteArray options = QByteArray("size=") + size + ",mode=0755";
    if (::mount("tmpfs", point.constData(), "tmpfs", 0, options.constData()) != 0) {
        m_why = systemMessage("mount -t tmpfs");
        ::rmdir(point.constData());
        return;
    }
    m_mounted = true;
}

SmallTmpfs::~SmallTmpfs() {
    if (m_mounted) ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
    if (!m_path.isEmpty()) ::rmdir(QFile::encodeName(m_path).constData());
}

void SmallTmpfs::fill() {
    const int fd = ::open(QFile::encodeName(m_path + "/filler").constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    std::vector<char> block(64 * 1024, 'f');
    // Smaller and smaller writes until not one byte more fits.
    for (std::size_t size = block.size(); size > 0;) {
        if (::write(fd, block.data(), size) < 0) size /= 2;
    }
    ::close(fd);
}

void SmallTmpfs::removeFiller() {
    QFile::remove(m_path + "/filler");
}
