// The rich edits and the memos on one long unbroken word: from loading the RTF to the record
// view laid out and painted, the same for the batch summary, and from setting the text to a
// memo (the description fields, the About window's text) laid out and painted, each beside
// the same length of text with blanks. Run by hand:
//   build/bench/wrap_bench [memo] [kilobytes ...]     (default 256 512 1024)
// With "memo" only the memo is measured (the rich edits' columns show 0).
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/widgets/dbrichedit.h"
#include "platform/widgets/edits.h"

namespace {

QByteArray rtfOf(const QByteArray& text) {
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Segoe UI;}}\\f0\\fs18 " + text + "\\par}";
}

// Milliseconds from loading to the edit laid out to its end and painted.
double showMs(TcxRichEdit* edit, const QByteArray& rtf) {
    edit->clear();
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    edit->loadRtf(rtf);
    edit->document()->documentLayout()->documentSize();  // the whole layout, not only the top
    edit->repaint();
    QApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The same for a memo: from setting its text to the memo laid out and painted.
double showMs(TcxMemo* memo, const QByteArray& text) {
    memo->clear();
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    memo->setPlainText(QString::fromLatin1(text));
    memo->document()->documentLayout()->documentSize();
    memo->repaint();
    QApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::vector<int> sizes;
    bool memoOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "memo") == 0)
            memoOnly = true;
        else
            sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty()) sizes = {256, 512, 1024};

    TcxDBRichEdit view;   // the record view
    TcxRichEdit summary;  // the batch summary
    for (TcxRichEdit* edit : {static_cast<TcxRichEdit*>(&view), &summary}) {
        edit->resize(520, 380);
        edit->show();
    }
    TcxMemo memo;  // the description fields and the About window's text
    memo.resize(520, 380);
    memo.show();
    const auto modeName = [](QTextOption::WrapMode mode) {
        return mode == QTextOption::WrapAtWordBoundaryOrAnywhere ? "word boundary or anywhere"
               : mode == QTextOption::WordWrap                   ? "word boundary"
                                                                 : "other";
    };
    std::printf("wrap mode: rich edits %s, memo %s\n", modeName(view.wordWrapMode()),
                modeName(memo.wordWrapMode()));
    std::printf("%8s %18s %18s %18s %18s %18s\n", "KB", "view, one word ms", "summary, word ms",
                "view, blanks ms", "memo, one word ms", "memo, blanks ms");
    for (const int kb : sizes) {
        const QByteArray word(kb * 1024, 'a');
        QByteArray blanks = word;
        for (qsizetype i = 7; i < blanks.size(); i += 8) blanks[i] = ' ';
        const double viewMs = memoOnly ? 0 : showMs(&view, rtfOf(word));
        const double summaryMs = memoOnly ? 0 : showMs(&summary, rtfOf(word));
        const double blanksMs = memoOnly ? 0 : showMs(&view, rtfOf(blanks));
        const double memoMs = showMs(&memo, word);
        const double memoBlanksMs = showMs(&memo, blanks);
        std::printf("%8d %18.0f %18.0f %18.0f %18.0f %18.0f\n", kb, viewMs, summaryMs, blanksMs,
                    memoMs, memoBlanksMs);
    }
    return 0;
}
