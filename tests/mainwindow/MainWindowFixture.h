#pragma once

// The real main window on the shared sample card, driven offscreen through its skin controls and
// messages; what it shows in message boxes is recorded instead.

#include "app/CTAVINDlg.h"
#include "app/MainWindowSettings.h"
#include "app/features/CardPanelsController.h"
#include "app/features/ExportController.h"
#include "app/features/ImpactsController.h"
#include "app/features/MapController.h"
#include "app/features/RecordingListController.h"
#include "app/features/ToolPanelsController.h"
#include "media/widgets/CPLVVideoView.h"
#include "panels/MainWindowMessages.h"
#include "skin/CBitmapSlider.h"
#include "skin/CSkinListCtrl.h"
#include "skin/SkinRuntime.h"
#include "skin/WindowMessageEvent.h"
#include "support/DefaultSkin.h"
#include "support/QtPrinters.h"
#include "support/SampleCards.h"
#include "support/Wait.h"
#include "views/CGSensorGraph.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace mainwindow::test {

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(testsupport::UseDefaultSkin(m_runtime, m_shown));
        m_settings.xmlSmall = QStringLiteral("main_small");
        m_settings.xmlLarge = QStringLiteral("main_large");
        m_settings.xmlFull = QStringLiteral("main_full");
    }

    // Opens the window on the given card folders with the first card chosen.
    void Open(const QStringList &cards, const QString &commandLine = QString())
    {
        CTAVINDlg::Services services;
        services.commandLine = commandLine;
        services.audioOutputs = {};
        services.volumes = std::make_unique<platform::FolderVolumeSource>(cards);
        services.chooseCard = [](const QStringList &) { return std::optional<int>(0); };
        services.chooseFolder = [this] { return m_folder; };
        services.watchMounts = false;
        m_window = std::make_unique<CTAVINDlg>(m_runtime, m_settings, std::move(services));
        ASSERT_TRUE(m_window->Init());
        m_window->show();
        // The card is listed on a worker.
        ASSERT_TRUE(testsupport::WaitUntil([&] { return m_window->FileList()->GetItemCount() > 0; }));
    }

    void Click(const char *name, skin::SkinControlType type = skin::kSkinImgButton)
    {
        const int id = m_window->GetControlId(type, QString::fromLatin1(name));
        ASSERT_NE(id, 0) << name;
        skin::SendWindowMessage(m_window.get(), skin::kMsgCommand, skin::CommandWParam(id, 0));
        WaitForOpening();
    }
    // A recording is opened on workers: what a click started has arrived once this returns.
    void WaitForOpening()
    {
        if (m_window->Playback().IsOpening()) {
            ASSERT_TRUE(testsupport::WaitUntil([&] { return !m_window->Playback().IsOpening(); }));
        }
    }
    void ClickRow(int row)
    {
        skin::SkinNotifyInfo info;
        info.idFrom = m_window->GetControlId(skin::kSkinListCtrl, QStringLiteral("file_list"));
        info.code = skin::kCodeListClick;
        info.item = row;
        skin::SendNotify(m_window.get(), info);
        WaitForOpening();
    }
    void Post(quint32 message, qintptr l = 0) { skin::PostWindowMessage(m_window.get(), message, 0, l); }
    // Row of the list that shows a recording of the card.
    int RowOf(const media::recorder::SampleRecordingPlan &plan)
    {
        skin::CSkinListCtrl *list = m_window->FileList();
        for (int row = 0; row < list->GetItemCount(); ++row)
            if (list->GetItemText(row, library::kColumnFileName) == plan.FileName('F').toUpper())
                return row;
        return -1;
    }
    bool Playing() { return m_window->Playback().IsRunning(); }
    // A copy of the shared card at root, for tests that change or remove its files.
    void CopyCardTo(const QString &root) const { testsupport::CopySampleCard(m_card, root); }
    // Whether a press on the title bar's drag area would start moving the window.
    bool Draggable()
    {
        const QPointF at(m_window->DragRect().ToQRect().center());
        QMouseEvent press(QEvent::MouseButtonPress, at, m_window->mapToGlobal(at), Qt::LeftButton,
            Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_window.get(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, m_window->mapToGlobal(at), Qt::LeftButton,
            Qt::NoButton, Qt::NoModifier);
        const bool armed = m_window->IsDragArmed();
        QApplication::sendEvent(m_window.get(), &release);
        return armed;
    }
    // Waits for a fresh picture in the channel's window, then grabs the whole window as a user
    // sees it (kept in mainwindow-shots beside the test program for a look) and tells whether that window
    // shows a picture.
    bool ShowsPicture(int channel, const QString &shotName)
    {
        const int64_t before = PlayedPictures(channel);
        testsupport::WaitUntil([&] { return PlayedPictures(channel) > before; });
        const QImage shot = m_window->grab().toImage();
        const QString shots = QCoreApplication::applicationDirPath() + QStringLiteral("/mainwindow-shots");
        QDir().mkpath(shots);
        shot.save(shots + QLatin1Char('/') + shotName + QStringLiteral(".png"));
        const QRect area = m_window->VideoView(channel)->geometry();
        for (int y = area.top(); y < area.bottom(); y += 7)
            for (int x = area.left(); x < area.right(); x += 7)
                if (qGray(shot.pixel(x, y)) > 24)
                    return m_window->VideoView(channel)->isVisible();
        return false;
    }
    int64_t PlayedPictures(int channel) { return m_window->VideoView(channel)->PicturesTaken(); }

    skin::SkinRuntime m_runtime;
    MainWindowSettings m_settings;
    std::vector<testsupport::ShownBox> m_shown;
    QString m_folder; // what the folder chooser answers
    std::unique_ptr<CTAVINDlg> m_window;
    const testsupport::SampleCard &m_card = testsupport::SharedSampleCard();
};

} // namespace mainwindow::test
