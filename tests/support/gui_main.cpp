// The test programs' entry: a real application object, offscreen.
#include <gtest/gtest.h>

#include "app/program.h"
#include "platform/errors/application.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    ApplyLookAndFeelDefaults();
    app.setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
