#include "panels/CStorageDlg.h"

#include "device/CTAVINSDConfig.h"
#include "panels/BackgroundJob.h"
#include "panels/CardPanelsLog.h"
#include "panels/MainWindowMessages.h"
#include "skin/CBitmapSlider.h"
#include "skin/SkinRuntime.h"
#include "skin/WindowMessageEvent.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>
#include <QStorageInfo>

using namespace device;

namespace {

const char *const kTextNames[] = { "storage_capacity", "storage_use_N", "storage_total_N", "storage_use_S",
    "storage_total_S", "storage_use_A", "storage_total_A" };
const char *const kGauges[] = { "storage_slider_N", "storage_slider_S", "storage_slider_A" };
// Translated where they are shown (tr), in the panel's context.
const char *const kBrowseTitle = QT_TRANSLATE_NOOP("CStorageDlg", "백업 폴더 선택");
const char *const kBackupText = QT_TRANSLATE_NOOP("CStorageDlg", "SD 카드를 백업하는 중입니다...");
const char *const kCancelText = QT_TRANSLATE_NOOP("CStorageDlg", "취소");
const char *const kBackupCaption = QT_TRANSLATE_NOOP("CStorageDlg", "백업");
// A backup that fails at once (a folder it may not write into) never flashes its progress.
constexpr int kBackupProgressDelayMs = 300;

std::optional<CStorageDlg::Space> SystemSpace(const QString &root)
{
    const QStorageInfo storage(root);
    if (!storage.isValid() || !storage.isReady())
        return std::nullopt;
    return CStorageDlg::Space { storage.bytesTotal(), storage.bytesAvailable() };
}

// What a card walk's worker reads and writes; the job keeps it.
struct UsageWalkData {
    QString root;
    CStorageDlg::UsageWalk walk;
    RecordingSums sums;
};

struct BackupData {
    QString root;
    QString destination;
    BackupReport report;
};

} // namespace

CStorageDlg::CStorageDlg(skin::SkinRuntime &runtime, QString skinFile, device::CTAVINSDConfig *config,
    std::function<int()> partition, int driveIndex, QWidget *parent)
    : CSkinDialog(runtime, parent)
    , m_skinFile(std::move(skinFile))
    , m_config(config)
    , m_partition(std::move(partition))
    , m_driveIndex(driveIndex)
    , m_spaceQuery(SystemSpace)
    , m_usageWalk(
          [](const QString &root, const std::atomic_bool *cancel) { return SumRecordings(root, cancel); })
{
}

// The jobs are cancelled and waited for as they go, the given-up walks with this window's children.
CStorageDlg::~CStorageDlg() = default;

bool CStorageDlg::Init()
{
    if (!InitSkin(m_skinFile))
        return false;
    const auto click = [this](const char *name, void (CStorageDlg::*fn)()) {
        RegisterEvent(
            QString::fromLatin1(name), skin::kSkinImgButton, skin::kEventClick, skin::MakeDelegate(this, fn));
    };
    click("storage_browse", &CStorageDlg::OnBrowse);
    click("storage_backup", &CStorageDlg::OnBackup);
    click("storage_format", &CStorageDlg::OnFormat);
    RegisterEvent(QStringLiteral("close"), skin::kSkinImgButton, skin::kEventClick,
        skin::ClickDelegate(
            [this] { skin::PostWindowMessage(parentWidget(), mainwindow::kMsgToggleStorage); }));
    RegisterEvent(QStringLiteral("storage_combobox"), skin::kSkinComboBox, skin::kEventChange,
        skin::ValueDelegate([this](qintptr) { OnDriveList(); }));
    for (const char *gauge : kGauges) {
        if (auto *slider = Control<skin::CBitmapSlider>(skin::kSkinSlider, QString::fromLatin1(gauge))) {
            slider->SetRange(0, 100);
            slider->Enable(false);
        }
    }
    RefreshDrives(m_driveIndex);
    return true;
}

