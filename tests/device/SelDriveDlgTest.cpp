#include "DeviceTestSupport.h"

#include "device/CTAVINSDConfig.h"
#include "device/ui/CSelDriveDlg.h"
#include "device/ui/ChooseCardDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace device;
using namespace devicetest;

namespace {

// The application object lives in this suite's main() so that it is destroyed before Qt's
// own static data; a function-local static one crashed at exit.
QApplication &App()
{
    return *qApp;
}

QPushButton *Button(QWidget &dialog, const QString &text)
{
    for (QPushButton *button : dialog.findChildren<QPushButton *>()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

TEST(SelDriveDlg, ShowsTheRootsInOrderWithTheFirstChosen)
{
    App();
    const QStringList roots = { QStringLiteral("/media/user/A"), QStringLiteral("/media/user/B"),
        QStringLiteral("/run/media/x/C") };
    CSelDriveDlg dialog(roots);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("SD 카드 드라이브 선택"));
    const QList<QLabel *> labels = dialog.findChildren<QLabel *>();
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0]->text(), QStringLiteral("SD 카드를 선택해주세요."));
    ASSERT_NE(Button(dialog, QStringLiteral("OK")), nullptr);
    ASSERT_NE(Button(dialog, QStringLiteral("Cancel")), nullptr);

    QComboBox *list = dialog.DriveList();
    ASSERT_EQ(list->count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(list->itemText(i), roots[i]);
    EXPECT_EQ(list->currentIndex(), 0);
    EXPECT_EQ(dialog.ChosenIndex(), 0);
    EXPECT_EQ(list->objectName(), QStringLiteral("1069"));

    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QString shots = QStringLiteral(TAVIN_BIN_DIR "/../tests/screenshots");
    QDir().mkpath(shots);
    dialog.grab().save(shots + QStringLiteral("/CSelDriveDlg.png"));

    // The user picks the last entry with the keyboard and presses OK.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(dialog.ChosenIndex(), 2);
    QTest::mouseClick(Button(dialog, QStringLiteral("OK")), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.ChosenIndex(), 2);
}

TEST(SelDriveDlg, CancelLeavesTheCardUnselected)
{
    App();
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/card");
    ASSERT_TRUE(QDir().mkpath(root));
    ASSERT_TRUE(WriteFile(root + QStringLiteral("/setup.xml"), "<setup/>"));
    CTAVINSDConfig config;
    auto volumes = std::make_unique<TestVolumeSource>();
    volumes->Insert(root);
    config.SetVolumeSource(std::move(volumes));

    auto pressLater = [](const QString &text) {
        QTimer::singleShot(0, [text] {
            auto *dialog = qobject_cast<CSelDriveDlg *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->DriveList()->count(), 1) << "shown also for a single card";
            QTest::mouseClick(Button(*dialog, text), Qt::LeftButton);
        });
    };
    int noCard = 0;
    pressLater(QStringLiteral("Cancel"));
    EXPECT_EQ(ChooseCardWithDialog(config, nullptr, [&] { ++noCard; }), CardChoice::Cancelled);
    EXPECT_TRUE(config.GetSelectedDrive().isEmpty());

    pressLater(QStringLiteral("OK"));
    EXPECT_EQ(ChooseCardWithDialog(config, nullptr, [&] { ++noCard; }), CardChoice::Selected);
    EXPECT_EQ(config.GetSelectedDrive(), QDir::cleanPath(root));
    EXPECT_EQ(noCard, 0);
}

} // namespace
