// Adding picture files to the tagger's batch grid as "Open Images" does, the grid and its
// status line shown: file after file on this thread ("sequential": a row, its thumbnail, the
// status text, the pending events processed), or with the thumbnails made on every core ahead
// of the rows ("pool": the rows, status text and events the same, in the same order).
//
//   grid_bench sequential|pool FILE...
//
// Prints the wall time of the adding, the longest time the event loop did not run (a timer
// due every 2 ms records the largest gap between its firings) and the peak resident memory
// of the process (VmHWM). Run on a display (xvfb-run -a) so that the grid is painted; also
// timed as a whole process by image_bench.sh beside the thumbnails alone and vipsthumbnail.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/widgets/gridview.h"
#include "platform/widgets/statusbar.h"
#include "tagging/batch_grid_model.h"
#include "tagging/batch_grid_view.h"

namespace {

// The peak resident memory of this process in MiB, from /proc/self/status; -1 when unknown.
double peakResidentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (!line.startsWith("VmHWM:")) continue;
        return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;  // kB
    }
    return -1;
}

// The longest gap between two firings of a timer due every intervalMs on this thread, that
// is, the longest time the event loop did not run, from start() on.
class StallProbe {
public:
    explicit StallProbe(int intervalMs) {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(intervalMs);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { tick(); });
    }
    void start() {
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    double stop() {
        tick();
        m_timer.stop();
        return double(m_longest) / 1e6;
    }

private:
    void tick() {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString mode = args.value(0);
    const QStringList files = args.mid(1);
    if ((mode != "sequential" && mode != "pool") || files.isEmpty()) {
        std::fprintf(stderr, "usage: grid_bench sequential|pool FILE...\n");
        return 2;
    }
    const auto add = mode == "pool" ? &addImageRowsInParallel : &addImageRows;

    // The grid's place in the tagger window, with the status line under it.
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* view = new TcxGridTableView(&window);
    auto* status = new TStatusBar(&window);
    status->addStretchingPanel(464, Qt::AlignLeft, QStringLiteral("Ready..."));
    layout->addWidget(view);
    layout->addWidget(status);
    BatchGridModel rows;
    setUpBatchGridView(view, &rows);
    window.resize(441, 780);
    window.show();

    StallProbe probe(2);
    int result = 1;
    double wallMs = 0, stallMs = 0;
    QTimer::singleShot(0, &window, [&] {
        probe.start();
        const auto started = std::chrono::steady_clock::now();
        try {
            add(rows, files, 128, [&](int done, int count) {
                status->setPanelText(
                    0, QStringLiteral("Adding images in process (%1 of %2)").arg(done).arg(count));
                view->scrollToBottom();  // the new row is painted
                QApplication::processEvents();
            });
            status->setPanelText(0, QStringLiteral("Ready ..."));
            result = rows.rowCount() == files.size() ? 0 : 1;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
        }
        wallMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
                .count();
        stallMs = probe.stop();
        QApplication::quit();
    });
    app.exec();
    std::printf(
        "%-10s files %5lld  rows %5d  wall %8.0f ms  %6.1f ms/image  longest stall %6.1f ms"
        "  peak RSS %6.0f MiB\n",
        qPrintable(mode), static_cast<long long>(files.size()), rows.rowCount(), wallMs,
        wallMs / double(files.size()), stallMs, peakResidentMiB());
    return result;
}
