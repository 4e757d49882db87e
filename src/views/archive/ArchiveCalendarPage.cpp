#include "views/archive/ArchiveCalendarPage.h"

#include "skin/CSkin.h"
#include "views/archive/ArchiveTexts.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QTextCharFormat>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum Column { kTime, kKind, kLength, kDistance, kSource, kState, kColumns };

QString LengthText(int64_t ms)
{
    const int64_t s = (ms + 500) / 1000;
    return QString::asprintf("%d:%02d:%02d", int(s / 3600), int(s / 60 % 60), int(s % 60));
}

// The month arrows in the window's text colour: the widget's own are green pictures.
QIcon Chevron(bool forward)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0xD6, 0xD6, 0xD6), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const qreal tip = forward ? 11 : 5;
    const qreal back = forward ? 6 : 10;
    painter.drawPolyline(QPolygonF({ QPointF(back, 3), QPointF(tip, 8), QPointF(back, 13) }));
    return QIcon(pixmap);
}

QTextCharFormat MarkedDay()
{
    QTextCharFormat format;
    format.setFontWeight(QFont::Bold);
    format.setForeground(QColor(0x3F, 0xA6, 0xFE));
    format.setBackground(QColor(0x17, 0x33, 0x4F));
    return format;
}

} // namespace

ArchiveCalendarPage::ArchiveCalendarPage(const skin::CSkin &skin, QWidget *parent)
    : QWidget(parent)
    , m_skin(skin)
{
    setObjectName(QStringLiteral("archive_calendar_page"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);

    auto *left = new QVBoxLayout;
    left->setSpacing(8);
    m_calendar = new QCalendarWidget(this);
    m_calendar->setObjectName(QStringLiteral("archive_calendar"));
    m_calendar->setGridVisible(false);
    m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_calendar->setFirstDayOfWeek(Qt::Sunday);
    m_calendar->setFixedSize(300, 250);
    // Weekends in the muted text colour rather than the widget's red: the marked days must stand out.
    QTextCharFormat weekend;
    weekend.setForeground(QColor(0xA8, 0xA8, 0xA8));
    m_calendar->setWeekdayTextFormat(Qt::Saturday, weekend);
    m_calendar->setWeekdayTextFormat(Qt::Sunday, weekend);
    for (const auto &[name, forward] :
        { std::pair { "qt_calendar_prevmonth", false }, std::pair { "qt_calendar_nextmonth", true } })
        if (auto *arrow = m_calendar->findChild<QToolButton *>(QString::fromLatin1(name)))
            arrow->setIcon(Chevron(forward));
    QTextCharFormat header;
    header.setForeground(QColor(0x8C, 0x8C, 0x8C));
    header.setBackground(QColor(0x1E, 0x1E, 0x1E));
    m_calendar->setHeaderTextFormat(header);
    left->addWidget(m_calendar);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("archive_summary"));
    m_summary->setWordWrap(true);
    m_summary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    left->addWidget(m_summary, 1);
    row->addLayout(left);

    auto *right = new QVBoxLayout;
    right->setSpacing(6);
    m_dayLabel = new QLabel(this);
    m_dayLabel->setObjectName(QStringLiteral("archive_day"));
    right->addWidget(m_dayLabel);
    m_trips = new QTreeWidget(this);
    m_trips->setObjectName(QStringLiteral("archive_trips"));
    m_trips->setRootIsDecorated(false);
    m_trips->setUniformRowHeights(true);
    m_trips->setAllColumnsShowFocus(true);
    m_trips->setFocusPolicy(Qt::NoFocus);
    m_trips->setColumnCount(kColumns);
    m_trips->setHeaderLabels({ ArchiveText(skin, "col_time"), ArchiveText(skin, "col_kind"),
        ArchiveText(skin, "col_length"), ArchiveText(skin, "col_distance"), ArchiveText(skin, "col_source"),
        ArchiveText(skin, "col_state") });
    m_trips->header()->setStretchLastSection(false);
    m_trips->header()->setSectionResizeMode(kSource, QHeaderView::Stretch);
    // The state is one short word whose length depends on the language: it takes what it needs.
    m_trips->header()->setSectionResizeMode(kState, QHeaderView::ResizeToContents);
    const int widths[] = { 104, 56, 64, 70, 0, 0 };
    for (int column = 0; column < kColumns; ++column)
        if (widths[column] > 0)
            m_trips->setColumnWidth(column, widths[column]);
    right->addWidget(m_trips, 1);
    row->addLayout(right, 1);

    connect(m_calendar, &QCalendarWidget::selectionChanged, this, [this] { ListTrips(); });
    // A click plays, as in the main window's list.
    connect(m_trips, &QTreeWidget::itemClicked, this,
        [this](QTreeWidgetItem *item) { ChooseTrip(m_trips->indexOfTopLevelItem(item)); });
}

