#include <gtest/gtest.h>

#include <QLocale>
#include <QTemporaryDir>

#ifdef TAVIN_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

// One application object serves every test of a suite: event loops, timers, D-Bus and Qt's sound
// backend need it, and it must end after the last test, before the platform's own objects go.
int main(int argc, char **argv)
{
#ifdef TAVIN_TEST_WIDGETS
    // Test discovery runs the program without the suite's environment: pixel checks want the
    // offscreen platform also then, and when the suite is started by hand without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    // The program takes the desktop's language from Qt's default locale: the suites check the
    // texts of a Korean desktop, whatever the machine's; tests of English choose it themselves.
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    TestApplication app(argc, argv);
#ifdef TAVIN_TEST_WIDGETS
    // The main window indexes every card it lists into the archive: each test program gets an archive
    // of its own, never the user's, unless the test names one.
    QTemporaryDir archiveDir;
    if (qEnvironmentVariableIsEmpty("TAVIN_ARCHIVE_DB"))
        qputenv("TAVIN_ARCHIVE_DB", archiveDir.filePath(QStringLiteral("archive.sqlite")).toUtf8());
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
