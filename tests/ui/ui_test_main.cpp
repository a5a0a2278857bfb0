#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The rich-text fixtures the bridge tests read.
    if (!qEnvironmentVariableIsSet("TARNEL_TEST_SOURCE_DIR")) {
        qputenv("TARNEL_TEST_SOURCE_DIR", TARNEL_SOURCE_DIR);
    }
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
