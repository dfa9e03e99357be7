// Spell checking of a long batch summary: the full check when marking starts, the recheck
// after one typed character, and Hunspell's own rate on the same words as the anchor.
// The summary holds the entries summary_bench adds (the same three fields, laid out as
// "Add" lays out an entry); a second run takes varied words with a few misspellings, so
// that the checker's cache of known words helps little.
//   build/bench/spell_bench [entries]
#include <hunspell.hxx>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/spell/documentmarks.h"
#include "platform/spell/engine.h"
#include "platform/spell/words.h"
#include "platform/widgets/edits.h"
#include "records/summary_writer.h"

namespace {

const QString kFolder = QStringLiteral(PIXOLET_PROGRAM_DIR "/");

using Entry = summary::BatchSummaryEntry;

// Appends entries as "Add" does, in one edit.
void fill(TcxRichEdit& edit, const std::vector<Entry>& entries) {
    QTextCursor cursor(edit.document());
    cursor.beginEditBlock();
    for (const Entry& entry : entries) summary::appendEntry(edit.document(), entry);
    cursor.endEditBlock();
}

std::vector<Entry> benchEntries(int count) {
    std::vector<Entry> entries;
    for (int i = 0; i < count; ++i)
        entries.push_back({QStringLiteral("Sunset over the lake %1").arg(i),
                           QStringLiteral("A cat watches the sunset from a boat."),
                           QStringLiteral("cat, sunset, lake, boat, evening")});
    return entries;
}

// Words of the dictionary itself, one in twenty with two letters swapped.
std::vector<Entry> variedEntries(int count) {
    QFile file(kFolder + QStringLiteral("en_US.dic"));
    QStringList pool;
    if (file.open(QIODevice::ReadOnly)) {
        file.readLine();
        while (!file.atEnd()) {
            const QString word = QString::fromUtf8(file.readLine()).section(u'/', 0, 0).trimmed();
            if (word.size() > 2 && word[0].isLower()) pool.append(word);
        }
    }
    QRandomGenerator random(2024);
    auto words = [&](int n, const QString& separator) {
        QStringList out;
        for (int i = 0; i < n; ++i) {
            QString word = pool[random.bounded(int(pool.size()))];
            if (random.bounded(20) == 0 && word.size() > 3) std::swap(word[1], word[2]);
            out.append(word);
        }
        return out.join(separator);
    };
    std::vector<Entry> entries;
    for (int i = 0; i < count; ++i)
        entries.push_back({words(5, QStringLiteral(" ")), words(14, QStringLiteral(" ")) + '.',
                           words(25, QStringLiteral(", "))});
    return entries;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void run(const char* name, const std::vector<Entry>& entries) {
    TcxRichEdit summary;
    summary.resize(800, 500);
    summary.show();
    fill(summary, entries);
    QApplication::processEvents();
    QTextDocument* document = summary.document();
    std::printf("\n%s: %d entries, %d blocks, %d characters\n", name, int(entries.size()),
                document->blockCount(), document->characterCount());

    // Hunspell alone on every checked word of the text, without a cache.
    std::vector<std::string> words;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        for (const auto& word : spell::checkedWords(text))
            words.push_back(text.mid(word.start, word.length).toStdString());
    }
    {
        Hunspell hunspell(QFile::encodeName(kFolder + "en_US.aff").constData(),
                          QFile::encodeName(kFolder + "en_US.dic").constData());
        QElapsedTimer timer;
        timer.start();
        int wrong = 0;
        for (const std::string& word : words) wrong += !hunspell.spell(word);
        const double seconds = timer.nsecsElapsed() / 1e9;
        std::printf("  Hunspell alone: %zu words (%d misspelt) in %.1f ms = %.0f words/s\n",
                    words.size(), wrong, seconds * 1e3, words.size() / seconds);
    }

    spell::Engine engine;
    QElapsedTimer timer;
    timer.start();
    engine.openNow(kFolder);
    std::printf("  opening the dictionaries (done on a worker thread in the program): %lld ms\n",
                timer.elapsed());

    // The full check, run from the event loop. A 1 ms heartbeat shows the longest time the
    // event loop (and so typing) had to wait.
    qint64 longestWait = 0;
    QElapsedTimer beat;
    QTimer heartbeat;
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, &heartbeat, [&] {
        longestWait = std::max(longestWait, beat.nsecsElapsed());
        beat.restart();
    });
    timer.restart();
    auto* marks = new spell::DocumentMarks(document, &engine);
    beat.start();
    heartbeat.start();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (marks->isComplete()) loop.quit();
    });
    poll.start(0);
    loop.exec();
    heartbeat.stop();
    const qint64 full = timer.elapsed();
    int marked = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        marked += int(marks->marks(block).size());
    std::printf(
        "  full check: %lld ms, longest wait of the event loop %.1f ms, %d words marked, "
        "%llu Hunspell lookups\n",
        full, longestWait / 1e6, marked, static_cast<unsigned long long>(engine.lookups()));

    // One character typed at the end of a line in the middle of the summary, and its deletion. The
    // checker's own share is the time its handler of the document's change takes, taken between a
    // connection made before the checker's and one made after it.
    delete marks;
    QObject probe;
    QElapsedTimer inHandler;
    std::vector<double> handler;
    QObject::connect(document, &QTextDocument::contentsChange, &probe,
                     [&](int, int, int) { inHandler.start(); });
    marks = new spell::DocumentMarks(document, &engine);
    QObject::connect(document, &QTextDocument::contentsChange, &probe,
                     [&](int, int, int) { handler.push_back(inHandler.nsecsElapsed() / 1e6); });
    if (!QTest::qWaitFor([&] { return marks->isComplete(); }, 60000)) {
        std::printf("  the check did not finish\n");
        return;
    }
    // The keyword line of an entry in the middle: the longest line of an entry.
    QTextBlock middle = document->findBlockByNumber(document->blockCount() / 2);
    while (middle.isValid() && !middle.text().contains(QStringLiteral(", ")))
        middle = middle.next();
    auto keystrokes = [&] {
        std::vector<double> times;
        QTextCursor cursor(middle);
        cursor.movePosition(QTextCursor::EndOfBlock);
        for (int i = 0; i < 200; ++i) {
            summary.setTextCursor(cursor);
            QElapsedTimer key;
            key.start();
            QTest::keyClick(&summary, char('a' + i % 26));
            QTest::keyClick(&summary, Qt::Key_Backspace);
            times.push_back(key.nsecsElapsed() / 2e6);
        }
        return times;
    };
    handler.clear();
    const std::vector<double> with = keystrokes();
    std::printf(
        "  recheck after a keystroke (the checker's own work): median %.3f ms, max %.3f ms"
        " over %zu changes\n",
        median(handler), *std::max_element(handler.begin(), handler.end()), handler.size());
    delete marks;
    const std::vector<double> without = keystrokes();
    std::printf(
        "  whole keystroke in the summary (Qt's own work included): median %.2f ms with "
        "the checker, %.2f ms without\n",
        median(with), median(without));
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int entries = argc > 1 ? atoi(argv[1]) : 2000;
    QApplication app(argc, argv);
    run("the summary of summary_bench", benchEntries(entries));
    run("varied words", variedEntries(entries));
    return 0;
}