ArchiveCalendarPage::~ArchiveCalendarPage() = default;

void ArchiveCalendarPage::Refresh()
{
    const bool first = m_days.empty();
    MarkDays();
    // Opened for the first time on an archive with drives: the latest day with drives is shown.
    if (first && !m_days.empty()
        && !std::binary_search(m_days.begin(), m_days.end(), m_calendar->selectedDate())) {
        ChooseDay(m_days.back());
        return;
    }
    ListTrips();
}

QString ArchiveCalendarPage::DayText() const
{
    return m_dayLabel->text();
}

QString ArchiveCalendarPage::SummaryText() const
{
    return m_summary->text();
}

void ArchiveCalendarPage::MarkDays()
{
    for (const QDate &day : m_days)
        m_calendar->setDateTextFormat(day, QTextCharFormat());
    m_days = m_index ? m_index->DaysWithDrives() : std::vector<QDate>();
    const QTextCharFormat marked = MarkedDay();
    for (const QDate &day : m_days)
        m_calendar->setDateTextFormat(day, marked);
    QStringList lines;
    if (m_days.empty())
        lines << ArchiveText(m_skin, "no_drives_yet");
    else
        lines << ArchiveCountText(m_skin, "days_summary", qsizetype(m_days.size()))
                     .arg(m_days.front().toString(Qt::ISODate), m_days.back().toString(Qt::ISODate));
    // Every card and backup the archive holds, and whether it is at hand.
    if (m_index) {
        lines << QString();
        for (const archive::ArchiveSource &source : m_index->Sources())
            lines << QStringLiteral("%1  ·  %2  ·  %3")
                         .arg(source.label, ArchiveCountText(m_skin, "recordings_count", source.recordings),
                             ArchiveText(m_skin, source.online ? "online" : "offline"));
    }
    m_summary->setText(lines.join(QLatin1Char('\n')));
}

void ArchiveCalendarPage::ChooseDay(const QDate &day)
{
    if (m_calendar->selectedDate() == day) {
        ListTrips();
        return;
    }
    m_calendar->setSelectedDate(day); // lists the trips through selectionChanged
}

void ArchiveCalendarPage::ListTrips()
{
    const QDate day = m_calendar->selectedDate();
    m_listed = m_index ? m_index->TripsOn(day) : std::vector<archive::ArchivedTrip>();
    m_trips->clear();
    m_dayLabel->setText(day.toString(Qt::ISODate) + QStringLiteral("  ")
        + (m_listed.empty() ? ArchiveText(m_skin, "no_trips")
                            : ArchiveCountText(m_skin, "trips_count", qsizetype(m_listed.size()))));
    const QColor offline(0xFF, 0xB3, 0x47);
    for (const archive::ArchivedTrip &archived : m_listed) {
        const library::Trip &trip = archived.trip;
        auto *item = new QTreeWidgetItem(m_trips);
        item->setText(kTime,
            trip.start.toString(QStringLiteral("HH:mm")) + QStringLiteral(" – ")
                + trip.end.toString(QStringLiteral("HH:mm")));
        item->setText(kKind,
            ArchiveText(m_skin, trip.kind == library::TripKind::Drive ? "kind_drive" : "kind_parking"));
        item->setText(kLength, LengthText(trip.DurationMs()));
        item->setText(kDistance,
            trip.kind == library::TripKind::Drive && trip.summarized > 0
                ? QString::asprintf("%.1f km", trip.distanceM / 1000.0)
                : QStringLiteral("–"));
        item->setText(kSource, archived.sourceLabel);
        item->setToolTip(kSource, archived.sourceLabel);
        item->setText(kState, ArchiveText(m_skin, archived.online ? "online" : "offline"));
        if (!archived.online)
            item->setForeground(kState, offline);
        for (int column : { kLength, kDistance })
            item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
}

void ArchiveCalendarPage::ChooseTrip(int row)
{
    if (row < 0 || row >= int(m_listed.size()))
        return;
    m_trips->setCurrentItem(m_trips->topLevelItem(row));
    if (m_onTripChosen)
        m_onTripChosen(m_listed[size_t(row)]);
}
