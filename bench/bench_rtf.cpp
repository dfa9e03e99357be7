// Writing and reading a batch summary of about 1 MB (2,000 entries).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QRandomGenerator>
#include <QTextCursor>
#include <QTextDocument>

#include "platform/rtf/rtf.h"
#include "platform/widgets/edits.h"

namespace {

QString words(QRandomGenerator& random, int count, const QString& separator) {
    static const QStringList pool = {
        "sunset", "lake",   "mountain", "über",    "reflection", "calm",   "evening", "golden",
        "light",  "forest", "water",    "café",    "travel",     "nature", "sky",     "cloud",
        "orange", "tree",   "beach",    "outdoor", "scenic",     "quiet",  "season",  "autumn"};
    QStringList out;
    for (int i = 0; i < count; ++i) out << pool[random.bounded(int(pool.size()))];
    return out.join(separator);
}

// Entries as the composer appends them: a bold upper-case title, the description and
// the keyword list, separated by empty paragraphs and "-----".
void batchSummary(QTextDocument& doc, int entries) {
    QFont font("Segoe UI");
    font.setPixelSize(13);
    doc.setDefaultFont(font);
    QRandomGenerator random(42);
    QTextCursor cursor(&doc);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    const QTextCharFormat regular;
    for (int i = 0; i < entries; ++i) {
        if (i > 0) {
            cursor.insertBlock(QTextBlockFormat(), regular);
            cursor.insertText("-----", regular);
            cursor.insertBlock();
        }
        cursor.insertText(words(random, 6, " ").toUpper(), bold);
        cursor.insertBlock(QTextBlockFormat(), regular);
        cursor.insertBlock();
        cursor.insertText(words(random, 25, " ") + ".", regular);
        cursor.insertBlock();
        cursor.insertBlock();
        cursor.insertText(words(random, 40, ", "), regular);
    }
}

const QByteArray& summaryRtf() {
    static const QByteArray bytes = [] {
        QTextDocument doc;
        batchSummary(doc, 2000);
        return rtf::write(doc);
    }();
    return bytes;
}

void BM_WriteBatchSummary(benchmark::State& state) {
    QTextDocument doc;
    batchSummary(doc, 2000);
    qsizetype size = 0;
    for (auto _ : state) {
        const QByteArray bytes = rtf::write(doc);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.constData());
    }
    state.counters["bytes"] = double(size);
    state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_WriteBatchSummary)->Unit(benchmark::kMillisecond);

void BM_ReadBatchSummary(benchmark::State& state) {
    const QByteArray& bytes = summaryRtf();
    QTextDocument doc;
    for (auto _ : state) {
        rtf::read(bytes, &doc);
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.counters["bytes"] = double(bytes.size());
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_ReadBatchSummary)->Unit(benchmark::kMillisecond);

// The same into a shown rich edit: the edit lays the document out once the load ends.
void BM_LoadIntoRichEdit(benchmark::State& state) {
    const QByteArray& bytes = summaryRtf();
    TcxRichEdit edit;
    edit.resize(560, 400);
    edit.show();
    for (auto _ : state) {
        edit.loadRtf(bytes);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(edit.document()->characterCount());
    }
}
BENCHMARK(BM_LoadIntoRichEdit)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
