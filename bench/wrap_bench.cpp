// The rich edits on one long unbroken word: from loading the RTF to the record view laid out
// and painted, and the same for the batch summary, beside the same length of text with
// blanks. Run by hand:
//   build/bench/wrap_bench [kilobytes ...]     (default 256 512 1024)
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
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

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {256, 512, 1024};

    TcxDBRichEdit view;   // the record view
    TcxRichEdit summary;  // the batch summary
    for (TcxRichEdit* edit : {static_cast<TcxRichEdit*>(&view), &summary}) {
        edit->resize(520, 380);
        edit->show();
    }
    std::printf("wrap mode %d (%s)\n", static_cast<int>(view.wordWrapMode()),
                view.wordWrapMode() == QTextOption::WrapAtWordBoundaryOrAnywhere
                    ? "word boundary or anywhere"
                    : "other");
    std::printf("%8s %18s %18s %18s\n", "KB", "view, one word ms", "summary, word ms",
                "view, blanks ms");
    for (const int kb : sizes) {
        const QByteArray word(kb * 1024, 'a');
        QByteArray blanks = word;
        for (qsizetype i = 7; i < blanks.size(); i += 8) blanks[i] = ' ';
        const double viewMs = showMs(&view, rtfOf(word));
        const double summaryMs = showMs(&summary, rtfOf(word));
        const double blanksMs = showMs(&view, rtfOf(blanks));
        std::printf("%8d %18.0f %18.0f %18.0f\n", kb, viewMs, summaryMs, blanksMs);
    }
    return 0;
}
