#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    // The window tests draw into memory, never onto a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // No splash over the windows under test (its own tests turn it back on).
    qputenv("PELMARK_NO_SPLASH", "1");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
