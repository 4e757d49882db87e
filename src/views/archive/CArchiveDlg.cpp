#include "views/archive/CArchiveDlg.h"

#include "skin/SkinRuntime.h"
#include "views/ViewsLog.h"
#include "views/archive/ArchiveCalendarPage.h"
#include "views/archive/ArchiveMapPage.h"
#include "views/archive/ArchiveTexts.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QStackedWidget>
#include <QToolButton>

namespace {

// The window's own widgets in the program's dark look (the skin draws only the frame and title).
const char *const kStyle = R"qss(
QWidget#archive_body, QStackedWidget { background: #161616; }
QLabel { color: #8C8C8C; font-size: 12px; }
QLabel#archive_day { color: #D6D6D6; font-size: 13px; font-weight: 600; }
QToolButton#archive_tab { background: #1E1E1E; color: #8C8C8C; border: 1px solid #2A2A2A; padding: 4px 18px;
    font-size: 13px; }
QToolButton#archive_tab:hover { color: #D6D6D6; }
QToolButton#archive_tab:checked { background: #17334F; color: #FFFFFF; border-color: #3FA6FE; }
QTreeWidget { background: #1A1A1A; alternate-background-color: #1E1E1E; color: #D6D6D6;
    border: 1px solid #2A2A2A; font-size: 12px; outline: 0; }
QTreeWidget::item { height: 24px; border: none; }
QTreeWidget::item:hover { background: #232323; }
QTreeWidget::item:selected { background: #17334F; color: #FFFFFF; }
QHeaderView { background: #1E1E1E; }
QHeaderView::section { background: #1E1E1E; color: #8C8C8C; border: none; border-bottom: 1px solid #2A2A2A;
    border-right: 1px solid #242424; padding: 3px 6px; font-size: 12px; }
QScrollBar:vertical { background: #1A1A1A; width: 10px; margin: 0; }
QScrollBar::handle:vertical { background: #3A3A3A; min-height: 24px; border-radius: 4px; }
QScrollBar:horizontal { background: #1A1A1A; height: 10px; margin: 0; }
QScrollBar::handle:horizontal { background: #3A3A3A; min-width: 24px; border-radius: 4px; }
QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }
QComboBox { background: #202020; color: #C8C8C8; border: 1px solid #2A2A2A; padding: 2px 6px; font-size: 12px; }
QComboBox QAbstractItemView { background: #202020; color: #C8C8C8; selection-background-color: #3FA6FE; }
QProgressBar { background: #2A2A2A; border: none; }
QProgressBar::chunk { background: #3FA6FE; }
QCalendarWidget QWidget#qt_calendar_navigationbar { background: #1E1E1E; }
QCalendarWidget QToolButton { color: #D6D6D6; background: transparent; border: none; font-size: 13px;
    font-weight: 600; padding: 2px 6px; }
QCalendarWidget QToolButton:hover { background: #2A2A2A; }
QCalendarWidget QToolButton::menu-indicator { image: none; }
QCalendarWidget QMenu { background: #202020; color: #D6D6D6; }
QCalendarWidget QSpinBox { background: #202020; color: #D6D6D6; border: 1px solid #2A2A2A;
    selection-background-color: #3FA6FE; }
QCalendarWidget QAbstractItemView { background: #1A1A1A; color: #D6D6D6; font-size: 12px; outline: 0;
    selection-background-color: #3FA6FE; selection-color: #081420; }
QCalendarWidget QAbstractItemView:disabled { color: #4A4A4A; }
)qss";

} // namespace

CArchiveDlg::CArchiveDlg(skin::SkinRuntime &runtime, QWidget *parent)
    : CSkinDialog(runtime, parent)
{
}

CArchiveDlg::~CArchiveDlg()
{
    Runtime().Delegates().RemoveOwner(this);
}

QRect CArchiveDlg::AreaRect(const char *name, const QRect &fallback) const
{
    const skin::CSkinArea *area = Skin().GetArea(QString::fromLatin1(name));
    if (!area) {
        qCWarning(lcViews) << "the archive window's skin has no area" << name;
        return fallback;
    }
    return area->rect.ToQRect();
}

bool CArchiveDlg::Init(const QString &entryName)
{
    if (!InitSkin(entryName))
        return false;
    RegisterEvent(QStringLiteral("close"), skin::kSkinImgButton, skin::kEventClick,
        skin::ClickDelegate([this] { hide(); }));
    const skin::CSkin &skin = Skin();
    QString pageText;
    if (!Runtime().FindPageText(QStringLiteral("archive_map"), &pageText))
        qCWarning(lcViews) << "the skin has no archive map page; the archive's map stays empty";

    auto *body = new QWidget(this);
    body->setObjectName(QStringLiteral("archive_body"));
    body->setAttribute(Qt::WA_StyledBackground);
    body->setStyleSheet(QString::fromLatin1(kStyle));
    body->setGeometry(AreaRect("body", QRect(8, 44, width() - 16, height() - 52)));

    auto *column = new QVBoxLayout(body);
    column->setContentsMargins(8, 6, 8, 6);
    column->setSpacing(8);
    auto *tabRow = new QHBoxLayout;
    tabRow->setSpacing(0);
    auto *group = new QButtonGroup(body);
    const char *tabKeys[] = { "tab_calendar", "tab_map" };
    for (int page = 0; page < 2; ++page) {
        auto *tab = new QToolButton(body);
        tab->setObjectName(QStringLiteral("archive_tab"));
        tab->setCheckable(true);
        tab->setFocusPolicy(Qt::NoFocus);
        tab->setText(ArchiveText(skin, tabKeys[page]));
        group->addButton(tab, page);
        tabRow->addWidget(tab);
        m_tabs[page] = tab;
    }
    tabRow->addStretch(1);
    column->addLayout(tabRow);

    m_pages = new QStackedWidget(body);
    m_calendar = new ArchiveCalendarPage(skin, m_pages);
    m_map = new ArchiveMapPage(skin, pageText, m_pages);
    m_pages->addWidget(m_calendar);
    m_pages->addWidget(m_map);
    column->addWidget(m_pages, 1);

    auto *progressRow = new QHBoxLayout;
    progressRow->setSpacing(8);
    m_bar = new QProgressBar(body);
    m_bar->setObjectName(QStringLiteral("archive_progress"));
    m_bar->setTextVisible(false);
    m_bar->setFixedHeight(4);
    m_progress = new QLabel(body);
    m_progress->setObjectName(QStringLiteral("archive_progress_text"));
    progressRow->addWidget(m_bar, 1);
    progressRow->addWidget(m_progress, 2);
    column->addLayout(progressRow);
    m_bar->hide();

    connect(group, &QButtonGroup::idClicked, this, [this](int page) { ShowPage(Page(page)); });
    m_tabs[kCalendarPage]->setChecked(true);
    return true;
}

void CArchiveDlg::SetIndex(const archive::ArchiveIndex *index)
{
    m_index = index;
    if (m_calendar) {
        m_calendar->SetIndex(index);
        m_map->SetIndex(index);
    }
}

void CArchiveDlg::SetOnTripChosen(std::function<void(const archive::ArchivedTrip &)> handler)
{
    if (m_calendar)
        m_calendar->SetOnTripChosen(std::move(handler));
}

void CArchiveDlg::SetOnPassChosen(std::function<void(const archive::Pass &)> handler)
{
    if (m_map)
        m_map->SetOnPassChosen(std::move(handler));
}

void CArchiveDlg::Refresh()
{
    if (!m_calendar)
        return;
    m_calendar->Refresh();
    m_map->Refresh();
}

void CArchiveDlg::ShowPage(Page page)
{
    if (!m_pages)
        return;
    m_pages->setCurrentIndex(page);
    m_tabs[page]->setChecked(true);
}

CArchiveDlg::Page CArchiveDlg::CurrentPage() const
{
    return m_pages && m_pages->currentIndex() == kMapPage ? kMapPage : kCalendarPage;
}

void CArchiveDlg::ShowIndexing(const QString &source, int done, int total)
{
    if (!m_bar)
        return;
    m_bar->setRange(0, std::max(total, 0));
    m_bar->setValue(std::clamp(done, 0, std::max(total, 0)));
    m_bar->show();
    m_progress->setText(
        QStringLiteral("%1  %2 / %3").arg(ArchiveText(Skin(), "indexing").arg(source)).arg(done).arg(total));
}

void CArchiveDlg::IndexingEnded(const QString &note)
{
    if (!m_bar)
        return;
    m_bar->hide();
    m_progress->setText(note);
}

bool CArchiveDlg::ShowsIndexing() const
{
    return m_bar && !m_bar->isHidden();
}

QString CArchiveDlg::IndexingText() const
{
    return m_progress ? m_progress->text() : QString();
}

void CArchiveDlg::showEvent(QShowEvent *event)
{
    CSkinDialog::showEvent(event);
    Refresh();
}

void CArchiveDlg::keyPressEvent(QKeyEvent *event)
{
    // The key that opened the window closes it again, as does Escape.
    if (event->key() == Qt::Key_Escape
        || (event->key() == Qt::Key_F && event->modifiers().testFlag(Qt::ControlModifier))) {
        hide();
        return;
    }
    CSkinDialog::keyPressEvent(event);
}
