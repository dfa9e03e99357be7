#pragma once

#include <QApplication>
#include <QDir>
#include <QTest>

#include "app/form1.h"
#include "tagging/batch_grid_model.h"
#include "tagging/frmtaggerpro.h"
#include "tests/support/program_fixture.h"

// What tests read of the tagger window and its session.
class TaggerProbe {
public:
    static TaggingSession& session() { return frmTaggerPro->session(); }
    // The bytes the preview's picture is written as.
    static QByteArray previewData() { return frmTaggerPro->PreviewPictureData(); }
    static BatchGridModel& rows() { return frmTaggerPro->session().rows(); }
    // The prompt that "AI Tagging" would send now.
    static QString prompt() { return frmTaggerPro->BuildPrompt(); }
};

// The program started on its Create card, with the temporary folder in the test's own
// folder, so that the tagger's temporary files are the test's alone.
class TaggerTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        m_oldTemp = qgetenv("TMPDIR");
        QDir().mkpath(path("tmp"));
        setTemporaryFolder(path("tmp"));
        startOnCreateCard();
        dialogs.clear();
    }
    void TearDown() override {
        ProgramFixture::TearDown();
        if (m_oldTemp.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", m_oldTemp);
    }

    static void setTemporaryFolder(const QString& folder) { qputenv("TMPDIR", folder.toUtf8()); }
    // The user's temporary folder as the program finds it.
    QString temporaryFolder() const { return QDir::tempPath(); }

    // Shows the tagger as the "AI Tagging (F3)" command does.
    TfrmTaggerPro* showTagger() {
        Form1->dxBarLargeButtonAIClick();
        EXPECT_TRUE(QTest::qWaitFor([] { return frmTaggerPro->isVisible(); }));
        return frmTaggerPro;
    }
    void closeTagger() {
        frmTaggerPro->close();
        QApplication::processEvents();
        EXPECT_FALSE(frmTaggerPro->isVisible());
    }

private:
    QByteArray m_oldTemp;
};
