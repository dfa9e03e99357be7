#pragma once

// Named pipes in the place of files, for code that must never wait on one: a read that opens
// a pipe without O_NONBLOCK waits for a writer, and would hang the test.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QScopeGuard>
#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

inline bool makeFifo(const QString& path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// Runs work here and says whether it finished by itself. A watchdog thread waits beside it:
// when work has not finished after a few seconds, it opens the pipes for writing and closes
// them again, over and over, so that a reader waiting on one sees its end and work finishes
// after all, and the test fails instead of hanging. The function that work tests should not
// throw what it is expected to report; work catches that itself.
inline bool finishesWithoutWaitingOn(const QStringList& fifos, const std::function<void()>& work) {
    using namespace std::chrono_literals;
    std::atomic<bool> done{false};
    std::atomic<bool> released{false};
    std::thread watchdog([&] {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (!done && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        while (!done) {
            for (const QString& fifo : fifos) {
                const int fd =
                    ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) {
                    released = true;
                    ::close(fd);
                }
            }
            std::this_thread::sleep_for(10ms);
        }
    });
    const auto stop = qScopeGuard([&] {
        done = true;
        watchdog.join();
    });
    work();
    return !released;
}
