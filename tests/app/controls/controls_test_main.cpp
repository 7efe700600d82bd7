#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    // Widgets need a display; the offscreen one serves both the runs and the listing
    // of the tests at build time.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
