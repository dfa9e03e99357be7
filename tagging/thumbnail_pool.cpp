#include "tagging/thumbnail_pool.h"

#include <algorithm>
#include <exception>
#include <utility>

#include <QThread>

#include "platform/errors/errors.h"
#include "platform/image/decode_error.h"
#include "platform/image/image.h"
#include "platform/image/resample.h"
#include "tagging/thumbnail.h"

namespace tagging {
namespace {

// What one worker's decode may take; a picture that needs more is decoded again under the
// whole budget, by one worker at a time, so that the pool's decodes together stay near
// workers x kWorkerBudget + image::kDecodeBudget whatever the files.
constexpr qint64 kWorkerBudget = qint64(128) << 20;

// The thumbnail of one file, or the message the default handler would show for its error.
ThumbnailPool::Result makeThumbnail(const QString& file, int size, std::mutex& large) noexcept {
    ThumbnailPool::Result result;
    try {
        try {
            result.thumbnail = loadThumbnailBitmap(file, size);
        } catch (const image::OverBudget&) {
            const std::lock_guard alone(large);
            image::limitDecodeBudgetOfThisThread(0);
            const auto back =
                errors::finally([] { image::limitDecodeBudgetOfThisThread(kWorkerBudget); });
            result.thumbnail = loadThumbnailBitmap(file, size);
        }
        return result;
    } catch (const std::exception& e) {
        result.error = QString::fromStdString(e.what());
    } catch (...) {
    }
    result.failed = true;
    return result;
}

}  // namespace

ThumbnailPool::ThumbnailPool(QStringList files, int size, int workers, QObject* parent)
    : QObject(parent), m_files(std::move(files)), m_size(size) {
    const int n = count();
    if (workers <= 0) workers = std::max(1, QThread::idealThreadCount());
    workers = std::min(workers, n);
    m_window = 2 * workers + 1;
    m_end = n;
    if (n == 0) return;
    m_slots.resize(size_t(m_window));
    m_workers.reserve(size_t(workers));
    for (int i = 0; i < workers; ++i) {
        {
            const std::lock_guard lock(m_mutex);
            ++m_running;
        }
        ++s_live;
        try {
            m_workers.emplace_back([this] { work(); });
        } catch (...) {
            {
                const std::lock_guard lock(m_mutex);
                --m_running;
            }
            --s_live;
            // Without any thread the thumbnails cannot be made: the caller is told so. With
            // fewer threads than asked for, those do the work.
            if (m_workers.empty()) throw;
            break;
        }
    }
}

ThumbnailPool::~ThumbnailPool() {
    cancel();
    for (std::thread& worker : m_workers) worker.join();
}

void ThumbnailPool::work() noexcept {
    // The workers share the cores among themselves: each scales its picture on its own.
    image::limitResampleThreadsOfThisThread(1);
    image::limitDecodeBudgetOfThisThread(kWorkerBudget);
    // Every error of a picture is caught where it is made; what could still fail here is the
    // locking itself, and then this worker ends.
    try {
        for (;;) {
            int index = 0;
            {
                std::unique_lock lock(m_mutex);
                // The first file is made alone, so that it is there as soon as one picture
                // can be made: the caller waits for it without running events.
                const auto canStart = [&] {
                    return m_cancelled || m_nextFile >= m_end ||
                           (m_nextFile < m_next + m_window && (m_nextFile == 0 || m_firstMade));
                };
                if (!canStart()) {
                    ++m_waiting;
                    m_room.wait(lock, canStart);
                    --m_waiting;
                }
                if (m_cancelled || m_nextFile >= m_end) break;
                index = m_nextFile++;
            }
            Result result = makeThumbnail(m_files[index], m_size, m_large);
            const std::lock_guard lock(m_mutex);
            if (m_cancelled) break;
            // A failure ends the list: the files after it are not needed.
            if (result.failed) m_end = std::min(m_end, index + 1);
            m_slots[size_t(index % m_window)] = std::move(result);
            if (index == 0) {
                m_firstMade = true;
                m_room.notify_all();
            }
            m_peakHeld = std::max(m_peakHeld, ++m_held);
            notifyIfReadyLocked();
            m_filled.notify_all();
        }
    } catch (...) {
    }
    {
        const std::lock_guard lock(m_mutex);
        --m_running;
    }
    --s_live;
}

void ThumbnailPool::notifyIfReadyLocked() {
    if (m_cancelled || m_notifyPending || m_next >= m_end) return;
    if (!m_slots[size_t(m_next % m_window)]) return;
    m_notifyPending = true;
    // Posted to this object, so that it is dropped with the pool, and emitted on its thread.
    QMetaObject::invokeMethod(
        this,
        [this] {
            {
                const std::lock_guard lock(m_mutex);
                m_notifyPending = false;
                if (m_cancelled || m_next >= m_end || !m_slots[size_t(m_next % m_window)]) return;
            }
            emit resultReady();
        },
        Qt::QueuedConnection);
}

std::optional<ThumbnailPool::Result> ThumbnailPool::takeNext() {
    std::optional<Result> result;
    {
        const std::lock_guard lock(m_mutex);
        if (m_cancelled || m_next >= m_end) return std::nullopt;
        std::optional<Result>& slot = m_slots[size_t(m_next % m_window)];
        if (!slot) return std::nullopt;
        result = std::move(slot);
        slot.reset();
        --m_held;
        ++m_next;
        if (!result->failed) notifyIfReadyLocked();
    }
    if (result->failed) {
        cancel();
    } else {
        m_room.notify_all();
    }
    return result;
}

std::optional<ThumbnailPool::Result> ThumbnailPool::waitForNext() {
    {
        std::unique_lock lock(m_mutex);
        m_filled.wait(lock, [this] {
            return m_cancelled || m_next >= m_end || m_slots[size_t(m_next % m_window)];
        });
    }
    return takeNext();
}

bool ThumbnailPool::atEnd() const {
    const std::lock_guard lock(m_mutex);
    return m_cancelled || m_next >= m_end;
}

void ThumbnailPool::cancel() {
    {
        const std::lock_guard lock(m_mutex);
        m_cancelled = true;
        for (std::optional<Result>& slot : m_slots) slot.reset();
        m_held = 0;
    }
    m_room.notify_all();
    m_filled.notify_all();
}

int ThumbnailPool::runningWorkers() const {
    const std::lock_guard lock(m_mutex);
    return m_running;
}

int ThumbnailPool::heldResults() const {
    const std::lock_guard lock(m_mutex);
    return m_held;
}

int ThumbnailPool::peakHeldResults() const {
    const std::lock_guard lock(m_mutex);
    return m_peakHeld;
}

int ThumbnailPool::waitingWorkers() const {
    const std::lock_guard lock(m_mutex);
    return m_waiting;
}

}  // namespace tagging
