#include <QApplication>

#include <gtest/gtest.h>

// The suite builds the skin's windows offscreen; one application object serves all tests.
// Test discovery runs the binary without the suite's environment: default to offscreen there too.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
