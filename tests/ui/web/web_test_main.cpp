#include <QApplication>
#include <gtest/gtest.h>

// The browser engine frees some of its own objects with a delete of another size (a fault of
// its build, not of this program), and keeps allocations until the process ends. Both are
// silenced for this test program only; every other check stays on, and leaks whose stack does
// not pass through the engine's libraries are still reported.
extern "C" const char* __asan_default_options() {
    return "new_delete_type_mismatch=0";
}

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libQt6WebEngineCore.so\n"
           "leak:libudev.so\n"
           "leak:libfontconfig.so\n";
}

// One application for every case: the browser engine starts once per process.
int main(int argc, char** argv) {
    // Offscreen unless a display is asked for (the native window's life is seen on xcb only).
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
