// The main window's listing of a card or a folder: the walk runs on a worker so that a slow card
// never blocks the window, and a progress dialog with Cancel appears when it takes a while.
#include "app/CTAVINDlg.h"
#include "device/CTAVINSDConfig.h"
#include "platform/volume_source.h"

#include <QFileDialog>
#include <QProgressDialog>
#include <QThread>

#include <algorithm>

namespace {
// A listing shorter than this never shows its progress, so a warm card does not flash a dialog.
constexpr int kProgressDelayMs = 300;
// Translated where they are shown (CTAVINDlg::tr).
const char *const kListingText = QT_TRANSLATE_NOOP("CTAVINDlg", "녹화 파일을 찾는 중입니다...");
const char *const kCancelText = QT_TRANSLATE_NOOP("CTAVINDlg", "취소");
} // namespace

void CTAVINDlg::ListCard(const QString &root)
{
    if (!root.isEmpty())
        StartListing(root, true, -1);
}

void CTAVINDlg::OpenFolder()
{
    const QString chosen = m_services.chooseFolder
        ? m_services.chooseFolder()
        : QFileDialog::getExistingDirectory(this, QString(), m_library.Location());
    if (chosen.isEmpty())
        return;
    // A card's root is listed as that card, whichever way the chooser spells it.
    const QString root = platform::NormalizedRoot(chosen);
    for (int index = 0; index < m_config->GetMatchingDriveCount(); ++index) {
        if (platform::NormalizedRoot(m_config->GetDrive(index)) == root) {
            StartListing(m_config->GetDrive(index), true, index);
            return;
        }
    }
    StartListing(chosen, false, -1);
}

void CTAVINDlg::StartListing(const QString &location, bool isCard, int selectCard)
{
    CancelListing();
    Listing listing;
    listing.cancel = std::make_shared<std::atomic_bool>(false);
    listing.found = std::make_shared<std::vector<library::Recording>>();
    listing.location = location;
    listing.isCard = isCard;
    listing.selectCard = selectCard;
    listing.worker = QThread::create(
        [location, extensions = m_library.Extensions(), cancel = listing.cancel, found = listing.found] {
            *found = library::ListRecordings(location, extensions, cancel.get());
        });
    QThread *worker = listing.worker;
    connect(worker, &QThread::finished, this, [this, worker] { OnListingFinished(worker); });
    m_listings.push_back(std::move(listing));

    m_listingProgress = new QProgressDialog(tr(kListingText), tr(kCancelText), 0, 0, this);
    m_listingProgress->setWindowModality(Qt::WindowModal);
    m_listingProgress->setAutoReset(false);
    m_listingProgress->setAutoClose(false);
    m_listingProgress->setMinimumDuration(kProgressDelayMs);
    connect(m_listingProgress, &QProgressDialog::canceled, this, &CTAVINDlg::CancelListing);
    // The first value starts the dialog's delay; a busy bar needs no further values.
    m_listingProgress->setValue(0);
    worker->start();
}

void CTAVINDlg::OnListingFinished(QThread *worker)
{
    const auto found = std::find_if(
        m_listings.begin(), m_listings.end(), [worker](const Listing &l) { return l.worker == worker; });
    if (found == m_listings.end())
        return;
    const Listing listing = *found;
    m_listings.erase(found);
    worker->deleteLater();
    // A listing given up (by Cancel or by a newer request) leaves the list as it was.
    if (*listing.cancel)
        return;
    CloseListingProgress();
    if (listing.selectCard >= 0)
        m_config->SelectDrive(listing.selectCard);
    m_category = library::kCategoryAll;
    m_library.SetListing(listing.location, listing.isCard, std::move(*listing.found));
    FillListControl();
    RefreshButtons();
    if (listing.isCard)
        OnCardListed();
}

void CTAVINDlg::CancelListing()
{
    for (Listing &listing : m_listings)
        *listing.cancel = true;
    CloseListingProgress();
}

void CTAVINDlg::CloseListingProgress()
{
    if (!m_listingProgress)
        return;
    // Cancel arrives from the dialog's own signal: it may not be deleted right away.
    m_listingProgress->disconnect(this);
    m_listingProgress->hide();
    m_listingProgress->deleteLater();
    m_listingProgress = nullptr;
}

void CTAVINDlg::EndListings()
{
    for (Listing &listing : m_listings) {
        *listing.cancel = true;
        listing.worker->wait();
        delete listing.worker;
    }
    m_listings.clear();
}
