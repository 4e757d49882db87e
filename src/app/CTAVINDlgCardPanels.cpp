// The main window's side of the recorder's settings panel and the card's storage panel: showing
// them, running the settings write and the format they ask for, and stopping the card's playback
// before it is erased.
#include "app/AppLog.h"
#include "app/CTAVINDlg.h"
#include "app/MainWindowMessages.h"
#include "app/MainWindowSettings.h"
#include "device/CTAVINSDConfig.h"
#include "media/widgets/CPLVVideoView.h"
#include "panels/CBBSettingDlg.h"
#include "panels/CStorageDlg.h"
#include "skin/CSkinListCtrl.h"

#include <QApplication>

using namespace mainwindow;

namespace {
// Translated where they are shown (CTAVINDlg::tr).
const char *const kNoCardText
    = QT_TRANSLATE_NOOP("CTAVINDlg", "SD카드가 연결되어 있지 않습니다. SD카드를 확인하여 주세요.");
const char *const kFormatStopsPlayback
    = QT_TRANSLATE_NOOP("CTAVINDlg", "현재 포맷 대상 드라이브의 영상이 사용 중입니다. 재생을 중지합니다.");
// The settings panel's place in the window, below the title bar.
constexpr QPoint kSettingsOrigin(5, 48);
} // namespace

void CTAVINDlg::CreateCardPanels()
{
    m_config->SetCardFormatter(m_services.cardFormatter ? std::move(m_services.cardFormatter)
                                                        : platform::CreateSystemCardFormatter());
    // Child windows over the video: they move with the main window and never outlive it.
    const auto init = [this](auto *panel, const QString &entry) -> decltype(panel) {
        panel->setWindowFlags(Qt::Widget);
        if (entry.isEmpty() || !panel->Init()) {
            qCWarning(lcApp) << "panel skin" << entry << "could not be loaded";
            delete panel;
            return nullptr;
        }
        panel->hide();
        return panel;
    };
    m_settingsPanel = init(
        new CBBSettingDlg(Runtime(), m_settings.xmlBBSetting, m_config.get(), this), m_settings.xmlBBSetting);
    if (m_settingsPanel)
        m_settingsPanel->SetBeforeFormat([this] { StopPlaybackBeforeFormat(); });
    m_storagePanel = init(new CStorageDlg(
                              Runtime(), m_settings.xmlStorage, m_config.get(),
                              [this] { return m_settingsPanel ? m_settingsPanel->CommittedPartition() : 5; },
                              ListedCardIndex(), this),
        m_settings.xmlStorage);
}

void CTAVINDlg::HideCardPanels()
{
    for (skin::CSkinDialog *panel : { static_cast<skin::CSkinDialog *>(m_settingsPanel),
             static_cast<skin::CSkinDialog *>(m_storagePanel) }) {
        if (panel && panel->isVisible()) {
            panel->hide();
            m_repaintTimer.start(kTimerPeriodMs, this);
        }
    }
    if (m_settingsPanel)
        m_settingsPanel->SetShownFlag(false);
    if (m_storagePanel)
        m_storagePanel->SetShownFlag(false);
}

int CTAVINDlg::ListedCardIndex() const
{
    const int count = m_config ? m_config->GetMatchingDriveCount() : 0;
    if (m_library.IsCard()) {
        const QString location = platform::NormalizedRoot(m_library.Location());
        for (int i = 0; i < count; ++i)
            if (platform::NormalizedRoot(m_config->GetDrive(i)) == location)
                return i;
    }
    return count > 0 ? 0 : -1;
}

void CTAVINDlg::ToggleStoragePanel()
{
    m_repaintTimer.start(kTimerPeriodMs, this);
    if (!m_storagePanel) {
        ShowNotAvailable();
        return;
    }
    if (m_storagePanel->IsShownFlag()) {
        m_storagePanel->SetShownFlag(false);
        m_storagePanel->hide();
        return;
    }
    // Over the middle of the main video.
    const QRect video = VideoView(m_mainChannel)->geometry();
    const QRect area = video.isValid() ? video : rect();
    m_storagePanel->move(area.center() - QPoint(m_storagePanel->width() / 2, m_storagePanel->height() / 2));
    m_storagePanel->SetShownFlag(true);
    m_storagePanel->show();
    m_storagePanel->raise();
    m_storagePanel->RefreshDrives(ListedCardIndex());
}

void CTAVINDlg::ShowSettingsPanel()
{
    const QString selected = m_config->GetSelectedDrive();
    if (selected.isEmpty() || !m_library.IsCard()
        || platform::NormalizedRoot(selected) != platform::NormalizedRoot(m_library.Location())) {
        ShowPlain(tr(kNoCardText), Skin().Text(QStringLiteral("err_title")), skin::kMbIconWarning);
        return;
    }
    if (!m_settingsPanel) {
        ShowNotAvailable();
        return;
    }
    if (m_playback.IsRunning())
        OnPause();
    m_repaintTimer.start(kTimerPeriodMs, this);
    if (!m_settingsPanel->IsShownFlag()) {
        QSize size(m_settingsPanel->WindowInfo().rect.width(), m_settingsPanel->WindowInfo().rect.height());
        if (m_viewMode == ViewLayout::kLarge)
            size = QSize(width() - 390, height() - kSettingsOrigin.y());
        else if (m_viewMode == ViewLayout::kFull)
            size = QSize(width() - kSettingsOrigin.x(), height() - kSettingsOrigin.y());
        m_settingsPanel->setGeometry(QRect(kSettingsOrigin, size));
    }
    m_settingsPanel->SetShownFlag(true);
    m_settingsPanel->InitDateFields();
    m_settingsPanel->show();
    m_settingsPanel->raise();
}

void CTAVINDlg::StopPlaybackBeforeFormat()
{
    // The card's files must be closed before it is erased (a card in use cannot be formatted).
    CancelListing();
    if ((m_playback.IsRunning() || m_playback.IsPaused()) && m_library.IsCard()) {
        ShowPlain(
            tr(kFormatStopsPlayback), Skin().Text(QStringLiteral("err_title")), skin::kMbIconInformation);
        OnStopButton();
    }
}

void CTAVINDlg::WriteCardSettings(int driveIndex)
{
    if (!m_settingsPanel) {
        ShowNotAvailable();
        return;
    }
    const bool listed = FileList() && FileList()->GetItemCount() > 0;
    m_settingsPanel->WriteSettings(driveIndex, listed);
    if (m_storagePanel)
        m_storagePanel->RefreshDrives(driveIndex);
    m_repaintTimer.start(kTimerPeriodMs, this);
}

void CTAVINDlg::FormatStorageCard()
{
    // The storage panel's own card index names the card to format; without one nothing is erased.
    if (!m_storagePanel)
        ShowNotAvailable();
    else if (m_storagePanel->DriveIndex() >= 0)
        WriteCardSettings(m_storagePanel->DriveIndex());
}

void CTAVINDlg::OnCardListed()
{
    if (m_settingsPanel)
        m_settingsPanel->LoadFromCard();
}
