// The grid's thumbnails made on worker threads: handed back in file order, the first failure
// ending the list with the decoder's own message, memory bounded, every thread ended on
// cancel and destruction. Real picture files made in a temporary folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <vector>

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include "platform/image/jpeg.h"
#include "tagging/thumbnail.h"
#include "tagging/thumbnail_pool.h"
#include "tests/support/crafted_pictures.h"
#include "tests/support/file_bytes.h"

namespace {

using tagging::ThumbnailPool;

// Long enough for a slow machine under the sanitizers; reached only when a test fails.
constexpr int kPatienceMs = 60'000;

// A smooth picture of its own colour, so that every file's thumbnail differs.
QImage picture(int width, int height, int shade) {
    QImage img(width, height, QImage::Format_RGB888);
    QPainter p(&img);
    QLinearGradient g(0, 0, width, height);
    g.setColorAt(0, QColor(shade % 256, 40, 200));
    g.setColorAt(1, QColor(30, (shade * 7) % 256, 90));
    p.fillRect(img.rect(), g);
    return img;
}

// What the single-threaded path gives for a file: its thumbnail, or its error's message.
ThumbnailPool::Result expectedFor(const QString& file) {
    ThumbnailPool::Result r;
    try {
        r.thumbnail = tagging::loadThumbnailBitmap(file, 128);
    } catch (const std::exception& e) {
        r.failed = true;
        r.error = QString::fromStdString(e.what());
    }
    return r;
}

// Takes one result per resultReady signal, as a window adding a row per signal would, until
// the pool is at its end.
std::vector<ThumbnailPool::Result> takeAllBySignal(ThumbnailPool& pool) {
    std::vector<ThumbnailPool::Result> taken;
    const QMetaObject::Connection c =
        QObject::connect(&pool, &ThumbnailPool::resultReady, &pool, [&] {
            if (auto r = pool.takeNext()) taken.push_back(std::move(*r));
        });
    EXPECT_TRUE(QTest::qWaitFor([&] { return pool.atEnd(); }, kPatienceMs));
    QObject::disconnect(c);
    return taken;
}

void expectSame(const std::vector<ThumbnailPool::Result>& taken, const QStringList& files) {
    ASSERT_EQ(taken.size(), size_t(files.size()));
    for (int i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].toStdString());
        const ThumbnailPool::Result want = expectedFor(files[i]);
        EXPECT_EQ(taken[size_t(i)].failed, want.failed);
        EXPECT_EQ(taken[size_t(i)].error, want.error);
        EXPECT_EQ(taken[size_t(i)].thumbnail, want.thumbnail);
    }
}

// Workers that are all waiting for the caller, or all gone.
bool settled(const ThumbnailPool& pool, int workers) {
    return pool.waitingWorkers() == workers || pool.runningWorkers() == 0;
}

class ThumbnailPoolTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        // A PNG is decoded whole before it is scaled: far slower than the small JPEGs.
        large = dir->filePath("large.png");
        ASSERT_TRUE(picture(3000, 2000, 1).save(large));
        for (int i = 0; i < 24; ++i) {
            small << dir->filePath(QStringLiteral("small-%1.jpg").arg(i));
            writeFile(small.back(), image::jpeg::encode(picture(150 + 3 * i, 100 + i, 10 * i), 90));
        }
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }

    static inline QTemporaryDir* dir = nullptr;
    static inline QString large;
    static inline QStringList small;
};

TEST_F(ThumbnailPoolTest, ResultsComeInFileOrderAsTheSingleThreadedPathMakesThem) {
    // The large picture first: the small ones after it finish first on the other workers.
    const QStringList files = QStringList{large} + small + QStringList{large} + small.mid(0, 4);
    ThumbnailPool pool(files, 128, 4);
    expectSame(takeAllBySignal(pool), files);
    EXPECT_FALSE(pool.takeNext().has_value());
}

// Pictures that need more than a worker's share of the decoding budget are still made, as
// the single-threaded path makes them; one over the whole budget fails with its message.
TEST_F(ThumbnailPoolTest, PicturesOverAWorkersShareOfTheBudgetAreMadeAsAlone) {
    QStringList files;
    for (int i = 0; i < 3; ++i) {
        files << dir->filePath(QStringLiteral("deep-%1.png").arg(i));
        writeFile(files.back(), crafted::blackPng(5000, 4000, 16));  // 160 MB to decode
    }
    files << small.mid(0, 3);
    const QString tooLarge = dir->filePath("too-large.png");
    writeFile(tooLarge, crafted::blackPng(9000, 8000, 16));  // 576 MB
    files << tooLarge;
    ThumbnailPool pool(files, 128, 4);
    const std::vector<ThumbnailPool::Result> taken = takeAllBySignal(pool);
    expectSame(taken, files);
    ASSERT_EQ(taken.size(), size_t(files.size()));
    EXPECT_FALSE(taken[0].failed);
    EXPECT_TRUE(taken.back().failed);
}

