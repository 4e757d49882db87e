#include "panels/CSaveDlg.h"
#include "panels/MainWindowMessages.h"

#include "library/RecordingName.h"
#include "skin/CSkinHeaderCtrl.h"
#include "skin/CSkinListCtrl.h"
#include "skin/WindowMessageEvent.h"
#include "skin/fonts/FontFamilies.h"

#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStandardPaths>

using skin::kSkinImgButton;

namespace {
const char *const kCategoryButtons[] = { "filelist_category_all", "filelist_category_normal",
    "filelist_category_event", "filelist_category_user", "filelist_category_arch" };
// Where the list control draws a row's check mark: at the left of the first shown column.
constexpr int kCheckZoneWidth = 18;
} // namespace

CSaveDlg::CSaveDlg(skin::SkinRuntime &runtime, QWidget *parent)
    : CSkinDialog(runtime, parent)
    , m_saveFolder(DefaultSaveFolder())
{
}

QString CSaveDlg::DefaultSaveFolder()
{
    const QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    if (!videos.isEmpty() && QDir(videos).exists())
        return videos;
    return QDir::homePath();
}

bool CSaveDlg::Init(const QString &entryName)
{
    if (!InitSkin(entryName))
        return false;
    FillList();
    return true;
}

void CSaveDlg::OnSkinLoaded()
{
    const auto button = [this](const char *name, std::function<void()> fn) {
        RegisterEvent(
            QString::fromLatin1(name), kSkinImgButton, skin::kEventClick, skin::ClickDelegate(std::move(fn)));
    };
    for (int k = 0; k < 5; ++k)
        button(kCategoryButtons[k], [this, k] { ChooseCategory(library::kCategoryAll + k); });
    button("filesave_select_all", [this] { SetAllChecked(true); });
    button("filesave_deselect_all", [this] { SetAllChecked(false); });
    button("filesave_browse", [this] { Browse(); });
    button("filesave_OK", [this] { OnOk(); });
    button("filesave_cancel", [this] { reject(); });
    button("filesave_close", [this] { reject(); });
    for (int k = 0; k < 5; ++k) {
        if (QWidget *b = GetControl(kSkinImgButton, QString::fromLatin1(kCategoryButtons[k])))
            b->setEnabled(library::kCategoryAll + k != m_category);
    }
    if (skin::CSkinListCtrl *list = List()) {
        list->SetTextColor(0x656565);
        // Chosen rows in the colours of the main window's list.
        list->SetSelectionColor(0x0F53EF);
        list->SetRowBackColor(0x202020);
        if (list->Header())
            list->Header()->SetColors(0x202020, 0xFFFFFF);
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->installEventFilter(this);
        list->viewport()->installEventFilter(this);
        connect(list, &QTreeWidget::itemSelectionChanged, this, &CSaveDlg::SyncChecksToSelection,
            Qt::UniqueConnection);
    }
}

skin::CSkinListCtrl *CSaveDlg::List() const
{
    return Control<skin::CSkinListCtrl>(skin::kSkinListCtrl, QStringLiteral("filesave_list"));
}

void CSaveDlg::SetRecordings(const std::vector<library::Recording> &recordings, const QString &sourceFolder)
{
    m_recordings = recordings;
    m_sourceFolder = sourceFolder;
    FillList();
}

void CSaveDlg::SetSaveFolder(const QString &folder)
{
    m_saveFolder = folder;
    update();
}

void CSaveDlg::ChooseCategory(int category)
{
    for (int k = 0; k < 5; ++k) {
        if (QWidget *b = GetControl(kSkinImgButton, QString::fromLatin1(kCategoryButtons[k])))
            b->setEnabled(library::kCategoryAll + k != category);
    }
    m_category = category;
    if (!m_sourceFolder.isEmpty())
        FillList();
}

void CSaveDlg::FillList()
{
    skin::CSkinListCtrl *list = List();
    if (!list)
        return;
    const QSignalBlocker quiet(list);
    list->DeleteAllItems();
    int row = 0;
    for (int i = 0; i < int(m_recordings.size()); ++i) {
        const library::Recording &recording = m_recordings[size_t(i)];
        const library::RecordingName name = library::ParseRecordingName(recording.path);
        if (!name.IsFront() || !library::InCategory(recording, m_category))
            continue;
        list->InsertItem(row);
        list->SetItemText(row, library::kColumnNumber, QString::asprintf("%03d", row + 1));
        list->SetItemText(row, library::kColumnFileName, library::FileNameOf(recording.path).toUpper());
        list->SetItemText(row, library::kColumnKind, library::KindText(name.kindLetter));
        list->SetItemText(row, library::kColumnLength, library::FormatLength(recording.lengthSeconds));
        list->SetItemData(row, i);
        ++row;
    }
    list->viewport()->update();
}

