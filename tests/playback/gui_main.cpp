#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // The build lists the tests by running this program, with no display and no test
    // environment: fall back to the offscreen platform then.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
