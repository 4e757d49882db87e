#include "panels/CStorageDlg.h"

#include "device/CTAVINSDConfig.h"
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
#include <QMutex>
#include <QPainter>
#include <QProgressDialog>
#include <QStorageInfo>
#include <QThread>
#include <QTimer>

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

std::optional<CStorageDlg::Space> SystemSpace(const QString &root)
{
    const QStorageInfo storage(root);
    if (!storage.isValid() || !storage.isReady())
        return std::nullopt;
    return CStorageDlg::Space { storage.bytesTotal(), storage.bytesAvailable() };
}

} // namespace

// One card walk on a worker; a newer refresh gives the old walk up.
struct CStorageDlg::Walk {
    QThread *worker = nullptr;
    std::atomic_bool cancel { false };
    RecordingSums sums;
};

// The backup on its worker, with what the progress window reads from it.
struct CStorageDlg::Backup {
    QThread *worker = nullptr;
    QProgressDialog *progress = nullptr;
    QTimer *poll = nullptr;
    std::atomic_bool cancel { false };
    QMutex mutex;
    BackupProgress state; // guarded by mutex
    BackupReport report;
};

CStorageDlg::CStorageDlg(skin::SkinRuntime &runtime, QString skinFile, device::CTAVINSDConfig *config,
    std::function<int()> partition, int driveIndex, QWidget *parent)
    : CSkinDialog(runtime, parent)
    , m_skinFile(std::move(skinFile))
    , m_config(config)
    , m_partition(std::move(partition))
    , m_driveIndex(driveIndex)
    , m_spaceQuery(SystemSpace)
{
}

CStorageDlg::~CStorageDlg()
{
    // The walks' reports die with this window; their workers are ended here.
    if (m_walk) {
        m_walk->cancel = true;
        m_walk->worker->wait();
        delete m_walk->worker;
    }
    if (m_backup) {
        m_backup->cancel = true;
        m_backup->worker->wait();
        delete m_backup->worker;
    }
}

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
    // The walk ends on its own and its worker is deleted when it reports; its sums are dropped.
    if (m_walk)
        m_walk->cancel = true;
    m_walk.reset();
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
    if (m_walk)
        m_walk->cancel = true;
    auto walk = std::make_shared<Walk>();
    const int partition = m_partition ? m_partition() : 5;
    walk->worker
        = QThread::create([walk = walk.get(), root] { walk->sums = SumRecordings(root, &walk->cancel); });
    connect(walk->worker, &QThread::finished, this, [this, walk, root, space = *space, partition] {
        walk->worker->deleteLater();
        const bool current = m_walk == walk;
        if (current)
            m_walk.reset();
        if (!current || walk->cancel)
            return;
        ApplyTexts(ComposeStorageTexts(root, space.totalBytes, space.freeBytes, partition, walk->sums));
    });
    // The walk before this one ends on its own; its result is dropped.
    m_walk = walk;
    walk->worker->start();
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

    m_backup = std::make_unique<Backup>();
    Backup *backup = m_backup.get();
    backup->worker = QThread::create([backup, root, destination] {
        backup->report = RunCardBackup(root, destination, &backup->cancel, [backup](const BackupProgress &p) {
            QMutexLocker lock(&backup->mutex);
            backup->state = p;
        });
    });
    connect(backup->worker, &QThread::finished, this, &CStorageDlg::OnBackupFinished);

    backup->progress = new QProgressDialog(tr(kBackupText), tr(kCancelText), 0, 1000, this);
    backup->progress->setWindowTitle(tr(kBackupCaption));
    backup->progress->setWindowModality(Qt::WindowModal);
    backup->progress->setAutoClose(false);
    backup->progress->setAutoReset(false);
    backup->progress->setMinimumDuration(0);
    connect(backup->progress, &QProgressDialog::canceled, this, &CStorageDlg::CancelBackup);
    backup->poll = new QTimer(this);
    connect(backup->poll, &QTimer::timeout, this, &CStorageDlg::OnBackupProgress);
    backup->poll->start(100);
    backup->progress->setValue(0);
    backup->worker->start();
}

void CStorageDlg::CancelBackup()
{
    if (m_backup)
        m_backup->cancel = true;
}

void CStorageDlg::OnBackupProgress()
{
    if (!m_backup || !m_backup->progress)
        return;
    BackupProgress state;
    {
        QMutexLocker lock(&m_backup->mutex);
        state = m_backup->state;
    }
    const int value = state.bytesTotal > 0 ? int(state.bytesDone * 1000 / state.bytesTotal) : 0;
    m_backup->progress->setLabelText(QStringLiteral("%1\n%2 / %3 · %4")
                                         .arg(tr(kBackupText))
                                         .arg(state.filesDone)
                                         .arg(state.filesTotal)
                                         .arg(state.current));
    m_backup->progress->setValue(qBound(0, value, 999));
}

void CStorageDlg::OnBackupFinished()
{
    if (!m_backup)
        return;
    std::unique_ptr<Backup> backup = std::move(m_backup);
    backup->poll->stop();
    backup->poll->deleteLater();
    backup->progress->disconnect(this);
    backup->progress->hide();
    backup->progress->deleteLater();
    backup->worker->wait();
    delete backup->worker;
    m_lastBackup = backup->report;
    const BackupReport &report = m_lastBackup;
    // A cancelled backup has taken away what it made; there is nothing to tell.
    if (report.cancelled)
        return;
    QString text;
    int icon = skin::kMbIconInformation;
    if (!report.error.isEmpty()) {
        text = tr("백업하지 못했습니다.\n%1").arg(report.error);
        icon = skin::kMbIconError;
    } else if (report.ok()) {
        text = tr("%1개 파일, %2, 검증 완료\n%3")
                   .arg(report.files)
                   .arg(BackupSizeText(report.bytes), QDir::toNativeSeparators(report.destination));
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
        const QRect r = item->rect.toQRect();
        painter.drawText(r, (total ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter | Qt::TextSingleLine,
            painter.fontMetrics().elidedText(
                m_texts.value(QString::fromLatin1(name)), Qt::ElideMiddle, r.width()));
    }
}
