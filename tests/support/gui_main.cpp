// The test programs' entry: a real application object, offscreen.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include "app/program.h"
#include "platform/errors/application.h"
#include "tests/support/program_fixture.h"

int main(int argc, char** argv) {
    useTestRuntimeFolder();
    // Offscreen, on one screen of a common desktop's size (the platform's own is 800 x 800,
    // smaller than the main window), with the platform's frame of 2 pixels a side.
    QTemporaryFile screens(QDir::tempPath() + "/pixolet-tests-screens-XXXXXX.json");
    if (screens.open()) {
        screens.write(R"({"screens": [{"name": "Desktop", "x": 0, "y": 0, "width": 1920,
                          "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96}]})");
        screens.flush();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    TApplication app(argc, argv);
    ApplyLookAndFeelDefaults();
    app.setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
