// The Search card's searches on a 100,000-record database: from Enter in the search box
// to the card painted with the result. Run by hand:
//   cmake -S . -B build -G Ninja -DPIXOLET_BENCH=ON && cmake --build build --target bench_search
//   QT_QPA_PLATFORM=offscreen build/bench/bench_search
#include <benchmark/benchmark.h>

#include <QAbstractItemModel>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstdlib>

#include "app/form1.h"
#include "app/program.h"
#include "bench/make_bench_db.h"
#include "platform/appfolder/appfolder.h"
#include "platform/dialogs/dialogs.h"
#include "platform/errors/application.h"
#include "platform/widgets/edits.h"
#include "records/searchcard.h"

namespace {

// No dialog may show during a measurement: any box ends the run with its text.
class NoDialogs : public dialogs::Dialogs {
public:
    [[noreturn]] static void fail(const QString& text) {
        std::fprintf(stderr, "unexpected dialog: %s\n", qPrintable(text));
        std::exit(1);
    }
    void message(const QString& text, dialogs::Place) override { fail(text); }
    void error(const QString& text) override { fail(text); }
    dialogs::Answer confirm(const QString& text, dialogs::Icon, dialogs::Place, bool) override {
        fail(text);
    }
    void informationAt(const QString& text, QPoint) override { fail(text); }
    void messageAt(const QString& text, QPoint) override { fail(text); }
    dialogs::Answer confirmAt(const QString& text, dialogs::Icon, QPoint) override { fail(text); }
    QStringList openFiles(const dialogs::FileRequest& r) override { fail(r.title); }
    std::optional<QString> saveFile(const dialogs::FileRequest& r) override { fail(r.title); }
    std::optional<int> chooseColor(int) override { fail(QStringLiteral("colour")); }
};

// Types text into a search box, presses Enter and paints the card; the time from Enter
// to the painted card is the iteration's time. Select All before each run, untimed.
void runSearch(benchmark::State& state, TcxTextEdit* TSearchCard::*box, const QString& text) {
    TcxTextEdit* edit = Form1->SearchCard->*box;
    int rows = 0;
    for (auto _ : state) {
        Form1->SearchCard->SelectAllBtnClick();
        Form1->SearchCard->repaint();
        edit->setText(text);
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(edit, Qt::Key_Return);
        Form1->SearchCard->repaint();
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        rows = Form1->SearchCard->cxGrid1->model()->rowCount();
    }
    state.counters["rows"] = rows;
}

void BM_TitleSearch(benchmark::State& state) {
    runSearch(state, &TSearchCard::cxTextEdit4, "sunset");
}
void BM_TagsSearchThreeWords(benchmark::State& state) {
    runSearch(state, &TSearchCard::cxTextEdit5, "sunset, beach sky");
}
void BM_AnyWordSearch(benchmark::State& state) {
    runSearch(state, &TSearchCard::cxTextEdit7, "sunset");
}
void BM_AnyWordSearchNoHit(benchmark::State& state) {
    runSearch(state, &TSearchCard::cxTextEdit7, "nowhere");
}

}  // namespace

BENCHMARK(BM_TitleSearch)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_TagsSearchThreeWords)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_AnyWordSearch)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_AnyWordSearchNoHit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    ApplyLookAndFeelDefaults();
    app.setQuitOnLastWindowClosed(false);
    benchmark::Initialize(&argc, argv);

    const QString database = bench::cachedBenchDatabase(QStringLiteral(PIXOLET_BENCH_DATA_DIR));
    QTemporaryDir folder;
    appfolder::setProgramFolderForTests(folder.path());
    for (const char* name : {"en_US.dic", "en_US.aff", "User.dic"})
        QFile::copy(QStringLiteral(PIXOLET_PROGRAM_DIR "/") + QLatin1String(name),
                    folder.filePath(QLatin1String(name)));
    QFile settings(folder.filePath(QStringLiteral("SpellIni.ini")));
    if (!settings.open(QIODevice::WriteOnly)) return 1;
    settings.write("[Database]\r\nFileName=" + database.toUtf8() + "\r\n");
    settings.close();

    NoDialogs noDialogs;
    dialogs::install(&noDialogs);
    CreateForms();
    Form1->show();
    QCoreApplication::processEvents();

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    DestroyForms();
    dialogs::install(nullptr);
    return 0;
}