TEST_F(ThumbnailPoolTest, AFailureIsTheLastResultWithTheDecodersMessage) {
    const QByteArray good = readAll(small[0]);
    const std::pair<const char*, QByteArray> damaged[] = {
        {"cut.jpg", good.left(good.size() / 2)},
        {"notes.jpg", "These are my notes, not a picture.\n"},
        {"empty.png", QByteArray()},
    };
    for (const auto& [name, bytes] : damaged) {
        SCOPED_TRACE(name);
        const QString bad = dir->filePath(QString::fromLatin1(name));
        writeFile(bad, bytes);
        const QStringList files = small.mid(0, 3) + QStringList{bad} + small.mid(3);
        ThumbnailPool pool(files, 128, 3);
        const std::vector<ThumbnailPool::Result> taken = takeAllBySignal(pool);
        expectSame(taken, files.mid(0, 4));
        ASSERT_EQ(taken.size(), 4u);
        EXPECT_TRUE(taken.back().failed);
        EXPECT_TRUE(taken.back().thumbnail.isNull());
        EXPECT_FALSE(taken.back().error.isEmpty());
        // The files after it are dropped, also those whose thumbnails are made by now.
        EXPECT_TRUE(QTest::qWaitFor([&] { return pool.runningWorkers() == 0; }, kPatienceMs));
        EXPECT_FALSE(pool.takeNext().has_value());
        EXPECT_EQ(pool.heldResults(), 0);
    }
    const QString missing = dir->filePath("missing.jpg");
    ThumbnailPool pool({missing, small[0]}, 128, 2);
    expectSame(takeAllBySignal(pool), {missing});
}

TEST_F(ThumbnailPoolTest, NoFileIsStartedMoreThanTheWindowAheadOfTheCaller) {
    const int workers = 2;
    ThumbnailPool pool(small, 128, workers);
    ASSERT_EQ(pool.window(), 2 * workers + 1);
    ASSERT_GT(small.size(), 3 * pool.window());

    // Nothing taken: the workers fill the window and wait.
    ASSERT_TRUE(QTest::qWaitFor([&] { return settled(pool, workers); }, kPatienceMs));
    EXPECT_EQ(pool.waitingWorkers(), workers);
    EXPECT_EQ(pool.heldResults(), pool.window());

    // A slow caller: one result at a time, taken once the workers have filled the window
    // again (or made the last files).
    std::vector<ThumbnailPool::Result> taken;
    while (!pool.atEnd()) {
        const int rest = int(small.size() - taken.size());
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return pool.heldResults() >= std::min(pool.window(), rest) &&
                       settled(pool, workers);
            },
            kPatienceMs));
        ASSERT_LE(pool.heldResults(), pool.window());
        std::optional<ThumbnailPool::Result> r = pool.takeNext();
        ASSERT_TRUE(r.has_value());
        taken.push_back(std::move(*r));
    }
    EXPECT_EQ(pool.peakHeldResults(), pool.window());
    expectSame(taken, small);
}

TEST_F(ThumbnailPoolTest, CancelAndDestructionEndEveryWorkerThread) {
    const QStringList busy(12, large);
    {
        // Cancelled while the workers decode: nothing more is handed back or signalled.
        ThumbnailPool pool(busy, 128, 4);
        int emitted = 0;
        QObject::connect(&pool, &ThumbnailPool::resultReady, &pool, [&] { ++emitted; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return pool.heldResults() > 0; }, kPatienceMs));
        pool.cancel();
        emitted = 0;
        EXPECT_TRUE(pool.atEnd());
        EXPECT_EQ(pool.heldResults(), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return pool.runningWorkers() == 0; }, kPatienceMs));
        QCoreApplication::processEvents();
        EXPECT_EQ(emitted, 0);
        EXPECT_FALSE(pool.takeNext().has_value());
    }
    {
        // Destroyed while every worker is in the middle of a picture.
        ThumbnailPool pool(busy, 128, 4);
        ASSERT_TRUE(QTest::qWaitFor([&] { return pool.heldResults() > 0; }, kPatienceMs));
    }
    EXPECT_EQ(ThumbnailPool::liveWorkerThreads(), 0);
    {
        // Destroyed while the workers wait for the caller to take results.
        ThumbnailPool pool(small, 128, 2);
        ASSERT_TRUE(QTest::qWaitFor([&] { return pool.waitingWorkers() == 2; }, kPatienceMs));
    }
    EXPECT_EQ(ThumbnailPool::liveWorkerThreads(), 0);
}

TEST_F(ThumbnailPoolTest, OneFileAndNoFiles) {
    ThumbnailPool one({small[5]}, 128, 8);
    EXPECT_EQ(one.window(), 3);  // one worker for one file
    EXPECT_LE(one.runningWorkers(), 1);
    expectSame(takeAllBySignal(one), {small[5]});

    ThumbnailPool none({}, 128);
    EXPECT_TRUE(none.atEnd());
    EXPECT_EQ(none.runningWorkers(), 0);
    EXPECT_FALSE(none.takeNext().has_value());
}

}  // namespace
