// The batch summary on a long document: "Add" of many entries, a search that marks
// every occurrence, the replace of all of them and the removal of the marks.
//   build/bench/summary_bench [entries]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "app/form1.h"
#include "app/program.h"
#include "bench/make_bench_db.h"
#include "platform/appfolder/appfolder.h"
#include "platform/errors/application.h"
#include "platform/widgets/edits.h"
#include "records/createcard.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int entries = argc > 1 ? atoi(argv[1]) : 2000;
    TApplication app(argc, argv);
    ApplyLookAndFeelDefaults();

    QTemporaryDir folder;
    QDir().mkpath(folder.path() + "/DB");
    bench::makeBenchDatabase(folder.path() + "/DB/KeywordsDB.db", {.records = 10});
    appfolder::setProgramFolderForTests(folder.path());
    CreateForms();
    Form1->show();
    app.processEvents();
    Form1->CardPanel1->setCurrentWidget(Form1->CreateCard);

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < entries; ++i) {
        Form1->CreateCard->cxTextEdit1->setText(QStringLiteral("Sunset over the lake %1").arg(i));
        Form1->CreateCard->cxMemo1->setPlainText(
            QStringLiteral("A cat watches the sunset from a boat."));
        Form1->CreateCard->cxRichEdit1->setPlainText(
            QStringLiteral("cat, sunset, lake, boat, evening"));
        Form1->CreateCard->AddBtnClick();
    }
    app.processEvents();
    std::printf("%d entries added: %lld ms (%d characters)\n", entries, timer.elapsed(),
                Form1->cxRichEdit2->document()->characterCount());

    timer.restart();
    Form1->CreateCard->SearchEdit2->setText(QStringLiteral("cat"));
    QTest::keyClick(Form1->CreateCard->SearchEdit2, Qt::Key_Return);
    app.processEvents();
    std::printf("search marking %d occurrences: %lld ms\n", Form1->CreateCard->FoundCount,
                timer.elapsed());

    timer.restart();
    Form1->CreateCard->ReplaceEdit1->setText(QStringLiteral("dog"));
    QTest::keyClick(Form1->CreateCard->ReplaceEdit1, Qt::Key_Return);
    app.processEvents();
    std::printf("replace of all of them: %lld ms\n", timer.elapsed());

    Form1->CreateCard->SearchEdit2->setText(QStringLiteral("dog"));
    QTest::keyClick(Form1->CreateCard->SearchEdit2, Qt::Key_Return);
    timer.restart();
    Form1->CreateCard->SearchEdit2->clear();
    QTest::keyClick(Form1->CreateCard->SearchEdit2, Qt::Key_Return);
    app.processEvents();
    std::printf("mark removal: %lld ms\n", timer.elapsed());

    Form1->cxRichEdit2->clear();
    DestroyForms();
    return 0;
}
