#include "app/features/ImpactsController.h"

#include "app/DualPlayback.h"
#include "app/RecordingOpener.h"
#include "app/features/MainWindowTexts.h"
#include "skin/CSkinDialog.h"
#include "views/CGSensorGraph.h"

#include "panels/MainWindowMessages.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QToolButton>

#include <algorithm>
#include <cstdlib>

using skin::kSkinImgButton;

namespace {
const QString kImpactPrev = QStringLiteral("impact_prev");
const QString kImpactNext = QStringLiteral("impact_next");
constexpr int kListWidth = 100;
constexpr int kListGap = 4;
constexpr int kExportWidth = 36;

QString ImpactText(const media::Impact &impact)
{
    const uint32_t seconds = impact.timeMs / 1000;
    return QStringLiteral("%1:%2  %3")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(qRound(impact.strength));
}
} // namespace

void ImpactsController::OnSkinLoaded()
{
    skin::CSkinDialog &window = m_window.Window();
    window.RegisterEvent(
        kImpactPrev, kSkinImgButton, skin::kEventClick, skin::ClickDelegate([this] { Jump(-1); }));
    window.RegisterEvent(
        kImpactNext, kSkinImgButton, skin::kEventClick, skin::ClickDelegate([this] { Jump(1); }));
    if (!m_list) {
        m_list = new QComboBox(&window);
        m_list->setObjectName(QStringLiteral("impact_list"));
        m_list->setFocusPolicy(Qt::NoFocus);
        m_list->setToolTip(mainwindow::Translated(QT_TRANSLATE_NOOP("CTAVINDlg", "충격 시각과 세기")));
        m_list->setStyleSheet(QStringLiteral(
            "QComboBox { background: #202020; color: #C8C8C8; border: 1px solid #2A2A2A; padding: 0 4px;"
            " font-size: 12px; }"
            "QComboBox:disabled { color: #656565; }"
            "QComboBox QAbstractItemView { background: #202020; color: #C8C8C8;"
            " selection-background-color: #3FA6FE; }"));
        connect(m_list, &QComboBox::activated, this, [this](int index) {
            if (index >= 0 && size_t(index) < m_impacts.size())
                m_window.SeekTo(media::ImpactDetector::JumpTarget(m_impacts[size_t(index)]));
        });
    }
    if (!m_export) {
        m_export = new QToolButton(&window);
        m_export->setObjectName(QStringLiteral("impact_export"));
        m_export->setFocusPolicy(Qt::NoFocus);
        m_export->setText(QStringLiteral("±20s"));
        m_export->setToolTip(mainwindow::Translated(
            QT_TRANSLATE_NOOP("CTAVINDlg", "이 충격의 앞뒤 20초를 영상으로 내보내기 (E)")));
        m_export->setStyleSheet(QStringLiteral(
            "QToolButton { background: #202020; color: #C8C8C8; border: 1px solid #2A2A2A; font-size: 11px; }"
            "QToolButton:hover { border-color: #3FA6FE; }"
            "QToolButton:disabled { color: #656565; }"));
        connect(m_export, &QToolButton::clicked, this, [this] { ExportAround(); });
    }
    // The skin shows its new controls only after this returns: place the list once it has.
    QMetaObject::invokeMethod(
        this, [this] { PlaceList(); }, Qt::QueuedConnection);
    Show();
}

void ImpactsController::PlaceList()
{
    if (!m_list)
        return;
    // The list stands right of the next button of the layout; a layout without the buttons has
    // no room for it.
    QWidget *next = m_window.Window().Control<QWidget>(kSkinImgButton, kImpactNext);
    if (next && !next->isHidden()) {
        const QRect r = next->geometry();
        m_list->setGeometry(r.right() + 1 + kListGap, r.top(), kListWidth, r.height());
        m_list->show();
        m_list->raise();
        m_export->setGeometry(m_list->geometry().right() + 1 + kListGap, r.top(), kExportWidth, r.height());
        m_export->show();
        m_export->raise();
    } else {
        m_list->hide();
        m_export->hide();
    }
}

void ImpactsController::OnRecordingOpened(const OpenedRecording &recording)
{
    m_impacts = recording.impacts;
    Show();
}

void ImpactsController::OnRecordingClosed()
{
    m_impacts.clear();
    Show();
}

void ImpactsController::Show()
{
    skin::CSkinDialog &window = m_window.Window();
    if (CGSensorGraph *graph = window.Control<CGSensorGraph>(skin::kSkinGraph, QStringLiteral("gsensor")))
        graph->SetImpacts(m_impacts);
    for (const QString &name : { kImpactPrev, kImpactNext }) {
        if (QWidget *button = window.Control<QWidget>(kSkinImgButton, name))
            button->setEnabled(!m_impacts.empty());
    }
    if (m_export)
        m_export->setEnabled(!m_impacts.empty());
    if (!m_list)
        return;
    m_list->clear();
    for (const media::Impact &impact : m_impacts)
        m_list->addItem(ImpactText(impact));
    m_list->setCurrentIndex(-1);
    m_list->setPlaceholderText(CountText(m_impacts.size()));
    m_list->setEnabled(!m_impacts.empty());
}

QString ImpactsController::CountText(size_t count)
{
    return count == 0
        ? mainwindow::Translated(QT_TRANSLATE_NOOP("CTAVINDlg", "충격 없음"))
        : mainwindow::Translated(QT_TRANSLATE_N_NOOP("CTAVINDlg", "충격 %n건"), qsizetype(count));
}

void ImpactsController::Jump(int step)
{
    if (!m_window.Playback().IsLoaded())
        return;
    const int64_t position = m_window.PositionMs();
    const std::optional<size_t> index = step > 0 ? media::ImpactDetector::Next(m_impacts, position)
                                                 : media::ImpactDetector::Previous(m_impacts, position);
    if (!index)
        return;
    m_window.SeekTo(media::ImpactDetector::JumpTarget(m_impacts[*index]));
    if (m_list)
        m_list->setCurrentIndex(int(*index));
}

std::optional<media::Impact> ImpactsController::ChosenImpact() const
{
    if (m_impacts.empty())
        return std::nullopt;
    if (m_list && m_list->currentIndex() >= 0 && size_t(m_list->currentIndex()) < m_impacts.size())
        return m_impacts[size_t(m_list->currentIndex())];
    const int64_t position = m_window.PositionMs();
    const auto distance
        = [position](const media::Impact &impact) { return std::abs(int64_t(impact.timeMs) - position); };
    return *std::min_element(m_impacts.begin(), m_impacts.end(),
        [&distance](const media::Impact &a, const media::Impact &b) { return distance(a) < distance(b); });
}

void ImpactsController::ExportAround()
{
    if (const std::optional<media::Impact> impact = ChosenImpact())
        m_window.Window().PostMessage(mainwindow::kMsgExportAroundImpact, 0, qintptr(impact->timeMs));
}

bool ImpactsController::OnKey(const QKeyEvent &event)
{
    if (event.modifiers() == Qt::NoModifier && event.key() == Qt::Key_E) {
        ExportAround();
        return true;
    }
    if (event.modifiers() != Qt::ControlModifier)
        return false;
    if (event.key() == Qt::Key_Right)
        Jump(1);
    else if (event.key() == Qt::Key_Left)
        Jump(-1);
    else
        return false;
    return true;
}
