#include "app/features/TripController.h"

#include "app/DualPlayback.h"
#include "app/features/RecordingListController.h"
#include "library/RecordingLibrary.h"
#include "library/RecordingSummary.h"
#include "panels/BackgroundJob.h"
#include "skin/CSkinDialog.h"
#include "skin/CSkinListCtrl.h"

using skin::kSkinImgButton;

namespace {
const QString kShowTripsButton = QStringLiteral("list_mode_trips");
const QString kShowFilesButton = QStringLiteral("list_mode_files");
// Recordings summed up per worker run: small enough that the list fills in as the card is read.
constexpr int kSummaryBatch = 8;

struct SummaryBatch {
    QStringList paths;
    std::vector<library::RecordingSummary> summaries;
};

QString LengthText(int64_t ms)
{
    const int64_t s = (ms + 500) / 1000;
    return QString::asprintf("%02d:%02d:%02d", int(s / 3600), int(s / 60 % 60), int(s % 60));
}
} // namespace

TripController::TripController(MainWindowContext &window, RecordingListController &list)
    : MainWindowFeature(window)
    , m_list(list)
{
    m_list.AddOnListed([this] { Rebuild(); });
    m_list.SetAlternateRows([this](skin::CSkinListCtrl &control) { return FillRows(control); },
        // A category or sort chosen over the trips means the files again.
        [this] { ShowTrips(false); });
}

TripController::~TripController() = default;

void TripController::OnSkinLoaded()
{
    skin::CSkinDialog &dialog = m_window.Window();
    dialog.RegisterEvent(kShowTripsButton, kSkinImgButton, skin::kEventClick,
        skin::ClickDelegate([this] { ShowTrips(true); }));
    dialog.RegisterEvent(kShowFilesButton, kSkinImgButton, skin::kEventClick,
        skin::ClickDelegate([this] { ShowTrips(false); }));
    RefreshButtons();
}

void TripController::OnClosing()
{
    m_summaries.reset();
}

void TripController::ShowTrips(bool show)
{
    // Not while a recording opens: its row is found in the list it opened from.
    if (show == m_showTrips || m_window.Playback().IsOpening())
        return;
    m_showTrips = show;
    if (skin::CSkinListCtrl *list = m_list.FileList(); list && !show) {
        // The files' own column names come back.
        for (int column = 0; column < m_fileHeaders.size() && column < list->columnCount(); ++column)
            list->headerItem()->setText(column, m_fileHeaders[column]);
    }
    m_list.Refill();
    RefreshButtons();
}

void TripController::RefreshButtons()
{
    skin::CSkinDialog &dialog = m_window.Window();
    // A skin without the buttons simply has no trip view.
    dialog.ShowControl(kSkinImgButton, kShowTripsButton, !m_showTrips);
    dialog.ShowControl(kSkinImgButton, kShowFilesButton, m_showTrips);
}

int TripController::TripOfRow(int row) const
{
    return row >= 0 && row < int(m_model.Trips().size()) ? row : -1;
}

void TripController::PlayRow(int row)
{
    const int trip = TripOfRow(row);
    if (trip < 0)
        return;
    if (skin::CSkinListCtrl *list = m_list.FileList())
        list->SetSelectedItem(row);
    m_window.PlayTrip(m_model.Trips()[size_t(trip)]);
}

void TripController::Rebuild()
{
    m_summaries.reset();
    m_model.Build(m_window.Library().Recordings());
    m_nextSummary = 0;
    SummarizeNext();
}

void TripController::SummarizeNext()
{
    // The trips' recordings in the order the list shows them, so the first rows fill first.
    SummaryBatch batch;
    int index = 0;
    for (const library::Trip &trip : m_model.Trips()) {
        for (const library::TripRecording &recording : trip.recordings) {
            if (index++ < m_nextSummary)
                continue;
            if (batch.paths.size() < kSummaryBatch)
                batch.paths << recording.path;
        }
    }
    if (batch.paths.isEmpty())
        return;
    m_nextSummary += int(batch.paths.size());
    m_summaries = std::make_unique<BackgroundJob>(&m_window.Window());
    m_summaries->Start(
        std::move(batch),
        [](SummaryBatch &work, BackgroundJob::Progress &progress) {
            for (const QString &path : work.paths) {
                if (progress.IsCancelled())
                    return;
                work.summaries.push_back(library::SummarizeRecording(path));
            }
        },
        [this](SummaryBatch &work, bool cancelled) {
            m_summaries.reset();
            if (cancelled)
                return;
            for (size_t k = 0; k < work.summaries.size(); ++k)
                m_model.MergeSummary(work.paths[qsizetype(k)], work.summaries[k]);
            if (m_showTrips)
                m_list.Refill();
            SummarizeNext();
        });
}

bool TripController::FillRows(skin::CSkinListCtrl &list)
{
    if (!m_showTrips)
        return false;
    const int selected = list.GetSelectedItem();
    list.DeleteAllItems();
    // The start and length columns name the trip's.
    const skin::CSkin &skin = m_window.Window().Skin();
    if (m_fileHeaders.isEmpty()
        || list.headerItem()->text(2) != skin.Text(QStringLiteral("trip_col_start"))) {
        m_fileHeaders.clear();
        for (int column = 0; column < list.columnCount(); ++column)
            m_fileHeaders << list.headerItem()->text(column);
    }
    if (list.columnCount() > 4) {
        list.headerItem()->setText(2, skin.Text(QStringLiteral("trip_col_start"), m_fileHeaders.value(2)));
        list.headerItem()->setText(4, skin.Text(QStringLiteral("trip_col_length"), m_fileHeaders.value(4)));
    }
    const std::vector<library::Trip> &trips = m_model.Trips();
    for (int row = 0; row < int(trips.size()); ++row) {
        const library::Trip &trip = trips[size_t(row)];
        list.InsertItem(row, QString());
        list.SetItemText(row, 1, QString::asprintf("%03d", row + 1));
        list.SetItemText(row, 2, RowText(trip));
        list.SetItemText(row, 3, KindText(trip));
        list.SetItemText(row, 4, LengthText(trip.DurationMs()));
        list.SetItemData(row, row);
    }
    if (!trips.empty())
        list.SetSelectedItem(selected >= 0 && selected < int(trips.size()) ? selected : 0);
    return true;
}

QString TripController::RowText(const library::Trip &trip) const
{
    // The recorder's own time, as its file names give it; the distance once it has been read.
    QString text = trip.start.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    if (trip.kind != library::TripKind::Drive)
        return text;
    if (!trip.IsSummarized())
        return text + QStringLiteral("  ")
            + m_window.Window().Skin().Text(QStringLiteral("trip_summing"), QStringLiteral("…"));
    return text + QString::asprintf("  %.1f km", trip.distanceM / 1000.0);
}

QString TripController::KindText(const library::Trip &trip) const
{
    const skin::CSkin &skin = m_window.Window().Skin();
    QString text = trip.kind == library::TripKind::Drive
        ? skin.Text(QStringLiteral("trip_kind_drive"), QStringLiteral("Drive"))
        : skin.Text(QStringLiteral("trip_kind_parking"), QStringLiteral("Parking"));
    // The event recordings of the trip, as the files' list would show them.
    if (trip.events > 0)
        text += QStringLiteral(" (%1)").arg(trip.events);
    return text;
}
