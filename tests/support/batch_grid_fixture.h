#pragma once

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTest>

#include "app/form1.h"
#include "platform/widgets/gridview.h"
#include "records/main_state.h"
#include "tagging/batch_grid_model.h"
#include "tagging/frmtaggerpro.h"
#include "tests/support/tagger_fixture.h"

// The tagger shown with a key set, and pictures made by the test for its batch grid.
class BatchGridTest : public TaggerTest {
protected:
    using Col = BatchGridModel::Column;

    void SetUp() override {
        TaggerTest::SetUp();
        Form1->state().setAPIKey(QStringLiteral("key"));
        w = showTagger();
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
};