void CStorageDlg::RefreshDrives(int index)
{
    auto *list = Control<QComboBox>(skin::kSkinComboBox, QStringLiteral("storage_combobox"));
    if (index < 0 || !list || !m_config)
        return;
    list->clear();
    for (int i = 0; i < m_config->GetMatchingDriveCount(); ++i)
        list->addItem(m_config->GetDrive(i));
    list->setCurrentIndex(index < list->count() ? index : -1);
    m_driveIndex = list->currentIndex();
    QueryCapacity();
}

QString CStorageDlg::SelectedRoot() const
{
    const auto *list = Control<QComboBox>(skin::kSkinComboBox, QStringLiteral("storage_combobox"));
    return list ? list->currentText() : QString();
}

void CStorageDlg::OnDriveList()
{
    const auto *list = Control<QComboBox>(skin::kSkinComboBox, QStringLiteral("storage_combobox"));
    if (!list || list->currentIndex() == m_driveIndex)
        return;
    m_driveIndex = list->currentIndex();
    QueryCapacity();
}

void CStorageDlg::StopWalk()
{
    // The walk ends on its own; its sums are dropped.
    BackgroundJob::GiveUp(std::move(m_walk));
}

void CStorageDlg::QueryCapacity()
{
    const QString root = SelectedRoot();
    if (root.isEmpty() || !m_spaceQuery)
        return;
    // A card whose size cannot be read keeps the figures shown before.
    const std::optional<Space> space = m_spaceQuery(root);
    if (!space) {
        qCWarning(lcCardPanels) << "no size for" << root << "; the storage figures stay";
        return;
    }
    // The walk before this one ends on its own; its result is dropped.
    StopWalk();
    const int partition = m_partition ? m_partition() : 5;
    m_walk = std::make_unique<BackgroundJob>(this);
    m_walk->Start(
        UsageWalkData { root, m_usageWalk, {} },
        [](UsageWalkData &walk, BackgroundJob::Progress &progress) {
            walk.sums = walk.walk(walk.root, progress.CancelFlag());
        },
        [this, space = *space, partition](UsageWalkData &walk, bool cancelled) {
            m_walk.reset();
            if (!cancelled)
                ApplyTexts(
                    ComposeStorageTexts(walk.root, space.totalBytes, space.freeBytes, partition, walk.sums));
        });
}

void CStorageDlg::ApplyTexts(const device::StorageTexts &texts)
{
    const QString values[]
        = { texts.capacity, texts.useN, texts.totalN, texts.useS, texts.totalS, texts.useA, texts.totalA };
    for (size_t i = 0; i < std::size(kTextNames); ++i)
        m_texts[QString::fromLatin1(kTextNames[i])] = values[i];
    const int percents[] = { texts.percentN, texts.percentS, texts.percentA };
    for (size_t i = 0; i < std::size(kGauges); ++i)
        if (auto *slider = Control<skin::CBitmapSlider>(skin::kSkinSlider, QString::fromLatin1(kGauges[i])))
            slider->SetPos(qBound(0, percents[i], 100));
    update();
}

void CStorageDlg::OnBrowse()
{
    const QString chosen = m_chooseFolder ? m_chooseFolder()
                                          : QFileDialog::getExistingDirectory(this, tr(kBrowseTitle),
                                              m_backupFolder, QFileDialog::ShowDirsOnly);
    if (!chosen.isEmpty())
        m_backupFolder = QDir::cleanPath(chosen);
}

