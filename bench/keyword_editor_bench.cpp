// Marking a word in a long keyword list: 500 keywords (about 5,000 characters) of which 100
// hold the word, marked in red bold and repainted, as typing into the add-and-check field
// does it.
//   build/bench/keyword_editor_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QStringList>

#include "app/program.h"
#include "platform/errors/application.h"
#include "platform/widgets/edits.h"
#include "records/keyword_editor.h"
#include "records/occurrences.h"

namespace {

QString keywordList() {
    QStringList words;
    for (int i = 0; i < 500; ++i)
        words << (i % 5 == 0 ? QStringLiteral("skyline%1").arg(i, 3, 10, QLatin1Char('0'))
                             : QStringLiteral("meadow%1").arg(i, 3, 10, QLatin1Char('0')));
    return words.join(QStringLiteral(", "));
}

// Counts the paint events of the field's viewport.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

struct Field {
    TcxRichEdit edit;
    Field() {
        QFont font(QStringLiteral("Segoe UI"));
        font.setPixelSize(13);
        edit.setFont(font);
        edit.resize(313, 265);
        edit.setPlainText(keywordList());
        edit.show();
        QApplication::processEvents();
    }
};

void HighlightWithRepaint(benchmark::State& state) {
    Field field;
    const QString word = QStringLiteral("sky");
    state.counters["characters"] = static_cast<double>(field.edit.toPlainText().size());
    state.counters["occurrences"] =
        static_cast<double>(occurrences::find(field.edit.toPlainText(), word).size());
    PaintCounter counter;
    field.edit.viewport()->installEventFilter(&counter);
    for (auto _ : state) {
        HighlightKeyword(&field.edit, word);
        QApplication::processEvents();  // the one repaint
    }
    state.counters["paints_per_call"] =
        static_cast<double>(counter.paints) / static_cast<double>(state.iterations());
}
BENCHMARK(HighlightWithRepaint)->Unit(benchmark::kMicrosecond);

void OccurrencesOnly(benchmark::State& state) {
    const QString text = keywordList();
    const QString word = QStringLiteral("sky");
    for (auto _ : state) benchmark::DoNotOptimize(occurrences::find(text, word));
}
BENCHMARK(OccurrencesOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    ApplyLookAndFeelDefaults();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