void CSaveDlg::SetAllChecked(bool checked)
{
    skin::CSkinListCtrl *list = List();
    if (!list)
        return;
    if (checked)
        list->selectAll();
    else
        list->clearSelection();
    SyncChecksToSelection();
}

// The selection is the truth; the marks follow it.
void CSaveDlg::SyncChecksToSelection()
{
    skin::CSkinListCtrl *list = List();
    if (!list)
        return;
    for (int row = 0; row < list->GetItemCount(); ++row) {
        const bool selected = list->topLevelItem(row)->isSelected();
        if (list->GetCheck(row) != selected)
            list->SetCheck(row, selected);
    }
}

bool CSaveDlg::OnCheckMark(const QPoint &viewportPos, int *row) const
{
    skin::CSkinListCtrl *list = List();
    const QModelIndex index = list->indexAt(viewportPos);
    if (!index.isValid())
        return false;
    QHeaderView *header = list->header();
    for (int c = 0; c < list->columnCount(); ++c) {
        if (header->isSectionHidden(c) || header->sectionSize(c) <= 0)
            continue;
        const int left = header->sectionViewportPosition(c);
        *row = index.row();
        return viewportPos.x() >= left && viewportPos.x() < left + kCheckZoneWidth;
    }
    return false;
}

// A press on a check mark, or Space, adds or removes one row without touching the others; the
// list's own handling would change the mark alone, or the selection alone.
bool CSaveDlg::eventFilter(QObject *watched, QEvent *event)
{
    skin::CSkinListCtrl *list = List();
    if (!list)
        return CSkinDialog::eventFilter(watched, event);
    const auto toggle = [list](int row) {
        if (QTreeWidgetItem *item = list->topLevelItem(row)) {
            item->setSelected(!item->isSelected());
            list->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
        }
    };
    if (watched == list->viewport()
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        int row = -1;
        if (mouse->button() == Qt::LeftButton && OnCheckMark(mouse->position().toPoint(), &row)) {
            toggle(row);
            return true;
        }
    } else if (watched == list && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space) {
        if (list->currentIndex().isValid())
            toggle(list->currentIndex().row());
        return true;
    }
    return CSkinDialog::eventFilter(watched, event);
}

void CSaveDlg::Browse()
{
    const QString chosen = m_chooseFolder ? m_chooseFolder(this, m_saveFolder) : QString();
    if (chosen.isEmpty())
        return;
    SetSaveFolder(QDir::cleanPath(chosen));
}

void CSaveDlg::OnOk()
{
    m_result.clear();
    skin::CSkinListCtrl *list = List();
    if (list) {
        for (int row = 0; row < list->GetItemCount(); ++row) {
            if (!list->GetCheck(row))
                continue;
            // The row's own recording: another folder may hold one of the same name.
            const qint64 index = list->GetItemData(row);
            if (index < 0 || index >= qint64(m_recordings.size()))
                continue;
            const library::Recording &recording = m_recordings[size_t(index)];
            // The rear file has the channel letter R in the front file's place; the rest of the
            // path keeps its case, which matters on case-sensitive file systems.
            QString rear = recording.path;
            const int dot = rear.lastIndexOf(QLatin1Char('.'));
            if (dot >= 2)
                rear[dot - 2] = rear[dot - 2].isLower() ? QLatin1Char('r') : QLatin1Char('R');
            m_result << recording.path << rear;
        }
    }
    if (QWidget *owner = parentWidget())
        skin::PostWindowMessage(owner, mainwindow::kMsgSaveRecordings);
    accept();
}

void CSaveDlg::paintEvent(QPaintEvent *event)
{
    CSkinDialog::paintEvent(event);
    const skin::CSkinText *path = Skin().GetText(QStringLiteral("filesave_savepath"));
    if (!path)
        return;
    QPainter painter(this);
    QFont font(path->fontFace.isEmpty() ? QString(skin::fonts::kKorean) : path->fontFace);
    font.setPixelSize(path->fontSize > 0 ? path->fontSize : 13);
    painter.setFont(font);
    painter.setPen(QColor(0xE6, 0xE6, 0xE6));
    const QRect area = path->rect.ToQRect();
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        painter.fontMetrics().elidedText(
            QDir::toNativeSeparators(m_saveFolder), Qt::ElideMiddle, area.width()));
}
