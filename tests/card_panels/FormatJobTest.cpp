// A format asked for from the main window: the system may take minutes, so it runs on a worker
// while the window goes on answering, behind a progress window that says it cannot be cancelled;
// a card that the format remounts elsewhere has moved, not gone.

#include "app/CTAVINDlg.h"
#include "app/MainWindowSettings.h"
#include "app/features/CardPanelsController.h"
#include "app/features/RecordingListController.h"
#include "device/CTAVINSDConfig.h"
#include "panels/BackgroundJob.h"
#include "panels/MainWindowMessages.h"
#include "skin/CSkinListCtrl.h"
#include "skin/SkinRuntime.h"
#include "skin/WindowMessageEvent.h"
#include "support/DefaultSkin.h"
#include "support/SampleCards.h"
#include "support/Wait.h"

#include <QDir>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

namespace {

// Removable cards with a block device at the roots the test names; the list changes with the mounts.
class MountedCards : public platform::VolumeSource
{
public:
    explicit MountedCards(std::shared_ptr<QStringList> roots)
        : m_roots(std::move(roots))
    {
    }
    std::vector<platform::MountedVolume> RemovableVolumes() const override
    {
        std::vector<platform::MountedVolume> volumes;
        for (const QString &root : *m_roots)
            volumes.push_back(
                { root, QStringLiteral("/dev/sdb1"), QStringLiteral("vfat"), QStringLiteral("8:17") });
        return volumes;
    }

private:
    std::shared_ptr<QStringList> m_roots;
};

// The system's formatter, slow until the test lets it finish; the formatted card comes back at
// another mount point, as a card whose label changed does.
class SlowFormatter : public platform::CardFormatter
{
public:
    explicit SlowFormatter(QString newRoot)
        : m_newRoot(std::move(newRoot))
    {
    }
    std::optional<platform::VolumeGeometry> QueryGeometry(const QString &) override
    {
        return platform::VolumeGeometry { QStringLiteral("FAT32"), 32768, 512 };
    }
    platform::FormatResult Format(
        const platform::MountedVolume &card, const QString &, const QString &, quint32) override
    {
        started = true;
        released.wait(false);
        QDir(card.root).removeRecursively();
        QDir().mkpath(m_newRoot);
        return { platform::FormatStatus::Formatted, m_newRoot, QString() };
    }
    void Release()
    {
        released = true;
        released.notify_all();
    }

    std::atomic_bool started { false };
    std::atomic_bool released { false };

private:
    QString m_newRoot;
};

} // namespace

TEST(FormatJob, TheWindowAnswersDuringAFormatAndTheRemountedCardIsNoRemovedOne)
{
    skin::SkinRuntime runtime;
    std::vector<testsupport::ShownBox> shown; // every question is answered OK: yes, format
    ASSERT_TRUE(testsupport::UseDefaultSkin(runtime, shown));

    QTemporaryDir tmp;
    const QString card = tmp.filePath(QStringLiteral("TAVIN"));
    const QString remounted = tmp.filePath(QStringLiteral("TAVIN1"));
    ASSERT_TRUE(testsupport::CopySampleCard(testsupport::SharedSampleCard(), card));
    auto mounted = std::make_shared<QStringList>(QStringList { card });
    MainWindowSettings settings;
    settings.xmlSmall = QStringLiteral("main_small");
    settings.xmlLarge = QStringLiteral("main_large");
    settings.xmlFull = QStringLiteral("main_full");
    settings.xmlBBSetting = QStringLiteral("bbsetting");
    settings.xmlStorage = QStringLiteral("storage");
    CTAVINDlg::Services services;
    services.audioOutputs = {};
    services.volumes = std::make_unique<MountedCards>(mounted);
    services.chooseCard = [](const QStringList &) { return std::optional<int>(0); };
    services.watchMounts = false;
    auto formatter = std::make_unique<SlowFormatter>(remounted);
    SlowFormatter *slow = formatter.get();
    services.cardFormatter = std::move(formatter);
    CTAVINDlg window(runtime, settings, std::move(services));
    ASSERT_TRUE(window.Init());
    window.show();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return window.FileList()->GetItemCount() > 0; }));

    // While the system formats, the window's timers go on and the progress window comes up; a
    // watchdog lets a format that blocks the window end anyway, so that the test fails, not hangs.
    int ticksDuringFormat = 0;
    bool sawWindow = false;
    bool windowCanCancel = true;
    QString windowText;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (!slow->started || slow->released)
            return;
        ++ticksDuringFormat;
        if (auto *progress = window.findChild<QProgressDialog *>(QStringLiteral("format_progress"));
            progress && progress->isVisible()) {
            sawWindow = true;
            const QPushButton *cancel = progress->findChild<QPushButton *>();
            windowCanCancel = cancel && cancel->isVisible();
            for (const QLabel *label : progress->findChildren<QLabel *>())
                windowText += label->text() + QLatin1Char('\n');
            slow->Release();
        }
    });
    ticker.start(20);
    std::thread watchdog([slow] {
        for (int i = 0; i < 100 && !slow->released; ++i)
            std::this_thread::sleep_for(50ms);
        slow->Release();
    });
    skin::PostWindowMessage(&window, mainwindow::kMsgFormatCard, 0);
    EXPECT_TRUE(testsupport::WaitUntil(
        [&] { return slow->released && QFileInfo::exists(remounted + "/setup.xml"); }, 10s));
    watchdog.join();
    EXPECT_GT(ticksDuringFormat, 0) << "the window stood still while the card was formatted";
    EXPECT_TRUE(sawWindow);
    EXPECT_FALSE(windowCanCancel);
    EXPECT_TRUE(windowText.contains(BackgroundJob::NotCancellableNotice())) << windowText.toStdString();
    EXPECT_EQ(
        platform::NormalizedRoot(window.Config().GetSelectedDrive()), platform::NormalizedRoot(remounted));

    // The mount table now shows the card at its new place: it moved, nobody pulled it out.
    *mounted = QStringList { remounted };
    shown.clear();
    window.OnMountsChanged();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !window.ListFeature().IsListing(); }));
    EXPECT_TRUE(shown.empty()) << shown.front().text.toStdString();
    EXPECT_EQ(platform::NormalizedRoot(window.Library().Location()), platform::NormalizedRoot(remounted));
    EXPECT_TRUE(window.Library().IsCard());
}
