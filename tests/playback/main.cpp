#include <QCoreApplication>

#include <gtest/gtest.h>

// The players use Qt's sound backend, which needs the application object.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
