// Start-up on a large database: from the show handler to the listing shown, reopening
// the full listing, and the process's peak memory.
//   build/bench/startup_bench [records]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/form1.h"
#include "app/program.h"
#include "bench/make_bench_db.h"
#include "platform/appfolder/appfolder.h"
#include "platform/errors/application.h"
#include "platform/sql/sql.h"
#include "records/dm.h"
#include "records/searchcard.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int records = argc > 1 ? atoi(argv[1]) : 100000;
    TApplication app(argc, argv);
    ApplyLookAndFeelDefaults();

    const QString folder = QDir::tempPath() + QStringLiteral("/pixolet-bench-%1/").arg(records);
    QDir().mkpath(folder + "DB");
    QElapsedTimer timer;
    timer.start();
    bench::BenchDatabaseShape shape;
    shape.records = records;
    const QString cached =
        bench::cachedBenchDatabase(QStringLiteral(PIXOLET_BENCH_DATA_DIR), shape);
    QFile::remove(folder + "DB/KeywordsDB.db");
    if (!QFile::copy(cached, folder + "DB/KeywordsDB.db")) {
        std::fprintf(stderr, "could not copy the database\n");
        return 1;
    }
    std::printf("database of %d records ready (%lld ms)\n", records, timer.elapsed());
    appfolder::setProgramFolderForTests(folder);
    QFile::remove(folder + "SpellIni.ini");

    CreateForms();
    timer.restart();
    Form1->show();  // runs the start-up sequence
    app.processEvents();
    Form1->SearchCard->cxGrid1->repaint();
    const qint64 startup = timer.elapsed();
    std::printf("start-up, show to listing shown: %lld ms (%d rows in the grid)\n", startup,
                Form1->SearchCard->cxGrid1->model()->rowCount());

    std::vector<qint64> reopen;
    for (int i = 0; i < 10; ++i) {
        timer.restart();
        DM->FDQuery1->setSQL(QStringLiteral("Select * FROM tblTags"));
        DM->FDQuery1->open();
        app.processEvents();
        Form1->SearchCard->cxGrid1->repaint();
        reopen.push_back(timer.elapsed());
    }
    std::sort(reopen.begin(), reopen.end());
    std::printf("reopening the full listing: median %lld ms, best %lld ms, worst %lld ms\n",
                reopen[reopen.size() / 2], reopen.front(), reopen.back());

    // Peak resident memory counts the database pages that the engine reads through a
    // memory map; those are the system's file cache, shared and given back on demand.
    // The program's own memory is the anonymous part.
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM") || line.startsWith("RssAnon") ||
                line.startsWith("RssFile"))
                std::printf("%s\n", line.simplified().constData());
    }
    DestroyForms();
    return 0;
}
