#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tagging {

// The grid's thumbnails of a list of picture files (loadThumbnailBitmap), made on worker
// threads ahead of the caller and handed back strictly in file order, so that rows are still
// added one after the other on the caller's thread while the decoding uses every core.
//
// The first file is made before any other starts, so that the first row comes as soon as
// one picture can be made. Memory stays bounded whatever the number of files: a worker
// decodes one picture at a time, and no file is started more than window() places beyond the
// next one the caller takes; a worker that is that far ahead waits until the caller takes
// results. A worker's decode takes at most a share of the decoding budget; a picture that
// needs more is decoded again under the whole budget, by one worker at a time.
//
// Made, used and destroyed on one thread with an event loop (the owner's); the thumbnails are
// QImages, made into pixmaps there. The first failure is the last result: once the caller has
// taken it, the files after it are dropped, as the adding of rows ends there.
class ThumbnailPool : public QObject {
    Q_OBJECT
public:
    // One file's result: the thumbnail, or the message of the error that decoding it threw
    // (what the application's default handler shows for it).
    struct Result {
        QImage thumbnail;  // null when failed
        QString error;
        bool failed = false;
    };

    // Starts making the thumbnails of files, each fitting a size x size square, on that many
    // worker threads (0: one per core), never more threads than files. Throws
    // std::system_error when not even one thread can be started.
    ThumbnailPool(QStringList files, int size, int workers = 0, QObject* parent = nullptr);
    // Cancels, and returns once every worker thread has ended (a worker in the middle of a
    // picture finishes that one first).
    ~ThumbnailPool() override;
    ThumbnailPool(const ThumbnailPool&) = delete;
    ThumbnailPool& operator=(const ThumbnailPool&) = delete;

    int count() const { return static_cast<int>(m_files.size()); }
    // How many files may be held, made or being made at once: twice the workers, and the one
    // the caller takes next.
    int window() const { return m_window; }

    // The result of the next file in order when it is ready; nothing while it is still being
    // made, and for good once every result is taken, a failure was taken, or after cancel().
    std::optional<Result> takeNext();
    // The same, waiting without events until the next result is there (or the pool is at
    // its end).
    std::optional<Result> waitForNext();
    // Every result was taken, a failure was taken, or the pool was cancelled.
    bool atEnd() const;
    // Stops handing out files and drops every result not yet taken; takeNext() gives
    // nothing from here on. The workers end after the picture they are decoding.
    void cancel();

    // Worker threads of this pool still running, and of every pool in the process.
    int runningWorkers() const;
    static int liveWorkerThreads() { return s_live.load(); }
    // Finished results not yet taken, and the most there have been at once; workers waiting
    // for the caller to take results. For tests and benchmarks.
    int heldResults() const;
    int peakHeldResults() const;
    int waitingWorkers() const;

signals:
    // The next result in order is ready for takeNext(). Emitted on the owner's thread, again
    // after each takeNext() that leaves the next result ready, so taking one result per signal
    // misses none.
    void resultReady();

private:
    void work() noexcept;
    // With m_mutex held: tells the owner's thread when the next result is ready.
    void notifyIfReadyLocked();

    const QStringList m_files;
    const int m_size;
    int m_window = 0;

    mutable std::mutex m_mutex;
    std::mutex m_large;  // held by the one worker decoding a picture under the whole budget
    std::condition_variable m_filled;            // the next result may be there, or the end
    std::condition_variable m_room;              // a file may be started, or the pool is cancelled
    std::vector<std::optional<Result>> m_slots;  // file i's result in slot i % m_window
    int m_next = 0;                              // the file whose result the caller takes next
    int m_nextFile = 0;                          // the next file to hand to a worker
    int m_end = 0;  // no file from here on is handed out: the count, or past a failure
    bool m_cancelled = false;
    bool m_firstMade = false;  // the first file's result was made (the others may start)
    bool m_notifyPending = false;
    int m_held = 0;
    int m_peakHeld = 0;
    int m_waiting = 0;
    int m_running = 0;
    std::vector<std::thread> m_workers;
    static inline std::atomic<int> s_live{0};
};

}  // namespace tagging