void CStorageDlg::OnBackup()
{
    if (m_backup)
        return;
    if (m_backupFolder.isEmpty())
        OnBrowse();
    const QString root = SelectedRoot();
    if (m_backupFolder.isEmpty() || root.isEmpty())
        return;
    // Each backup goes into a folder of its own, so that nothing already in the chosen folder is
    // touched and a cancelled backup can take away exactly what it made.
    QString name = QFileInfo(root).fileName();
    if (name.isEmpty())
        name = QStringLiteral("SDCARD");
    const QString destination = m_backupFolder + QLatin1Char('/') + name + QStringLiteral("_backup_")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss"));

    BackgroundJob::Options options;
    options.text = tr(kBackupText);
    options.title = tr(kBackupCaption);
    options.cancelText = tr(kCancelText);
    options.delayMs = kBackupProgressDelayMs;
    m_backup = std::make_unique<BackgroundJob>(this, options);
    m_backup->Start(
        BackupData { root, destination, {} },
        [](BackupData &backup, BackgroundJob::Progress &progress) {
            backup.report = RunCardBackup(
                backup.root, backup.destination, progress.CancelFlag(), [&progress](const BackupProgress &p) {
                    progress.Report(p.bytesDone, p.bytesTotal,
                        QStringLiteral("%1 / %2 · %3").arg(p.filesDone).arg(p.filesTotal).arg(p.current));
                });
        },
        [this](BackupData &backup, bool) {
            m_backup.reset();
            OnBackupFinished(backup.report);
        });
}

void CStorageDlg::CancelBackup()
{
    if (m_backup)
        m_backup->Cancel();
}

void CStorageDlg::OnBackupFinished(const BackupReport &finished)
{
    m_lastBackup = finished;
    const BackupReport &report = m_lastBackup;
    // A cancelled backup has taken away what it made; there is nothing to tell.
    if (report.cancelled)
        return;
    QString text;
    int icon = skin::kMbIconInformation;
    if (!report.error.isEmpty()) {
        text = tr("백업하지 못했습니다.\n%1").arg(report.error);
        icon = skin::kMbIconError;
    } else if (report.Ok()) {
        text = tr("%n개 파일, %1, 검증 완료\n%2", nullptr, report.files)
                   .arg(SizeText(report.bytes), QDir::toNativeSeparators(report.destination));
    } else {
        QStringList lines;
        for (const QString &path : report.differing)
            lines << tr("다름: %1").arg(path);
        for (const QString &failure : report.failed)
            lines << tr("실패: %1").arg(failure);
        text = tr("백업한 파일 중 카드와 다른 파일이 있습니다.\n%1\n\n%2")
                   .arg(QDir::toNativeSeparators(report.destination), lines.join(QLatin1Char('\n')));
        icon = skin::kMbIconWarning;
    }
    Runtime().ShowMessageBox(this, text, tr(kBackupCaption), icon);
}

void CStorageDlg::OnFormat()
{
    if (m_driveIndex < 0)
        return;
    StopWalk();
    if (auto *list = Control<QComboBox>(skin::kSkinComboBox, QStringLiteral("storage_combobox")))
        list->setCurrentIndex(-1);
    ApplyTexts(ClearedStorageTexts());
    skin::PostWindowMessage(parentWidget(), mainwindow::kMsgFormatCard, quintptr(m_driveIndex));
}

bool CStorageDlg::IsWorking() const
{
    return m_walk != nullptr || m_backup != nullptr;
}

void CStorageDlg::paintEvent(QPaintEvent *event)
{
    CSkinDialog::paintEvent(event);
    QPainter painter(this);
    for (const char *name : kTextNames) {
        const skin::CSkinText *item = Skin().GetText(QString::fromLatin1(name));
        if (!item)
            continue;
        QFont font(item->fontFace.isEmpty() ? this->font().family() : item->fontFace);
        font.setPixelSize(item->fontSize > 0 ? item->fontSize : 13);
        painter.setFont(font);
        const bool total = QByteArray(name).startsWith("storage_total");
        painter.setPen(total ? QColor(0x9A, 0x9A, 0x9A) : QColor(0xDC, 0xDC, 0xDC));
        // A long mount point is shortened in its middle so that the figures at the end stay visible.
        const QRect r = item->rect.ToQRect();
        painter.drawText(r, (total ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter | Qt::TextSingleLine,
            painter.fontMetrics().elidedText(
                m_texts.value(QString::fromLatin1(name)), Qt::ElideMiddle, r.width()));
    }
}
