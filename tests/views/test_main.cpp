#include <QApplication>

#include <gtest/gtest.h>

// The gauge and graph tests paint real widgets; one application object serves them all and ends
// after the last test, before the platform's own objects go. Pixel checks want the offscreen
// platform also when the suite is started by hand.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
