#pragma once

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTest>

#include "app/form1.h"
#include "platform/widgets/gridview.h"
#include "tagging/batch_grid_model.h"
#include "tagging/frmtaggerpro.h"
#include "tests/support/program_fixture.h"

// The tagger window's private state, as the parts of the program that fill it would set it.
class TaggerProbe {
public:
    static bool& batchProcessing() { return frmTaggerPro->FIsBatchProcessing; }
    static BatchGridModel& rows() { return *frmTaggerPro->FBatchRows; }
};

// The program started on its Create card with the tagger shown, the temporary folder in the
// test's own folder (the upload image goes there) and pictures made by the test.
class BatchGridTest : public ProgramFixture {
protected:
    using Col = BatchGridModel::Column;

    void SetUp() override {
        ProgramFixture::SetUp();
        m_oldTemp = qgetenv("TMPDIR");
        QDir().mkpath(path("tmp"));
        qputenv("TMPDIR", path("tmp").toUtf8());
        startOnCreateCard();
        dialogs.clear();
        Form1->APIKey = QStringLiteral("key");
        w = showTagger();
    }
    void TearDown() override {
        ProgramFixture::TearDown();
        if (m_oldTemp.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", m_oldTemp);
    }

    // Shows the tagger as the "AI Tagging (F3)" command does.
    static TfrmTaggerPro* showTagger() {
        Form1->dxBarLargeButtonAIClick();
        EXPECT_TRUE(QTest::qWaitFor([] { return frmTaggerPro->isVisible(); }));
        return frmTaggerPro;
    }

    // A picture of that size in the test's folder; the format follows the name's suffix.
    QString picture(const QString& relative, QSize size, QColor colour = Qt::darkCyan) {
        const QString file = path(relative);
        QDir().mkpath(QFileInfo(file).absolutePath());
        QImage image(size, QImage::Format_RGB888);
        image.fill(colour);
        EXPECT_TRUE(image.save(file)) << relative.toStdString();
        return file;
    }

    // "Open Images" with these files chosen.
    void openImages(const QStringList& files) {
        dialogs.openAnswers.push_back(files);
        QTest::mouseClick(w->btnLoadImages, Qt::LeftButton);
    }

    // Enter on a row of the grid.
    void review(int row) {
        w->cxTableView1->focusRow(row);
        QTest::keyClick(w->cxTableView1, Qt::Key_Return);
    }

    static BatchGridModel& rows() { return TaggerProbe::rows(); }
    static QString text(int row, Col column) { return rows().cell(row, column).value_or("<none>"); }

    TfrmTaggerPro* w = nullptr;

private:
    QByteArray m_oldTemp;
};
